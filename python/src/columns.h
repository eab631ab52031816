// The batch's computation over columns of values, for the Python module: each
// row is turned into the texts a batch file would hold for it, read by the
// input model (input/patient_record.h) with the batch's own row checks,
// computed, and the columns asked for stored from the number kept beside each
// text (report/result_columns.h), in the layout the caller chose per column:
//   double     the double nearest to the number shown ("4.48" -> 4.48); a
//              flag 1 or 0; sexCode 1 or 2; NaN where the batch's cell is
//              empty (as Python's float() and pandas read the batch's CSV);
//   byte+mask  a flag's 1/0 or sexCode's 1/2 as a byte, and a mask byte that
//              is 1 where the batch's cell is empty (the value byte then 0),
//              as pandas' nullable arrays hold them;
//   text code  the text itself ("obstruction", "<18", "vcBelowFvc"), as a
//              code into the distinct texts of its column (a column holds
//              few); code 0 is the empty text, a cell the batch leaves empty.
// A row that fails the checks gets the batch's error text and every cell
// empty (NaN, masked, code 0).
//
// A float64 or float32 value becomes its text by NumberValueText: the
// shortest decimal that reads back as the same value of its own type, without
// an exponent (170.0 -> "170", float32 2.31 -> "2.31"); NaN becomes the empty
// text (not measured, or missing).
#ifndef KESTROVA_PYTHON_COLUMNS_H_
#define KESTROVA_PYTHON_COLUMNS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "batch/header_names.h"
#include "report/result_columns.h"

namespace kestrova::python {

using report::ColumnKind;

struct OutputColumn {
  std::string name;
  ColumnKind kind;
};

// The columns that can be filled: sexCode (the sex code the input model read,
// 1 male or 2 female; kind kNumber), then the batch's result columns
// (report/result_columns.h), in order, with their kinds, and after them the
// GLI columns of the sets `gli` asks for, as kestrova-cli --batch --gli
// writes them (GLI-2012's group names none).
inline constexpr std::size_t kSexCodeColumn = 0;
inline constexpr std::size_t kFirstResultColumn = 1;
const std::vector<OutputColumn>& OutputColumns(const GliRequest& gli = {});

// One input column: absent (every row empty), float64 or float32 numbers, or
// texts given as a code per row into the column's distinct texts (a sex
// column of a million rows holds two or three).
struct InputColumn {
  const double* numbers = nullptr;   // `rows` values, NaN for a missing one
  const float* floats = nullptr;     // the same in float32, when `numbers` is null
  std::vector<std::uint32_t> codes;  // `rows` codes into `texts`, when both are null
  std::vector<std::string> texts;
  bool HasTexts() const { return numbers == nullptr && floats == nullptr && !codes.empty(); }
};
using InputColumns = std::array<InputColumn, batch::kColumnCount>;

// How a column's cells are stored (see the top of this file): not at all,
// double, a value byte with a mask byte, or a std::uint32_t text code. A text
// column is kTextCode or kNone; the others any but kTextCode.
enum class Layout : std::uint8_t { kNone, kDouble, kByteMasked, kTextCode };

struct OutputArray {
  Layout layout = Layout::kNone;
  void* cells = nullptr;            // `rows` cells of the layout's type
  std::uint8_t* missing = nullptr;  // kByteMasked: `rows` mask bytes
};

// Where the results go: one OutputArray per column of OutputColumns(gli), the
// GLI request the rows are computed with.
struct OutputArrays {
  std::vector<OutputArray> columns;
  // Arrays of `rows` null pointers filled later by the caller (NumPy object
  // arrays, whose fresh memory the kernel zeroes at the first write to each
  // page): the thread of each row range writes its pages first, so that this
  // work is shared by the threads rather than left to the one filling them.
  std::vector<void**> nullCells;
};

// What one thread computed besides the arrays: its row ranges [begin, end),
// the texts its codes stand for (per output column; code 0 is always ""), and
// the error texts of its refused rows.
struct ThreadResult {
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  std::vector<std::vector<std::string>> texts;
  std::vector<std::pair<std::size_t, std::string>> errors;  // (row, text)
};

// Asked by the calling thread between its chunks of rows, once it has
// computed 16,384 rows or more since it last asked (a few tens of
// milliseconds): true stops the computation, every thread at its next block
// of rows, and ComputeColumns returns with rows left uncomputed.
using StopRequest = std::function<bool()>;

// Computes rows [0, rows), with the GLI results `gli` asks for (`out` holds
// the columns of OutputColumns(gli)), on up to `threads` threads, the calling
// thread one of them: each takes the next chunk of rows until none is left,
// so a thread that cannot be started leaves its share to the others. One
// ThreadResult per thread that ran. An exception of any thread is rethrown once all have
// stopped.
std::vector<ThreadResult> ComputeColumns(const InputColumns& in, std::size_t rows, const OutputArrays& out,
                                         unsigned threads, const StopRequest& stopRequested,
                                         const GliRequest& gli);

}  // namespace kestrova::python

#endif  // KESTROVA_PYTHON_COLUMNS_H_
