#include "host/printer_app/web_form.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/printer_app/app_context.h"

namespace k7730::printer_app {

namespace {

// PAPPL keeps an uploaded file in the temporary folder under a name of hex
// digits and passes that name as the field's value.
bool IsUploadName(const std::string& path) {
  const std::string folder = std::string(papplGetTempDir()) + "/";
  if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
  const std::string name = path.substr(folder.size());
  return name.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

std::string WebForm::Text(const char* name) const {
  const char* value = Get(name);
  return value != nullptr ? value : "";
}

void* PageData(pappl_printer_t* printer) {
  return reinterpret_cast<void*>(static_cast<std::intptr_t>(papplPrinterGetID(printer)));
}

pappl_printer_t* PrinterOfPage(void* data) {
  return papplSystemFindPrinter(App().system, nullptr, static_cast<int>(reinterpret_cast<std::intptr_t>(data)),
                                nullptr);
}

bool ServeBytes(pappl_client_t* client, const std::vector<std::uint8_t>& bytes, const char* type) {
  if (!papplClientRespond(client, HTTP_STATUS_OK, nullptr, type, 0, bytes.size())) return false;
  http_t* http = papplClientGetHTTP(client);
  httpWrite2(http, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  httpFlushWrite(http);
  return true;
}

std::vector<std::uint8_t> TakeUpload(const std::string& value, std::size_t limit, const std::string& what) {
  struct stat info {};
  if (!IsUploadName(value) || ::lstat(value.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw host::HostError(what + " did not arrive as a file upload");
  }
  struct Remove {
    std::string path;
    ~Remove() { ::unlink(path.c_str()); }
  } remove{value};
  return host::ReadFileBytes(value, limit);
}

}  // namespace k7730::printer_app
