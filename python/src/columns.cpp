#include "python/src/columns.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <condition_variable>
#include <cstring>
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

// The reading's keys, the lung age in years and the relation warnings are
// texts; the red flags are flags; everything else the batch writes is a
// number (with the reading's three-way 1/0/empty flags, which need the NaN of
// an empty cell).
ColumnKind KindOf(const std::string& name) {
  for (const char* text : {"ventilatoryClass", "ventilatoryBaldwinClass", "ersAtsPattern", "ersAtsSeverity",
                           "copdStage", "lungAgeYears", "disabilityGrade", "warnings"}) {
    if (name == text) return ColumnKind::kText;
  }
  return name.ends_with("Red") ? ColumnKind::kFlag : ColumnKind::kNumber;
}

// The 1 to 8 characters of [first, first + size) as a word, the last one in
// the low byte and zeros above ("4.48" -> 0x342E3438): a character at
// position i from the end is byte i. Texts of 4 to 8 characters are their
// first four and last four characters; shorter ones their first, middle and
// last character; where these overlap they place the same character at the
// same byte.
std::uint64_t ShortTextWord(const char* first, std::size_t size) {
  if (size >= 4) {
    std::uint32_t head = 0;
    std::uint32_t tail = 0;
    std::memcpy(&head, first, 4);
    std::memcpy(&tail, first + size - 4, 4);
    if constexpr (std::endian::native == std::endian::little) {  // the first character to the high byte
      head = __builtin_bswap32(head);
      tail = __builtin_bswap32(tail);
    }
    return (std::uint64_t{head} << (8 * (size - 4))) | tail;
  }
  const auto byte = [&](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(first[i])}; };
  return (byte(0) << (8 * (size - 1))) | (byte(size / 2) << (8 * (size - 1 - size / 2))) | byte(size - 1);
}

// The digits and decimals of a plain decimal text of 1 to 8 characters
// ("4.48", "71", "0.731"), read as one 64-bit word; false for any other text
// (then the general reader decides). Xor-ing each character with '0' gives a
// digit its value and the point 0x1E (no other character); the bytes above
// the text stay 0, which leaves the value as it is. The point, if any, is
// found as the lowest byte equal to 0x1E (the zero-byte test is exact for
// the lowest one; a second hit, true or not, sends the text to the general
// reader); the bytes above it move down one, filling the gap, and the eight
// bytes must then all be values 0 to 9.
bool ReadShortPlain(const char* first, std::size_t size, std::uint64_t& digits, int& decimals) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  const std::uint64_t textBytes = ~std::uint64_t{0} >> (64 - 8 * size);
  std::uint64_t values = ShortTextWord(first, size) ^ ((kOnes * '0') & textBytes);
  const std::uint64_t points = values ^ (kOnes * ('.' ^ '0'));
  const std::uint64_t zeros = (points - kOnes) & ~points & kHighBits;
  decimals = 0;
  if (zeros != 0) {
    if ((zeros & (zeros - 1)) != 0 || size == 1) return false;  // two points, or "." alone
    decimals = std::countr_zero(zeros) / 8;                     // the bytes below the point
    const std::uint64_t below = (std::uint64_t{1} << (8 * decimals)) - 1;
    values = (values & below) | ((values >> 8) & ~below);
  }
  // Every byte at most 9: below 0x80, and adding 0x76 leaves it below 0x80
  // (no carry crosses a byte when all are below 0x80).
  if (((values | (values + kOnes * 0x76)) & kHighBits) != 0) return false;
  // The eight digits, most significant in the low byte, combined in pairs,
  // fours and then eights (each step multiplies and adds neighbouring lanes).
  std::uint64_t lanes = __builtin_bswap64(values);
  lanes = (lanes * 2561) >> 8;
  lanes = ((lanes & 0x00FF00FF00FF00FF) * 6553601) >> 16;
  digits = ((lanes & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
  return true;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The double nearest to a decimal text that ReadBackShort leaves (longer
// than 8 characters, or not plain); false when the text is not wholly a
// number. Texts of up to 15 digits are digits / 10^decimals, as there;
// longer ones go to std::from_chars (which rounds correctly too, but slower).
bool ReadBackLong(std::string_view text, double& value) {
  const char* const end = text.data() + text.size();
  const bool negative = text.front() == '-';
  const char* const first = text.data() + (negative ? 1 : 0);
  if (end - first <= 16) {    // at most 16 digits: no overflow
    const char* point = end;  // the '.', or `end` when there is none
    std::uint64_t digits = 0;
    bool plain = true;
    for (const char* c = first; c < end; ++c) {
      const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(*c)) - unsigned{'0'};
      if (digit < 10) {
        digits = digits * 10 + digit;
      } else if (*c == '.' && point == end) {
        point = c;
      } else {
        plain = false;  // not the plain form: from_chars decides
        break;
      }
    }
    const auto count = (end - first) - (point != end ? 1 : 0);
    if (plain && count > 0 && count <= 15) {
      const double magnitude = static_cast<double>(digits) / kPowersOfTen[point != end ? end - point - 1 : 0];
      value = negative ? -magnitude : magnitude;
      return true;
    }
  }
  const auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || stop != end) {
    value = kNaN;
    return false;
  }
  return true;
}

// The double nearest to a short plain decimal text ("-2.62" -> -2.62; empty
// -> NaN): digits / 10^decimals, both exact doubles, so the one division
// rounds correctly. False for any other text, left to ReadBackLong (apart,
// so that this common path calls nothing).
bool ReadBackShort(std::string_view text, double& value) {
  if (text.empty()) {
    value = kNaN;
    return true;
  }
  const bool negative = text.front() == '-';
  const std::size_t size = text.size() - (negative ? 1 : 0);
  std::uint64_t digits = 0;
  int decimals = 0;
  if (size < 1 || size > 8 || !ReadShortPlain(text.data() + (negative ? 1 : 0), size, digits, decimals))
    return false;
  const double magnitude = static_cast<double>(digits) / kPowersOfTen[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

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

// Stores the result texts of one block of rows, as ReadResultColumns gives
// them, each in its column's staging slots (kBlock values of 8 bytes) as what
// it reads back as; a kept text column's slot holds its code.
class CellStore {
 public:
  static constexpr std::size_t kBlock = 256;

  CellStore(const std::vector<OutputColumn>& kinds, const OutputArrays& out)
      : staging_(kinds.size() * kBlock), tables_(kinds.size()) {
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      actions_.push_back(kinds[k].kind == ColumnKind::kNumber ? Action::kNumber
                         : kinds[k].kind == ColumnKind::kFlag ? Action::kFlag
                         : out.columns[k] != nullptr          ? Action::kText
                                                              : Action::kSkip);
    }
  }

  void StartRow(std::size_t slot) {
    slot_ = slot;
    next_ = 0;
  }
  // Called for every cell of every row: its common cases (a short number,
  // a flag, a text not kept) call nothing, and the others end in a call of
  // a function that is not inlined, so that no registers are saved and
  // restored on each call.
  void PlainField(std::string_view text) {
    const std::size_t column = next_++;
    if (column >= actions_.size()) return;  // EndRow counts the row
    double* const cells = &staging_[column * kBlock];
    switch (actions_[column]) {
      case Action::kNumber:
        if (!ReadBackShort(text, cells[slot_])) StoreLongNumber(text, cells[slot_]);
        return;
      case Action::kFlag:
        reinterpret_cast<std::uint8_t*>(cells)[slot_] = text == "1" ? 1 : 0;
        return;
      case Action::kText:
        StoreText(column, text);
        return;
      case Action::kSkip:
        return;
    }
  }
  // Counts a row whose field count is not the columns' (its cells would be shifted).
  void EndRow() {
    if (next_ != actions_.size()) ++unreadable_;
  }
  // A refused row: NaN numbers, false flags, empty texts.
  void StoreEmpty(std::size_t slot) {
    for (std::size_t k = 0; k < actions_.size(); ++k) {
      double* const cells = &staging_[k * kBlock];
      switch (actions_[k]) {
        case Action::kNumber:
          cells[slot] = kNaN;
          break;
        case Action::kFlag:
          reinterpret_cast<std::uint8_t*>(cells)[slot] = 0;
          break;
        case Action::kText:
          reinterpret_cast<std::uint32_t*>(cells)[slot] = 0;
          break;
        case Action::kSkip:
          break;
      }
    }
  }
  // Copies the first `count` slots of every kept column to rows [from, from + count).
  void CopyOut(const OutputArrays& out, std::size_t from, std::size_t count) const {
    for (std::size_t k = 0; k < actions_.size(); ++k) {
      const double* const cells = &staging_[k * kBlock];
      switch (actions_[k]) {
        case Action::kNumber:
          std::copy_n(cells, count, static_cast<double*>(out.columns[k]) + from);
          break;
        case Action::kFlag:
          std::copy_n(reinterpret_cast<const std::uint8_t*>(cells), count,
                      static_cast<std::uint8_t*>(out.columns[k]) + from);
          break;
        case Action::kText:
          std::copy_n(reinterpret_cast<const std::uint32_t*>(cells), count,
                      static_cast<std::uint32_t*>(out.columns[k]) + from);
          break;
        case Action::kSkip:
          break;
      }
    }
  }
  // Cells that went wrong: number texts that did not read back, rows of another field count.
  std::size_t Unreadable() const { return unreadable_; }
  // The texts the codes stand for, per column (empty for the others).
  std::vector<std::vector<std::string>> ReleaseTexts() {
    std::vector<std::vector<std::string>> texts(actions_.size());
    for (std::size_t k = 0; k < actions_.size(); ++k) {
      if (actions_[k] == Action::kText) texts[k] = tables_[k].Release();
    }
    return texts;
  }

 private:
  enum class Action : std::uint8_t { kNumber, kFlag, kText, kSkip };  // kSkip: a text column not kept

  [[gnu::noinline]] void StoreLongNumber(std::string_view text, double& cell) {
    if (!ReadBackLong(text, cell)) ++unreadable_;
  }
  [[gnu::noinline]] void StoreText(std::size_t column, std::string_view text) {
    reinterpret_cast<std::uint32_t*>(&staging_[column * kBlock])[slot_] = tables_[column].CodeOf(text);
  }

  std::vector<Action> actions_;
  std::vector<double> staging_;  // kBlock slots per column, column after column
  std::vector<TextTable> tables_;
  std::size_t slot_ = 0;
  std::size_t next_ = 0;
  std::size_t unreadable_ = 0;
};

// Computes chunks of rows for one thread, one block of rows at a time: a
// block's cells are stored column by column in a small staging area and then
// copied out, so the writes of one row do not touch one cache line in each of
// the sixty output arrays.
class RowComputer {
 public:
  RowComputer(const InputColumns& in, const OutputArrays& out)
      : in_(in), out_(out), store_(OutputColumns(), out) {}

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
    result.unreadable = store_.Unreadable();
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
    store_.StartRow(slot);
    for (std::string_view text : columns_.texts) store_.PlainField(text);
    store_.EndRow();
  }

  const InputColumns& in_;
  const OutputArrays& out_;
  CellStore store_;
  PanelResult result_;
  report::ResultColumnTexts columns_;  // one row's result texts, reused
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

const std::vector<OutputColumn>& OutputColumns() {
  static const std::vector<OutputColumn> columns = [] {
    std::vector<OutputColumn> c;
    for (const std::string& name : report::ResultColumnNames()) c.push_back({name, KindOf(name)});
    return c;
  }();
  return columns;
}

std::vector<ThreadResult> ComputeColumns(const InputColumns& in, std::size_t rows, const OutputArrays& out,
                                         unsigned threads, const StopRequest& stopRequested) {
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
  RowComputer callingComputer(in, out);
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
      computer.emplace(in, out);
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
