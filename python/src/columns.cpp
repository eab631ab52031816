#include "python/src/columns.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

#include "batch/batch.h"
#include "input/patient_record.h"
#include "kestrova/kestrova.h"
#include "report/result_columns.h"

namespace kestrova::python {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The distinct texts of one output column met by one thread, each with its
// code (its index); code 0 is "", so a zeroed code is an empty cell.
class TextTable {
 public:
  TextTable() : texts_{std::string()} { codes_.emplace(texts_[0], 0); }

  std::uint32_t CodeOf(std::string_view text) {
    if (text == texts_[last_]) return last_;  // runs of one text are common
    auto found = codes_.find(text);
    if (found == codes_.end()) {
      texts_.emplace_back(text);
      found = codes_.emplace(texts_.back(), static_cast<std::uint32_t>(texts_.size() - 1)).first;
    }
    last_ = found->second;
    return last_;
  }
  std::vector<std::string> Release() { return std::move(texts_); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::vector<std::string> texts_;
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> codes_;
  std::uint32_t last_ = 0;
};

// Stores the cells of one block of rows, each in its column's staging slots
// (kBlock values of 8 bytes; a byte-masked column's values in the first
// kBlock bytes and its mask bytes in the next), by the column's layout.
class CellStore {
 public:
  static constexpr std::size_t kBlock = 256;

  explicit CellStore(const OutputArrays& out)
      : staging_(out.columns.size() * kBlock), tables_(out.columns.size()) {
    for (const OutputArray& column : out.columns) layouts_.push_back(column.layout);
  }

  // One computed row into `slot`: its sex code and its result columns, as
  // ReadResultColumns gives them with their numbers.
  void StoreRow(std::size_t slot, double sexCode, const report::ResultColumnTexts& row) {
    for (std::size_t k = 0; k < layouts_.size(); ++k) {
      const double number = k == kSexCodeColumn ? sexCode : row.numbers[k - kFirstResultColumn];
      double* const cells = &staging_[k * kBlock];
      switch (layouts_[k]) {
        case Layout::kDouble:
          cells[slot] = number;
          break;
        case Layout::kByteMasked: {
          const bool missing = std::isnan(number);
          auto* const bytes = reinterpret_cast<std::uint8_t*>(cells);
          bytes[slot] = missing ? 0 : static_cast<std::uint8_t>(number);
          bytes[kBlock + slot] = missing ? 1 : 0;
          break;
        }
        case Layout::kTextCode:
          reinterpret_cast<std::uint32_t*>(cells)[slot] =
              tables_[k].CodeOf(row.texts[k - kFirstResultColumn]);
          break;
        case Layout::kNone:
          break;
      }
    }
  }
  // A refused row: every cell empty.
  void StoreEmpty(std::size_t slot) {
    for (std::size_t k = 0; k < layouts_.size(); ++k) {
      double* const cells = &staging_[k * kBlock];
      switch (layouts_[k]) {
        case Layout::kDouble:
          cells[slot] = kNaN;
          break;
        case Layout::kByteMasked:
          reinterpret_cast<std::uint8_t*>(cells)[slot] = 0;
          reinterpret_cast<std::uint8_t*>(cells)[kBlock + slot] = 1;
          break;
        case Layout::kTextCode:
          reinterpret_cast<std::uint32_t*>(cells)[slot] = 0;
          break;
        case Layout::kNone:
          break;
      }
    }
  }
  // Copies the first `count` slots of every column kept to rows [from, from + count).
  void CopyOut(const OutputArrays& out, std::size_t from, std::size_t count) const {
    for (std::size_t k = 0; k < layouts_.size(); ++k) {
      const double* const cells = &staging_[k * kBlock];
      const auto* const bytes = reinterpret_cast<const std::uint8_t*>(cells);
      const OutputArray& column = out.columns[k];
      switch (layouts_[k]) {
        case Layout::kDouble:
          std::copy_n(cells, count, static_cast<double*>(column.cells) + from);
          break;
        case Layout::kByteMasked:
          std::copy_n(bytes, count, static_cast<std::uint8_t*>(column.cells) + from);
          std::copy_n(bytes + kBlock, count, column.missing + from);
          break;
        case Layout::kTextCode:
          std::copy_n(reinterpret_cast<const std::uint32_t*>(cells), count,
                      static_cast<std::uint32_t*>(column.cells) + from);
          break;
        case Layout::kNone:
          break;
      }
    }
  }
  // The texts the codes stand for, per column (empty for the others).
  std::vector<std::vector<std::string>> ReleaseTexts() {
    std::vector<std::vector<std::string>> texts(layouts_.size());
    for (std::size_t k = 0; k < layouts_.size(); ++k) {
      if (layouts_[k] == Layout::kTextCode) texts[k] = tables_[k].Release();
    }
    return texts;
  }

 private:
  std::vector<Layout> layouts_;
  std::vector<double> staging_;  // kBlock slots per column, column after column
  std::vector<TextTable> tables_;
};

// Computes chunks of rows for one thread, one block of rows at a time: a
// block's cells are stored column by column in a small staging area and then
// copied out, so the writes of one row do not touch one cache line in each of
// the sixty output arrays.
class RowComputer {
 public:
  RowComputer(const InputColumns& in, const OutputArrays& out, const GliRequest& gli)
      : in_(in), out_(out), store_(out) {
    columns_.withNumbers = true;
    columns_.gli = gli;
  }

  // Computes rows [begin, end) unless `stop` is set before a block; returns
  // the end of the rows computed.
  std::size_t Compute(std::size_t begin, std::size_t end, const std::atomic<bool>& stop) {
    constexpr std::size_t kBlock = CellStore::kBlock;
    constexpr std::size_t kCellsPerPage = 4096 / sizeof(void*);
    for (void** cells : out_.nullCells) {
      for (std::size_t row = begin; row < end; row += kCellsPerPage) cells[row] = nullptr;
    }
    for (std::size_t from = begin; from < end; from += kBlock) {
      if (stop.load(std::memory_order_relaxed)) return from;
      const std::size_t count = std::min(kBlock, end - from);
      for (std::size_t i = 0; i < count; ++i) ComputeRow(from + i, i);
      store_.CopyOut(out_, from, count);
    }
    return end;
  }

  void Finish(ThreadResult& result) {
    result.texts = store_.ReleaseTexts();
    result.errors = std::move(errors_);
  }

 private:
  void ComputeRow(std::size_t row, std::size_t slot) {
    PatientTexts texts{};
    for (std::size_t c = 0; c < batch::kColumnCount; ++c) {
      const InputColumn& column = in_[c];
      if (column.numbers != nullptr) {
        texts[c] = NumberValueText(column.numbers[row], buffers_[c]);
      } else if (column.floats != nullptr) {
        texts[c] = NumberValueText(column.floats[row], buffers_[c]);
      } else if (column.HasTexts()) {
        texts[c] = column.texts[column.codes[row]];
      }
    }
    error_.clear();
    if (!batch::ComputeRow(texts, TextEncoding::kUtf8, result_, error_)) {
      errors_.emplace_back(row, error_);
      store_.StoreEmpty(slot);
      return;
    }
    report::ReadResultColumns(result_, columns_);
    store_.StoreRow(slot, result_.inputs.sexCode, columns_);
  }

  const InputColumns& in_;
  const OutputArrays& out_;
  CellStore store_;
  PanelResult result_;
  report::ResultColumnTexts columns_;  // one row's results and their numbers, reused
  std::string error_;
  std::vector<std::pair<std::size_t, std::string>> errors_;
  std::array<NumberTextBuffer, batch::kColumnCount> buffers_;
};

// The rows the calling thread computes between two questions whether to stop.
constexpr std::size_t kRowsBetweenStopRequests = 16384;

// Memory held back while threads are started: the room the threads' own
// allocations need once memory has run out (untouched, it costs no pages).
constexpr std::size_t kMemoryHeldBack = std::size_t{16} << 20;

// Rows a chunk holds: a multiple of the block, about a quarter of a thread's
// share so that the threads end together, and at most those between two
// questions whether to stop.
std::size_t ChunkRows(std::size_t rows, unsigned threads) {
  constexpr std::size_t kBlock = CellStore::kBlock;
  constexpr std::size_t kMostRows = kRowsBetweenStopRequests;
  const std::size_t share = rows / (std::size_t{threads} * 4);
  return std::clamp((share + kBlock - 1) / kBlock * kBlock, kBlock, kMostRows);
}

}  // namespace

const std::vector<OutputColumn>& OutputColumns(const GliRequest& gli) {
  // One list per combination of sets, all built at the first call.
  static const std::array<std::vector<OutputColumn>, 4> columns = [] {
    std::array<std::vector<OutputColumn>, 4> all;
    for (std::size_t i = 0; i < all.size(); ++i) {
      all[i].push_back({"sexCode", ColumnKind::kNumber});
      for (const report::ResultColumn& column :
           report::ResultColumns(GliRequest{.global = (i & 1) != 0, .gli2012 = (i & 2) != 0}))
        all[i].push_back({column.name, column.kind});
    }
    return all;
  }();
  return columns[(gli.global ? 1 : 0) + (gli.gli2012 ? 2 : 0)];
}

std::vector<ThreadResult> ComputeColumns(const InputColumns& in, std::size_t rows, const OutputArrays& out,
                                         unsigned threads, const StopRequest& stopRequested,
                                         const GliRequest& gli) {
  OutputColumns();  // built once, before any thread reads it
  const std::size_t chunkRows = ChunkRows(rows, std::max(1u, threads));
  const std::size_t chunks = (rows + chunkRows - 1) / chunkRows;
  threads = static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(chunks, 1)));
  std::atomic<std::size_t> nextChunk{0};
  std::atomic<bool> stop{false};
  std::vector<ThreadResult> results(threads);  // not resized while a thread runs
  std::vector<std::exception_ptr> failures(threads);
  const auto computeChunks = [&](unsigned t, RowComputer& computer) {
    try {
      std::size_t unasked = 0;  // rows since the last question whether to stop
      while (!stop.load(std::memory_order_relaxed)) {
        const std::size_t chunk = nextChunk.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= chunks) break;
        const std::size_t begin = chunk * chunkRows;
        const std::size_t end = computer.Compute(begin, std::min(rows, begin + chunkRows), stop);
        results[t].ranges.emplace_back(begin, end);
        unasked += end - begin;
        if (t == 0 && stopRequested && unasked >= kRowsBetweenStopRequests) {
          unasked = 0;
          if (stopRequested()) stop = true;
        }
      }
      computer.Finish(results[t]);
    } catch (...) {
      failures[t] = std::current_exception();
      stop = true;
    }
  };
  // Each worker sets itself up (its memory, its exception state) before the
  // next one is started. A thread that cannot be started or set up (when
  // threads or memory run out) withdraws, and no more are started: the
  // others take its chunks. Memory held back while the threads start is then
  // given up, so that the threads set up can still compute and report when
  // the last one took what was left.
  RowComputer callingComputer(in, out, gli);
  struct GiveUp {
    void operator()(void* memory) const { ::operator delete(memory); }
  };
  // Called as a function, not a new-expression, so that it is not left out.
  std::unique_ptr<void, GiveUp> heldBack(::operator new(kMemoryHeldBack, std::nothrow));
  std::mutex mutex;
  std::condition_variable settled;
  unsigned settledWorkers = 0;
  bool lastSetUp = false;
  const auto work = [&](unsigned t) {
    std::optional<RowComputer> computer;
    try {
      static_cast<void>(std::uncaught_exceptions());  // makes the thread's exception state
      computer.emplace(in, out, gli);
    } catch (...) {
      // withdraws: `computer` stays empty
    }
    {
      const std::lock_guard lock(mutex);
      ++settledWorkers;
      lastSetUp = computer.has_value();
    }
    settled.notify_one();
    if (computer) computeChunks(t, *computer);
  };
  std::vector<std::thread> workers;
  workers.reserve(threads - 1);
  for (unsigned t = 1; t < threads && heldBack != nullptr; ++t) {
    try {
      workers.emplace_back(work, t);
    } catch (const std::exception&) {
      break;  // no thread to be had (std::system_error), or no memory for one
    }
    std::unique_lock lock(mutex);
    settled.wait(lock, [&] { return settledWorkers == t; });
    if (!lastSetUp) break;
  }
  heldBack.reset();
  computeChunks(0, callingComputer);
  for (std::thread& worker : workers) worker.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  results.resize(workers.size() + 1);
  return results;
}

}  // namespace kestrova::python
