#include "equations/spline_table.h"

#include <cmath>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

void SetCell(SplineTable& table, int row, int column, std::string_view text) {
  table.cells[row][column] = std::string(text);
  table.values[row][column] = ParseNumber(text);
}

}  // namespace

SplineTable::SplineTable() {
  for (auto& row : values) row.fill(0);
}

void SplitSplineRow(SplineTable& table, std::string_view rowText) {
  const double rowNumber = std::trunc(ParseNumber(rowText.substr(0, 2)));
  if (!(rowNumber >= 0 && rowNumber < kSplineTableRows)) return;
  const int row = static_cast<int>(rowNumber);
  std::string_view work = rowText;
  for (int column = 1; column < kSplineTableColumns; ++column) {
    const std::size_t separator = work.find(';');
    if (separator == std::string_view::npos) {
      SetCell(table, row, column, work);
    } else {
      SetCell(table, row, column, work.substr(0, separator));
      work.remove_prefix(separator + 1);
    }
  }
}

void LoadSplineTable(SplineTable& table) {
  for (std::string_view row : SplineRows()) SplitSplineRow(table, row);
}

const SplineTable& LoadedSplineTable() {
  static const SplineTable* const table = [] {
    auto* loaded = new SplineTable;  // lives as long as the program
    LoadSplineTable(*loaded);
    return loaded;
  }();
  return *table;
}

}  // namespace kestrova
