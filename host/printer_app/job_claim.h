// Which thread prints a job. PAPPL 1.3 can start one job on two threads:
// when two of its threads look for the next job at once, both see the
// printer free and the job pending (it only becomes processing once its
// thread has started), and both start it. Both threads then run the
// driver's callbacks for the same job and the same job data. The first
// thread to claim the job prints it. A second thread that arrives while the
// first still prints must not return: PAPPL would finish the job twice and
// keep it twice in its list of completed jobs, which PAPPL later frees
// twice. A job thread of PAPPL's claims the job first thing in our image
// filter, holding nothing yet, and a second one ends there (the first
// thread's finish undoes what the second one's start did); anywhere else
// it waits for ever. A second thread that arrives after the job has ended
// (PAPPL has already marked it processing again) answers as the first one
// did and prints nothing, so that PAPPL's finish marks the job ended again.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

enum class JobClaim { kOwn, kEndedPrinted, kEndedRefused };

// Claims the job for this thread (kOwn also when this thread holds the
// claim already); does not return while another thread prints it: with
// `endThread` a thread of PAPPL's own for the job ends, else it waits.
JobClaim ClaimJob(pappl_job_t* job, bool endThread = false);

// The state this thread keeps for a job it has claimed.
void SetOwnJobData(pappl_job_t* job, void* data);
// This thread's state for the job, or null when it does not print the job.
void* OwnJobData(pappl_job_t* job);

// Ends this thread's claim; later threads on the job learn how it ended.
void EndJobClaim(pappl_job_t* job, bool printed);

// For a thread that does not print the job: whether it printed.
bool JobPrinted(pappl_job_t* job);

}  // namespace k7730::printer_app
