#include "host/printer_app/job_claim.h"

#include <pthread.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace k7730::printer_app {

namespace {

struct Claim {
  std::thread::id owner;
  void* data = nullptr;
};

// The job data of a job that has ended, by how it ended.
Claim kPrinted, kRefused;

std::mutex& ClaimLock() {
  static std::mutex lock;
  return lock;
}

Claim* ClaimOf(pappl_job_t* job) { return static_cast<Claim*>(papplJobGetData(job)); }

#if K7730_PAPPL_VERSION <= 10301
[[noreturn]] void WaitForEver() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
}
#endif

}  // namespace

JobClaim ClaimJob(pappl_job_t* job, bool endThread) {
  {
    const std::lock_guard guard(ClaimLock());
    Claim* claim = ClaimOf(job);
    if (claim == nullptr) {
      papplJobSetData(job, new Claim{std::this_thread::get_id()});
      return JobClaim::kOwn;
    }
    if (claim == &kPrinted) return JobClaim::kEndedPrinted;
    if (claim == &kRefused) return JobClaim::kEndedRefused;
    if (claim->owner == std::this_thread::get_id()) return JobClaim::kOwn;
  }
#if K7730_PAPPL_VERSION <= 10301
  // PAPPL 1.3.1 starts one job on two threads at times (not fixed as of
  // 1.3.1, Debian 12's; see job_claim.h).
  papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Another thread prints this job already; this one stops here.");
  if (endThread) pthread_exit(nullptr);
  WaitForEver();
#else
  (void)endThread;
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Another thread prints this job already.");
  return JobClaim::kEndedRefused;
#endif
}

void SetOwnJobData(pappl_job_t* job, void* data) {
  const std::lock_guard guard(ClaimLock());
  if (Claim* claim = ClaimOf(job); claim != nullptr && claim->owner == std::this_thread::get_id()) claim->data = data;
}

void* OwnJobData(pappl_job_t* job) {
  const std::lock_guard guard(ClaimLock());
  const Claim* claim = ClaimOf(job);
  return claim != nullptr && claim->owner == std::this_thread::get_id() ? claim->data : nullptr;
}

void EndJobClaim(pappl_job_t* job, bool printed) {
  const std::lock_guard guard(ClaimLock());
  Claim* claim = ClaimOf(job);
  if (claim == nullptr || claim == &kPrinted || claim == &kRefused || claim->owner != std::this_thread::get_id()) {
    return;
  }
  delete claim;
  papplJobSetData(job, printed ? &kPrinted : &kRefused);
}

bool JobPrinted(pappl_job_t* job) {
  const std::lock_guard guard(ClaimLock());
  return ClaimOf(job) == &kPrinted;
}

}  // namespace k7730::printer_app
