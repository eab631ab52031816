// kestrova._kestrova: the bindings behind the kestrova package (its Python
// files check the arguments and build the public calls on these):
//   _compute_json(values, gli, gli_group)
//                                    one patient's JSON text, as kestrova-cli --format json
//                                    --gli … --gli-group …
//   _compute_columns(columns, rows, names, masked, missing_text, threads, gli, gli_group)
//                                    a dict of the named columns' arrays
//   _column_of_header_name(name)     "sex", "age", … or None
//   _header_error(roles)             the batch's header message, or ""
//   _result_columns                  [(name, "number" | "flag" | "text"), …]: the batch's
//                                    columns (_compute_columns also fills "sexCode")
//   _gli_columns(gli, gli_group)     the same for the GLI columns of those sets
//   _gli_sets                        the sets' names, in the order of their columns
// `gli` is a list of GLI sets' names (the package splits "global,2012"),
// each at most once, and `gli_group` GLI-2012's group, read by the names of
// kestrova-cli --gli and --gli-group (gli/gli.h); another value raises
// ValueError naming the argument and the names it takes.
// Every value becomes the text a batch file would hold for it and is read by
// the input model (input/patient_record.h):
//   None, pd.NA, np.ma.masked, NaN   "" (missing)
//   str                              its UTF-8 text
//   int, NumPy integers              their decimal digits
//   float, np.float64, np.float32    NumberValueText of its own type
//   np.float16, np.longdouble        NumPy's shortest decimal of its own type
//   anything else with __float__     NumberValueText of float(value)
// A value of any other type raises TypeError, and one that cannot be made a
// text (a str with a lone surrogate, a __float__ that raises) raises
// ValueError or TypeError naming the argument, chained to the cause.
// A column of values is coded before the loop, with the GIL: each distinct
// text is made once and each row holds its code.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "batch/batch.h"
#include "batch/header_names.h"
#include "gli/gli.h"
#include "input/patient_record.h"
#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"
#include "python/src/columns.h"
#include "report/text_report.h"
#include "version/version.h"

namespace py = pybind11;

namespace kestrova::python {
namespace {

// NumPy's objects that values are told apart by, looked up once when the
// module is imported (the package imports NumPy first) and kept for the
// life of the process.
struct NumpyObjects {
  PyTypeObject* floating = nullptr;  // numpy.floating
  PyTypeObject* float32 = nullptr;
  PyTypeObject* boolean = nullptr;  // numpy.bool_
  PyTypeObject* ndarray = nullptr;
  PyObject* masked = nullptr;            // numpy.ma.masked
  PyObject* formatPositional = nullptr;  // numpy.format_float_positional
};
NumpyObjects numpy;

void FindNumpyObjects() {
  const py::module_ np = py::module_::import("numpy");
  const auto type = [&](const char* name) {
    return reinterpret_cast<PyTypeObject*>(py::object(np.attr(name)).release().ptr());
  };
  numpy.floating = type("floating");
  numpy.float32 = type("float32");
  numpy.boolean = type("bool_");
  numpy.ndarray = type("ndarray");
  numpy.masked = py::object(py::module_::import("numpy.ma").attr("masked")).release().ptr();
  numpy.formatPositional = py::object(np.attr("format_float_positional")).release().ptr();
}

bool IsInstance(PyObject* value, PyTypeObject* type) { return PyType_IsSubtype(Py_TYPE(value), type) != 0; }

// "list", "float32": the name of a value's type, without its module.
std::string TypeName(PyObject* value) {
  const std::string_view name = Py_TYPE(value)->tp_name;
  const std::size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(dot + 1));
}

// repr(value) for a message, or "<type>" when it cannot be had.
std::string ReprOf(PyObject* value) {
  const auto repr = py::reinterpret_steal<py::object>(PyObject_Repr(value));
  Py_ssize_t size = 0;
  const char* utf8 = repr ? PyUnicode_AsUTF8AndSize(repr.ptr(), &size) : nullptr;
  if (utf8 == nullptr) {
    PyErr_Clear();
    return "<" + TypeName(value) + ">";
  }
  return std::string(utf8, static_cast<std::size_t>(size));
}

// Raises `type` with the message `make()` gives, its cause the exception
// being raised now (set aside while the message is made: making it may call
// repr()).
template <typename MakeMessage>
[[noreturn]] void RaiseFromCurrent(PyObject* type, const MakeMessage& make) {
  PyObject* cause[3];
  PyErr_Fetch(&cause[0], &cause[1], &cause[2]);
  const std::string message = make();
  PyErr_Restore(cause[0], cause[1], cause[2]);
  py::raise_from(type, message.c_str());
  throw py::error_already_set();
}

// Raises the exception being raised now as TypeError or ValueError (its
// cause) with the message `make()` gives; one that is no fault of the value
// (MemoryError, KeyboardInterrupt) as it is.
template <typename MakeMessage>
[[noreturn]] void RaiseAsValueError(const MakeMessage& make) {
  if (PyErr_ExceptionMatches(PyExc_TypeError)) RaiseFromCurrent(PyExc_TypeError, make);
  if (PyErr_ExceptionMatches(PyExc_Exception) && !PyErr_ExceptionMatches(PyExc_MemoryError))
    RaiseFromCurrent(PyExc_ValueError, make);
  throw py::error_already_set();
}

[[noreturn]] void RaiseTypeError(PyObject* value, std::string_view argument) {
  throw py::type_error(std::string(argument) + ": cannot read a value of type " + TypeName(value) + " (" +
                       ReprOf(value) + ")");
}

// The UTF-8 text of a str; ValueError when it has none (a lone surrogate, as
// os.fsdecode leaves undecodable bytes).
std::string_view Utf8Of(PyObject* text, std::string_view argument) {
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(text, &size);
  if (utf8 == nullptr) {
    RaiseFromCurrent(PyExc_ValueError, [&] {
      return std::string(argument) + ": the str " + ReprOf(text) + " is not a text of Unicode characters";
    });
  }
  return {utf8, static_cast<std::size_t>(size)};
}

// The decimal digits of an int or of a NumPy integer.
std::string IntegerText(PyObject* value) {
  const auto text = py::reinterpret_steal<py::object>(PyNumber_ToBase(value, 10));
  if (!text) throw py::error_already_set();
  return text.cast<std::string>();
}

// The text of one value (see the top of this file); `argument` names it in errors.
std::string ValueText(py::handle handle, std::string_view argument) {
  PyObject* const value = handle.ptr();
  NumberTextBuffer buffer;
  if (value == Py_None || value == numpy.masked) return {};
  if (PyUnicode_Check(value)) return std::string(Utf8Of(value, argument));
  if (PyFloat_Check(value)) return std::string(NumberValueText(PyFloat_AS_DOUBLE(value), buffer));
  if (PyBool_Check(value) || IsInstance(value, numpy.boolean)) RaiseTypeError(value, argument);
  if (PyLong_Check(value)) return IntegerText(value);
  if (IsInstance(value, numpy.floating)) {  // float16, float32, longdouble (float64 is a float)
    const double number = PyFloat_AsDouble(value);
    if (number == -1 && PyErr_Occurred() != nullptr) throw py::error_already_set();
    if (IsInstance(value, numpy.float32))
      return std::string(NumberValueText(static_cast<float>(number), buffer));
    if (number != number) return {};  // NaN
    const auto kwargs = py::dict(py::arg("unique") = true, py::arg("trim") = "-");
    return py::reinterpret_borrow<py::object>(numpy.formatPositional)(handle, **kwargs).cast<std::string>();
  }
  if (IsInstance(value, numpy.ndarray)) {  // a 0-d array holds one value of its type
    const auto array = py::reinterpret_borrow<py::array>(handle);
    if (array.ndim() != 0) RaiseTypeError(value, argument);
    return ValueText(handle[py::tuple()], argument);
  }
  if (PyIndex_Check(value)) {  // NumPy's integers
    const auto whole = py::reinterpret_steal<py::object>(PyNumber_Index(value));
    if (!whole) {
      RaiseAsValueError(
          [&] { return std::string(argument) + ": cannot read " + ReprOf(value) + " as a whole number"; });
    }
    return IntegerText(whole.ptr());
  }
  // pandas' missing value (pd.NA, in nullable and object columns).
  if (TypeName(value) == "NAType") return {};
  if (Py_TYPE(value)->tp_as_number != nullptr && Py_TYPE(value)->tp_as_number->nb_float != nullptr) {
    const auto number = py::reinterpret_steal<py::object>(PyNumber_Float(value));  // Decimal, Fraction, …
    if (!number) {
      RaiseAsValueError([&] {
        return std::string(argument) + ": cannot read a value of type " + TypeName(value) + " (" +
               ReprOf(value) + ") as a number";
      });
    }
    return std::string(NumberValueText(PyFloat_AS_DOUBLE(number.ptr()), buffer));
  }
  RaiseTypeError(value, argument);
}

// "global, 2012" or "caucasian, …, other": every name `name` knows, in enum order.
template <typename Enum, std::size_t N>
std::string NamesOf(const std::array<Enum, N>& values, std::string_view (*name)(Enum) noexcept) {
  std::string names;
  for (const Enum value : values) (names += names.empty() ? "" : ", ") += name(value);
  return names;
}
constexpr std::array<GliSet, 2> kGliSets = {GliSet::kGlobal2022, GliSet::k2012};
constexpr std::array<GliGroup, 5> kGliGroups = {GliGroup::kCaucasian, GliGroup::kAfricanAmerican,
                                                GliGroup::kNeAsian, GliGroup::kSeAsian, GliGroup::kOther};

// gli and gli_group (see the top of this file) as the request the CLI makes of them.
GliRequest GliRequestOf(const py::list& sets, const py::handle group) {
  GliRequest request;
  for (const py::handle name : sets) {
    const std::optional<GliSet> set =
        PyUnicode_Check(name.ptr()) ? ParseGliSet(Utf8Of(name.ptr(), "gli")) : std::nullopt;
    if (!set) {
      throw py::value_error("gli: " + ReprOf(name.ptr()) + " is no GLI set (" +
                            NamesOf(kGliSets, &GliSetName) + ", or several: \"global,2012\")");
    }
    bool& asked = *set == GliSet::kGlobal2022 ? request.global : request.gli2012;
    if (asked) throw py::value_error("gli: '" + std::string(GliSetName(*set)) + "' is named twice");
    asked = true;
  }
  const std::optional<GliGroup> parsed =
      PyUnicode_Check(group.ptr()) ? ParseGliGroup(Utf8Of(group.ptr(), "gli_group")) : std::nullopt;
  if (!parsed) {
    throw py::value_error("gli_group: " + ReprOf(group.ptr()) + " is no GLI-2012 group (" +
                          NamesOf(kGliGroups, &GliGroupName) + ")");
  }
  request.group = *parsed;
  return request;
}

py::str JsonOfPatient(const py::list& values, const py::list& gliSets, const py::handle gliGroup) {
  const GliRequest gli = GliRequestOf(gliSets, gliGroup);
  std::array<std::string, batch::kColumnCount> owned;
  batch::RowTexts texts;
  for (std::size_t c = 0; c < batch::kColumnCount; ++c) {
    owned[c] = ValueText(values[c], batch::kColumnNames[c]);
    texts[c] = owned[c];
  }
  FullResult result;
  std::string error;
  if (!batch::ComputeRow(texts, TextEncoding::kUtf8, result, error)) throw py::value_error(error);
  ComputeFullResult(result.inputs, result);
  return py::str(report::FormatJson(result.inputs, result, ComputeGliResults(result.inputs, gli)));
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
    const std::uint32_t code = PyUnicode_Check(value) ? CodeOfText(Utf8Of(value, argument_))
                                                      : CodeOfText(ValueText(value, argument_));
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
// codes[row] in the `texts` of the thread that computed the row, `missing`
// for code 0 (the empty text); equal texts share one str.
void FillObjectArray(py::array& out, const std::vector<ThreadResult>& threads, std::size_t column,
                     const std::uint32_t* codes, const py::handle missing) {
  auto** cells = static_cast<PyObject**>(out.mutable_data());
  std::unordered_map<std::string_view, py::str> made;
  std::vector<PyObject*> objects;
  for (const ThreadResult& thread : threads) {
    if (thread.ranges.empty()) continue;  // a thread that computed nothing
    objects.assign(1, missing.ptr());
    for (std::size_t code = 1; code < thread.texts[column].size(); ++code) {
      const std::string& text = thread.texts[column][code];
      auto found = made.find(text);
      if (found == made.end()) found = made.emplace(text, py::str(text.data(), text.size())).first;
      objects.push_back(found->second.ptr());
    }
    for (const auto& [begin, end] : thread.ranges) {
      for (std::size_t row = begin; row < end; ++row) {
        PyObject* text = objects[codes[row]];
        Py_INCREF(text);
        Py_XDECREF(cells[row]);
        cells[row] = text;
      }
    }
  }
}

// The "error" column (a new object array): "" but for the refused rows' texts.
void FillErrorArray(py::array& out, const std::vector<ThreadResult>& threads) {
  auto** cells = static_cast<PyObject**>(out.mutable_data());
  const auto rows = static_cast<std::size_t>(out.size());
  const py::str empty("");
  for (std::size_t row = 0; row < rows; ++row) {
    Py_INCREF(empty.ptr());
    Py_XDECREF(cells[row]);
    cells[row] = empty.ptr();
  }
  std::unordered_map<std::string_view, py::str> made;
  for (const ThreadResult& thread : threads) {
    for (const auto& [row, error] : thread.errors) {
      auto found = made.find(error);
      if (found == made.end()) found = made.emplace(error, py::str(error.data(), error.size())).first;
      Py_INCREF(found->second.ptr());
      Py_XDECREF(cells[row]);
      cells[row] = found->second.ptr();
    }
  }
}

// The ident of Python's main thread, taken when the module is imported.
unsigned long mainThread = 0;

bool OnMainThread() { return PyThread_get_thread_ident() == mainThread; }

// Asks for Python's signals when ComputeColumns asks whether to stop, on the
// main thread (the only one that runs signal handlers) with the GIL taken for
// the moment: a handler's exception (KeyboardInterrupt on Ctrl+C) stops the
// computation and is kept to be raised once every thread has stopped.
class SignalCheck {
 public:
  SignalCheck() = default;
  SignalCheck(const SignalCheck&) = delete;
  SignalCheck& operator=(const SignalCheck&) = delete;
  ~SignalCheck() {
    Py_XDECREF(raised_[0]);
    Py_XDECREF(raised_[1]);
    Py_XDECREF(raised_[2]);
  }

  // Called without the GIL.
  bool operator()() {
    const py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() == 0) return false;
    PyErr_Fetch(&raised_[0], &raised_[1], &raised_[2]);
    return true;
  }
  // With the GIL: raises what a signal handler raised, if any.
  void RaiseIfStopped() {
    if (raised_[0] == nullptr) return;
    PyErr_Restore(raised_[0], raised_[1], raised_[2]);
    raised_ = {};
    throw py::error_already_set();
  }

 private:
  std::array<PyObject*, 3> raised_{};
};

// columns: six items (sex … fev1), each None (absent), a C-contiguous float64
// or float32 array, an array of objects or str, or a list of values; all of
// `rows` values. names: the output columns to fill (OutputColumns() names),
// in the order the dict returns them after "error". With `masked`, a flag
// column is (bool values, bool missing) and sexCode (int8 values, bool
// missing), else both are float64 with NaN; a text column is an object array
// with `missingText` where the batch's cell is empty.
py::dict ComputeColumnsOf(const py::list& columns, std::size_t rows, const std::vector<std::string>& names,
                          bool masked, const py::object& missingText, unsigned threads,
                          const py::list& gliSets, const py::handle gliGroup) {
  const GliRequest gli = GliRequestOf(gliSets, gliGroup);
  InputColumns in;
  std::vector<py::array> numberInputs;  // kept alive while the loop reads them
  for (std::size_t c = 0; c < batch::kColumnCount; ++c) {
    const py::handle column = columns[c];
    const std::string_view argument = batch::kColumnNames[c];
    if (column.is_none()) continue;
    if (py::isinstance<py::array>(column) &&
        py::reinterpret_borrow<py::array>(column).dtype().kind() == 'f') {
      const auto array = py::reinterpret_borrow<py::array>(column);
      if (array.ndim() != 1 || static_cast<std::size_t>(array.size()) != rows)
        throw py::value_error(std::string(argument) + ": not " + std::to_string(rows) + " values");
      if (array.itemsize() == 8) {
        auto numbers = py::array_t<double, py::array::c_style>::ensure(column);
        if (!numbers) throw py::type_error(std::string(argument) + ": cannot read the float64 array");
        in[c].numbers = numbers.data();
        numberInputs.push_back(std::move(numbers));
      } else if (array.itemsize() == 4) {
        auto floats = py::array_t<float, py::array::c_style>::ensure(column);
        if (!floats) throw py::type_error(std::string(argument) + ": cannot read the float32 array");
        in[c].floats = floats.data();
        numberInputs.push_back(std::move(floats));
      } else {
        throw py::type_error(std::string(argument) + ": expected float64 or float32 numbers");
      }
    } else {
      CodeTexts(column, rows, in[c], argument);
    }
  }
  const std::vector<OutputColumn>& kinds = OutputColumns(gli);
  std::vector<std::size_t> chosen;  // indices into `kinds`, in the order of `names`
  for (const std::string& name : names) {
    const auto found =
        std::find_if(kinds.begin(), kinds.end(), [&](const OutputColumn& c) { return c.name == name; });
    if (found == kinds.end()) throw py::value_error("columns: no result column '" + name + "'");
    chosen.push_back(static_cast<std::size_t>(found - kinds.begin()));
  }
  // Every cell is written by the loop: no array needs zeroing first.
  std::vector<py::object> arrays(kinds.size());
  std::vector<std::unique_ptr<std::uint32_t[]>> codes(kinds.size());
  OutputArrays out;
  out.columns.resize(kinds.size());
  const auto objectArray = [&] {
    py::array cells(py::dtype("O"), std::vector<py::ssize_t>{static_cast<py::ssize_t>(rows)});
    out.nullCells.push_back(static_cast<void**>(cells.mutable_data()));
    return cells;
  };
  py::array errors = objectArray();
  for (const std::size_t k : chosen) {
    OutputArray& column = out.columns[k];
    if (column.layout != Layout::kNone) continue;  // named twice: filled once
    if (kinds[k].kind == ColumnKind::kText) {
      arrays[k] = objectArray();
      codes[k].reset(new std::uint32_t[rows]);
      column = {Layout::kTextCode, codes[k].get(), nullptr};
    } else if (masked && (kinds[k].kind == ColumnKind::kFlag || k == kSexCodeColumn)) {
      py::array values =
          k == kSexCodeColumn ? py::array(py::array_t<std::int8_t>(rows)) : py::array_t<bool>(rows);
      py::array_t<bool> missing(rows);
      column = {Layout::kByteMasked, values.mutable_data(),
                reinterpret_cast<std::uint8_t*>(missing.mutable_data())};
      arrays[k] = py::make_tuple(values, missing);
    } else {
      py::array_t<double> values(rows);
      column = {Layout::kDouble, values.mutable_data(), nullptr};
      arrays[k] = values;
    }
  }
  SignalCheck signals;
  StopRequest stopRequested;
  if (OnMainThread()) stopRequested = [&signals] { return signals(); };
  std::vector<ThreadResult> computed;
  {
    py::gil_scoped_release release;
    computed = ComputeColumns(in, rows, out, threads, stopRequested, gli);
  }
  signals.RaiseIfStopped();
  py::dict result;
  FillErrorArray(errors, computed);
  result["error"] = errors;
  for (const std::size_t k : chosen) {
    if (codes[k]) {
      auto cells = py::reinterpret_borrow<py::array>(arrays[k]);
      FillObjectArray(cells, computed, k, codes[k].get(), missingText);
      codes[k].reset();  // filled once, and its memory given back at once
    }
    result[py::str(kinds[k].name)] = arrays[k];
  }
  return result;
}

py::object ColumnOfName(const std::string& name) {
  const auto column = batch::ColumnOfHeaderName(name, TextEncoding::kUtf8);
  if (!column) return py::none();
  return py::str(std::string(batch::kColumnNames[*column]));
}

// The batch's message for a header naming `roles` in order (None for a
// column that names none); "" when it can be used.
std::string HeaderErrorOfRoles(const std::vector<std::optional<std::string>>& roles) {
  std::vector<std::optional<batch::BatchColumn>> named(roles.size());
  for (std::size_t i = 0; i < roles.size(); ++i) {
    for (std::size_t c = 0; roles[i] && c < batch::kColumnCount; ++c) {
      if (*roles[i] == batch::kColumnNames[c]) named[i] = static_cast<batch::BatchColumn>(c);
    }
  }
  return batch::HeaderError(named);
}

// The (name, kind) of the columns of OutputColumns(gli) from `first` on.
py::list ColumnsAfter(std::size_t first, const GliRequest& gli) {
  py::list columns;
  const std::vector<OutputColumn>& all = OutputColumns(gli);
  for (std::size_t k = first; k < all.size(); ++k) {
    const ColumnKind kind = all[k].kind;
    columns.append(py::make_tuple(all[k].name, kind == ColumnKind::kNumber ? "number"
                                               : kind == ColumnKind::kFlag ? "flag"
                                                                           : "text"));
  }
  return columns;
}

}  // namespace
}  // namespace kestrova::python

PYBIND11_MODULE(_kestrova, m) {
  using namespace kestrova::python;
  m.doc() = "The compiled core of the kestrova package.";
  FindNumpyObjects();
  mainThread = py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
  m.attr("__version__") = KESTROVA_VERSION;
  m.attr("_result_columns") = ColumnsAfter(kFirstResultColumn, {});
  m.attr("_input_columns") = py::cast(
      std::vector<std::string>(kestrova::batch::kColumnNames.begin(), kestrova::batch::kColumnNames.end()));
  m.def("_gli_columns", [](const py::list& sets, const py::handle group) {
    return ColumnsAfter(OutputColumns().size(), GliRequestOf(sets, group));
  });
  py::list setNames;
  for (const kestrova::GliSet set : kGliSets) setNames.append(std::string(kestrova::GliSetName(set)));
  m.attr("_gli_sets") = setNames;
  m.def("_compute_json", &JsonOfPatient);
  m.def("_compute_columns", &ComputeColumnsOf);
  m.def("_column_of_header_name", &ColumnOfName);
  m.def("_header_error", &HeaderErrorOfRoles);
}
