#include "host/printer_app/server_client.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "host/core/temporary_files.h"
#include "host/printer_app/app_context.h"

namespace k7730::printer_app {

namespace {

constexpr int kConnectMilliseconds = 30000;

Connection Connect(const std::string& host, int port, http_encryption_t encryption) {
  return Connection(
      httpConnect2(host.c_str(), port, nullptr, AF_UNSPEC, encryption, 1, kConnectMilliseconds, nullptr));
}

// The socket of the server run by `uid` for the program named `baseName`,
// as papplMainloop derives it: root's in /run (or $SNAP_COMMON), everyone
// else's in the temporary folder with the user id in the name.
std::string ServerSocket(const std::string& baseName, uid_t uid) {
  if (uid != 0) return host::TemporaryFolder() + "/" + baseName + std::to_string(uid) + ".sock";
  return App().rootSocketFolder + "/" + baseName + ".sock";
}

}  // namespace

Connection ConnectToServer(const std::string& baseName) {
  Connection http = Connect(ServerSocket(baseName, ::getuid()), 0, HTTP_ENCRYPTION_IF_REQUESTED);
  if (!http && ::getuid() != 0) http = Connect(ServerSocket(baseName, 0), 0, HTTP_ENCRYPTION_IF_REQUESTED);
  return http;
}

std::string ClosedServerSocket(const std::string& baseName) {
  for (const uid_t uid : {::getuid(), uid_t{0}}) {
    const std::string path = ServerSocket(baseName, uid);
    if (::access(path.c_str(), W_OK) != 0 && errno == EACCES) return path;
  }
  return "";
}

// PAPPL fault: papplPrinterCreate records its printer_id argument as the
// new printer's "printer-id" attribute before the system numbers the
// printer, so a printer added while the server runs answers printer-id 0
// until the server restarts. papplMainloop's "delete" and "default -d" ask
// the printer for that attribute and give up ("Unable to get information
// for printer: successful-ok"). Not fixed upstream as of 1.3.1. The
// system's list of configured printers has the right ids; these commands
// take the id from there.
#if K7730_PAPPL_VERSION <= 10301
#define K7730_PRINTER_ID_FROM_SYSTEM 1
#endif

#ifdef K7730_PRINTER_ID_FROM_SYSTEM

namespace {

// A connection to the host and port of an ipp: or ipps: printer URI;
// `resource` gets the URI's path. Empty with `error` set when the URI is
// not one or nothing answers there.
Connection ConnectToUri(const std::string& uri, std::string& resource, std::string& error) {
  char scheme[32], userpass[256], host[256], path[1024];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, userpass, sizeof userpass, host,
                      sizeof host, &port, path, sizeof path) < HTTP_URI_STATUS_OK) {
    error = "'" + uri + "' is not a printer URI";
    return nullptr;
  }
  if (std::strcmp(scheme, "ipp") != 0 && std::strcmp(scheme, "ipps") != 0) {
    error = "'" + uri + "' is not an ipp: or ipps: URI";
    return nullptr;
  }
  const bool secure = std::strcmp(scheme, "ipps") == 0 || port == 443;
  Connection http = Connect(host, port, secure ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED);
  if (!http) error = "nothing answers at " + std::string(host) + ":" + std::to_string(port) + ": " + cupsLastErrorString();
  resource = path;
  return http;
}

constexpr const char* kSystemUri = "ipp://localhost/ipp/system";
constexpr const char* kSystemResource = "/ipp/system";

struct DeleteIpp {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, DeleteIpp>;

// A request to the printer or system at `uri`, from this user.
ipp_t* NewRequest(ipp_op_t operation, const char* uriAttribute, const std::string& uri) {
  ipp_t* request = ippNewRequest(operation);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, uriAttribute, nullptr, uri.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  return request;
}

// An exchange with the server; empty with `error` set when it failed.
Ipp Exchange(http_t* http, ipp_t* request, const std::string& resource, std::string& error) {
  Ipp response(cupsDoRequest(http, request, resource.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
    error = cupsLastErrorString();
    return nullptr;
  }
  return response;
}

// The name of the printer at a printer URI.
std::string NameAtUri(http_t* http, const std::string& uri, const std::string& resource, std::string& error) {
  ipp_t* request = NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-name");
  const Ipp response = Exchange(http, request, resource, error);
  if (!response) return "";
  const char* name = ippGetString(ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME), 0, nullptr);
  if (name == nullptr) error = "the printer at " + uri + " gives no name";
  return name != nullptr ? name : "";
}

// The printer-id of the printer named `name`, from the system's list of
// configured printers; 0 with `error` set when there is none.
int IdOfPrinter(http_t* http, const std::string& name, std::string& error) {
  ipp_t* request = NewRequest(IPP_OP_GET_SYSTEM_ATTRIBUTES, "system-uri", kSystemUri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "system-configured-printers");
  const Ipp response = Exchange(http, request, kSystemResource, error);
  if (!response) return 0;
  ipp_attribute_t* printers = ippFindAttribute(response.get(), "system-configured-printers", IPP_TAG_BEGIN_COLLECTION);
  for (int i = 0; i < ippGetCount(printers); ++i) {
    ipp_t* printer = ippGetCollection(printers, i);
    const char* each = ippGetString(ippFindAttribute(printer, "printer-name", IPP_TAG_ZERO), 0, nullptr);
    if (each != nullptr && name == each) return ippGetInteger(ippFindAttribute(printer, "printer-id", IPP_TAG_INTEGER), 0);
  }
  error = "the server has no printer named '" + name + "'";
  return 0;
}

// The connection and printer-id for the printer the command line names:
// -u URI asks the server at that URI, -d NAME the local server.
int FindPrinter(const CommandLine& line, Connection& http, std::string& error) {
  std::string name = line.printerName;
  if (!line.printerUri.empty()) {
    std::string resource;
    http = ConnectToUri(line.printerUri, resource, error);
    if (!http) return 0;
    name = NameAtUri(http.get(), line.printerUri, resource, error);
    if (name.empty()) return 0;
  } else {
    http = ConnectToServer(line.baseName);
    if (!http) {
      error = "no server is running (start one with '" + line.baseName + " server')";
      return 0;
    }
  }
  return IdOfPrinter(http.get(), name, error);
}

// Sends a system request about the printer the command line names.
int ChangeSystem(const CommandLine& line, const char* what, ipp_op_t operation, const char* idAttribute,
                 ipp_tag_t group) {
  Connection http;
  std::string error;
  const int id = FindPrinter(line, http, error);
  if (id != 0) {
    ipp_t* request = NewRequest(operation, "system-uri", kSystemUri);
    ippAddInteger(request, group, IPP_TAG_INTEGER, idAttribute, id);
    if (Exchange(http.get(), request, kSystemResource, error)) return 0;
  }
  std::fprintf(stderr, "%s: cannot %s: %s\n", line.baseName.c_str(), what, error.c_str());
  return 1;
}

}  // namespace

std::optional<int> RunPrinterIdCommand(const CommandLine& line) {
  const bool named = !line.printerName.empty() || !line.printerUri.empty();
  if (line.subcommand == "delete" && !named) {
    std::fprintf(stderr, "%s: delete needs -d PRINTER or -u PRINTER-URI\n", line.baseName.c_str());
    return 1;
  }
  if (line.subcommand == "delete") {
    return ChangeSystem(line, "delete the printer", IPP_OP_DELETE_PRINTER, "printer-id", IPP_TAG_OPERATION);
  }
  if (line.subcommand == "default" && !line.printerName.empty()) {
    return ChangeSystem(line, "make it the default printer", IPP_OP_SET_SYSTEM_ATTRIBUTES,
                        "system-default-printer-id", IPP_TAG_SYSTEM);
  }
  return std::nullopt;
}

#else

std::optional<int> RunPrinterIdCommand(const CommandLine&) { return std::nullopt; }

#endif

}  // namespace k7730::printer_app
