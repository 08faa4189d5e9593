// Reaching a running server from the command line: the domain socket a
// server listens on for the local sub-commands, and connections to it or
// to the host of a printer URI.
#pragma once

#include <cups/cups.h>
#include <sys/types.h>

#include <memory>
#include <string>

namespace k7730::printer_app {

struct CloseHttp {
  void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, CloseHttp>;

// The socket of the server run by `uid` for the program named `baseName`,
// as papplMainloop derives it: root's in /run (or $SNAP_COMMON), everyone
// else's in the temporary folder with the user id in the name.
std::string ServerSocket(const std::string& baseName, uid_t uid);

// A connection to the server of this user, else to root's; empty when
// neither answers. Never starts a server.
Connection ConnectToServer(const std::string& baseName);

// The server's socket that exists but that this user may not use (the
// service's is open to root and the lpadmin group only); empty when none.
std::string ClosedServerSocket(const std::string& baseName);

// A connection to the host and port of an ipp: or ipps: printer URI;
// `resource` gets the URI's path. Empty with `error` set when the URI is
// not one or nothing answers there.
Connection ConnectToUri(const std::string& uri, std::string& resource, std::string& error);

}  // namespace k7730::printer_app
