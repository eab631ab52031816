// Work on chunks in input order on several threads, with a bounded number of
// chunks in flight:
//
//   ChunkPipeline<Rows> pipeline(jobs, [](Rows& rows) { ... compute ... });
//   while (more input) {
//     while (pipeline.HasFree() && more input) { fill pipeline.Free(); pipeline.Submit(); }
//     Rows* done = pipeline.Next();  // the oldest chunk, once computed
//     write *done;                   // it is free again after the next call
//   }
//
// The caller fills and submits chunks one at a time and takes them back in the
// order submitted; `work` runs on one of `jobs` worker threads for each. At most
// 2 * jobs + 2 chunks exist, reused, so memory stays bounded whatever the input.
// A thread the system cannot start (a thread or memory limit) leaves the work
// to those that started; when none did, Submit runs it on the calling thread.
// An exception thrown by `work` (std::bad_alloc when memory runs out) is thrown
// again by Next() on the calling thread, for the chunk it was thrown for.
#ifndef KESTROVA_BATCH_CHUNK_PIPELINE_H_
#define KESTROVA_BATCH_CHUNK_PIPELINE_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace kestrova::batch {

template <class Chunk>
class ChunkPipeline {
 public:
  ChunkPipeline(unsigned jobs, std::function<void(Chunk&)> work) : work_(std::move(work)) {
    for (unsigned i = 0; i < 2 * jobs + 2; ++i) {
      slots_.push_back(std::make_unique<Slot>());
      free_.push_back(slots_.back().get());
    }
    for (unsigned i = 0; i < jobs; ++i) {
      try {
        workers_.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        break;  // fewer threads: the output is the same for any count
      }
    }
  }
  ~ChunkPipeline() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    queued_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }
  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;

  bool HasFree() const { return !free_.empty(); }
  // The chunk to fill next (HasFree() must be true).
  Chunk& Free() { return free_.back()->chunk; }
  // Hands the chunk from Free() to the workers.
  void Submit() {
    Slot* slot = free_.back();
    free_.pop_back();
    slot->done = false;
    inOrder_.push_back(slot);
    if (workers_.empty()) {
      work_(slot->chunk);  // an exception goes straight to the caller
      slot->done = true;
      return;
    }
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(slot);
    }
    queued_.notify_one();
  }
  // The oldest submitted chunk once its work is done, or null when none is
  // left. It stays valid until the next call.
  Chunk* Next() {
    if (taken_ != nullptr) free_.push_back(taken_);
    taken_ = nullptr;
    if (inOrder_.empty()) return nullptr;
    taken_ = inOrder_.front();
    inOrder_.pop_front();
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return taken_->done; });
    if (taken_->failure) std::rethrow_exception(std::exchange(taken_->failure, nullptr));
    return &taken_->chunk;
  }

 private:
  struct Slot {
    Chunk chunk;
    bool done = false;           // guarded by mutex_
    std::exception_ptr failure;  // what `work` threw; set before done
  };

  void Work() {
    for (;;) {
      Slot* slot = nullptr;
      {
        std::unique_lock lock(mutex_);
        queued_.wait(lock, [&] { return closing_ || !queue_.empty(); });
        if (queue_.empty()) return;
        slot = queue_.front();
        queue_.pop_front();
      }
      std::exception_ptr failure;
      try {
        work_(slot->chunk);
      } catch (...) {
        failure = std::current_exception();
      }
      {
        std::lock_guard lock(mutex_);
        slot->failure = failure;
        slot->done = true;
      }
      finished_.notify_all();
    }
  }

  std::function<void(Chunk&)> work_;
  std::vector<std::unique_ptr<Slot>> slots_;
  // The caller's side (one thread): chunks to fill, and those submitted in order.
  std::vector<Slot*> free_;
  std::deque<Slot*> inOrder_;
  Slot* taken_ = nullptr;
  // Shared with the workers.
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable finished_;
  std::deque<Slot*> queue_;
  bool closing_ = false;
  std::vector<std::thread> workers_;  // last: started after everything they use
};

}  // namespace kestrova::batch

#endif  // KESTROVA_BATCH_CHUNK_PIPELINE_H_
