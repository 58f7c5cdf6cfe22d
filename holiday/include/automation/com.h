// The one include for dovrel60's objects and for hosts: the COM and OLE
// Automation names of the platform. On Windows these are the platform's own
// headers and nothing of ours; elsewhere the declarations of portable/, which
// the automation layer (holiday/automation) implements, provide the same
// names, values and layouts.
//
// Write string literals as OLESTR("..."): OLECHAR is wchar_t on Windows and
// char16_t here.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#include <shlwapi.h>
#include <winver.h>
#else
#include "automation/portable/api.h"
#include "automation/portable/critical_section.h"
#endif
