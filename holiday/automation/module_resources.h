// Layer extension (this platform only): resources linked into a module.
//
// On Windows the resource compiler puts string tables, version information,
// registrar scripts and type libraries into the DLL file. Here tools/rcgen
// turns the same .rc files into a C++ source that defines one
// AutomationModuleResources and registers it when the module is loaded, so
// that LoadString, FindResource and GetFileVersionInfo find them through the
// module's handle. Objects never include this header.
#pragma once

#include "automation/com.h"

#ifndef _WIN32

struct AutomationStringResource {
  UINT id;
  const char* text;  // code page 932, as LoadStringA hands it out
  UINT length;       // in bytes
};

struct AutomationResource {
  const char16_t* type;  // upper-case name, or null for an integer type
  WORD typeId;
  const char16_t* name;  // upper-case name, or null for an integer id
  WORD nameId;
  const BYTE* data;
  DWORD size;
};

struct AutomationModuleResources {
  const AutomationStringResource* strings;  // ascending ids
  UINT stringCount;
  const AutomationResource* resources;
  UINT resourceCount;
};

// The module a table belongs to is the one whose image holds the table.
EXTERN_C AUTOMATION_EXPORT void AutomationRegisterModuleResources(const AutomationModuleResources* table);
EXTERN_C AUTOMATION_EXPORT void AutomationUnregisterModuleResources(const AutomationModuleResources* table);

#endif
