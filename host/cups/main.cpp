// rastertok7730: the CUPS filter that runs every raster page of a print
// job through the K7730fe module on its way to the printer.
//
//   rastertok7730 job-id user title copies options [file]
//
// Raster comes from the file or standard input and goes to standard
// output; messages go to standard error as CUPS reads them.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "host/core/file_bytes.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/cups/job_options.h"
#include "host/core/module_api.h"
#include "host/cups/raster_job.h"
#include "host/cups/raster_stream.h"
#include "host/core/settings_record.h"
#include "host/core/temporary_files.h"

using namespace k7730::host;

namespace {

// $K7730FE_MODULE first (for testing a build), then the PPD's
// *k7730ModuleFile, then the module next to the filter (a build folder) or
// at its installed place.
std::string ModulePath(const PpdFacts& ppd, const char* named) {
  if ((named == nullptr || named[0] == '\0') && !ppd.moduleFile.empty()) return ppd.moduleFile;
  return DefaultModulePath(K7730_MODULE_FROM_PROGRAM, named);
}

// The settings file first, then the job's stage options over it. An intent
// given alone re-applies the colour matching the settings already have.
void ApplyJob(FilterSession& session, JobStages job) {
  const Console silent{.quiet = true};
  StageOptions settings;
  settings.settingsFile = job.settingsFile;
  session.ApplyStages(settings, nullptr, "", silent);
  if (const std::string note = ApplyJobStages(session, std::move(job)); !note.empty()) JobLog::Debug(note);
}

int OpenInput(int argc, char* argv[]) {
  if (argc < 7) return STDIN_FILENO;
  const int fd = ::open(argv[6], O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError(argv[6], "cannot open: " + ErrnoText());
  return fd;
}

int RunFilter(int argc, char* argv[]) {
  const PpdFacts ppd = ReadPpd(std::getenv("PPD"));
  const JobStages job = ParseJobOptions(argv[5], ppd);
  const LoadedModule module(ModulePath(ppd, std::getenv("K7730FE_MODULE")));
  if (!module.CanRunPages()) module.Require(nullptr, "plugin_filter_do", "running pages");
  FilterSession session(module);
  ApplyJob(session, job);
  JobLog::Debug("rastertok7730: module " + module.Path() + ", stages: " + [&] {
    std::string text;
    for (const auto& stage : session.PlannedStages(false)) text += (text.empty() ? "" : ", ") + stage;
    return text.empty() ? std::string("none") : text;
  }());

  const int fd = OpenInput(argc, argv);
  RasterReader in(fd);
  RasterWriter out(STDOUT_FILENO);
  const unsigned pages = RunRasterJob(session, in, out);
  if (fd != STDIN_FILENO) ::close(fd);
  if (pages == 0) throw HostError("the raster stream holds no pages");
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 6 || argc > 7) {
    std::fputs("Usage: rastertok7730 job-id user title copies options [file]\n", stderr);
    return 1;
  }
  try {
    SetTemporaryFolder(std::getenv("TMPDIR"));
    return RunFilter(argc, argv);
  } catch (const std::exception& e) {
    JobLog::Error(e.what());
  }
  return 1;
}
