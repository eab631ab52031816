// The batch's computation over columns of values, for the Python module: each
// row is turned into the texts a batch file would hold for it, read with the
// batch's own row checks, computed, and its result columns written as the
// batch writes them; each result text is then stored as the value a reader of
// the CSV gets back from it:
//   number  the double nearest to the text ("4.48" -> 4.48; empty -> NaN), as
//           Python's float() and pandas read it;
//   flag    true for "1" (a red cell), false for "0" or empty;
//   text    the text itself ("obstruction", "<18", or "").
// A row that fails the checks gets the batch's error text, NaN numbers, false
// flags and empty texts.
//
// A value becomes its text as the shortest decimal that reads back as the same
// double, without an exponent (170.0 -> "170", 2.35 -> "2.35", 1e-05 ->
// "0.00001"), so a number read from a CSV is computed from the digits the file
// held; NaN becomes the empty text (not measured, or missing).
#ifndef KESTROVA_PYTHON_COLUMNS_H_
#define KESTROVA_PYTHON_COLUMNS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/header_names.h"

namespace kestrova::python {

enum class ColumnKind : std::uint8_t { kNumber, kFlag, kText };

struct OutputColumn {
  std::string name;
  ColumnKind kind;
};

// The batch's result columns (report/result_columns.h), in order, with their kinds.
const std::vector<OutputColumn>& OutputColumns();

// One input column: absent (every row empty), numbers, or texts.
struct InputColumn {
  const double* numbers = nullptr;  // `rows` values, NaN for a missing one
  std::vector<std::string> texts;   // used when `numbers` is null and `hasTexts`
  bool hasTexts = false;
};
using InputColumns = std::array<InputColumn, batch::kColumnCount>;

// Where the results go: for each of OutputColumns(), an array of `rows` values
// (double, std::uint8_t 0/1, or std::string; null for a text column not kept).
struct OutputArrays {
  std::vector<void*> columns;
  std::string* errors = nullptr;  // `rows` error texts, empty for a computed row
};

// Value -> text as described above; `buffer` holds the text.
std::string_view NumberText(double value, std::array<char, 400>& buffer);

// Computes rows [0, rows) on `threads` threads (contiguous ranges). Returns the
// count of number cells whose text could not be read back (zero unless the
// result columns change kind).
std::size_t ComputeColumns(const InputColumns& in, std::size_t rows, const OutputArrays& out,
                           unsigned threads);

}  // namespace kestrova::python

#endif  // KESTROVA_PYTHON_COLUMNS_H_
