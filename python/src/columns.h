// The batch's computation over columns of values, for the Python module: each
// row is turned into the texts a batch file would hold for it, read with the
// batch's own row checks, computed, and its result columns written as the
// batch writes them; each result text is then stored as the value a reader of
// the CSV gets back from it:
//   number  the double nearest to the text ("4.48" -> 4.48; empty -> NaN), as
//           Python's float() and pandas read it;
//   flag    true for "1" (a red cell), false for "0" or empty;
//   text    the text itself ("obstruction", "<18", or ""), as a code into the
//           distinct texts of its column (a column holds few: keys, "62").
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
#include <utility>
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

// One input column: absent (every row empty), numbers, or texts given as a
// code per row into the column's distinct texts (a sex column of a million
// rows holds two or three).
struct InputColumn {
  const double* numbers = nullptr;   // `rows` values, NaN for a missing one
  std::vector<std::uint32_t> codes;  // `rows` codes into `texts`, when `numbers` is null
  std::vector<std::string> texts;
  bool HasTexts() const { return numbers == nullptr && !codes.empty(); }
};
using InputColumns = std::array<InputColumn, batch::kColumnCount>;

// Where the results go: for each of OutputColumns(), an array of `rows` values
// (double, std::uint8_t 0/1, or std::uint32_t text codes; null for a text
// column not kept).
struct OutputArrays {
  std::vector<void*> columns;
  // Arrays of `rows` null pointers filled later by the caller (NumPy object
  // arrays, whose fresh memory the kernel zeroes at the first write to each
  // page): the thread of each row range writes its pages first, so that this
  // work is shared by the threads rather than left to the one filling them.
  std::vector<void**> nullCells;
};

// What one thread's rows [begin, end) left besides the arrays: the texts its
// codes stand for (per output column; code 0 is always ""), the error texts
// of its refused rows, and the count of cells that went wrong (number texts
// that did not read back, rows of another field count: zero unless the
// result columns change kind).
struct RangeResult {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::vector<std::vector<std::string>> texts;
  std::vector<std::pair<std::size_t, std::string>> errors;  // (row, text), rows ascending
  std::size_t unreadable = 0;
};

// Value -> text as described above; `buffer` holds the text.
std::string_view NumberText(double value, std::array<char, 400>& buffer);

// Computes rows [0, rows) on `threads` threads (contiguous ranges, one
// RangeResult each, in row order).
std::vector<RangeResult> ComputeColumns(const InputColumns& in, std::size_t rows, const OutputArrays& out,
                                        unsigned threads);

}  // namespace kestrova::python

#endif  // KESTROVA_PYTHON_COLUMNS_H_
