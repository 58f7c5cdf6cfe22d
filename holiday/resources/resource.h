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

#endif
