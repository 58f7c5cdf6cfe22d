#pragma once
// The command pellora-export: a claim file read as the window reads it
// (reader/claim_reader.h), without a window, and written to standard
// output, or as the window prints it to a PDF file.
//
//   pellora-export [--ini PATH] [--db PATH] [--format json|csv|text] [--strict] CLAIMFILE
//   pellora-export [--ini PATH] [--db PATH] --format pdf --output FILE [--paper SIZE]
//                  [--orientation landscape|portrait] [--strict] CLAIMFILE
//
// The database is found as Pellora's start-up finds it: from the settings
// file (--ini, else velkar.ini in the program's folder, the user's or the
// machine's configuration folder) or data.qdr in the program's folder;
// --db names it directly. What is wrong with the claim file (the window's
// warnings after a display) and a --db or --ini that cannot be used are
// written to standard error as "pellora-export: warning: CODE: TEXT".
// Exit status: 0 when the file was shown and written, warnings or not; 3
// instead with --strict when a warning was written; 2 when the claim file could not be read or shown (its
// "number:description" on standard error, nothing on standard output); 64
// for a command line that does not fit the usage (and for --format pdf
// where the program writes no PDF); 1 when the output could not be
// written.

#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "claim/claim_view.h"
#include "print/pages.h"

namespace pellora::exporting {

inline constexpr int kExitShown = 0;
inline constexpr int kExitOutputFailed = 1;
inline constexpr int kExitClaimFileFailed = 2;
inline constexpr int kExitShownWithWarnings = 3;  // --strict
inline constexpr int kExitUsage = 64;  // EX_USAGE, as the BSD tools say it

// Writes the display of `claim` as its pages on the paper of `setup` to the
// PDF file `path` (UTF-8), whole or not at all; returns nothing, or what
// went wrong. The program of a platform that writes PDF files hands it in
// (Linux's, with Qt); the command itself stays free of any toolkit, so that
// the Windows program, whose PDF comes from printing to Microsoft Print to
// PDF, builds without one.
using PdfWriter = std::function<std::optional<std::string>(std::shared_ptr<const ClaimView> claim,
                                                           const print::PageSetup& setup, const std::string& path)>;

// Runs the command on its arguments (without the program's name); without
// `writePdf`, --format pdf says where PDF files come from instead.
int RunExport(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
              const PdfWriter& writePdf = {});

}  // namespace pellora::exporting
