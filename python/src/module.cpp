// kestrova._kestrova: the bindings behind the kestrova package (its Python
// files check the arguments and build the public calls on these):
//   _compute_json(values)            one patient's JSON text, as kestrova-cli --format json
//   _compute_columns(columns, rows, texts, threads)   a dict of result arrays
//   _column_of_header_name(name)     "sex", "age", … or None
//   _result_columns                  [(name, "number" | "flag" | "text"), …]
// A value is None or pd.NA (missing), a float (NaN: missing), an int or a str;
// it is read as the text a batch file would hold for it (python/src/columns.h).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <unordered_map>

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

// An object array of `texts`, one str object per distinct text.
py::array ObjectArray(const std::vector<std::string>& texts) {
  py::array out(py::dtype("O"), std::vector<py::ssize_t>{static_cast<py::ssize_t>(texts.size())});
  auto** cells = static_cast<PyObject**>(out.mutable_data());
  std::unordered_map<std::string_view, py::str> made;
  PyObject* text = nullptr;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (text == nullptr || texts[i] != texts[i - 1]) {  // runs of one text are common ("" above all)
      auto found = made.find(texts[i]);
      if (found == made.end()) {
        found = made.emplace(texts[i], py::str(texts[i].data(), texts[i].size())).first;
      }
      text = found->second.ptr();
    }
    Py_INCREF(text);
    Py_XDECREF(cells[i]);
    cells[i] = text;
  }
  return out;
}

// columns: six items (sex … fev1), each None (absent), a C-contiguous float64
// array, or a list of values; all of `rows` values.
py::dict ComputeColumnsOf(const py::list& columns, std::size_t rows, bool keepTexts, unsigned threads) {
  InputColumns in;
  std::vector<py::array_t<double>> numberInputs;
  for (std::size_t c = 0; c < batch::kColumnCount; ++c) {
    const py::handle column = columns[c];
    if (column.is_none()) continue;
    if (py::isinstance<py::array>(column)) {
      numberInputs.push_back(py::array_t<double, py::array::c_style>::ensure(column));
      in[c].numbers = numberInputs.back().data();
    } else {
      in[c].hasTexts = true;
      in[c].texts.reserve(rows);
      for (py::handle value : column.cast<py::list>())
        in[c].texts.push_back(ValueText(value, batch::kColumnNames[c]));
    }
  }
  const std::vector<OutputColumn>& kinds = OutputColumns();
  std::vector<py::array> arrays;
  std::vector<std::vector<std::string>> texts(kinds.size());
  std::vector<std::string> errors(rows);
  OutputArrays out;
  out.errors = errors.data();
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    switch (kinds[k].kind) {
      case ColumnKind::kNumber:
        arrays.push_back(py::array_t<double>(rows));
        break;
      case ColumnKind::kFlag:
        arrays.push_back(py::array_t<bool>(rows));
        break;
      case ColumnKind::kText:
        arrays.push_back(py::array());
        break;
    }
    if (kinds[k].kind == ColumnKind::kText) {
      if (keepTexts) texts[k].resize(rows);
      out.columns.push_back(keepTexts ? texts[k].data() : nullptr);
    } else {
      out.columns.push_back(arrays.back().mutable_data());
    }
  }
  std::size_t unreadable = 0;
  {
    py::gil_scoped_release release;
    unreadable = ComputeColumns(in, rows, out, threads);
  }
  if (unreadable > 0)
    throw std::runtime_error("result texts that are not numbers: " + std::to_string(unreadable));
  py::dict result;
  result["error"] = ObjectArray(errors);
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    if (kinds[k].kind != ColumnKind::kText) {
      result[py::str(kinds[k].name)] = arrays[k];
    } else if (keepTexts) {
      result[py::str(kinds[k].name)] = ObjectArray(texts[k]);
    }
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
