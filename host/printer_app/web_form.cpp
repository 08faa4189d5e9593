#include "host/printer_app/web_form.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
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

std::string Decoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

void ReadQuery(pappl_client_t* client, WebForm& form) {
  const char* query = papplClientGetOptions(client);
  std::string rest = query != nullptr ? query : "";
  while (!rest.empty()) {
    const auto amp = rest.find('&');
    const std::string pair = rest.substr(0, amp);
    rest = amp == std::string::npos ? "" : rest.substr(amp + 1);
    const auto eq = pair.find('=');
    if (eq == std::string::npos) continue;
    form.count = cupsAddOption(Decoded(pair.substr(0, eq)).c_str(), Decoded(pair.substr(eq + 1)).c_str(), form.count,
                               &form.options);
  }
}

bool Respond(pappl_client_t* client, http_status_t status, const std::string& bytes, const char* type) {
  if (!papplClientRespond(client, status, nullptr, type, 0, bytes.size())) return false;
  http_t* http = papplClientGetHTTP(client);
  httpWrite2(http, bytes.data(), bytes.size());
  httpFlushWrite(http);
  return true;
}

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

void ShowStatus(pappl_client_t* client, const std::string& status) {
  if (status.empty()) return;
  papplClientHTMLPuts(client, "<div class=\"banner\" id=\"k7730-status\">");
  papplClientHTMLEscape(client, status.c_str(), 0);
  papplClientHTMLPuts(client, "</div>\n");
}

void ShowError(pappl_client_t* client, const char* text) {
  papplClientHTMLPuts(client, "<p class=\"error\">");
  papplClientHTMLEscape(client, text, 0);
  papplClientHTMLPuts(client, "</p>\n");
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
