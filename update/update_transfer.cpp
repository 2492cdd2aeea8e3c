#include "update/update_transfer.h"

#include "platform/app_paths.h"
#include "platform/debug_output.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <spawn.h>

extern char** environ;

namespace talven::update {

std::string updateDownloadFolder() {
    const std::string folder = paths::cacheFolder() + "UpdateData/";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 128 || name.front() == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-' || c == '+';
    });
}

std::string downloadFileName(const UpdateListRow& row) {
    std::string_view path = row.info.path;
    path = path.substr(0, path.find_first_of("?#"));
    const std::size_t slash = path.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (isPlainFileName(last)) return std::string(last);
    return std::string(row.record.productName) + ".download";
}

TransferCommand transferCommand(const UpdateListRow& row, const std::string& caFile,
                                const std::string& programFolder) {
    const std::string folder = programFolder.empty() ? paths::executableFolder() : programFolder;
    TransferCommand command{folder + std::string(kTransferProgram),
                            {"--url", row.info.path, "--file", downloadFileName(row)}};
    if (!row.info.sha256.empty()) command.arguments.insert(command.arguments.end(), {"--sha256", row.info.sha256});
    if (!caFile.empty()) command.arguments.insert(command.arguments.end(), {"--ca-file", caFile});
    if (row.record.modelCode == kApplicationModelCode) command.arguments.push_back("--application");
    return command;
}

pid_t spawnTransfer(const TransferCommand& command) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(command.program.c_str()));
    for (const std::string& argument : command.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, command.program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (error == 0) return pid;
    debugOutputf("cannot start %s: %s", command.program.c_str(), std::strerror(error));
    return -1;
}

}  // namespace talven::update
