#pragma once
// Fetching one file over HTTP(S) with libcurl, and checking its SHA-256.

#include <functional>
#include <string>

namespace talven::update {

struct DownloadRequest {
    std::string url;
    std::string target;  // written from scratch
    std::string caFile;  // authorities to trust instead of the system's; empty = the system's
    int connectTimeoutMs = 60000;
    int stallTimeoutMs = 30000;
    // Whole percent, called each time it grows; only when the size is known.
    std::function<void(int)> progress;
};

// Follows redirects (http and https only); an HTTP error status fails.
// Returns an empty text on success, else why it failed.
std::string download(const DownloadRequest& request);

// Lower-case hexadecimal SHA-256 of the file, or empty when it cannot be read.
std::string fileSha256(const std::string& path);
// 64 hexadecimal digits.
bool isSha256Text(const std::string& text);

}  // namespace talven::update
