#include "tools/update/download.h"

#include <curl/curl.h>
#include <glib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace talven::update {

namespace {

struct Progress {
    const DownloadRequest* request;
    int lastPercent = -1;
};

int onProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto& p = *static_cast<Progress*>(user);
    if (total <= 0 || !p.request->progress) return 0;
    const int percent = static_cast<int>(std::min<curl_off_t>(now * 100 / total, 100));
    if (percent > p.lastPercent) {
        p.lastPercent = percent;
        p.request->progress(percent);
    }
    return 0;
}

void setOptions(CURL* curl, const DownloadRequest& request, FILE* file, Progress& progress) {
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!request.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, request.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long{request.connectTimeoutMs});
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long{std::max(1, (request.stallTimeoutMs + 999) / 1000)});
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

}  // namespace

std::string download(const DownloadRequest& request) {
    std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(request.target.c_str(), "wb"), std::fclose);
    if (!file) return "cannot write " + request.target;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return "cannot start a transfer";
    Progress progress{&request};
    char detail[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, detail);
    setOptions(curl.get(), request, file.get(), progress);
    const CURLcode result = curl_easy_perform(curl.get());
    if (result != CURLE_OK) return *detail != '\0' ? detail : curl_easy_strerror(result);
    if (std::fflush(file.get()) != 0 || std::ferror(file.get())) return "cannot write " + request.target;
    return {};
}

std::string fileSha256(const std::string& path) {
    std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return {};
    std::unique_ptr<GChecksum, decltype(&g_checksum_free)> sum(g_checksum_new(G_CHECKSUM_SHA256), g_checksum_free);
    unsigned char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        g_checksum_update(sum.get(), buffer, static_cast<gssize>(got));
    if (std::ferror(file.get())) return {};
    return g_checksum_get_string(sum.get());
}

bool isSha256Text(const std::string& text) {
    return text.size() == 64 &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

}  // namespace talven::update
