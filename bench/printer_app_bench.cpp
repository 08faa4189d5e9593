// A 6x8 inch page at 300 dpi (1800 x 2400) from JPEG through the printer
// application to its device, timed from Print-Job until the job is
// completed, beside k7730-print on the same file with the same choices
// (colour matching, mild sharpening); both times and their ratio are
// printed at the end. The server runs on a free loopback port with a state
// folder of its own and is stopped by its process id at the end.
#include <benchmark/benchmark.h>
#include <cups/cups.h>
#include <cups/raster.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "host/image/image_formats.h"

extern char** environ;

namespace {

using namespace k7730::host;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kWidth = 1800, kHeight = 2400;
constexpr auto kPollInterval = std::chrono::milliseconds(2);
constexpr auto kJobTimeout = std::chrono::seconds(120);
constexpr const char* kPrintApp = "BM_PrinterApp_Jpeg6x8_PrintJobToCompleted";
constexpr const char* kPrintCommand = "BM_PrintCommand_Jpeg6x8";

std::string WorkDir() {
  const char* tmp = std::getenv("TMPDIR");
  const std::string dir = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/k7730-printer-app-bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir + "/out");
  return dir;
}

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof addr;
  const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size) == 0;
  ::close(fd);
  return ok ? ntohs(addr.sin_port) : 0;
}

// Runs a program with its output on /dev/null; its exit status.
int RunQuietly(const std::vector<std::string>& args, pid_t* started = nullptr) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) return -1;
  if (started != nullptr) {
    *started = pid;
    return 0;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WritePhoto(const std::string& path) {
  Image page;
  page.width = kWidth;
  page.height = kHeight;
  page.resolution = {300, 300};
  page.rgb.resize(std::size_t{page.width} * page.height * 3);
  std::uint32_t noise = 1;
  for (std::uint32_t y = 0; y < page.height; ++y) {
    for (std::uint32_t x = 0; x < page.width; ++x) {
      const double fx = double(x) / page.width, fy = double(y) / page.height;
      const double shade = 0.5 + 0.5 * std::sin(fx * 9.0) * std::cos(fy * 7.0);
      noise = noise * 1664525u + 1013904223u;
      const std::uint32_t n = noise >> 29;
      std::uint8_t* p = &page.rgb[(std::size_t{y} * page.width + x) * 3];
      p[0] = static_cast<std::uint8_t>(40 + 170 * shade * fx + n);
      p[1] = static_cast<std::uint8_t>(30 + 190 * shade * (1 - fy) + n);
      p[2] = static_cast<std::uint8_t>(60 + 150 * (1 - shade) + n);
    }
  }
  WriteImage(path, page);
}

// An IPP request with the attributes every one of ours starts with.
ipp_t* NewRequest(ipp_op_t operation, const char* uriName, const std::string& uri) {
  ipp_t* request = ippNewRequest(operation);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, uriName, nullptr, uri.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "bench");
  return request;
}

// The server, started once for the benchmarks and stopped at exit.
class Server {
 public:
  Server() : dir_(WorkDir()), port_(FreePort()) {
    photo_ = dir_ + "/photo-6x8.jpg";
    WritePhoto(photo_);
    RunQuietly({K7730_PRINTER_APP_PATH, "server", "-o", "server-port=" + std::to_string(port_), "-o",
                "state-directory=" + dir_ + "/state", "-o", "server-socket=none", "-o",
                "log-file=" + dir_ + "/server.log", "-o", "log-level=warn"},
               &pid_);
    for (int i = 0; i < 300 && http_ == nullptr; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      http_ = httpConnect2("localhost", port_, nullptr, AF_INET, HTTP_ENCRYPTION_IF_REQUESTED, 1, 1000, nullptr);
    }
    if (http_ != nullptr && AddPrinter()) {
      // The first job after the start loads what later jobs find ready.
      ready_ = PrintAndWait("warm-up") == IPP_JSTATE_COMPLETED;
    }
  }
  ~Server() {
    if (http_ != nullptr) httpClose(http_);
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  bool Ready() const { return ready_; }
  const std::string& Photo() const { return photo_; }
  const std::string& Dir() const { return dir_; }

  // Print-Job, then Get-Job-Attributes until the job has ended; its state.
  ipp_jstate_t PrintAndWait(const std::string& jobName) {
    ipp_t* request = NewRequest(IPP_OP_PRINT_JOB, "printer-uri", Uri(kPrinterPath));
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, "image/jpeg");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, jobName.c_str());
    ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, "media", nullptr, "oe_photo-6x8_6x8in");
    ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, "k7730-sharpen", nullptr, "mild");
    ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, "k7730-color-match", nullptr, "on");
    ipp_t* response = cupsDoFileRequest(http_, request, kPrinterPath, photo_.c_str());
    const int job = ippGetInteger(ippFindAttribute(response, "job-id", IPP_TAG_INTEGER), 0);
    ippDelete(response);
    if (job <= 0) return IPP_JSTATE_ABORTED;
    const auto deadline = Clock::now() + kJobTimeout;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    while (state < IPP_JSTATE_CANCELED && Clock::now() < deadline) {
      std::this_thread::sleep_for(kPollInterval);
      state = JobState(job);
    }
    return state;
  }

 private:
  static constexpr const char* kPrinterPath = "/ipp/print/bench";

  std::string Uri(const char* path) const { return "ipp://localhost:" + std::to_string(port_) + path; }

  bool AddPrinter() {
    ipp_t* request = NewRequest(IPP_OP_CREATE_PRINTER, "system-uri", Uri("/ipp/system"));
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "printer-service-type", nullptr, "print");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "smi55357-driver", nullptr, "k7730");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "smi55357-device-uri", nullptr,
                 ("file://" + dir_ + "/out").c_str());
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, "bench");
    ippDelete(cupsDoRequest(http_, request, "/ipp/system"));
    return cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
  }

  ipp_jstate_t JobState(int job) {
    ipp_t* request = NewRequest(IPP_OP_GET_JOB_ATTRIBUTES, "printer-uri", Uri(kPrinterPath));
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "job-state");
    ipp_t* response = cupsDoRequest(http_, request, kPrinterPath);
    const auto state = static_cast<ipp_jstate_t>(ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0));
    ippDelete(response);
    return state != 0 ? state : IPP_JSTATE_ABORTED;
  }

  std::string dir_, photo_;
  int port_ = 0;
  pid_t pid_ = -1;
  http_t* http_ = nullptr;
  bool ready_ = false;
};

Server& TheServer() {
  static Server server;
  return server;
}

// True when the device received one page of 1800 x 2400 pixels for the job.
bool DeviceGotThePage(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_READ);
  cups_page_header2_t header{};
  const bool ok = raster != nullptr && cupsRasterReadHeader2(raster, &header) != 0 && header.cupsWidth == kWidth &&
                  header.cupsHeight == kHeight;
  if (raster != nullptr) cupsRasterClose(raster);
  ::close(fd);
  return ok;
}

void BM_PrinterApp_Jpeg6x8_PrintJobToCompleted(benchmark::State& state) {
  Server& server = TheServer();
  if (!server.Ready()) {
    state.SkipWithError(("the server did not print; see " + server.Dir() + "/server.log").c_str());
    return;
  }
  int job = 0;
  for (auto _ : state) {
    const std::string name = "job-" + std::to_string(++job);
    if (server.PrintAndWait(name) != IPP_JSTATE_COMPLETED) {
      state.SkipWithError(("job " + name + " did not complete").c_str());
      return;
    }
  }
  if (!DeviceGotThePage(server.Dir() + "/out/job-" + std::to_string(job) + ".pwg")) {
    state.SkipWithError("the device did not receive a 1800 x 2400 page");
  }
}
BENCHMARK(BM_PrinterApp_Jpeg6x8_PrintJobToCompleted)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_PrintCommand_Jpeg6x8(benchmark::State& state) {
  Server& server = TheServer();
  const std::vector<std::string> command = {K7730_PRINT_PATH, "-q", "--sharpen", "mild", "--color-match",
                                            server.Photo(), server.Dir() + "/print-command.ppm", "--overwrite"};
  for (auto _ : state) {
    if (RunQuietly(command) != 0) {
      state.SkipWithError("k7730-print failed");
      return;
    }
  }
}
BENCHMARK(BM_PrintCommand_Jpeg6x8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// Keeps each benchmark's time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> millis;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.iterations > 0) {
        millis[run.run_name.function_name] = run.real_accumulated_time * 1e3 / double(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double app = reporter.millis[kPrintApp], command = reporter.millis[kPrintCommand];
  if (app > 0 && command > 0) {
    std::printf("\n6x8 inch JPEG page, 1800 x 2400: printer application %.0f ms (Print-Job to completed), "
                "k7730-print %.0f ms, ratio %.2f\n",
                app, command, app / command);
  }
  return 0;
}
