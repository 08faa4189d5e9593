#include "host/printer_app/print_page.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "host/printer_app/photo_proof.h"
#include "host/printer_app/web_form.h"

namespace k7730::printer_app {

namespace {

constexpr const char* kPageLabel = "Print a Photo";
// The largest photo the page takes, for the proof and for the print; the
// browser checks it before sending, the server again.
constexpr std::int64_t kMaxPhotoBytes = std::int64_t{50} << 20;

std::string PathUnder(pappl_printer_t* printer, const char* leaf) {
  char path[1024];
  return papplPrinterGetPath(printer, leaf, path, sizeof path);
}

// "image/png,image/jpeg,...": what the printer prints, from the format table.
std::string PrintedTypes() {
  std::string types;
  for (const host::ImageFormatInfo& row : host::ImageFormats()) {
    for (const char* type : row.mimeTypes) {
      if (type == nullptr) continue;
      if (!types.empty()) types += ',';
      types += type;
    }
  }
  return types;
}

// "PNG, TIFF, JPEG, WebP or HEIF (HEIC, AVIF)": the same formats in words.
std::string PrintedNames() { return host::FormatList(host::FormatListItem::ListName, " or ", host::Printable); }

void ShowSelect(pappl_client_t* client, const char* id, const char* label,
                const std::vector<std::pair<std::string, std::string>>& choices) {
  papplClientHTMLPrintf(client, "<tr><th><label for=\"%s\">%s:</label></th><td><select id=\"%s\">", id, label, id);
  for (const auto& [value, text] : choices) {
    papplClientHTMLPrintf(client, "<option value=\"%s\">%s</option>", value.c_str(), text.c_str());
  }
  papplClientHTMLPuts(client, "</select></td></tr>\n");
}

void ShowChoices(pappl_client_t* client) {
  papplClientHTMLPrintf(client,
                        "<table class=\"form\"><tbody>\n<tr><th><label for=\"k7730-photo\">Photo:</label></th><td>"
                        "<input type=\"file\" id=\"k7730-photo\" accept=\"%s\"> (%s, at most %d MiB)"
                        "</td></tr>\n",
                        PrintedTypes().c_str(), PrintedNames().c_str(), static_cast<int>(kMaxPhotoBytes >> 20));
  std::vector<std::pair<std::string, std::string>> media;
  for (const host::Media& m : host::kMediaList) media.emplace_back(m.pwgName, m.name);
  ShowSelect(client, "k7730-media", "Paper", media);
  ShowSelect(client, "k7730-fit", "Picture",
             {{"fill", "fill the paper (edges cut off)"}, {"fit", "fit whole, white margins"}});
  for (const host::VendorOption& option : host::VendorOptions()) {
    std::vector<std::pair<std::string, std::string>> choices;
    for (const char* choice : option.choices) choices.emplace_back(choice, choice);
    ShowSelect(client, option.name, option.label, choices);
  }
  papplClientHTMLPuts(client,
                      "<tr><th></th><td><button type=\"button\" id=\"k7730-show-proof\">Show the proof</button> "
                      "<button type=\"button\" id=\"k7730-print\">Print</button></td></tr>\n</tbody></table>\n");
}

// The script: the proof comes from the server; the print goes to the
// printer as an IPP Print-Job, as any IPP client sends it.
constexpr const char* kScript = R"JS(<script>
(function() {
  const $ = id => document.getElementById(id), page = $('k7730-print-page').dataset;
  const say = text => { $('k7730-status').textContent = text; };
  const choices = () => ({ media: $('k7730-media').value, fit: $('k7730-fit').value,
    'k7730-sharpen': $('k7730-sharpen').value, 'k7730-color-match': $('k7730-color-match').value,
    'k7730-intent': $('k7730-intent').value });
  function photo() {
    const file = $('k7730-photo').files[0];
    if (!file) { say('Choose a photo first.'); return null; }
    if (file.size > Number(page.max)) { say('The photo is larger than ' + (page.max >> 20) + ' MiB; it was not sent.'); return null; }
    return file;
  }
  $('k7730-photo').onchange = () => { const f = $('k7730-photo').files[0]; if (f) $('k7730-sent').src = URL.createObjectURL(f); };
  $('k7730-show-proof').onclick = async () => {
    const file = photo(); if (!file) return;
    say('Making the proof...');
    const query = new URLSearchParams(Object.assign({ session: page.session }, choices()));
    const reply = await fetch(page.proof + '?' + query, { method: 'POST', body: file });
    if (!reply.ok) { say('No proof: ' + await reply.text()); return; }
    $('k7730-proof').src = URL.createObjectURL(await reply.blob());
    say('The proof shows the print as the printer profile predicts it.');
  };
  function ipp(file, job) {
    const bytes = [2, 0, 0, 2, 0, 0, 0, 1], text = new TextEncoder();
    const add = (tag, name, value) => { const n = text.encode(name), v = text.encode(value);
      bytes.push(tag, n.length >> 8, n.length & 255, ...n, v.length >> 8, v.length & 255, ...v); };
    bytes.push(1);
    add(0x47, 'attributes-charset', 'utf-8'); add(0x48, 'attributes-natural-language', 'en');
    add(0x45, 'printer-uri', 'ipp://' + location.host + page.ipp);
    add(0x42, 'requesting-user-name', 'web'); add(0x42, 'job-name', file.name || 'photo');
    add(0x49, 'document-format', file.type);
    bytes.push(2);
    add(0x44, 'media', job.media); add(0x44, 'print-scaling', job.fit);
    for (const name of ['k7730-sharpen', 'k7730-color-match', 'k7730-intent']) add(0x44, name, job[name]);
    bytes.push(3);
    return new Blob([new Uint8Array(bytes), file], { type: 'application/ipp' });
  }
  $('k7730-print').onclick = async () => {
    const file = photo(); if (!file) return;
    if (!page.types.split(',').includes(file.type)) { say('This printer prints ' + page.names + '; the photo was not sent.'); return; }
    const reply = new Uint8Array(await (await fetch(page.ipp, { method: 'POST', body: ipp(file, choices()),
      headers: { 'Content-Type': 'application/ipp' } })).arrayBuffer());
    const status = (reply[2] << 8) | reply[3], at = new TextDecoder('latin1').decode(reply).indexOf('job-id');
    if (status > 0xff || at < 0) { say('Not printed: the printer answered with status 0x' + status.toString(16) + '.'); return; }
    const id = (reply[at + 8] << 24) | (reply[at + 9] << 16) | (reply[at + 10] << 8) | reply[at + 11];
    say('Sent as job ' + id + '.');
  };
})();
</script>
)JS";

bool ServePageOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOfPage(data);
  if (printer == nullptr) return false;
  papplClientHTMLPrinterHeader(client, printer, kPageLabel, 0, nullptr, nullptr);
  char token[256];
  papplClientHTMLPrintf(client,
                        "<div id=\"k7730-print-page\" data-session=\"%s\" data-proof=\"%s\" data-ipp=\"/ipp/print%s\" "
                        "data-types=\"%s\" data-names=\"%s\" data-max=\"%lld\">\n",
                        papplClientGetCSRFToken(client, token, sizeof token), PathUnder(printer, "k7730-proof").c_str(),
                        PathUnder(printer, nullptr).c_str(), PrintedTypes().c_str(), PrintedNames().c_str(),
                        static_cast<long long>(kMaxPhotoBytes));
  ShowChoices(client);
  papplClientHTMLPuts(client,
                      "<div class=\"banner\" id=\"k7730-status\">Choose a photo.</div>\n"
                      "<div style=\"display:flex;gap:16px\"><figure><img id=\"k7730-sent\" style=\"max-width:420px\" "
                      "alt=\"\"><figcaption>The photo as sent</figcaption></figure><figure><img id=\"k7730-proof\" "
                      "style=\"max-width:420px\" alt=\"\"><figcaption>The proof of the print</figcaption></figure>"
                      "</div></div>\n");
  papplClientHTMLPuts(client, kScript);
  papplClientHTMLPrinterFooter(client);
  return true;
}

// The request's body into `path`, read to its end whatever its size;
// false when it is larger than the limit (nothing kept then).
bool ReceivePhoto(pappl_client_t* client, int fd, const std::string& path) {
  http_t* http = papplClientGetHTTP(client);
  std::int64_t total = 0;
  std::vector<char> buffer(std::size_t{64} << 10);
  for (ssize_t n; (n = httpRead2(http, buffer.data(), buffer.size())) > 0;) {
    total += n;
    if (total <= kMaxPhotoBytes) host::WriteAll(fd, path, buffer.data(), static_cast<std::size_t>(n));
  }
  return total > 0 && total <= kMaxPhotoBytes;
}

PhotoChoices ChoicesOf(const WebForm& query) {
  PhotoChoices choices;
  const std::string media = query.Text("media");
  choices.media = nullptr;
  for (const host::Media& m : host::kMediaList) {
    if (media == m.pwgName) choices.media = &m;
  }
  if (choices.media == nullptr) throw host::HostError("no paper " + media + " in this printer");
  choices.fit = query.Text("fit") == "fit" ? host::MediaFit::Fit : host::MediaFit::Fill;
  for (const host::VendorOption& option : host::VendorOptions()) {
    host::ApplyVendorOption(option.name, query.Text(option.name), choices.stages);
  }
  return choices;
}

bool ServeProofOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOfPage(data);
  if (printer == nullptr) return false;
  WebForm query;
  ReadQuery(client, query);
  std::string path = std::string(papplGetTempDir()) + "/k7730-photo-XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return Respond(client, HTTP_STATUS_SERVER_ERROR, "cannot keep the photo", "text/plain");
  struct Remove {
    std::string path;
    int fd;
    ~Remove() {
      ::close(fd);
      ::unlink(path.c_str());
    }
  } remove{path, fd};
  const bool whole = ReceivePhoto(client, fd, path);
  if (papplClientGetMethod(client) != HTTP_STATE_POST || !papplClientIsValidForm(client, query.count, query.options)) {
    return Respond(client, HTTP_STATUS_BAD_REQUEST, "reload the page and try again", "text/plain");
  }
  if (!whole) {
    return Respond(client, HTTP_STATUS_REQUEST_TOO_LARGE,
                   "the photo is empty or larger than " + std::to_string(kMaxPhotoBytes >> 20) + " MiB", "text/plain");
  }
  std::vector<std::uint8_t> proof;
  try {
    proof = ProofOfPhoto(papplPrinterGetName(printer), path, ChoicesOf(query));
  } catch (const std::exception& e) {
    // The readers name the file; the server's temporary name means nothing
    // to the person who sent it.
    std::string why = e.what();
    for (auto at = why.find(path); at != std::string::npos; at = why.find(path)) {
      why.replace(at, path.size(), "the photo");
    }
    return Respond(client, HTTP_STATUS_BAD_REQUEST, why, "text/plain");
  }
  return ServeBytes(client, proof, "image/png");
}

}  // namespace

void AddPrintPage(pappl_printer_t* printer) {
  pappl_system_t* system = papplPrinterGetSystem(printer);
  void* id = PageData(printer);
  const std::string page = PathUnder(printer, "k7730-print-photo");
  papplSystemAddResourceCallback(system, page.c_str(), "text/html", Guarded<ServePageOrThrow>, id);
  papplSystemAddResourceCallback(system, PathUnder(printer, "k7730-proof").c_str(), "image/png",
                                 Guarded<ServeProofOrThrow>, id);
  papplPrinterAddLink(printer, kPageLabel, page.c_str(), PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
}

}  // namespace k7730::printer_app
