// Layer extension (this platform only): the layer's C functions, as a list.
//
// libdovrel60.so exports exactly these and its four entry points (the
// version script is made from this file), so that a process has one copy of
// the layer's state: one error information per thread, one registry cache,
// one table of resources, type libraries and notification targets. A host
// that links the layer itself and exports it (-rdynamic) interposes all of
// them at once; a host that does not finds them in the library
// (DovrelBindAutomationServices in dovrel60.h). Keep one name per line: the
// build reads the names from here.
#pragma once

// What a host calls: everything of portable/api.h and notify_target.h.
#define AUTOMATION_HOST_SERVICES(X) \
  X(CoTaskMemAlloc) \
  X(CoTaskMemRealloc) \
  X(CoTaskMemFree) \
  X(CoInitialize) \
  X(CoInitializeEx) \
  X(CoUninitialize) \
  X(StringFromGUID2) \
  X(StringFromCLSID) \
  X(StringFromIID) \
  X(CLSIDFromString) \
  X(IIDFromString) \
  X(ProgIDFromCLSID) \
  X(CLSIDFromProgID) \
  X(SysAllocString) \
  X(SysAllocStringLen) \
  X(SysAllocStringByteLen) \
  X(SysReAllocString) \
  X(SysReAllocStringLen) \
  X(SysFreeString) \
  X(SysStringLen) \
  X(SysStringByteLen) \
  X(VariantInit) \
  X(VariantClear) \
  X(VariantCopy) \
  X(VariantCopyInd) \
  X(VariantChangeType) \
  X(VariantChangeTypeEx) \
  X(SafeArrayCreate) \
  X(SafeArrayCreateVector) \
  X(SafeArrayDestroy) \
  X(SafeArrayCopy) \
  X(SafeArrayGetDim) \
  X(SafeArrayGetElemsize) \
  X(SafeArrayGetVartype) \
  X(SafeArrayGetLBound) \
  X(SafeArrayGetUBound) \
  X(SafeArrayLock) \
  X(SafeArrayUnlock) \
  X(SafeArrayAccessData) \
  X(SafeArrayUnaccessData) \
  X(SafeArrayPtrOfIndex) \
  X(SafeArrayGetElement) \
  X(SafeArrayPutElement) \
  X(CreateErrorInfo) \
  X(SetErrorInfo) \
  X(GetErrorInfo) \
  X(GetLastError) \
  X(SetLastError) \
  X(lstrlenW) \
  X(MultiByteToWideChar) \
  X(WideCharToMultiByte) \
  X(RegCreateKeyExW) \
  X(RegOpenKeyExW) \
  X(RegCloseKey) \
  X(RegSetValueExW) \
  X(RegQueryValueExW) \
  X(RegDeleteValueW) \
  X(RegDeleteKeyW) \
  X(RegDeleteTreeW) \
  X(RegEnumKeyExW) \
  X(RegEnumValueW) \
  X(RegQueryInfoKeyW) \
  X(GetModuleHandleW) \
  X(GetModuleHandleExW) \
  X(GetModuleFileNameW) \
  X(GetModuleFileNameA) \
  X(LoadStringW) \
  X(LoadStringA) \
  X(FindResourceW) \
  X(LoadResource) \
  X(LockResource) \
  X(SizeofResource) \
  X(FreeResource) \
  X(GetFileVersionInfoSizeW) \
  X(GetFileVersionInfoW) \
  X(VerQueryValueW) \
  X(LoadTypeLib) \
  X(LoadTypeLibEx) \
  X(LoadRegTypeLib) \
  X(QueryPathOfRegTypeLib) \
  X(RegisterTypeLib) \
  X(UnRegisterTypeLib) \
  X(LoadLibraryW) \
  X(GetProcAddress) \
  X(FreeLibrary) \
  X(ShellExecuteW) \
  X(GetLocalTime) \
  X(GetLocaleInfoW) \
  X(GetLocaleInfoA) \
  X(IsWindow) \
  X(SendMessageW) \
  X(GlobalAlloc) \
  X(GlobalReAlloc) \
  X(GlobalFree) \
  X(GlobalLock) \
  X(GlobalUnlock) \
  X(GlobalSize) \
  X(CreateStreamOnHGlobal) \
  X(GetHGlobalFromStream) \
  X(SHCreateMemStream) \
  X(SHCreateStreamOnFileEx) \
  X(SHCreateStreamOnFileW) \
  X(CreateNotificationTarget) \
  X(DestroyNotificationTarget)

// What the generated resource and type-library tables call when their module
// is loaded and unloaded.
#define AUTOMATION_MODULE_HOOKS(X) \
  X(AutomationRegisterModuleResources) \
  X(AutomationUnregisterModuleResources) \
  X(AutomationRegisterTypeLibrary) \
  X(AutomationUnregisterTypeLibrary)
