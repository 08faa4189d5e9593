// A 6x8 inch page at 300 dpi (1800 x 2400) from JPEG through the printer
// application, from Print-Job until the job is completed (ipptool waits for
// it), beside k7730-print on the same file with the same choices: colour
// matching and mild sharpening. The server runs on a loopback port of its
// own and is stopped by its process id at the end.
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "host/image/image_formats.h"

extern char** environ;

namespace {

using namespace k7730::host;

constexpr std::uint16_t kPort = 18931;

std::string WorkDir() {
  const char* tmp = std::getenv("TMPDIR");
  const std::string dir = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/k7730-printer-app-bench";
  std::filesystem::create_directories(dir + "/out");
  return dir;
}

int Run(const std::string& command) { return std::system(command.c_str()); }

// True once the server accepts connections on its port.
bool Answers() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(kPort);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

void WritePhoto(const std::string& path) {
  Image page;
  page.width = 1800;
  page.height = 2400;
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

const char* kCreate = R"({
  OPERATION Create-Printer
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri system-uri $uri
  ATTR keyword printer-service-type print
  ATTR keyword smi55357-driver k7730
  ATTR uri smi55357-device-uri $device
  GROUP printer-attributes-tag
  ATTR name printer-name bench
  STATUS successful-ok
}
)";

const char* kPrint = R"({
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name bench
  ATTR mimeMediaType document-format image/jpeg
  GROUP job-attributes-tag
  ATTR keyword media oe_photo-6x8_6x8in
  ATTR keyword k7730-sharpen mild
  ATTR keyword k7730-color-match on
  FILE $filename
  STATUS successful-ok
}
)";

// Passes once the job is completed.
const char* kCompleted = R"({
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job
  STATUS successful-ok
  EXPECT job-state WITH-VALUE completed
}
)";

// The server, started once for the benchmarks and stopped at exit.
class Server {
 public:
  Server() : dir_(WorkDir()) {
    photo_ = dir_ + "/photo-6x8.jpg";
    WritePhoto(photo_);
    std::ofstream(dir_ + "/create.test") << kCreate;
    std::ofstream(dir_ + "/print.test") << kPrint;
    std::ofstream(dir_ + "/completed.test") << kCompleted;
    std::filesystem::remove_all(dir_ + "/state");
    const std::string port = "server-port=" + std::to_string(kPort);
    const std::string state = "state-directory=" + dir_ + "/state";
    const std::string log = "log-file=" + dir_ + "/server.log";
    const char* argv[] = {K7730_PRINTER_APP_PATH, "server", "-o", port.c_str(), "-o", state.c_str(),
                          "-o", log.c_str(), "-o", "log-level=warn", nullptr};
    posix_spawn(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ);
    for (int i = 0; i < 100 && !Answers(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    Run("ipptool -q -d device=file://" + dir_ + "/out " + Uri("/ipp/system") + " " + dir_ + "/create.test");
  }
  ~Server() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  std::string Uri(const std::string& path) const { return "ipp://localhost:" + std::to_string(kPort) + path; }
  const std::string& Photo() const { return photo_; }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_, photo_;
  pid_t pid_ = -1;
};

Server& TheServer() {
  static Server server;
  return server;
}

// Print-Job, then Get-Job-Attributes every 20 ms until the job is completed.
void BM_PrinterApp_Jpeg6x8_PrintJobToCompleted(benchmark::State& state) {
  Server& server = TheServer();
  const std::string printer = server.Uri("/ipp/print/bench");
  int job = 0;
  for (auto _ : state) {
    ++job;
    if (Run("ipptool -q -f " + server.Photo() + " " + printer + " " + server.Dir() + "/print.test") != 0) {
      state.SkipWithError("Print-Job failed");
      break;
    }
    const std::string poll = "ipptool -q -d job=" + std::to_string(job) + " " + printer + " " + server.Dir() +
                             "/completed.test";
    for (int i = 0; i < 3000 && Run(poll) != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}
BENCHMARK(BM_PrinterApp_Jpeg6x8_PrintJobToCompleted)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_PrintCommand_Jpeg6x8(benchmark::State& state) {
  Server& server = TheServer();
  const std::string command = std::string(K7730_PRINT_PATH) + " -q --sharpen mild --color-match " + server.Photo() +
                              " " + server.Dir() + "/print-command.ppm --overwrite";
  for (auto _ : state) {
    if (Run(command) != 0) state.SkipWithError("k7730-print failed");
  }
}
BENCHMARK(BM_PrintCommand_Jpeg6x8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
