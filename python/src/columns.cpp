#include "python/src/columns.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

#include "cli/batch.h"
#include "cli/csv.h"
#include "cli/result_columns.h"
#include "kestrova/kestrova.h"

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

// The double nearest to a decimal text (std::from_chars rounds correctly);
// false when the text is not wholly a number.
bool ReadBack(std::string_view text, double& value) {
  if (text.empty()) {
    value = kNaN;
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

// Stores one row of CSV fields (as WriteResultColumns wrote them, no quotes);
// returns the count of number fields that did not read back.
std::size_t StoreFields(std::string_view line, const std::vector<OutputColumn>& kinds,
                        const OutputArrays& out, std::size_t row) {
  std::size_t unreadable = 0;
  std::size_t k = 0;
  for (std::size_t from = 0; k < kinds.size(); ++k) {
    const std::size_t comma = line.find(',', from);
    const std::string_view field =
        line.substr(from, comma == std::string_view::npos ? line.npos : comma - from);
    void* column = out.columns[k];
    if (column != nullptr) {
      switch (kinds[k].kind) {
        case ColumnKind::kNumber:
          if (!ReadBack(field, static_cast<double*>(column)[row])) ++unreadable;
          break;
        case ColumnKind::kFlag:
          static_cast<std::uint8_t*>(column)[row] = field == "1" ? 1 : 0;
          break;
        case ColumnKind::kText:
          static_cast<std::string*>(column)[row].assign(field);
          break;
      }
    }
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  // A field count other than the columns' would shift every cell: count it.
  return unreadable + (k + 1 == kinds.size() ? 0 : 1);
}

std::size_t ComputeRange(const InputColumns& in, std::size_t begin, std::size_t end,
                         const OutputArrays& out) {
  const std::vector<OutputColumn>& kinds = OutputColumns();
  PanelResult result;
  std::string error;
  std::string line;
  cli::CsvWriter writer(line);
  std::array<std::array<char, 400>, cli::kColumnCount> buffers;
  std::size_t unreadable = 0;
  for (std::size_t row = begin; row < end; ++row) {
    cli::RowTexts texts{};
    for (std::size_t c = 0; c < cli::kColumnCount; ++c) {
      if (in[c].numbers != nullptr) {
        texts[c] = NumberText(in[c].numbers[row], buffers[c]);
      } else if (in[c].hasTexts) {
        texts[c] = in[c].texts[row];
      }
    }
    error.clear();
    if (!cli::ComputeRow(texts, cli::TextEncoding::kUtf8, result, error)) {
      out.errors[row] = error;
      StoreEmpty(kinds, out, row);
      continue;
    }
    out.errors[row].clear();
    line.clear();
    cli::WriteResultColumns(result, writer);
    writer.EndRow();
    writer.Flush();
    unreadable += StoreFields(std::string_view(line).substr(0, line.size() - 1), kinds, out, row);
  }
  return unreadable;
}

}  // namespace

const std::vector<OutputColumn>& OutputColumns() {
  static const std::vector<OutputColumn> columns = [] {
    std::vector<OutputColumn> c;
    for (const std::string& name : cli::ResultColumnNames()) c.push_back({name, KindOf(name)});
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
