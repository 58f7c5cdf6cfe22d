#include "raise_error.h"

namespace dovrel {
namespace {

// Any object of this library: its address tells which module we are, the
// same on Windows (the DLL) and here (libdovrel60.so or a test program).
const int moduleAnchor = 0;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&moduleAnchor), &module);
  return module;
}

}  // namespace

HRESULT RaiseError(REFCLSID clsid, UINT stringNumber, REFIID iid, HRESULT hr) {
  // The text is read as UTF-16 rather than through the ANSI code page: on a
  // system whose ANSI code page is not 932 the round trip would turn the
  // Japanese texts into question marks. Same 1024-byte buffer.
  OLECHAR description[512];
  if (LoadStringW(ThisModule(), stringNumber, description, 512) == 0) {
    static const OLECHAR unknown[] = OLESTR("Unknown Error");
    for (UINT i = 0; i < sizeof unknown / sizeof unknown[0]; ++i) description[i] = unknown[i];
  }

  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->SetGUID(iid);
    LPOLESTR progId = nullptr;
    if (SUCCEEDED(ProgIDFromCLSID(clsid, &progId))) {
      create->SetSource(progId);
      CoTaskMemFree(progId);
    }
    create->SetDescription(description);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  }
  return hr != 0 ? hr : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, stringNumber);
}

}  // namespace dovrel
