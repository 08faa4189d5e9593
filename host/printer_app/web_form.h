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

// The query of the request's URL ("a=b&c=d", %XX and + decoded) as form
// fields, for a POST whose body is not a form.
void ReadQuery(pappl_client_t* client, WebForm& form);

// Answers with `bytes` of MIME type `type` and status `status`.
bool Respond(pappl_client_t* client, http_status_t status, const std::string& bytes, const char* type);

// A printer's pages are registered with its id, found again on each
// request: a deleted printer's page finds none.
void* PageData(pappl_printer_t* printer);
pappl_printer_t* PrinterOfPage(void* data);

// A page's resource callback for PAPPL, which is C: nothing thrown by
// `Serve` may pass it; a failure answers nothing and PAPPL closes the
// connection.
template <bool (*Serve)(pappl_client_t*, void*)>
bool Guarded(pappl_client_t* client, void* data) {
  try {
    return Serve(client, data);
  } catch (...) {
    return false;
  }
}

// The outcome of a posted form, as the banner at the top of a page (nothing
// when `status` is empty), and a page part that could not be shown; both
// escaped.
void ShowStatus(pappl_client_t* client, const std::string& status);
void ShowError(pappl_client_t* client, const char* text);

// Answers a GET with `bytes` of MIME type `type`.
bool ServeBytes(pappl_client_t* client, const std::vector<std::uint8_t>& bytes, const char* type);

// The bytes of the file uploaded in a field whose value is `value`, at most
// `limit` of them; the upload is removed. Only a file PAPPL made for the
// upload is read: a plain field naming some other file is refused, as is
// an upload above the limit. `what` names the file in messages.
std::vector<std::uint8_t> TakeUpload(const std::string& value, std::size_t limit, const std::string& what);

}  // namespace k7730::printer_app
