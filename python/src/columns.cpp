#include "python/src/columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

#include "batch/batch.h"
#include "kestrova/kestrova.h"
#include "report/result_columns.h"

namespace kestrova::python {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The reading's keys and the lung age in years are texts; the red flags are
// flags; everything else the batch writes is a number (with the reading's
// three-way 1/0/empty flags, which need the NaN of an empty cell).
ColumnKind KindOf(const std::string& name) {
  for (const char* text : {"ventilatoryClass", "ventilatoryBaldwinClass", "ersAtsPattern", "ersAtsSeverity",
                           "copdStage", "lungAgeYears", "disabilityGrade"}) {
    if (name == text) return ColumnKind::kText;
  }
  return name.ends_with("Red") ? ColumnKind::kFlag : ColumnKind::kNumber;
}

// The double nearest to a decimal text; false when the text is not wholly a
// number. Texts of up to 15 digits are digits / 10^decimals: both are exact
// doubles, so the one division rounds correctly. Longer ones go to
// std::from_chars (which rounds correctly too, but slower).
bool ReadBack(std::string_view text, double& value) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (text.empty()) {
    value = kNaN;
    return true;
  }
  const bool negative = text.front() == '-';
  std::uint64_t digits = 0;
  int count = 0;
  int decimals = -1;  // digits after the point; -1 before it
  for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      ++count;
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      count = 99;  // not the plain form: from_chars decides
      break;
    }
  }
  if (count > 0 && count <= 15) {
    const double magnitude = static_cast<double>(digits) / kPowersOfTen[decimals < 0 ? 0 : decimals];
    value = negative ? -magnitude : magnitude;
    return true;
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) {
    value = kNaN;
    return false;
  }
  return true;
}

void StoreEmpty(const std::vector<OutputColumn>& kinds, const OutputArrays& out, std::size_t row) {
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    void* column = out.columns[k];
    if (column == nullptr) continue;
    switch (kinds[k].kind) {
      case ColumnKind::kNumber:
        static_cast<double*>(column)[row] = kNaN;
        break;
      case ColumnKind::kFlag:
        static_cast<std::uint8_t*>(column)[row] = 0;
        break;
      case ColumnKind::kText:
        static_cast<std::string*>(column)[row].clear();
        break;
    }
  }
}

// Stores the result texts of one row, as WriteResultColumns gives them, each
// in its column as what it reads back as.
class CellStore final : public report::ResultColumnSink {
 public:
  CellStore(const std::vector<OutputColumn>& kinds, const OutputArrays& out) : kinds_(kinds), out_(out) {}

  void StartRow(std::size_t row) {
    row_ = row;
    next_ = 0;
  }
  void PlainField(std::string_view text) override {
    if (next_ < kinds_.size()) Store(next_, text);
    ++next_;
  }
  // Counts a row whose field count is not the columns' (its cells would be shifted).
  void EndRow() {
    if (next_ != kinds_.size()) ++unreadable_;
  }
  // Cells that went wrong: number texts that did not read back, rows of another field count.
  std::size_t Unreadable() const { return unreadable_; }

 private:
  void Store(std::size_t k, std::string_view text) {
    void* column = out_.columns[k];
    if (column == nullptr) return;
    switch (kinds_[k].kind) {
      case ColumnKind::kNumber:
        if (!ReadBack(text, static_cast<double*>(column)[row_])) ++unreadable_;
        break;
      case ColumnKind::kFlag:
        static_cast<std::uint8_t*>(column)[row_] = text == "1" ? 1 : 0;
        break;
      case ColumnKind::kText:
        static_cast<std::string*>(column)[row_].assign(text);
        break;
    }
  }

  const std::vector<OutputColumn>& kinds_;
  const OutputArrays& out_;
  std::size_t row_ = 0;
  std::size_t next_ = 0;
  std::size_t unreadable_ = 0;
};

// Computes rows [begin, end) one block at a time: a block's cells are stored
// column by column in a small staging area and then copied out, so the writes
// of one row do not touch one cache line in each of the sixty output arrays.
std::size_t ComputeRange(const InputColumns& in, std::size_t begin, std::size_t end,
                         const OutputArrays& out) {
  constexpr std::size_t kBlock = 256;
  const std::vector<OutputColumn>& kinds = OutputColumns();
  std::vector<double> staging(kinds.size() * kBlock);
  OutputArrays staged;
  PanelResult result;
  std::string error;
  CellStore store(kinds, staged);
  std::array<std::array<char, 400>, batch::kColumnCount> buffers;
  for (std::size_t from = begin; from < end; from += kBlock) {
    const std::size_t count = std::min(kBlock, end - from);
    staged.columns.clear();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      staged.columns.push_back(kinds[k].kind != ColumnKind::kText ? static_cast<void*>(&staging[k * kBlock])
                               : out.columns[k] != nullptr ? static_cast<std::string*>(out.columns[k]) + from
                                                           : nullptr);
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t row = from + i;
      batch::RowTexts texts{};
      for (std::size_t c = 0; c < batch::kColumnCount; ++c) {
        if (in[c].numbers != nullptr) {
          texts[c] = NumberText(in[c].numbers[row], buffers[c]);
        } else if (in[c].hasTexts) {
          texts[c] = in[c].texts[row];
        }
      }
      error.clear();
      if (!batch::ComputeRow(texts, batch::TextEncoding::kUtf8, result, error)) {
        out.errors[row] = error;
        StoreEmpty(kinds, staged, i);
        continue;
      }
      out.errors[row].clear();
      store.StartRow(i);
      report::WriteResultColumns(result, store);
      store.EndRow();
    }
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      if (kinds[k].kind == ColumnKind::kNumber) {
        std::copy_n(&staging[k * kBlock], count, static_cast<double*>(out.columns[k]) + from);
      } else if (kinds[k].kind == ColumnKind::kFlag) {
        std::copy_n(reinterpret_cast<const std::uint8_t*>(&staging[k * kBlock]), count,
                    static_cast<std::uint8_t*>(out.columns[k]) + from);
      }
    }
  }
  return store.Unreadable();
}

}  // namespace

const std::vector<OutputColumn>& OutputColumns() {
  static const std::vector<OutputColumn> columns = [] {
    std::vector<OutputColumn> c;
    for (const std::string& name : report::ResultColumnNames()) c.push_back({name, KindOf(name)});
    return c;
  }();
  return columns;
}

std::string_view NumberText(double value, std::array<char, 400>& buffer) {
  if (std::isnan(value)) return {};
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  return ec == std::errc() ? std::string_view(buffer.data(), end - buffer.data()) : std::string_view("?");
}

std::size_t ComputeColumns(const InputColumns& in, std::size_t rows, const OutputArrays& out,
                           unsigned threads) {
  OutputColumns();  // built once, before any thread reads it
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(rows / 256 + 1)));
  std::vector<std::size_t> unreadable(threads, 0);
  std::vector<std::exception_ptr> failures(threads);
  std::vector<std::thread> workers;
  const auto run = [&](unsigned t) {
    try {
      unreadable[t] = ComputeRange(in, rows * t / threads, rows * (t + 1) / threads, out);
    } catch (...) {
      failures[t] = std::current_exception();
    }
  };
  for (unsigned t = 1; t < threads; ++t) workers.emplace_back(run, t);
  run(0);
  for (std::thread& worker : workers) worker.join();
  std::size_t total = 0;
  for (unsigned t = 0; t < threads; ++t) {
    if (failures[t]) std::rethrow_exception(failures[t]);
    total += unreadable[t];
  }
  return total;
}

}  // namespace kestrova::python
