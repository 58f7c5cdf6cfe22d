#include "holidaygen/styles_file.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "definitions/holiday_styles.h"
#include "frame/com_object.h"
#include "japan/holiday_style.h"

namespace holidaygen {
namespace {

void Check(HRESULT hr, const char* step) {
  if (SUCCEEDED(hr)) return;
  char text[96];
  std::snprintf(text, sizeof text, "%s failed with 0x%08X", step, static_cast<unsigned>(hr));
  throw std::runtime_error(text);
}

// The class identifier as a host on Windows writes the GUID in front of the
// stream: its first three fields little-endian, whatever this machine is.
std::string ClassIdBytes(const CLSID& clsid) {
  std::string bytes;
  const auto put = [&bytes](std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes += static_cast<char>(value >> (8 * i));
  };
  put(clsid.Data1, 4);
  put(clsid.Data2, 2);
  put(clsid.Data3, 2);
  for (unsigned char byte : clsid.Data4) bytes += static_cast<char>(byte);
  return bytes;
}

// What a memory stream holds from its start to where it stands.
std::string WrittenBytes(IStream* stream) {
  ULARGE_INTEGER end{};
  Check(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end), "IStream::Seek");
  HGLOBAL memory = nullptr;
  Check(GetHGlobalFromStream(stream, &memory), "GetHGlobalFromStream");
  const auto* data = static_cast<const char*>(GlobalLock(memory));
  if (!data) throw std::runtime_error("GlobalLock failed");
  std::string bytes(data, static_cast<std::size_t>(end.QuadPart));
  GlobalUnlock(memory);
  return bytes;
}

}  // namespace

std::string StylesFile() {
  using namespace dovrel60::japan;
  dovrel::ComPtr<IHLDYStyles> styles;
  Check(dovrel::CreateHolidayStyles(nullptr, IID_IHLDYStyles, reinterpret_cast<void**>(styles.Receive())),
        "creating HolidayStyles");

  VARIANT omitted, name;
  omitted.vt = VT_ERROR;
  omitted.scode = DISP_E_PARAMNOTFOUND;
  name.vt = VT_BSTR;
  name.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(kStyleName.data()),
                                   static_cast<UINT>(kStyleName.size()));
  BSTR key = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(kStyleKey.data()), static_cast<UINT>(kStyleKey.size()));
  dovrel::ComPtr<IHLDYStyle> style;
  const HRESULT added = key && name.bstrVal ? styles->Add(omitted, key, name, style.Receive()) : E_OUTOFMEMORY;
  SysFreeString(key);
  VariantClear(&name);
  Check(added, "HolidayStyles::Add");
  Check(AddJapaneseHolidays(style.Get(), kFirstYear, kLastYear), "AddJapaneseHolidays");

  dovrel::ComPtr<IPersistStream> persist;
  Check(styles->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.Receive())),
        "HolidayStyles::QueryInterface(IPersistStream)");
  CLSID clsid;
  Check(persist->GetClassID(&clsid), "IPersistStream::GetClassID");
  dovrel::ComPtr<IStream> stream;
  Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()), "CreateStreamOnHGlobal");
  Check(persist->Save(stream.Get(), TRUE), "IPersistStream::Save");
  return ClassIdBytes(clsid) + WrittenBytes(stream.Get());
}

}  // namespace holidaygen
