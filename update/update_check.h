#pragma once
// Asking the update service about each row of the update table.
//
//   updateRecords(deviceVersions, appVersion)  the rows to ask about (only
//                                               those with a version)
//   loadUpdateService(store)   endpoint and CA file from the settings file
//   prepareHttpClient(service) once, before the first check
//   checkRows(records, service, stop)   blocking; one request per row, for a
//                                        worker thread
//   parseUpdateReply(record, reply)     one reply into an UpdateInfo
//
// The settings file's "UpdateServer" holds the service's base address, which
// ends in "api/"; the endpoint is that address followed by "updates". No
// address means no server: every row is then unreachable.

#include "platform/event.h"
#include "platform/settings_store.h"
#include "update/update_table.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talven::update {

inline constexpr std::string_view kUpdateServerSetting = "UpdateServer";
// A PEM file of the certificate authorities to trust instead of the
// system's (a private server).
inline constexpr std::string_view kUpdateCaFileSetting = "UpdateCaFile";

struct UpdateRecord {
    std::size_t tableRow = 0;  // index into kUpdateTable
    uint32_t hexVersion = 0;
    uint32_t rowType = 0;
    uint32_t currentVersion = 0;  // 0 = not present
    std::string_view vendor = kVendorWord;
    std::string_view modelCode;
    std::string_view productName;
    std::string displayName;   // product name followed by " :"
    std::string versionLabel;  // the current version as the list shows it after a reply
};

// Row states of the update list and of UpdateInfo.
enum RowState : int {
    kNotChecked = 0,
    kAvailable = 1,
    kAvailableUnticked = 2,
    kRequested = 3,
    kRunning = 4,
    kDone = 5,
    kRunningToo = 6,
    kUpToDate = 7,
    kFailed = 8,
};

struct UpdateInfo {
    int status = kUpToDate;
    int deviceId = 0;
    std::string displayName;
    std::string currentLabel;
    std::string newLabel;
    std::string versionName;
    std::string name;
    std::string path;
    std::string sha256;  // lower-case hexadecimal when the reply gives one
    uint32_t serverVersion = 0;
};

struct CheckResult {
    bool reachable = false;
    UpdateInfo info;
};

struct UpdateService {
    std::string endpoint;  // empty: no server configured
    std::string caFile;
};

UpdateRecord makeUpdateRecord(std::size_t tableRow, uint32_t currentVersion);
// Rows 0..4 take the versions of the five product pages' devices (0 when a
// page has none), the last row the program's version; rows without a
// version are left out.
std::vector<UpdateRecord> updateRecords(std::span<const uint32_t, kProductTable.size()> deviceVersions,
                                        uint32_t appVersion);
// "1.2.3" -> 10203: the program's version as the service compares it; 0 when
// it is not three numbers of at most two digits after the first.
uint32_t applicationVersionNumber(std::string_view version);

// "V%04x" for hexadecimal rows, "V%d" for the others.
std::string currentVersionLabel(const UpdateRecord& record);
// What the list shows before the reply: "V%04x", or "V0%d" for decimal rows.
std::string initialVersionLabel(const UpdateRecord& record);
// The name the list shows: the program's row shows the application title.
std::string listDisplayName(const UpdateRecord& record);

std::string applicationKey(const UpdateRecord& record);
std::string requestBody(const UpdateRecord& record);
std::string updateEndpoint(std::string_view baseAddress);
UpdateService loadUpdateService(const SettingsStore& store);
// initHttpClient with the defaults and the service's CA file; once at start.
void prepareHttpClient(const UpdateService& service);

UpdateInfo parseUpdateReply(const UpdateRecord& record, std::string_view reply);
CheckResult checkRow(const UpdateRecord& record, const UpdateService& service, const Event* stop = nullptr);
// Stops early, leaving the remaining rows unreachable, when `stop` is set.
std::vector<CheckResult> checkRows(std::span<const UpdateRecord> records, const UpdateService& service,
                                   const Event* stop = nullptr);

}  // namespace talven::update
