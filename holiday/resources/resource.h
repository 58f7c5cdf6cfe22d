// Identifiers of dovrel60's resources, shared by the resource script and the
// code that loads them.
#ifndef DOVREL60_RESOURCE_H
#define DOVREL60_RESOURCE_H

// String table.
#define IDS_PRODUCT_NAME 100
#define IDS_E_KEY_NOT_UNIQUE 513
#define IDS_E_INDEX_OUT_OF_RANGE 514
#define IDS_E_ELEMENT_NOT_FOUND 515
#define IDS_E_KEY_INVALID 516
#define IDS_E_KEY_BELONGS_TO_OTHER 517
#define IDS_E_RANGE_OVER_1000_YEARS 518
#define IDS_E_NO_COLLECTION 519

// Registration scripts (type "REGISTRY"), one per class.
#define IDR_REGISTRY_DAY 101
#define IDR_REGISTRY_DAYS 102
#define IDR_REGISTRY_HOLIDAYSTYLE 103
#define IDR_REGISTRY_HOLIDAYSTYLES 104
#define IDR_REGISTRY_DOVREL 105

// The about box: dialog, picture and the controls the code reaches.
#define IDD_ABOUTBOX 7000
#define IDB_ABOUTBOX 7001
#define IDC_ABOUT_PICTURE 7002
#define IDC_ABOUT_PRODUCT 7003
#define IDC_ABOUT_SYSINFO 7004
#define IDC_ABOUT_BUILD 7005
#define IDC_ABOUT_COPYRIGHT 7006
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
