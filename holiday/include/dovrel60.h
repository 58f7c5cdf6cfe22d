// dovrel60: what a host compiles against.
//
// The interfaces of the holiday calendar component, its enumerations, the
// identifiers of its classes, interfaces and type library, and the entry
// points of the library. The identifiers are published: they never change.
//
// On Windows this header sits on the platform's own COM headers; elsewhere on
// the declarations of dovrel60's automation layer in automation/ beside it,
// which provide the same names: this folder is all a host compiles against. 32-bit values are LONG (32 bits on every platform; C++'s long is 64
// bits here), 16-bit values SHORT. Every member returns an HRESULT and hands
// its result back through the last argument.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#else
#include "automation/com.h"
#endif

// --- Enumerations ------------------------------------------------------------

// The kind of day of the main object's Value (bits of a day's classification).
typedef enum dvValueTypeConst {
  dvValueNull = -1,
  dvValueHolidayOrWorkday = 1,
  dvValueForceHoliday = 2,
  dvValueForceWorkday = 4,
  dvValueOverriddenHoliday = 8,
  dvValueWeekend = 16
} dvValueTypeConst;

// Weekly rest rules of one weekday: which weeks of the month (combined).
typedef enum dvWeekRestsConst {
  dvNoWeeks = 0,
  dv1stWeek = 1,
  dv2ndWeek = 2,
  dv3rdWeek = 4,
  dv4thWeek = 8,
  dv5thWeek = 16,
  dvLastWeek = 32,
  dvOverrideWeekday = 64,
  dvAllWeeks = -1
} dvWeekRestsConst;

typedef enum dvWeekdayConst {
  dvSunday = 1,
  dvMonday = 2,
  dvTuesday = 3,
  dvWednesday = 4,
  dvThursday = 5,
  dvFriday = 6,
  dvSaturday = 7
} dvWeekdayConst;

typedef enum dvAdjustDateConst { dvPrevWorkday = 0, dvNextWorkday = 1 } dvAdjustDateConst;

typedef enum dvDateTypeConst { dvHoliday = 0, dvWorkday = 1, dvWeekend = 2 } dvDateTypeConst;

typedef enum dvDateTypeExConst { dvHolidays = 0, dvWorkdays = 1, dvWeekendsHolidays = 2 } dvDateTypeExConst;

typedef enum dvIsDateInStyleConst { dvFirstMatch = 0, dvNextMatch = 1 } dvIsDateInStyleConst;

typedef enum dvDayNavConst { dvNavHoliday = 0, dvNavWorkday = 1, dvNavWeekend = 2, dvNavNormal = 3 } dvDayNavConst;

typedef enum dvDayTypeConst { dvTypeHoliday = 0, dvTypeForcedHoliday = 1, dvTypeForcedWorkday = 2 } dvDayTypeConst;

typedef enum dvOverrideConst { dvOverrideNone = 0, dvOverrideNextDay = 1 } dvOverrideConst;

// --- Identifiers ---------------------------------------------------------------

// Type library dvDovrel6Lib, version 1.0.
inline constexpr GUID LIBID_dvDovrel6Lib = {0xE86176E6, 0x719F, 0x48BD, {0x91, 0xCD, 0x4C, 0xAE, 0x6C, 0x8D, 0xDB, 0xD9}};

// Classes.
inline constexpr CLSID CLSID_Day = {0x876C5C5D, 0xC327, 0x4ED1, {0x96, 0xC8, 0xA8, 0x51, 0x6A, 0xA2, 0x8D, 0xAD}};
inline constexpr CLSID CLSID_Days = {0x71CD6B99, 0x2ADE, 0x49AF, {0x81, 0xD4, 0x41, 0x37, 0xC2, 0xFC, 0xA7, 0xED}};
inline constexpr CLSID CLSID_HolidayStyle = {0x73580B4D, 0xFD08, 0x4DF2, {0xA3, 0x02, 0x72, 0x68, 0x6B, 0x3A, 0xF7, 0x65}};
inline constexpr CLSID CLSID_HolidayStyles = {0x76AF041F, 0x7874, 0x43BC, {0xA5, 0xEA, 0xEF, 0x66, 0xBC, 0xEB, 0x45, 0xA9}};
inline constexpr CLSID CLSID_dvDovrel = {0x4E451F8E, 0x7EFE, 0x4EB8, {0xBF, 0x93, 0xD3, 0x87, 0x6D, 0x22, 0x85, 0x18}};

// Public interfaces.
inline constexpr IID IID_IDay = {0x13121EAD, 0x42A0, 0x431D, {0xBA, 0x5B, 0x9A, 0x7B, 0x36, 0xD0, 0xE0, 0x09}};
inline constexpr IID IID_IDays = {0xAFC03C59, 0xE6D7, 0x4BE6, {0xB5, 0xEB, 0x54, 0xBC, 0x98, 0xFC, 0x63, 0x89}};
inline constexpr IID IID_IHLDYStyle = {0xC6D8C535, 0x2A71, 0x46B0, {0xB6, 0xCE, 0xD6, 0xB1, 0xDA, 0x51, 0x07, 0xBB}};
inline constexpr IID IID_IHLDYStyles = {0x003EC647, 0x056F, 0x4007, {0x8C, 0x99, 0x3E, 0xA4, 0x8C, 0xA3, 0xFE, 0xBC}};
inline constexpr IID IID_IDovrel = {0xA9AA6D28, 0xD76E, 0x45E7, {0xA3, 0x22, 0x9C, 0xA3, 0xDF, 0xE3, 0xCB, 0x3D}};

// Internal interfaces between the library's own objects (declared inside
// the library; hosts do not call them).
inline constexpr IID IID_IHLDYStyleApply = {0xC540D04C, 0x5903, 0x4EFF, {0xB7, 0xFE, 0xD9, 0x2C, 0xC8, 0xCA, 0x74, 0x79}};
inline constexpr IID IID_IHLDYStylesNotify = {0x39EBFB87, 0xA17A, 0x4B3F, {0xA9, 0xC5, 0xDC, 0xA6, 0xA8, 0x59, 0x61, 0x95}};

// Program identifiers (version-dependent) under which registration enters
// the classes; they are also the source of the classes' error information.
#define DOVREL_PROGID_DAY OLESTR("Qor.Dovrel_Day6.6")
#define DOVREL_PROGID_DAYS OLESTR("Qor.Dovrel_Days6.6")
#define DOVREL_PROGID_HOLIDAYSTYLE OLESTR("Qor.Dovrel_HLDYStyle6.6")
#define DOVREL_PROGID_HOLIDAYSTYLES OLESTR("Qor.Dovrel_HLDYStyles6.6")
#define DOVREL_PROGID_DOVREL OLESTR("Qor.Dovrel6.6")

// --- Interfaces (slot order after IDispatch's seven slots) ----------------------

struct IDay;
struct IDays;
struct IHLDYStyle;
struct IHLDYStyles;

// One holiday definition: a date or a range, yearly or one-off.
struct DECLSPEC_NOVTABLE IDay : public IDispatch {
  STDMETHOD(get_Date)(VARIANT* pVal) PURE;                     // dispid 1
  STDMETHOD(put_Date)(VARIANT newVal) PURE;                    // dispid 1
  STDMETHOD(get_Date2)(VARIANT* pVal) PURE;                    // dispid 2
  STDMETHOD(put_Date2)(VARIANT newVal) PURE;                   // dispid 2
  STDMETHOD(get_Key)(BSTR* pVal) PURE;                         // dispid 0 (default member)
  STDMETHOD(get_Name)(BSTR* pVal) PURE;                        // dispid 3
  STDMETHOD(put_Name)(BSTR newVal) PURE;                       // dispid 3
  STDMETHOD(get_Type)(dvDayTypeConst* pVal) PURE;              // dispid 4
  STDMETHOD(put_Type)(dvDayTypeConst newVal) PURE;             // dispid 4
};

// The keyed, ordered collection of Day objects of a style (1-based).
struct DECLSPEC_NOVTABLE IDays : public IDispatch {
  STDMETHOD(get__NewEnum)(IUnknown** pVal) PURE;               // dispid -4
  STDMETHOD(get_Count)(LONG* pVal) PURE;                       // dispid 1
  STDMETHOD(get_Item)(VARIANT Index, IDay** pVal) PURE;        // dispid 0 (default member)
  // Name and Date2 are optional (VT_ERROR with DISP_E_PARAMNOTFOUND when
  // omitted); Type defaults to dvTypeHoliday.
  STDMETHOD(Add)(BSTR Key, VARIANT Name, VARIANT Date, VARIANT Date2, dvDayTypeConst Type,
                 IDay** pVal) PURE;                            // dispid 2
  STDMETHOD(Clear)() PURE;                                     // dispid 3
  STDMETHOD(Remove)(VARIANT Index) PURE;                       // dispid 4
  STDMETHOD(_ReplaceKey)(LONG nIndex, BSTR szKey) PURE;        // dispid 5, restricted
};

// A named set of holiday definitions with its display attributes.
struct DECLSPEC_NOVTABLE IHLDYStyle : public IDispatch {
  STDMETHOD(get_BackColor)(OLE_COLOR* pVal) PURE;              // dispid 1
  STDMETHOD(put_BackColor)(OLE_COLOR newVal) PURE;             // dispid 1
  STDMETHOD(get_Bold)(VARIANT_BOOL* pVal) PURE;                // dispid 2
  STDMETHOD(put_Bold)(VARIANT_BOOL newVal) PURE;               // dispid 2
  STDMETHOD(get_Days)(IDays** pVal) PURE;                      // dispid 3
  STDMETHOD(get_ForeColor)(OLE_COLOR* pVal) PURE;              // dispid 4
  STDMETHOD(put_ForeColor)(OLE_COLOR newVal) PURE;             // dispid 4
  STDMETHOD(get_Key)(BSTR* pVal) PURE;                         // dispid 0 (default member)
  STDMETHOD(get_Name)(BSTR* pVal) PURE;                        // dispid 5
  STDMETHOD(put_Name)(BSTR newVal) PURE;                       // dispid 5
  STDMETHOD(get_Override)(dvOverrideConst* pVal) PURE;         // dispid 6
  STDMETHOD(put_Override)(dvOverrideConst newVal) PURE;        // dispid 6
  STDMETHOD(get_Parent)(IHLDYStyle** pVal) PURE;               // dispid 7
  STDMETHOD(put_Parent)(VARIANT newVal) PURE;                  // dispid 7
  STDMETHOD(putref_Parent)(IHLDYStyle* newVal) PURE;           // dispid 7
  STDMETHOD(get_Underline)(VARIANT_BOOL* pVal) PURE;           // dispid 8
  STDMETHOD(put_Underline)(VARIANT_BOOL newVal) PURE;          // dispid 8
};

// The keyed, ordered collection of styles (1-based).
struct DECLSPEC_NOVTABLE IHLDYStyles : public IDispatch {
  STDMETHOD(get__NewEnum)(IUnknown** pVal) PURE;                     // dispid -4
  STDMETHOD(get_Count)(LONG* pVal) PURE;                             // dispid 1
  STDMETHOD(get_Item)(VARIANT Index, IHLDYStyle** pVal) PURE;        // dispid 0 (default member)
  STDMETHOD(put_Item)(VARIANT Index, IHLDYStyle* newVal) PURE;       // dispid 0
  STDMETHOD(putref_Item)(VARIANT Index, IHLDYStyle* newVal) PURE;    // dispid 0
  // Index and Name are optional.
  STDMETHOD(Add)(VARIANT Index, BSTR Key, VARIANT Name, IHLDYStyle** pVal) PURE;          // dispid 2
  STDMETHOD(Clear)() PURE;                                                                // dispid 3
  STDMETHOD(Remove)(VARIANT Index) PURE;                                                  // dispid 4
  STDMETHOD(AddObj)(VARIANT Index, BSTR Key, IHLDYStyle* Obj, IHLDYStyle** pVal) PURE;    // dispid 5
  STDMETHOD(_ReplaceKey)(LONG nIndex, BSTR szKey) PURE;                                   // dispid 6, restricted
};

// The main object. Optional date arguments are VARIANTs; an omitted one
// (VT_ERROR, DISP_E_PARAMNOTFOUND) means the object's Value. Optional
// enumeration arguments default as noted.
struct DECLSPEC_NOVTABLE IDovrel : public IDispatch {
  STDMETHOD(get_HolidayStyles)(IHLDYStyles** pVal) PURE;                          // dispid 1
  STDMETHOD(get_UseStyles)(BSTR* pVal) PURE;                                      // dispid 2
  STDMETHOD(put_UseStyles)(BSTR newVal) PURE;                                     // dispid 2
  STDMETHOD(get_Value)(VARIANT* pVal) PURE;                                       // dispid 3
  STDMETHOD(put_Value)(VARIANT newVal) PURE;                                      // dispid 3
  STDMETHOD(get_ValueIsNull)(VARIANT_BOOL* pVal) PURE;                            // dispid 4
  STDMETHOD(get_ValueType)(dvValueTypeConst* pVal) PURE;                          // dispid 5
  STDMETHOD(get_Version)(BSTR* pVal) PURE;                                        // dispid 6
  STDMETHOD(get_WeekRests)(SHORT Index, dvWeekRestsConst* pVal) PURE;             // dispid 7
  STDMETHOD(put_WeekRests)(SHORT Index, dvWeekRestsConst newVal) PURE;            // dispid 7
  STDMETHOD(get_StartOfWeek)(dvWeekdayConst* pVal) PURE;                          // dispid 22
  STDMETHOD(put_StartOfWeek)(dvWeekdayConst newVal) PURE;                         // dispid 22
  STDMETHOD(AboutBox)() PURE;                                                     // dispid 8, hidden
  // Option defaults to dvNextWorkday.
  STDMETHOD(AdjustDate)(VARIANT Date, dvAdjustDateConst Option, VARIANT* pVal) PURE;                      // 9
  // Array receives a one-dimensional array of dates (VT_ARRAY | VT_VARIANT).
  STDMETHOD(DatesInRange)(VARIANT Date1, VARIANT Date2, VARIANT* Array, dvDateTypeConst Type, SHORT* pVal) PURE;  // 10
  STDMETHOD(DaysFromNow)(VARIANT Date, SHORT Days, dvDateTypeExConst Type, VARIANT* pVal) PURE;            // 11
  STDMETHOD(DaysInRange)(VARIANT Date1, VARIANT Date2, dvDateTypeConst Type, LONG* pVal) PURE;             // 12
  STDMETHOD(FirstInMonth)(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) PURE;                         // 13
  STDMETHOD(FirstInWeek)(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) PURE;                          // 14
  STDMETHOD(FirstInYear)(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) PURE;                          // 15
  STDMETHOD(IsDateInStyle)(VARIANT Date, IDay** Obj, dvIsDateInStyleConst Type, VARIANT_BOOL* pVal) PURE;  // 16
  STDMETHOD(LastInMonth)(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) PURE;                          // 17
  STDMETHOD(LastInWeek)(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) PURE;                           // 18
  STDMETHOD(LastInYear)(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) PURE;                           // 19
  STDMETHOD(NextDay)(VARIANT Date, dvDayNavConst Type, VARIANT* pVal) PURE;                                // 20
  STDMETHOD(PrevDay)(VARIANT Date, dvDayNavConst Type, VARIANT* pVal) PURE;                                // 21
};

// --- Entry points of the library ----------------------------------------------
// Exported by name; a host that loads the library at run time looks them up
// with these types (the first two as the platform's LPFNGETCLASSOBJECT and
// LPFNCANUNLOADNOW).
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
STDAPI DllCanUnloadNow(void);
STDAPI DllRegisterServer(void);
STDAPI DllUnregisterServer(void);
typedef HRESULT(STDAPICALLTYPE* DOVREL_PFN_DLLGETCLASSOBJECT)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(STDAPICALLTYPE* DOVREL_PFN_DLLCANUNLOADNOW)(void);
typedef HRESULT(STDAPICALLTYPE* DOVREL_PFN_DLLREGISTERSERVER)(void);
typedef HRESULT(STDAPICALLTYPE* DOVREL_PFN_DLLUNREGISTERSERVER)(void);

#ifndef _WIN32
// --- The automation services of a library loaded at run time (this platform) ---
// On Windows a host calls SysAllocString, VariantClear, GetErrorInfo, ... of
// the platform. Here they are functions of dovrel60's automation layer, and
// libdovrel60.so exports them: a host that loads the library with dlopen and
// links nothing of ours binds them once and calls them through the table,
//
//   void* library = dlopen("libdovrel60.so", RTLD_NOW | RTLD_LOCAL);
//   DovrelAutomationServices api;
//   if (!DovrelBindAutomationServices(library, &api)) ...;
//   BSTR key = api.SysAllocString(OLESTR("A"));
//
// so that host and library share one state: one error information per
// thread, one registry, one table of notification targets. Each function is
// looked up first where the library itself finds it (a host that links the
// layer and exports it provides them all), then in the library.
#include <dlfcn.h>

#include "automation/exported_services.h"
#include "automation/notify_target.h"

struct DovrelAutomationServices {
#define DOVREL_SERVICE_POINTER(name) decltype(&::name) name;
  AUTOMATION_HOST_SERVICES(DOVREL_SERVICE_POINTER)
#undef DOVREL_SERVICE_POINTER
};

// True when every function was found.
inline bool DovrelBindAutomationServices(void* library, DovrelAutomationServices* services) {
  bool complete = library && services;
  if (!complete) return false;
#define DOVREL_SERVICE_BIND(name)                                            \
  {                                                                          \
    void* found = dlsym(RTLD_DEFAULT, #name);                                \
    if (!found) found = dlsym(library, #name);                               \
    services->name = reinterpret_cast<decltype(&::name)>(found);            \
    complete = complete && found;                                            \
  }
  AUTOMATION_HOST_SERVICES(DOVREL_SERVICE_BIND)
#undef DOVREL_SERVICE_BIND
  return complete;
}
#endif
