#include "update/update_check.h"

#include "platform/app_identity.h"
#include "platform/debug_output.h"
#include "profile/json_document.h"
#include "update/http_client.h"

#include <json/value.h>

#include <cctype>
#include <cstdio>
#include <limits>
#include <memory>

namespace talven::update {

namespace {

std::string formatLabel(const char* format, uint32_t version) {
    char text[24];
    std::snprintf(text, sizeof text, format, version);
    return text;
}

// The number at the start of `text` in the given base, as the service writes
// it: leading blanks, and "0x" in base 16, are allowed; anything after the
// digits is ignored; a sign or no digit gives 0; too large a number saturates.
uint32_t leadingNumber(std::string_view text, int base) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (base == 16 && text.substr(at, 2) == "0x") at += 2;
    uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const int c = std::tolower(static_cast<unsigned char>(text[at]));
        const int digit = std::isdigit(c) ? c - '0' : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        value = std::min<uint64_t>(value * base + digit, std::numeric_limits<uint32_t>::max());
    }
    return static_cast<uint32_t>(value);
}

// A text member; a number where text was expected is taken as its digits.
std::string textMember(const Json::Value& object, const char* key) {
    const Json::Value& v = object[key];
    if (v.isString()) return v.asString();
    if (v.isUInt64()) return std::to_string(v.asUInt64());
    if (v.isInt64()) return std::to_string(v.asInt64());
    return {};
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A reply is as untrusted as any file: the same bounds keep a hostile or
// broken server from exhausting memory or the parser's stack.
bool parseObject(std::string_view reply, Json::Value& root) {
    JsonDocument doc = parseJsonText(reply, kListJsonLimits);
    root = std::move(doc.value);
    return doc.state == JsonFileState::ok && root.isObject();
}

}  // namespace

UpdateRecord makeUpdateRecord(std::size_t tableRow, uint32_t currentVersion) {
    const UpdateProduct& product = kUpdateTable.at(tableRow);
    UpdateRecord record;
    record.tableRow = tableRow;
    record.hexVersion = product.hexVersion;
    record.rowType = product.rowType;
    record.currentVersion = currentVersion;
    record.modelCode = product.modelCode;
    record.productName = product.productName;
    record.displayName = std::string(product.productName) + " :";
    record.versionLabel = currentVersionLabel(record);
    return record;
}

std::vector<UpdateRecord> updateRecords(std::span<const uint32_t, kProductTable.size()> deviceVersions,
                                        uint32_t appVersion) {
    std::vector<UpdateRecord> records;
    for (std::size_t row = 0; row < kUpdateTable.size(); ++row) {
        const uint32_t version = row == kApplicationRow ? appVersion : deviceVersions[row];
        if (version != 0) records.push_back(makeUpdateRecord(row, version));
    }
    return records;
}

uint32_t applicationVersionNumber(std::string_view version) {
    uint32_t parts[3] = {};
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? version.find('.', at) : version.size();
        const std::string_view part = version.substr(at, end == std::string_view::npos ? end : end - at);
        const std::size_t limit = i == 0 ? 5 : 2;
        if (end == std::string_view::npos || part.empty() || part.size() > limit) return 0;
        for (char c : part)
            if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
        parts[i] = leadingNumber(part, 10);
        at = end + 1;
    }
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

std::string currentVersionLabel(const UpdateRecord& record) {
    return formatLabel(record.hexVersion ? "V%04x" : "V%u", record.currentVersion);
}

std::string initialVersionLabel(const UpdateRecord& record) {
    return formatLabel(record.hexVersion ? "V%04x" : "V0%u", record.currentVersion);
}

std::string listDisplayName(const UpdateRecord& record) {
    if (record.modelCode == kApplicationModelCode) return std::string(kApplicationTitle) + " :";
    return record.displayName;
}

std::string applicationKey(const UpdateRecord& record) {
    return std::string(record.vendor) + "_" + std::to_string(record.rowType) + "_" + std::string(record.modelCode) +
           "_" + std::string(record.productName) + "_" + std::to_string(record.hexVersion);
}

std::string requestBody(const UpdateRecord& record) {
    return "app_key=" + applicationKey(record) + "&version=" +
           formatLabel(record.hexVersion ? "%x" : "%u", record.currentVersion);
}

std::string updateEndpoint(std::string_view baseAddress) {
    if (baseAddress.empty()) return {};
    std::string endpoint(baseAddress);
    if (endpoint.back() != '/') endpoint += '/';
    return endpoint + "updates";
}

UpdateService loadUpdateService(const SettingsStore& store) {
    return {updateEndpoint(store.get(kUpdateServerSetting).value_or("")),
            store.get(kUpdateCaFileSetting).value_or("")};
}

void prepareHttpClient(const UpdateService& service) {
    HttpClientSettings settings;
    settings.caFile = service.caFile;
    initHttpClient(settings);
}

UpdateInfo parseUpdateReply(const UpdateRecord& record, std::string_view reply) {
    UpdateInfo info;
    info.displayName = listDisplayName(record);
    info.currentLabel = currentVersionLabel(record);
    Json::Value root;
    if (!parseObject(reply, root)) return info;
    info.path = textMember(root, "path");
    info.name = textMember(root, "name");
    info.versionName = textMember(root, "version_name");
    const std::string version = textMember(root, "version");
    info.sha256 = lowerCase(textMember(root, "sha256"));
    info.deviceId = root["device_id"].isInt() ? root["device_id"].asInt() : 0;
    info.newLabel = record.hexVersion ? "V" + version : info.versionName;
    info.serverVersion = leadingNumber(version, record.hexVersion ? 16 : 10);
    info.status = record.currentVersion < info.serverVersion ? kAvailable : kUpToDate;
    return info;
}

CheckResult checkRow(const UpdateRecord& record, const UpdateService& service, const Event* stop) {
    if (service.endpoint.empty()) return {};
    std::vector<char> reply(kHttpReplyBufferSize);
    const int length = httpRequest("POST", service.endpoint, requestBody(record), reply, false, stop);
    const std::string_view text(reply.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    if (length < 0 || std::string_view(reply.data(), kNoLinkServer.size()) == kNoLinkServer) return {};
    return {true, parseUpdateReply(record, text)};
}

std::vector<CheckResult> checkRows(std::span<const UpdateRecord> records, const UpdateService& service,
                                   const Event* stop) {
    std::vector<CheckResult> results(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (stop != nullptr && stop->isSet()) break;
        results[i] = checkRow(records[i], service, stop);
        if (!results[i].reachable) debugOutputf("update row %s: server not reached", records[i].displayName.c_str());
    }
    return results;
}

}  // namespace talven::update
