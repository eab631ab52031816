// kestrova._kestrova: the bindings behind the kestrova package (its Python
// files check the arguments and build the public calls on these):
//   _compute_json(values)            one patient's JSON text, as kestrova-cli --format json
//   _compute_columns(columns, rows, texts, threads)   a dict of result arrays
//   _column_of_header_name(name)     "sex", "age", … or None
//   _result_columns                  [(name, "number" | "flag" | "text"), …]
// A value is None or pd.NA (missing), a float (NaN: missing), an int or a str;
// it is read as the text a batch file would hold for it (python/src/columns.h).
// A column of values is coded before the loop, with the GIL: each distinct
// text is made once and each row holds its code.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "batch/batch.h"
#include "batch/header_names.h"
#include "kestrova/kestrova.h"
#include "python/src/columns.h"
#include "report/text_report.h"
#include "version/version.h"

namespace py = pybind11;

namespace kestrova::python {
namespace {

// The text of one value; `argument` names it in the error.
std::string ValueText(py::handle value, std::string_view argument) {
  if (value.is_none()) return {};
  if (PyUnicode_Check(value.ptr())) return value.cast<std::string>();
  if (PyLong_Check(value.ptr()) && !PyBool_Check(value.ptr())) return py::str(value).cast<std::string>();
  if (PyFloat_Check(value.ptr()) ||
      (PyIndex_Check(value.ptr()) == 0 && py::hasattr(value, "__float__") && py::hasattr(value, "dtype"))) {
    std::array<char, 400> buffer;
    return std::string(NumberText(PyFloat_AsDouble(value.ptr()), buffer));
  }
  if (PyIndex_Check(value.ptr()) && !PyBool_Check(value.ptr())) {  // NumPy's integers
    PyObject* whole = PyNumber_Index(value.ptr());
    if (whole == nullptr) throw py::error_already_set();
    return py::str(py::reinterpret_steal<py::object>(whole)).cast<std::string>();
  }
  // pandas' missing value (pd.NA, in nullable and object columns).
  if (py::str(value.get_type().attr("__name__")).cast<std::string>() == "NAType") return {};
  throw py::type_error(std::string(argument) + ": cannot read a value of type " +
                       py::str(value.get_type().attr("__name__")).cast<std::string>() + " (" +
                       py::repr(value).cast<std::string>() + ")");
}

py::str JsonOfPatient(const py::list& values) {
  std::array<std::string, batch::kColumnCount> owned;
  batch::RowTexts texts;
  for (std::size_t c = 0; c < batch::kColumnCount; ++c) {
    owned[c] = ValueText(values[c], batch::kColumnNames[c]);
    texts[c] = owned[c];
  }
  FullResult result;
  std::string error;
  if (!batch::ComputeRow(texts, batch::TextEncoding::kUtf8, result, error)) throw py::value_error(error);
  ComputeFullResult(result.inputs, result);
  return py::str(report::FormatJson(result.inputs, result));
}

// Texts -> codes for one input column of values (str, numbers, None, …):
// the column's distinct texts, each made once. Equal str objects are common
// (a sex column holds two or three), so a value is first compared with the
// last ones seen, then looked up by its UTF-8 text.
class InputCoder {
 public:
  InputCoder(InputColumn& column, std::string_view argument) : column_(column), argument_(argument) {}

  std::uint32_t CodeOfObject(PyObject* value) {
    if (value == nullptr) value = Py_None;  // an object array's unset cell
    for (const auto& [seen, code] : recent_) {
      if (seen == value) return code;
    }
    std::uint32_t code = 0;
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_Check(value) ? PyUnicode_AsUTF8AndSize(value, &size) : nullptr;
    if (utf8 != nullptr) {
      code = CodeOfText(std::string_view(utf8, static_cast<std::size_t>(size)));
    } else {
      PyErr_Clear();  // not a str, or one without UTF-8 (ValueText says why)
      code = CodeOfText(ValueText(value, argument_));
    }
    recent_[next_++ % recent_.size()] = {value, code};
    return code;
  }
  std::uint32_t CodeOfText(std::string_view text) {
    auto found = codes_.find(text);
    if (found == codes_.end()) {
      column_.texts.emplace_back(text);
      found =
          codes_.emplace(column_.texts.back(), static_cast<std::uint32_t>(column_.texts.size() - 1)).first;
    }
    return found->second;
  }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  InputColumn& column_;
  std::string_view argument_;
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> codes_;
  std::array<std::pair<PyObject*, std::uint32_t>, 4> recent_{};
  std::size_t next_ = 0;
};

// A NumPy str array (UCS-4, each value padded with zeros to the item size):
// each distinct value is made a str once and read as ValueText reads it.
void CodeUnicodeArray(const py::array& values, InputColumn& column, std::string_view argument) {
  InputCoder coder(column, argument);
  const std::size_t item = static_cast<std::size_t>(values.itemsize());
  const auto* data = static_cast<const char*>(values.data());
  std::unordered_map<std::string_view, std::uint32_t> codes;  // by the value's bytes
  std::string_view last;
  std::uint32_t lastCode = 0;
  for (std::size_t i = 0; i < column.codes.size(); ++i) {
    std::string_view bytes(data + i * item, item);
    if (i > 0 && bytes == last) {
      column.codes[i] = lastCode;
      continue;
    }
    auto found = codes.find(bytes);
    if (found == codes.end()) {
      std::size_t length = item / 4;
      const auto* points = reinterpret_cast<const Py_UCS4*>(bytes.data());
      while (length > 0 && points[length - 1] == 0) --length;
      const py::str text = py::reinterpret_steal<py::str>(
          PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, points, static_cast<Py_ssize_t>(length)));
      if (!text) throw py::error_already_set();
      found = codes.emplace(bytes, coder.CodeOfText(ValueText(text, argument))).first;
    }
    last = bytes;
    lastCode = column.codes[i] = found->second;
  }
}

// One input column as codes: `values` is a 1-D C-contiguous NumPy array of
// objects or of str (native byte order), or a list.
void CodeTexts(const py::handle values, std::size_t rows, InputColumn& column, std::string_view argument) {
  column.codes.resize(rows);
  const auto wrongSize = [&] {
    return py::value_error(std::string(argument) + ": not " + std::to_string(rows) + " values");
  };
  if (py::isinstance<py::array>(values)) {
    const auto array = py::reinterpret_borrow<py::array>(values);
    if (array.ndim() != 1 || static_cast<std::size_t>(array.size()) != rows) throw wrongSize();
    if (array.dtype().kind() == 'U' && array.dtype().byteorder() == '=' &&
        (array.flags() & py::array::c_style) != 0)
      return CodeUnicodeArray(array, column, argument);
    if (array.dtype().kind() != 'O' || (array.flags() & py::array::c_style) == 0)
      throw py::type_error(std::string(argument) +
                           ": expected a C-contiguous array of objects or of str in native byte order");
    InputCoder coder(column, argument);
    auto* const* cells = static_cast<PyObject* const*>(array.data());
    for (std::size_t i = 0; i < rows; ++i) column.codes[i] = coder.CodeOfObject(cells[i]);
    return;
  }
  const auto list = values.cast<py::list>();
  if (list.size() != rows) throw wrongSize();
  InputCoder coder(column, argument);
  for (std::size_t i = 0; i < rows; ++i) column.codes[i] = coder.CodeOfObject(PyList_GET_ITEM(list.ptr(), i));
}

// A new object array of str (all null, as NumPy makes one): the text of
// codes[row] in the `texts` of the range that computed the row; equal texts
// share one str.
void FillObjectArray(py::array& out, const std::vector<RangeResult>& ranges, std::size_t column,
                     const std::uint32_t* codes) {
  auto** cells = static_cast<PyObject**>(out.mutable_data());
  std::unordered_map<std::string_view, py::str> made;
  std::vector<PyObject*> objects;
  for (const RangeResult& range : ranges) {
    objects.clear();
    for (const std::string& text : range.texts[column]) {
      auto found = made.find(text);
      if (found == made.end()) found = made.emplace(text, py::str(text.data(), text.size())).first;
      objects.push_back(found->second.ptr());
    }
    for (std::size_t row = range.begin; row < range.end; ++row) {
      PyObject* text = objects[codes[row]];
      Py_INCREF(text);
      Py_XDECREF(cells[row]);
      cells[row] = text;
    }
  }
}

// The "error" column (a new object array): "" but for the refused rows' texts.
void FillErrorArray(py::array& out, const std::vector<RangeResult>& ranges) {
  auto** cells = static_cast<PyObject**>(out.mutable_data());
  const auto rows = static_cast<std::size_t>(out.size());
  const py::str empty("");
  for (std::size_t row = 0; row < rows; ++row) {
    Py_INCREF(empty.ptr());
    Py_XDECREF(cells[row]);
    cells[row] = empty.ptr();
  }
  std::unordered_map<std::string_view, py::str> made;
  for (const RangeResult& range : ranges) {
    for (const auto& [row, error] : range.errors) {
      auto found = made.find(error);
      if (found == made.end()) found = made.emplace(error, py::str(error.data(), error.size())).first;
      Py_INCREF(found->second.ptr());
      Py_XDECREF(cells[row]);
      cells[row] = found->second.ptr();
    }
  }
}

// columns: six items (sex … fev1), each None (absent), a C-contiguous float64
// array, an array of objects or str, or a list of values; all of `rows` values.
py::dict ComputeColumnsOf(const py::list& columns, std::size_t rows, bool keepTexts, unsigned threads) {
  InputColumns in;
  std::vector<py::array_t<double>> numberInputs;
  for (std::size_t c = 0; c < batch::kColumnCount; ++c) {
    const py::handle column = columns[c];
    if (column.is_none()) continue;
    if (py::isinstance<py::array>(column) &&
        py::reinterpret_borrow<py::array>(column).dtype().kind() == 'f') {
      numberInputs.push_back(py::array_t<double, py::array::c_style>::ensure(column));
      in[c].numbers = numberInputs.back().data();
    } else {
      CodeTexts(column, rows, in[c], batch::kColumnNames[c]);
    }
  }
  const std::vector<OutputColumn>& kinds = OutputColumns();
  std::vector<py::array> arrays;
  // Every code is written by the loop: no need to zero them first.
  std::vector<std::unique_ptr<std::uint32_t[]>> codes(kinds.size());
  OutputArrays out;
  const auto objectArray = [&] {
    py::array cells(py::dtype("O"), std::vector<py::ssize_t>{static_cast<py::ssize_t>(rows)});
    out.nullCells.push_back(static_cast<void**>(cells.mutable_data()));
    return cells;
  };
  py::array errors = objectArray();
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    switch (kinds[k].kind) {
      case ColumnKind::kNumber:
        arrays.push_back(py::array_t<double>(rows));
        out.columns.push_back(arrays.back().mutable_data());
        break;
      case ColumnKind::kFlag:
        arrays.push_back(py::array_t<bool>(rows));
        out.columns.push_back(arrays.back().mutable_data());
        break;
      case ColumnKind::kText:
        arrays.push_back(keepTexts ? objectArray() : py::array());
        if (keepTexts) codes[k].reset(new std::uint32_t[rows]);
        out.columns.push_back(codes[k].get());
        break;
    }
  }
  std::vector<RangeResult> ranges;
  {
    py::gil_scoped_release release;
    ranges = ComputeColumns(in, rows, out, threads);
  }
  std::size_t unreadable = 0;
  for (const RangeResult& range : ranges) unreadable += range.unreadable;
  if (unreadable > 0)
    throw std::runtime_error("result texts that are not numbers: " + std::to_string(unreadable));
  py::dict result;
  FillErrorArray(errors, ranges);
  result["error"] = errors;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    if (kinds[k].kind == ColumnKind::kText) {
      if (!keepTexts) continue;
      FillObjectArray(arrays[k], ranges, k, codes[k].get());
    }
    result[py::str(kinds[k].name)] = arrays[k];
  }
  return result;
}

py::object ColumnOfName(const std::string& name) {
  const auto column = batch::ColumnOfHeaderName(name, batch::TextEncoding::kUtf8);
  if (!column) return py::none();
  return py::str(std::string(batch::kColumnNames[*column]));
}

}  // namespace
}  // namespace kestrova::python

PYBIND11_MODULE(_kestrova, m) {
  using namespace kestrova::python;
  m.doc() = "The compiled core of the kestrova package.";
  m.attr("__version__") = KESTROVA_VERSION;
  py::list columns;
  for (const OutputColumn& c : OutputColumns()) {
    columns.append(py::make_tuple(c.name, c.kind == ColumnKind::kNumber ? "number"
                                          : c.kind == ColumnKind::kFlag ? "flag"
                                                                        : "text"));
  }
  m.attr("_result_columns") = columns;
  m.attr("_input_columns") = py::cast(
      std::vector<std::string>(kestrova::batch::kColumnNames.begin(), kestrova::batch::kColumnNames.end()));
  m.def("_compute_json", &JsonOfPatient);
  m.def("_compute_columns", &ComputeColumnsOf);
  m.def("_column_of_header_name", &ColumnOfName);
}
