// The member reference written for data/sample.idl: what it reads from the
// IDL (signatures, optional arguments and defaults, directions, property
// accessors) and the notes it refuses.
#include "idlgen/reference_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "idlgen/parser.h"
#include "tool_support/files.h"
#include "tool_support/testing.h"

namespace {

idlgen::Description Sample() { return idlgen::Parse(tool_support::ReadFile(SAMPLE_IDL), "sample.idl"); }

// Notes for every entry the sample needs.
const std::string kNotes =
    "# a comment\n"
    "[SampleLib]\nThe sample.\n"
    "[IItem]\nAn item.\n"
    "[IItem.Name]\nIts name.\nerrors: none\n"
    "[IAll]\nEverything.\n"
    "[IAll._NewEnum]\nFor Each.\nerrors: none\n"
    "[IAll.Colour]\nA colour.\nerrors: 0x800A017C (380): not a colour\n"
    "[IAll.Item]\nSet only.\nerrors: none\n"
    "[IAll.Add]\nHidden, so no example.\nerrors: 0x800A0005 (5)\n"
    "[IAll.Find]\nFinds.\n\nA second paragraph.\nerrors: 0x800A0005 (5): a bad Limit\nerrors: 0x800A0007 (7)\n"
    "example: found = all.Find(item, where)\n"
    "[IAll.Kind]\nThe kind.\nerrors: 0x800A0202 (514)\n"
    "[IAll.Clear]\nClears.\nerrors: none\n"
    "[IAll.Count]\nCounts.\nerrors: none\nexample: n = all.Count(1, days)\n"
    "[tKind]\nKinds.\n"
    "[tKind.tNext]\nThe next one.\n";

std::string Reference(const std::string& notes) {
  return idlgen::ReferenceMarkdown(Sample(), notes, "sample.idl", "notes.txt");
}

TEST(IdlgenReferenceWriter, WhatTheIdlSays) {
  const std::string text = Reference(kNotes);
  const char* expected[] = {
      "# SampleLib: member reference",
      // Optional arguments in brackets with their defaults, the result.
      "`Add([Date As Variant], [Kind As tKind = tNext], Count As Integer) As IItem`",
      "Method, hidden, restricted (not for scripts), dispid 3",
      "- `Kind`: tKind, optional, default `tNext (1)`",
      "- `Limit`: Long, optional, default `-1`",
      // Directions of out and in-out arguments.
      "- `Obj`: IItem, in and out",
      "- `Found`: Variant, out",
      // A property: the index argument, the accessors, what is assigned.
      "`Kind(Index As Integer) As tKind`",
      "Property, read and write, dispid 5",
      "- the value assigned: tKind",
      "Property, write only (Set)",
      "- the value assigned with Set: IItem",
      "dispid 1, help context 24201.\n",
      "Help string: \"名前\"",
      // The notes: paragraphs, errors one a line, the example.
      "Finds.\n\nA second paragraph.",
      "- 0x800A0005 (5): a bad Limit\n- 0x800A0007 (7)\n",
      "Example: `found = all.Find(item, where)`",
      "| `tNext` | 1 | The next one. |",
      "| `tAll` | -1 |  |",
  };
  for (const char* part : expected) EXPECT_NE(text.find(part), std::string::npos) << part << "\n---\n" << text;
  // From the main object down: the coclass listed last first.
  EXPECT_LT(text.find("## IAll"), text.find("## IItem"));
}

TEST(IdlgenReferenceWriter, RefusesNotesThatAreIncompleteOrNameNothing) {
  auto without = [](const std::string& entry) {
    std::string notes = kNotes;
    const auto at = notes.find(entry);
    return notes.erase(at, notes.find('[', at + 1) - at);
  };
  struct Case {
    std::string notes, message;
  } cases[] = {
      {without("[IAll.Clear]"), "notes.txt: [IAll.Clear] is not described"},
      {without("[tKind]\n"), "notes.txt: [tKind] is not described"},
      {kNotes + "[IAll.Gone]\nOld.\nerrors: none\n", "notes.txt: [IAll.Gone] names nothing of the library"},
      {kNotes + "[tKind.tGone]\nOld.\n", "notes.txt: [tKind.tGone] names nothing of the library"},
      {kNotes + "[IItem]\nAgain.\n", "notes.txt:44: [IItem] is described twice"},
      {"stray\n" + kNotes, "notes.txt:1: text before the first [entry]"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tool_support::MessageOf([&] { Reference(c.notes); }), c.message) << c.notes;

  std::string noErrors = kNotes, noExample = kNotes;
  noErrors.replace(noErrors.find("[IAll.Clear]\nClears.\nerrors: none\n"), 34, "[IAll.Clear]\nClears.\n");
  EXPECT_EQ(tool_support::MessageOf([&] { Reference(noErrors); }), "notes.txt: [IAll.Clear] has no errors: line");
  noExample.erase(noExample.find("example: n = "), 29);
  EXPECT_EQ(tool_support::MessageOf([&] { Reference(noExample); }), "notes.txt: [IAll.Count] has no example: line");
}

// Chapters after the enumerations, as written, linked from the top.
TEST(IdlgenReferenceWriter, AnAppendixComesLastAsWritten) {
  const std::string appendix =
      "## Recipes\n\n```vb\n## not a heading\nn = all.Count(1, days)   ' 2\n```\n\n## Worksheet functions\n\nText.\n";
  const std::string text =
      idlgen::ReferenceMarkdown(Sample(), kNotes, "sample.idl", "notes.txt", appendix, "recipes.md");
  EXPECT_EQ(text.substr(text.size() - appendix.size()), appendix);
  EXPECT_NE(text.find("; [enumerations](#enumerations); [recipes](#recipes); [worksheet functions](#worksheet-functions).\n"),
            std::string::npos);
  EXPECT_NE(text.find("from sample.idl and notes.txt, with recipes.md at the end"), std::string::npos);
  EXPECT_EQ(tool_support::MessageOf([&] { idlgen::ReferenceMarkdown(Sample(), kNotes, "s", "n", "Text\n", "r.md"); }),
            "r.md:1: the appendix does not start with a heading ## ...");
}

}  // namespace
