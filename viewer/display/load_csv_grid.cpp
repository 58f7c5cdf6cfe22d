#include "display/load_csv_grid.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "csv/clsCSV.h"
#include "errors/basic_error.h"
#include "errors/err_info.h"

namespace pellora {
namespace {

// The message for a failure after the open: its number, ";", its text.
std::u16string LaterFailureText(int number, std::u16string_view description) {
  return DecimalText(number) + u";" + std::u16string(description);
}

// Copies every field the reader delivers into the grid; a failure is thrown.
LoadedFile CopyRecords(clsCSV& csv, FlexGrid& grid) {
  LoadedFile loaded;
  int row = -1;
  int column = 1;
  for (;;) {
    if (csv.CSVEOF()) {
      loaded.bytes = csv.Census();
      loaded.linesEndInLf = csv.LinesEndInLf();
      loaded.lines = row + 1;
      loaded.firstLineFields = row > 0 ? loaded.firstLineFields : column - 1;
      csv.CloseFile();
      return loaded;
    }
    if (csv.CSVEOL()) {  // a new line begins (also before the first field)
      if (row == 0) loaded.firstLineFields = column - 1;
      column = 1;
      ++row;
      if (row >= grid.Rows()) grid.SetRows(row + 1);
    }
    const std::u16string_view value = csv.ValueView();
    if (column >= grid.Cols()) grid.SetCols(column + 1);
    grid.SetTextMatrix(row, column, value);
    ++column;
  }
}

}  // namespace

std::optional<LoadedFile> LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid, MessageBoxes& ui) {
  clsCSV csv;
  csv.OpenFile(fileName);
  if (csv.ErrNo() != 0) {
    ui.Show(ErrText({csv.ErrNo(), csv.ErrDesc()}), MsgIcon::Critical, std::nullopt);
    return std::nullopt;
  }
  std::optional<LoadedFile> loaded;
  std::optional<std::u16string> failure;
  try {
    loaded = CopyRecords(csv, grid);
  } catch (const BasicError& e) {  // the file's or the grid's
    failure = LaterFailureText(e.number(), e.description());
  } catch (const std::bad_alloc&) {
    failure = LaterFailureText(kErrOutOfMemory, BasicErrorText(kErrOutOfMemory));
  } catch (const std::length_error&) {
    failure = LaterFailureText(kErrOutOfMemory, BasicErrorText(kErrOutOfMemory));
  }
  if (failure) {
    ui.Show(std::move(*failure), MsgIcon::Information, std::nullopt);
    return std::nullopt;
  }
  // The reader closes the file, if it is still open, when it goes out of scope.
  return loaded;
}

}  // namespace pellora
