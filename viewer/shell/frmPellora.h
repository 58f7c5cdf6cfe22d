#pragma once
// frmPellora: Pellora's main window as a plain object. It owns its controls
// (labels as text and colour, the four grids as grid models), the claim on
// display as data (Claim(), claim/claim_view.h) and its routines. A view
// reads the controls to draw them and calls the routines with the user's
// gestures; it changes nothing else, so every routine runs without a
// screen.
//
// A claim file is read by ReadClaim (reader/claim_reader.h), which makes
// the claim with its names; the steps of display/ then draw the labels,
// grids and colours from it. Nothing reads a fact back from a control: the
// path travels as a value and the label only shows it.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/check.h"
#include "claim/claim_view.h"
#include "controls/controls.h"
#include "controls/message_boxes.h"
#include "grid/flex_grid.h"
#include "lookup/database_location.h"
#include "print/pages.h"
#include "shell/common_dialog.h"
#include "shell/frmSetDBname.h"
#include "shell/window_design.h"

namespace pellora {

class frmPellora {
 public:
  static constexpr std::u16string_view kTitle = u"給付管理／介護報酬請求 CSVファイルビューア";
  // The title of the boxes that report a start-up failure.
  static constexpr std::u16string_view kErrorTitle = u"エラーメッセージ";

  // Where the program runs: its command line's arguments as one text, its
  // own folder (the executable's, unless a test puts the program somewhere
  // else: velkar.ini and the default data.qdr live here), and the folders
  // where velkar.ini is looked for besides, after the program's and before
  // it (platform/platform_path.h).
  struct Environment {
    std::u16string commandLine;
    std::u16string programFolder;
    std::vector<std::u16string> settingsFolders;
    std::vector<std::u16string> settingsFoldersFirst;
    // This program's, started with `commandLine`.
    static Environment OfThisProgram(std::u16string commandLine = {});
  };

  // What a view lends the window while it shows it: the platform's file
  // dialogs, where the database dialog is shown, and what to do when the
  // window closes. Without them every dialog answers as if cancelled.
  struct Platform {
    FileDialogs* fileDialogs = nullptr;
    ModalDialogs* dialogs = nullptr;
    std::function<void()> onUnload;
  };

  // The window as designed, before start-up: the message boxes are where its
  // routines report to the user.
  frmPellora(MessageBoxes& messageBoxes, Environment environment);
  frmPellora(const frmPellora&) = delete;
  frmPellora& operator=(const frmPellora&) = delete;

  void Attach(Platform platform);
  void Detach() { Attach({}); }

  // ---- What a view draws: the controls, read only ----

  // The window title.
  const std::u16string& Caption() const { return Caption_; }
  // The header: lblHead(1) the file kind, (0) its year-month, (2) the
  // provider number, (3) the provider name; lblHeadCaption(i) the caption
  // beside each ((0) changes with the file kind).
  const Label& lblHead(int index) const { return lblHead_.at(static_cast<std::size_t>(index)); }
  const Label& lblHeadCaption(int index) const { return lblHeadCaption_.at(static_cast<std::size_t>(index)); }
  // The path of the claim file on display: shown, never read back.
  const Label& lblCsvFname() const { return lblCsvFname_; }
  // The settings file's path (0) and the database's path (1), each coloured
  // by what became of it.
  const TextBox& lblDBname(int index) const { return lblDBname_.at(static_cast<std::size_t>(index)); }

  const FlexGrid& vsfCsv() const { return vsfCsv_; }        // raw record grid, hidden: one line per row
  const FlexGrid& vsfSort() const { return vsfSort_; }      // sort grid, hidden: one row per service record
  const FlexGrid& vsfViewer() const { return vsfViewer_; }  // display grid: one row per person and month
  const FlexGrid& vsfTotal() const { return vsfTotal_; }    // totals grid: one row per service month

  // The open-file dialog of the file choice, and the save's.
  const CommonDialog& CommonDialog1() const { return CommonDialog1_; }
  const CommonDialog& SaveDialog1() const { return SaveDialog1_; }

  // The label, text box or grid a control of the design is (nothing when
  // it is of another kind): what a view draws for it. A grid view moves the
  // grid's current cell and selection with the user's clicks and keys, so
  // it has the grid itself.
  const Label* LabelOf(MainControl control) const;
  const TextBox* TextBoxOf(MainControl control) const;
  const FlexGrid* GridOf(MainControl control) const;
  FlexGrid* GridOf(MainControl control);

  // The status line under the boxes: while a claim with warnings (or with
  // errors the check found) is on display, one line says so; while no
  // database opens, what the clerk can do about it. Its tool tip has the
  // whole text, which the line may cut.
  const Label& lblStatus() const { return lblStatus_; }
  // What the status line says of `claim`: its first warning and how many
  // more, and the check's errors; "" for a claim without either.
  static std::u16string ClaimStatus(const ClaimView& claim);

  // Which controls show: the debug controls only in debug mode.
  bool IsVisible(MainControl control) const { return Visible_[static_cast<std::size_t>(control)]; }
  // The outer size on the design's desktop, in twips (the design size
  // until start-up decides): where the window's smallest client area
  // starts from.
  TwipsSize Size() const { return Size_; }
  // The window's smallest client area and where its controls go in a
  // larger one (shell/window_design.h), for the controls shown now.
  MainLayout Layout() const;
  // The window has been closed: the program ends.
  bool Unloaded() const { return Unloaded_; }

  // ---- State shared by start-up, the look-ups and the file choice ----

  // The database file exists and opened as a database when it was last
  // tested; DBPath is its path, and "" whenever DBFound is false.
  bool DBFound() const { return DBFound_; }
  const std::u16string& DBPath() const { return DBPath_; }
  // The folder in which the open-file dialog starts.
  const std::u16string& LastFolder() const { return LastFolder_; }
  // The command line began with the debug switch: the hidden grids show.
  bool DebugMode() const { return DebugMode_; }
  // The claim file named on the command line; "" if none.
  const std::u16string& CmdFileName() const { return CmdFileName_; }
  // The database path last used or typed: what the database dialog offers
  // to edit, never a status text that the database box may show instead.
  const std::u16string& LastDBInput() const { return LastDBInput_; }
  // What start-up found of the settings file (lookup/database_location.h);
  // its box's colour says the same.
  Setting::From SettingsRead() const { return SettingsRead_; }
  const Environment& Where() const { return environment_; }

  // ---- The claim on display ----

  // What the window shows of the claim file on display: its path, kind,
  // header, rows, names, totals and what is wrong with it (its warnings).
  // An empty claim while none is shown.
  const ClaimView& Claim() const { return *claim_; }
  // The same, shared: a window opened over this one keeps the claim it was
  // opened on.
  std::shared_ptr<const ClaimView> SharedClaim() const { return claim_; }
  // The claim on display has warnings for their box that have not been
  // told: a view shows the window with the display first, then calls
  // ShowPendingWarnings. A box over a window not yet drawn would tell of
  // rows the clerk cannot see.
  bool WarningsPending() const { return warningsPending_; }
  // Tells the pending warnings in their box, once; nothing when none wait.
  void ShowPendingWarnings();
  // What that box says of `claim`: its warnings a line each, then, when the
  // check found errors, its summary and where to see them.
  static std::u16string WarningText(const ClaimView& claim);

  // ---- Start-up (shell/startup.cpp) ----

  // The window's start-up, in its fixed order: the command line, the
  // settings file, the window and its grids, the database, and the claim
  // file named on the command line. It ends with the window waiting for the
  // user, or closed (Unloaded) after one of the initialisation messages.
  void Form_Load();
  // Reads the command line: DebugMode, CmdFileName, and the settings file's
  // path, which it returns.
  std::u16string GetIniFileName();
  // Caption, the debug controls and the window size. (Every position and
  // size of the window is in twips, so there is no coordinate unit to set.)
  bool InitForm();
  // Closes the window; the program ends.
  void Unload();

  // ---- The database (shell/startup.cpp; where it is: lookup/) ----

  // `path` as the database the names are read from: DBFound by whether it
  // opens, DBPath the path when it does ("" otherwise), and the path shown
  // in the database box, light yellow when it opens and pink when not.
  // Returns DBFound.
  bool UseDatabase(const std::u16string& path);
  // The database path from the settings file, used as above, with the
  // settings box coloured by what the reading found: the database steps of
  // start-up. Returns what was found.
  Setting ReadDatabaseLocation(const std::u16string& iniFileName);

  // ---- Commands (shell/commands.cpp) ----

  // "ファイル選択(&O)": clears the display, asks for a claim file and shows
  // it. A cancel or any failure ends the command quietly.
  void comFileSelect_Click();
  // "閉じる(&C)": closes the window.
  void cmdJob_Click(int Index = 0);
  // "&DB　名": asks for another database in frmSetDBname and uses it until
  // the program ends.
  void Command1_Click();
  // A click on a column heading of the display grid: the rows re-sorted by
  // that column (the grid's current column then, in the heading row).
  void vsfViewer_HeadingClick(int col);
  // No claim on display: path and title, the grids down to their headings,
  // the header values emptied.
  void ClearClaimDisplay();

  // ---- Display pipeline (shell/display_pipeline.cpp) ----

  // Shows the claim file at `path` (reader/claim_reader.h): the claim read,
  // its names looked up, and the controls drawn from it in the order the
  // display's steps run; what is wrong with the file waits for
  // ShowPendingWarnings. A failure of a step ends the display there, with
  // the claim shown as far as it was made, and is thrown on to the caller
  // (CurrentErr() in errors/err_info.h says what it was); a file that cannot
  // be read is told in a message box and shows as an empty display.
  void ShowCsvFile(const std::u16string& path);
  // Makes `claim` the claim on display and draws the controls from it in
  // the order the display's steps make them, each as it is made: a failure
  // on the way leaves the display as far as it got. ShowCsvFile's last
  // step, and the clearing's with an empty claim.
  void ShowClaim(std::shared_ptr<ClaimView> claim);
  // The position (from 1) of `ch` in `s`: its first occurrence with mode 1,
  // its last with any other mode; 0 when it does not occur or s is empty.
  // Positions are 16-bit: looking past position 32767 raises error 6.
  static std::int16_t CharPos(std::u16string_view s, std::u16string_view ch, std::int16_t mode);

  // ---- The clerk's commands (shell/clerk_commands.cpp) ----
  // They come through keys, the grids' context menu, the window's drop
  // target and a small find box: the window's design stays as it is.

  // The context menu's entries on the display and totals grids, and the
  // find box's caption and its word for no match.
  static constexpr std::u16string_view kCopyCaption = u"コピー";
  static constexpr std::u16string_view kSelectAllCaption = u"すべて選択";
  static constexpr std::u16string_view kSaveDisplayCaption = u"CSV ファイルに保存...";
  static constexpr std::u16string_view kFindCaption = u"検索";
  static constexpr std::u16string_view kFindNoMatch = u"見つかりません";
  static constexpr std::u16string_view kPrintCaption = u"印刷...";
  static constexpr std::u16string_view kPrintPreviewCaption = u"印刷プレビュー...";
  static constexpr std::u16string_view kCheckCaption = u"点検...";
  // Where the warning box sends the clerk to see the check's findings.
  static constexpr std::u16string_view kCheckHint = u"。一覧は右クリックメニューの「点検...」(Ctrl+K) で表示します。";

  // The selection as the clipboard takes it: plain text (the grid's texts,
  // TAB and CR LF) and HTML whose cells a spreadsheet keeps as text.
  struct ClipboardText {
    std::u16string text;
    std::u16string html;
  };

  // Ctrl+A, "すべて選択": every row that is not fixed and every visible
  // column of vsfViewer or vsfTotal (any other control: nothing).
  void SelectAllCells(MainControl grid);
  // Ctrl+C, "コピー": the selection of vsfViewer or vsfTotal, with the
  // heading row when whole rows are selected; nothing (empty texts) when
  // the selection lies in the heading row alone.
  ClipboardText CopySelection(MainControl grid) const;
  // "CSV ファイルに保存...": asks for a path, refuses the claim file on
  // display (however named), asks before replacing a file, and writes the
  // display (claim/display_csv.h) whole or not at all; a failure is told
  // with its number and the system's words.
  void SaveDisplay_Click();
  // The find box's Enter and F3 (forward), Shift+F3 (backward): from the
  // row after (before) vsfViewer's current row, round past the end, the
  // first row whose insured-person number or name matches `what`
  // (text/find_text.h) becomes the current row, selected whole. False, with
  // the current row left, when no row matches.
  bool FindInDisplay(std::u16string_view what, bool forward);
  // Files dropped on the window: the first is shown as a file chosen with
  // the file choice is (the display cleared first); a folder or a file that
  // cannot be read is told as a failed load tells it.
  void DropFiles(const std::vector<std::u16string>& paths);
  // The file choice's end, shared by the dialog and the drop: the path into
  // lblCsvFname and the title, the next dialog's folder, and the display.
  void ShowChosenFile(const std::u16string& path);

  // ---- The check (shell/clerk_commands.cpp) ----

  // "点検...", Ctrl+K: the check's window (frmCheck) over this one, until
  // it is closed.
  void Check_Click();
  // The display row of a finding's person and month, or else the row made
  // from its line, selected whole and made current. False, with the
  // selection left, when the display has no row of it.
  bool SelectRowOf(const check::Finding& finding);

  // ---- Printing (shell/clerk_commands.cpp) ----

  // The paper and orientation of the last print or preview: the next one
  // starts from it, for as long as the program runs.
  const print::PageSetup& PrintSetup() const { return PrintSetup_; }
  void KeepPrintSetup(const print::PageSetup& setup) { PrintSetup_ = setup; }
  // The claim on display laid out on `sheet` (print/pages.h) in the
  // proportions the window gives its columns. The pages keep the claim, so
  // a new display does not change pages already laid out.
  print::Pages DisplayPages(const print::Sheet& sheet, const print::TextWidth& textWidth,
                            common::CivilDate printed) const;

 private:
  const FlexGrid* ClerkGridOf(MainControl grid) const;
  // The status line brought up to date with the claim and the database.
  void ShowStatus();
  // What the status line says while no database opens: the path that did
  // not open (or that none was given), where velkar.ini was read or looked
  // for, and the button that chooses another.
  std::u16string DatabaseHint() const;

  MessageBoxes& messageBoxes_;
  Environment environment_;

  std::u16string Caption_{kTitle};
  std::array<Label, 4> lblHead_;
  std::array<Label, 3> lblHeadCaption_;
  Label lblCsvFname_;
  std::array<TextBox, 2> lblDBname_;
  Label lblStatus_;
  FlexGrid vsfCsv_;
  FlexGrid vsfSort_;
  FlexGrid vsfViewer_;
  FlexGrid vsfTotal_;
  CommonDialog CommonDialog1_;
  CommonDialog SaveDialog1_;

  std::array<bool, kMainControlCount> Visible_{};
  TwipsSize Size_ = OuterSizeOf(kMainDesignClientSize);
  bool Unloaded_ = false;
  std::function<void()> OnUnload_;
  ModalDialogs* Dialogs_ = nullptr;

  bool DBFound_ = false;
  std::u16string DBPath_;
  std::u16string LastFolder_;
  bool DebugMode_ = false;
  std::u16string CmdFileName_;
  std::u16string LastDBInput_;
  std::u16string IniFileName_;
  Setting::From SettingsRead_ = Setting::From::Section;

  print::PageSetup PrintSetup_;

  // Shared with the hidden grids, which copy the records only once they
  // are looked at.
  std::shared_ptr<ClaimView> claim_;
  bool warningsPending_ = false;
};

}  // namespace pellora
