#include "host/printer_app/server_connection.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/core/temporary_files.h"

namespace k7730::printer_app {

namespace {

constexpr int kConnectMilliseconds = 30000;

Connection Connect(const std::string& host, int port, http_encryption_t encryption) {
  return Connection(
      httpConnect2(host.c_str(), port, nullptr, AF_UNSPEC, encryption, 1, kConnectMilliseconds, nullptr));
}

}  // namespace

std::string ServerSocket(const std::string& baseName, uid_t uid) {
  if (uid != 0) return host::TemporaryFolder() + "/" + baseName + std::to_string(uid) + ".sock";
  const char* snap = std::getenv("SNAP_COMMON");
  return std::string(snap != nullptr ? snap : "/run") + "/" + baseName + ".sock";
}

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

}  // namespace k7730::printer_app
