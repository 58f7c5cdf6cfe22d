#pragma once
// The member reference of a type library, in Markdown: every interface of
// the library with every member (its kind, dispatch identifier, arguments
// with their types, which are optional and their defaults, the result, the
// help string), and every enumeration with its values, all read from the
// IDL. What the IDL cannot say comes from a side file of notes keyed by
// name:
//
//   [IDovrel]                  what an interface is for
//   [IDovrel.NextDay]          what a member does (a property's get and put
//                              share one entry), then lines
//   errors: 0x800A0005 ...     the failures it can return, one a line
//   example: cal.NextDay(...)  a one-line example
//   [dvValueTypeConst]         what an enumeration is for
//   [dvValueTypeConst.dvValueWeekend]   what one value means (optional)
//
// Lines starting with # are comments. The notes must be complete: every
// interface, member and enumeration of the library has its entry, every
// member at least one errors: line ("errors: none" when it cannot fail),
// every method that returns a value and is not hidden an example; and no
// entry names what the library does not have. So a member added to the IDL
// stops the build until it is described, and the reference never drifts
// from the type library.

#include <string>

#include "idlgen/description.h"

namespace idlgen {

// `idlName` and `notesName` name the two sources in the reference's head.
// Fails, naming the entry, for notes that are incomplete or name what the
// library lacks, and for what LibraryTypes refuses.
//
// An appendix is Markdown of chapters the IDL has nothing to do with (how
// the members work together), put after the enumerations as it is; its
// first line must be a heading "## ...". The list of the reference's parts
// at its top links to each chapter, and the head names its file too.
std::string ReferenceMarkdown(const Description& d, const std::string& notes, const std::string& idlName,
                              const std::string& notesName, const std::string& appendix = {},
                              const std::string& appendixName = {});

}  // namespace idlgen
