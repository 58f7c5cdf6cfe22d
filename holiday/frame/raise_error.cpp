#include "frame/raise_error.h"

#include "frame/this_module.h"

namespace dovrel {

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
