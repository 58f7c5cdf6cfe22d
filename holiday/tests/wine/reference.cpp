// What the Linux build says, for the Windows driver to compare with:
//   typelib.txt  the type library as this platform's dispatch describes it
//                (idlgen's tables), in the form of typelib_dump.h
//   days.bin     the scenario's Days collection, saved by IPersistStream
//   styles.bin   the scenario's HolidayStyles collection, saved likewise
//
//   wine_reference <output folder>
#include <cstdio>
#include <string>

#include "tests/wine/persist_scenario.h"
#include "tests/wine/typelib_dump.h"

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// The objects come from the module (server/) linked into this program, as a
// host gets them from the library.
template <typename T>
T* Create(const CLSID& clsid, const IID& iid) {
  IClassFactory* factory = nullptr;
  if (FAILED(DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
  T* object = nullptr;
  factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&object));
  factory->Release();
  return object;
}

std::string TypeLibraryText() {
  OLECHAR path[4096];
  DWORD n = GetModuleFileNameW(nullptr, path, 4096);
  if (n == 0 || n >= 4096) return "";
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(path, &library))) return "";
  std::string text = typelib_dump::Describe(library);
  library->Release();
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wine_reference <output folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  int failures = 0;
  auto fail = [&failures](const char* what) {
    std::fprintf(stderr, "wine_reference: %s\n", what);
    ++failures;
  };

  std::string typelib = TypeLibraryText();
  if (typelib.empty() || !WriteFile(folder + "/typelib.txt", typelib)) fail("cannot describe the type library");

  if (IDays* days = Create<IDays>(CLSID_Days, IID_IDays)) {
    std::string bytes;
    if (FAILED(persist_scenario::BuildDays(days)) || FAILED(persist_scenario::SaveToBytes(days, &bytes)) ||
        !WriteFile(folder + "/days.bin", bytes))
      fail("cannot save the Days scenario");
    days->Release();
  } else {
    fail("cannot create a Days collection");
  }

  if (IHLDYStyles* styles = Create<IHLDYStyles>(CLSID_HolidayStyles, IID_IHLDYStyles)) {
    std::string bytes;
    if (FAILED(persist_scenario::BuildStyles(styles)) || FAILED(persist_scenario::SaveToBytes(styles, &bytes)) ||
        !WriteFile(folder + "/styles.bin", bytes))
      fail("cannot save the HolidayStyles scenario");
    styles->Release();
  } else {
    fail("cannot create a HolidayStyles collection");
  }
  return failures == 0 ? 0 : 1;
}
