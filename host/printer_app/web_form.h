// A posted web form as the printer's own pages read it: its fields, and a
// file field's upload, which PAPPL keeps in its temporary folder.
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace k7730::printer_app {

struct WebForm {
  int count = 0;
  cups_option_t* options = nullptr;
  WebForm() = default;
  WebForm(const WebForm&) = delete;
  WebForm& operator=(const WebForm&) = delete;
  ~WebForm() { cupsFreeOptions(count, options); }
  const char* Get(const char* name) const { return cupsGetOption(name, count, options); }
  // The field's value, empty when it is missing.
  std::string Text(const char* name) const;
};

// A printer's pages are registered with its id, found again on each
// request: a deleted printer's page finds none.
void* PageData(pappl_printer_t* printer);
pappl_printer_t* PrinterOfPage(void* data);

// Answers a GET with `bytes` of MIME type `type`.
bool ServeBytes(pappl_client_t* client, const std::vector<std::uint8_t>& bytes, const char* type);

// The bytes of the file uploaded in a field whose value is `value`, at most
// `limit` of them; the upload is removed. Only a file PAPPL made for the
// upload is read: a plain field naming some other file is refused, as is
// an upload above the limit. `what` names the file in messages.
std::vector<std::uint8_t> TakeUpload(const std::string& value, std::size_t limit, const std::string& what);

}  // namespace k7730::printer_app
