// idlgen: the IDL of a type library, compiled for this platform.
//
//   idlgen --source out.cpp --header out.h --include public.h in.idl
//   idlgen --cp932 in.idl -o out.idl
//   idlgen --reference out.md --notes notes.txt [--appendix appendix.md] in.idl
//
// On Windows widl or MIDL compiles an .idl file into a type library that
// oleaut32 reads. Here the first form writes a C++ source with the tables of
// holiday/automation/type_library.h and one invoke thunk per member, checked
// at compile time against the interfaces of public.h (table_writer.h). The
// second form writes the code page 932 copy that widl compiles on Windows
// (widl_copy.h). The third writes the member reference from the IDL and a
// side file of notes, with chapters of Markdown after it (reference_writer.h). Outputs are rewritten only when they change.
#include <iostream>
#include <string>

#include "idlgen/parser.h"
#include "idlgen/reference_writer.h"
#include "idlgen/table_writer.h"
#include "idlgen/widl_copy.h"
#include "tool_support/files.h"

namespace {

int Usage() {
  std::cerr << "usage: idlgen --source out.cpp --header out.h --include public.h in.idl\n"
               "       idlgen --cp932 in.idl -o out.idl\n"
               "       idlgen --reference out.md --notes notes.txt [--appendix appendix.md] in.idl\n";
  return 2;
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace

int main(int argc, char** argv) {
  std::string source, header, include, input, output, reference, notes, appendix;
  bool cp932 = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--source" && i + 1 < argc) source = argv[++i];
    else if (arg == "--header" && i + 1 < argc) header = argv[++i];
    else if (arg == "--include" && i + 1 < argc) include = argv[++i];
    else if (arg == "-o" && i + 1 < argc) output = argv[++i];
    else if (arg == "--reference" && i + 1 < argc) reference = argv[++i];
    else if (arg == "--notes" && i + 1 < argc) notes = argv[++i];
    else if (arg == "--appendix" && i + 1 < argc) appendix = argv[++i];
    else if (arg == "--cp932") cp932 = true;
    else if (input.empty() && arg[0] != '-') input = arg;
    else return Usage();
  }
  try {
    if (input.empty()) return Usage();
    std::string text = tool_support::ReadFile(input);
    if (cp932) {
      if (output.empty()) return Usage();
      tool_support::WriteIfChanged(output, idlgen::ToCp932ForWidl(text));
      return 0;
    }
    if (!reference.empty()) {
      if (notes.empty()) return Usage();
      tool_support::WriteIfChanged(
          reference, idlgen::ReferenceMarkdown(idlgen::Parse(text, input), tool_support::ReadFile(notes),
                                               FileName(input), FileName(notes),
                                               appendix.empty() ? std::string() : tool_support::ReadFile(appendix),
                                               appendix.empty() ? std::string() : FileName(appendix)));
      return 0;
    }
    if (source.empty() || header.empty() || include.empty()) return Usage();
    idlgen::TableWriter writer(idlgen::Parse(text, input));
    std::string headerName = FileName(header);
    tool_support::WriteIfChanged(header, writer.Header());
    tool_support::WriteIfChanged(source, writer.Source(include, headerName));
  } catch (const std::exception& e) {
    std::cerr << "idlgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
