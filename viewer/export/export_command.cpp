#include "export/export_command.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "common/utf.h"
#include "errors/err_info.h"
#include "export/display_export.h"
#include "export/table_export.h"
#include "export/terminal_text.h"
#include "check/check_report.h"
#include "display/load_csv_grid.h"
#include "lookup/database_location.h"
#include "platform/platform_path.h"
#include "reader/claim_reader.h"
#include "shell/program_help.h"

namespace pellora::exporting {
namespace {

constexpr std::string_view kUsage =
    "Usage: pellora-export [--ini PATH] [--db PATH] [--format json|csv|text] [--strict] CLAIMFILE\n"
    // One line, as help2man reads a form of the command for the manual page.
    "  or:  pellora-export [--ini PATH] [--db PATH] --format pdf --output FILE [--paper SIZE] "
    "[--orientation landscape|portrait] [--strict] CLAIMFILE\n"
    "  or:  pellora-export [--ini PATH] [--db PATH] --check [--format json|csv|text] CLAIMFILE\n"
    "  or:  pellora-export --db PATH --table NAME\n"
    "  or:  pellora-export --help | --version\n"
    "\n"
    "Shows a claim file as Pellora does, names from the provider's database\n"
    "included, and writes it to standard output, or as Pellora prints it to a\n"
    "PDF file; or checks every line of it against the exchange format and\n"
    "writes what it found with the month's amounts; or writes one table of\n"
    "the database, a JSON object per row.\n"
    "\n"
    "  --ini PATH     the settings file (default: velkar.ini beside the program,\n"
    "                 else in ~/.config/pellora/, else in /etc/pellora/)\n"
    "  --db PATH      the database file, instead of the one the settings name\n"
    "  --format json  one JSON object (the default)\n"
    "  --format csv   the display's columns, UTF-8 with a byte order mark\n"
    "  --format text  a table to read in the terminal\n"
    "  --format pdf   the pages as Pellora prints them, to the file --output names\n"
    "                 (on Windows PDF comes from printing: print from the window\n"
    "                 to Microsoft Print to PDF)\n"
    "  --output FILE  the PDF file, replaced whole or not at all\n"
    "  --paper SIZE   A3, A4, A5, B4, B5 (B4 and B5 the JIS sizes), Letter or\n"
    "                 Legal (default: A4)\n"
    "  --orientation landscape|portrait  (default: landscape)\n"
    "  --check        the claim check: every finding (エラー or 確認) and the\n"
    "                 month's amounts, as JSON (the default), CSV or text\n"
    "  --table NAME   every row of the table NAME of --db, as JSON lines\n"
    "  --strict       exit 3 when a warning was written\n"
    "\n"
    "What is wrong with the claim file or the database is written to standard\n"
    "error, a line 'pellora-export: warning: CODE: TEXT' each.\n"
    "\n"
    "Exit status: 0 shown (or checked without errors), 3 shown with warnings\n"
    "(--strict only) or checked with errors (--check), 2 the claim file (or the\n"
    "table) could not be read, 64 bad usage, 1 the output could not be written.\n";

using Writer = std::function<void(const ExportedClaim&, std::ostream&)>;

struct Options {
  std::optional<std::string> ini;
  std::optional<std::string> db;
  Writer write = WriteJson;
  std::optional<std::string> claimFile;
  std::optional<std::string> table;
  // --format pdf, and the file and paper it is written to.
  bool pdf = false;
  std::optional<std::string> output;
  print::PageSetup setup;
  bool setupGiven = false;
  bool formatGiven = false;
  std::string format = "json";
  bool check = false;
  bool help = false;
  bool version = false;
  bool strict = false;
};

std::optional<Writer> WriterFor(std::string_view format) {
  if (format == "json") return Writer(WriteJson);
  if (format == "csv") return Writer(WriteCsv);
  if (format == "text") return Writer(WriteText);
  return std::nullopt;
}

// The options, or nothing with `problem` saying what does not fit. Each
// option takes its value as the next argument or after "="; "--" ends the
// options, so that a claim file may begin with "-".
std::optional<Options> Parse(std::span<const std::string> arguments, std::string& problem) {
  Options options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (options.claimFile) {
        problem = "only one claim file can be shown";
        return std::nullopt;
      }
      options.claimFile = arg;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--version") {
      options.version = true;
      continue;
    }
    if (arg == "--check") {
      options.check = true;
      continue;
    }
    if (arg == "--strict") {
      options.strict = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (name != "--ini" && name != "--db" && name != "--format" && name != "--table" && name != "--output" &&
        name != "--paper" && name != "--orientation") {
      problem = "unknown option " + name;
      return std::nullopt;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      problem = name + " needs a value";
      return std::nullopt;
    }
    if (name == "--ini") options.ini = value;
    if (name == "--db") options.db = value;
    if (name == "--table") options.table = value;
    if (name == "--output") options.output = value;
    if (name == "--paper") {
      const std::optional<print::Paper> paper = print::PaperNamed(common::Utf8ToUtf16(value));
      if (!paper) {
        problem = "unknown paper " + value + " (A3, A4, A5, B4, B5, Letter or Legal)";
        return std::nullopt;
      }
      options.setup.paper = *paper;
      options.setupGiven = true;
    }
    if (name == "--orientation") {
      if (value != "landscape" && value != "portrait") {
        problem = "unknown orientation " + value + " (landscape or portrait)";
        return std::nullopt;
      }
      options.setup.orientation = value == "landscape" ? print::Orientation::Landscape : print::Orientation::Portrait;
      options.setupGiven = true;
    }
    if (name == "--format") {
      options.formatGiven = true;
      options.format = value;
      options.pdf = value == "pdf";
      if (options.pdf) continue;
      std::optional<Writer> writer = WriterFor(value);
      if (!writer) {
        problem = "unknown format " + value;
        return std::nullopt;
      }
      options.write = std::move(*writer);
    }
  }
  if (options.table && (!options.db || options.ini || options.claimFile || options.formatGiven)) {
    problem = "--table takes the database from --db, and nothing else";
    return std::nullopt;
  }
  if (options.check && (options.pdf || options.table)) {
    problem = "--check writes its report as json, csv or text to standard output";
    return std::nullopt;
  }
  if (options.pdf && !options.output && !options.help && !options.version) {
    problem = "--format pdf writes a file: name it with --output FILE (a PDF on the terminal is of no use)";
    return std::nullopt;
  }
  if (!options.pdf && (options.output || options.setupGiven)) {
    problem = "--output, --paper and --orientation go with --format pdf; the other formats go to standard output";
    return std::nullopt;
  }
  if (!options.claimFile && !options.table && !options.help && !options.version) {
    problem = "no claim file given";
    return std::nullopt;
  }
  return options;
}

// The window's message boxes for a terminal: each message on its own line
// on standard error.
class Warnings {
 public:
  explicit Warnings(std::ostream& err) : err_(err) {}
  void Write(std::string_view code, std::u16string_view text) {
    err_ << "pellora-export: warning: " << code << ": " << Utf8(text) << '\n';
    ++written_;
  }
  int written() const { return written_; }

 private:
  std::ostream& err_;
  int written_ = 0;
};

// The texts name no path: the user gave it, and a text that stays the same
// wherever the files lie is one a script can match whole.
constexpr std::u16string_view kDatabaseUnusable = u"データベースを開けません。事業所名と氏名は照合できません。";
constexpr std::u16string_view kSettingsUnusable = u"設定ファイルを読み込めません。既定のデータベース data.qdr を使います。";

// Where the program writes no PDF itself (on Windows), the way to one.
constexpr std::string_view kPdfThroughPrinting =
    "pellora-export: Windows では PDF は印刷で作ります。Pellora のウィンドウの「印刷...」で"
    "「Microsoft Print to PDF」に印刷してください。\n"
    "pellora-export: on Windows PDF comes through printing: print from Pellora's window (印刷...) to "
    "\"Microsoft Print to PDF\".\n";

// Whether two paths (UTF-8) name one file; false when either does not
// exist.
bool SameFile(const std::string& a, const std::string& b) {
  const auto path = [](const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); };
  std::error_code error;
  return std::filesystem::equivalent(path(a), path(b), error);
}

}  // namespace

int RunExport(std::span<const std::string> arguments, std::ostream& out, std::ostream& err, const PdfWriter& writePdf) {
  std::string problem;
  const std::optional<Options> options = Parse(arguments, problem);
  if (!options) {
    err << "pellora-export: " << problem << "\n" << kUsage.substr(0, kUsage.find('\n') + 1)
        << "Try 'pellora-export --help' for more information.\n";
    return kExitUsage;
  }
  if (options->help) {
    out << kUsage;
    return out.flush() ? kExitShown : kExitOutputFailed;
  }
  if (options->version) {
    out << "pellora-export " << ProgramVersion() << "\n";
    return out.flush() ? kExitShown : kExitOutputFailed;
  }
  if (options->table) return WriteTableLines(common::Utf8ToUtf16(*options->db), *options->table, out, err);
  if (options->pdf && !writePdf) {
    err << kPdfThroughPrinting;
    return kExitUsage;
  }
  if (options->pdf && SameFile(*options->output, *options->claimFile)) {
    err << "pellora-export: --output names the claim file itself, which is never replaced\n";
    return kExitUsage;
  }

  Warnings warnings(err);
  // The database as the window's database box shows it.
  std::u16string database;
  NameDatabase names;
  if (options->db) {
    // A database named on the command line, used as the database dialog
    // uses the one the user names.
    database = common::Utf8ToUtf16(*options->db);
    names = {CheckDatabase(database), database};
    if (!names.found) warnings.Write("db-unusable", kDatabaseUnusable);
  } else {
    const std::u16string programFolder = ExecutableFolder();
    const SettingsFolders folders = ConfigurationFolders("pellora");
    const std::u16string ini = options->ini ? common::Utf8ToUtf16(*options->ini)
                                            : DefaultIniFileName(programFolder, folders.then, folders.first);
    // Only a settings file or database asked for is a warning: without
    // --ini, a missing velkar.ini or data.qdr is how a machine without a
    // database runs.
    const Setting setting = DatabaseSetting(ini, programFolder);
    database = ShownDatabasePath(setting.value);
    names = {CheckDatabase(setting.value), setting.value};
    if (options->ini && setting.from == Setting::From::Unreadable) warnings.Write("ini-unusable", kSettingsUnusable);
    if (options->ini && !names.found) warnings.Write("db-unusable", kDatabaseUnusable);
  }
  if (!names.found) names.path.clear();

  auto claim = std::make_shared<ClaimView>();
  try {
    ReadClaim(common::Utf8ToUtf16(*options->claimFile), names, *claim);
  } catch (...) {
    err << Utf8(ErrText(CurrentErr())) << '\n';
    return kExitClaimFileFailed;
  }
  // A file that could not be read (or read to its end) is told as the
  // window tells it; a partial display is not passed off as the file.
  if (const std::optional<RecordFile::Failure>& failure = claim->records.file().failure()) {
    err << Utf8(LoadFailureMessageOf(*failure).text) << '\n';
    return kExitClaimFileFailed;
  }
  for (const FileWarning& warning : claim->warnings) warnings.Write(warning.code, warning.text);

  if (options->check) {
    const check::Report& report = *claim->check;
    if (options->format == "csv") out << check::ReportCsv(report);
    else if (options->format == "text") out << check::ReportText(report);
    else out << check::ReportJson(report);
    if (!out.flush()) {
      err << "pellora-export: the output could not be written\n";
      return kExitOutputFailed;
    }
    return report.errors > 0 ? kExitShownWithWarnings : kExitShown;
  }
  if (options->pdf) {
    if (const std::optional<std::string> failure = writePdf(claim, options->setup, *options->output)) {
      err << "pellora-export: " << *options->output << " could not be written: " << *failure << '\n';
      return kExitOutputFailed;
    }
  } else {
    options->write({*claim, database, names.found}, out);
  }
  if (!out.flush()) {
    err << "pellora-export: the output could not be written\n";
    return kExitOutputFailed;
  }
  return options->strict && warnings.written() > 0 ? kExitShownWithWarnings : kExitShown;
}

}  // namespace pellora::exporting
