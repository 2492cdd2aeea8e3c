#pragma once
// Handing a row's download to the transfer program, talven-update, which
// lives beside the program. It fetches the row's "path" into the update
// folder of the user's cache, checks it against the reply's checksum when
// there is one, and reports on the session bus as the UpdateStatus signal
// (object kStatusObjectPath, interface kStatusInterface, arguments
// (uint code, int value), codes kTransfer* of update_list.h). It installs
// nothing: the user installs the file.
//
//   transferCommand(row, caFile)   program and arguments (for QProcess too)
//   spawnTransfer(command)         starts it; the caller reaps the child

#include "update/update_list.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace talven::update {

inline constexpr std::string_view kTransferProgram = "talven-update";
inline constexpr const char* kStatusObjectPath = "/org/talven/K88";
inline constexpr const char* kStatusInterface = "org.talven.K88.Messages";
inline constexpr const char* kStatusSignal = "UpdateStatus";

struct TransferCommand {
    std::string program;
    std::vector<std::string> arguments;  // without the program name
};

// paths::cacheFolder() + "UpdateData/", created when missing.
std::string updateDownloadFolder();
// A name that stays inside the folder it is put in: letters, digits, '.',
// '_', '-' and '+', not starting with '.', at most 128 characters.
bool isPlainFileName(std::string_view name);
// The last segment of the download path when it is a plain name, else the
// product name followed by ".download".
std::string downloadFileName(const UpdateListRow& row);

// `programFolder` ends in '/'; by default the running program's folder.
TransferCommand transferCommand(const UpdateListRow& row, const std::string& caFile,
                                const std::string& programFolder = {});
// The child's process id, or -1 when it could not be started.
pid_t spawnTransfer(const TransferCommand& command);

}  // namespace talven::update
