#pragma once
// A small blocking HTTP client for the update service, over libcurl.
//
//   initHttpClient(settings)   once, before any request (user agent, proxy,
//                              trusted CA file, time-outs)
//   httpRequest(...)           one request on the caller's thread
//   lastHttpError()            why the last request failed
//
// A request that cannot reach the server (no connection, a refused or failed
// TLS handshake, nothing sent, no reply before the time-out) returns 0 and
// leaves "NO_LINK_SERVER" at the start of the reply buffer; the update check
// counts such a row as unreachable. Certificates and host names are always
// verified: a server that cannot prove who it is is not reached at all.
// Once a reply has started, its status code is not examined: an error page
// comes back like any other body.

#include "platform/event.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace talven {

inline constexpr std::size_t kHttpReplyBufferSize = 102400;
inline constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";

// lastHttpError() values of our own; a transfer failure records libcurl's
// CURLcode instead.
inline constexpr uint32_t kHttpErrorEmptyUrl = 3;
inline constexpr uint32_t kHttpErrorBadParameter = 87;
inline constexpr uint32_t kHttpErrorNoSession = 8;

struct HttpClientSettings {
    std::string userAgent = "WinHTTP Client/1.0";
    // Used only when a request asks for the configured proxy.
    std::string proxyServer;
    std::string proxyUser;
    std::string proxyPassword;
    // PEM file of the certificate authorities to trust; empty = the system's.
    std::string caFile;
    // Milliseconds. Connecting includes the name look-up and the TLS
    // handshake. Once connected, the request fails when no byte moves either
    // way for the longer of the send and receive time-outs (checked about
    // once a second).
    int connectTimeoutMs = 60000;
    int sendTimeoutMs = 30000;
    int receiveTimeoutMs = 30000;
};

// Sets the process-wide settings and the last error to 0. Safe to call again
// (tests do); requests already running keep the settings they started with.
void initHttpClient(const HttpClientSettings& settings = {});
HttpClientSettings httpClientSettings();

// method: "GET" or "POST", any case. body: sent as is with the form headers.
// reply: filled from its start and always ends in a zero byte, so at most
// reply.size() - 1 bytes are stored; a longer reply is cut there. Returns the
// number of bytes stored, 0 when nothing was read, -1 for an empty URL or
// another method (last error 3 or 87) or when no transfer could be set up.
// When `stop` is set during the request, the request ends as unreachable.
int httpRequest(std::string_view method, std::string_view url, std::string_view body, std::span<char> reply,
                bool useConfiguredProxy, const Event* stop = nullptr);

uint32_t lastHttpError();

}  // namespace talven
