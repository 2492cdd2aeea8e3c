#include "update/http_client.h"

#include "platform/debug_output.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace talven {

namespace {

std::mutex settingsLock;
HttpClientSettings currentSettings;
std::atomic<uint32_t> lastError{0};

using CurlPtr = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using HeaderPtr = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

using Clock = std::chrono::steady_clock;

// What one transfer has brought back so far.
struct Exchange {
    std::span<char> reply;
    const Event* stop = nullptr;
    CURL* curl = nullptr;
    std::chrono::milliseconds stallLimit{0};  // 0: no limit
    Clock::time_point lastMove{};
    curl_off_t moved = -1;                    // bytes sent and received at lastMove
    std::size_t stored = 0;
    bool answered = false;  // a status line has arrived: the server was reached
    bool cut = false;       // the reply did not fit
};

std::size_t storeReply(char* data, std::size_t size, std::size_t count, void* user) {
    auto& x = *static_cast<Exchange*>(user);
    const std::size_t bytes = size * count;
    // One byte stays for the terminating zero.
    const std::size_t room = x.reply.size() - 1 - x.stored;
    const std::size_t taken = std::min(bytes, room);
    std::memcpy(x.reply.data() + x.stored, data, taken);
    x.stored += taken;
    if (taken == bytes) return bytes;
    // Nothing more fits, so there is no point in reading the rest.
    x.cut = true;
    return 0;
}

std::size_t noteHeader(char*, std::size_t size, std::size_t count, void* user) {
    static_cast<Exchange*>(user)->answered = true;
    return size * count;
}

// Ends the transfer when the stop event is set, or when, once connected, no
// byte has moved either way for the send and receive time-out.
int checkProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    auto& x = *static_cast<Exchange*>(user);
    if (x.stop != nullptr && x.stop->isSet()) return 1;
    curl_off_t ready = 0;
    curl_easy_getinfo(x.curl, CURLINFO_PRETRANSFER_TIME_T, &ready);
    const Clock::time_point now = Clock::now();
    if (ready == 0 || received + sent != x.moved) {
        x.moved = ready == 0 ? -1 : received + sent;
        x.lastMove = now;
        return 0;
    }
    return x.stallLimit.count() > 0 && now - x.lastMove >= x.stallLimit ? 1 : 0;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Whether the environment names a proxy libcurl would use for this URL (it
// reads only the lower-case http_proxy, as a CGI program's HTTP_PROXY comes
// from the request).
bool environmentProxyFor(std::string_view url) {
    const bool https = url.size() >= 8 && sameIgnoringCase(url.substr(0, 8), "https://");
    const bool schemeProxy = https ? envSet("https_proxy") || envSet("HTTPS_PROXY") : envSet("http_proxy");
    return schemeProxy || envSet("all_proxy") || envSet("ALL_PROXY");
}

HeaderPtr formHeaders(std::size_t bodyLength) {
    const std::string length = "Content-Length:" + std::to_string(bodyLength);
    curl_slist* list = nullptr;
    for (const char* line : {length.c_str(), "Content-Type: application/x-www-form-urlencoded",
                             "Accept:application/prs.Velko.v1+json",
                             // No "100 Continue" round trip before the body.
                             "Expect:"}) {
        curl_slist* grown = curl_slist_append(list, line);
        if (grown == nullptr) break;
        list = grown;
    }
    return HeaderPtr(list, curl_slist_free_all);
}

void setMethodAndBody(CURL* curl, bool post, std::string_view body) {
    if (post) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
    } else if (body.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        return;
    } else {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    }
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
}

void setTransport(CURL* curl, const std::string& url, const HttpClientSettings& s, Exchange& x) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, s.userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!s.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, s.caFile.c_str());
    if (s.connectTimeoutMs > 0) curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long{s.connectTimeoutMs});
    x.curl = curl;
    x.stallLimit = std::chrono::milliseconds(std::max(s.sendTimeoutMs, s.receiveTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, storeReply);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &x);
    // A proxy's answer to CONNECT is not the server's: the server is only
    // reached once its own status line arrives.
    curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, noteHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &x);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

void setConfiguredProxy(CURL* curl, const HttpClientSettings& s) {
    curl_easy_setopt(curl, CURLOPT_PROXY, s.proxyServer.c_str());
    if (s.proxyUser.empty()) return;
    curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, s.proxyUser.c_str());
    if (!s.proxyPassword.empty()) curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, s.proxyPassword.c_str());
}

// The first attempt goes straight to the server; when it cannot get there
// and the environment names a proxy, one more goes through that proxy.
CURLcode performWithFallback(CURL* curl, std::string_view url, Exchange& x) {
    CURLcode result = curl_easy_perform(curl);
    const bool stopped = x.stop != nullptr && x.stop->isSet();
    if (result == CURLE_OK || x.answered || stopped || !environmentProxyFor(url)) return result;
    debugOutputf("update server not reached directly (%s); trying the environment's proxy",
                 curl_easy_strerror(result));
    curl_easy_setopt(curl, CURLOPT_PROXY, nullptr);
    return curl_easy_perform(curl);
}

int finish(CURLcode result, const Exchange& x, std::string_view url) {
    if (result == CURLE_OK || x.answered) {
        if (x.cut) {
            debugOutputf("reply from %.*s cut at %zu bytes", static_cast<int>(url.size()), url.data(), x.stored);
        } else if (result != CURLE_OK) {
            lastError = static_cast<uint32_t>(result);
            debugOutputf("reply from %.*s broken off: %s", static_cast<int>(url.size()), url.data(),
                         curl_easy_strerror(result));
        }
        return static_cast<int>(x.stored);
    }
    lastError = static_cast<uint32_t>(result);
    debugOutputf("update server %.*s not reached: %s", static_cast<int>(url.size()), url.data(),
                 curl_easy_strerror(result));
    std::memcpy(x.reply.data(), kNoLinkServer.data(), std::min(kNoLinkServer.size(), x.reply.size() - 1));
    return 0;
}

bool refuseArguments(std::string_view method, std::string_view url, std::span<char> reply) {
    if (url.empty()) {
        lastError = kHttpErrorEmptyUrl;
        return true;
    }
    const bool knownMethod = sameIgnoringCase(method, "GET") || sameIgnoringCase(method, "POST");
    if (!knownMethod || reply.empty() || url.find('\0') != std::string_view::npos) {
        lastError = kHttpErrorBadParameter;
        return true;
    }
    return false;
}

}  // namespace

void initHttpClient(const HttpClientSettings& settings) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    std::lock_guard lock(settingsLock);
    currentSettings = settings;
    lastError = 0;
}

HttpClientSettings httpClientSettings() {
    std::lock_guard lock(settingsLock);
    return currentSettings;
}

uint32_t lastHttpError() { return lastError; }

int httpRequest(std::string_view method, std::string_view url, std::string_view body, std::span<char> reply,
                bool useConfiguredProxy, const Event* stop) {
    if (refuseArguments(method, url, reply)) return -1;
    std::fill(reply.begin(), reply.end(), '\0');
    const HttpClientSettings settings = httpClientSettings();
    CurlPtr curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        lastError = kHttpErrorNoSession;
        return -1;
    }
    const std::string target(url);
    Exchange exchange{reply, stop};
    setTransport(curl.get(), target, settings, exchange);
    setMethodAndBody(curl.get(), sameIgnoringCase(method, "POST"), body);
    const HeaderPtr headers = formHeaders(body.size());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    if (useConfiguredProxy) {
        setConfiguredProxy(curl.get(), settings);
        return finish(curl_easy_perform(curl.get()), exchange, url);
    }
    // An empty name keeps libcurl from reading the environment's proxy.
    curl_easy_setopt(curl.get(), CURLOPT_PROXY, "");
    return finish(performWithFallback(curl.get(), url, exchange), exchange, url);
}

}  // namespace talven
