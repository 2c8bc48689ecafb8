// The job records of a run over several workers, reused: the calling thread makes one per
// file and drops it once the host has its rows, thousands of times a second.
#pragma once

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "core/search/find_run_file.h"

namespace quonder {

// Taking back the last record dropped spares the allocator that churn and hands out memory the
// calling thread touched lately. One thread makes and drops the records.
class JobPool {
 public:
  struct Return {
    JobPool* pool;
    void operator()(FileJob* job) const { pool->Give(job); }
  };
  using Job = std::unique_ptr<FileJob, Return>;

  JobPool() = default;
  ~JobPool() {
    for (void* slot : spare_) ::operator delete(slot, kAlign);
  }
  JobPool(const JobPool&) = delete;
  JobPool& operator=(const JobPool&) = delete;

  Job Make(WalkItem&& item) {
    void* slot = nullptr;
    if (spare_.empty()) {
      slot = ::operator new(sizeof(FileJob), kAlign);
    } else {
      slot = spare_.back();
      spare_.pop_back();
    }
    return Job(new (slot) FileJob(std::move(item)), Return{this});
  }

 private:
  static constexpr std::align_val_t kAlign{alignof(FileJob)};

  void Give(FileJob* job) {
    job->~FileJob();
    try {
      spare_.push_back(job);
    } catch (const std::bad_alloc&) {
      ::operator delete(job, kAlign);
    }
  }

  std::vector<void*> spare_;
};

}  // namespace quonder
