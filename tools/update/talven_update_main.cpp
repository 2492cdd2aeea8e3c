// talven-update --url URL --file NAME [--sha256 HEX] [--ca-file PEM] [--application]
//
// Downloads URL into the update folder of the user's cache as NAME, checks
// it against HEX when given, and tells the running program how it goes with
// the UpdateStatus signal on the session bus: 4 with the percent while it
// runs, then 1 when the file is in place, 2 when the download failed, 3 when
// the file failed its check or could not be kept. It installs nothing; it
// prints where the file is and, for the program's own package, how to
// install it. Exit status: 0 done, 1 download failed, 2 file rejected,
// 64 bad arguments.

#include "tools/update/download.h"
#include "tools/update/status_bus.h"
#include "update/update_list.h"
#include "update/update_transfer.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using namespace talven::update;

struct Arguments {
    std::string url;
    std::string file;
    std::string sha256;
    std::string caFile;
    bool application = false;
};

std::string* valueOf(Arguments& args, const std::string& name) {
    if (name == "--url") return &args.url;
    if (name == "--file") return &args.file;
    if (name == "--sha256") return &args.sha256;
    if (name == "--ca-file") return &args.caFile;
    return nullptr;
}

std::optional<Arguments> parseArguments(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--application") {
            args.application = true;
            continue;
        }
        std::string* value = valueOf(args, name);
        if (value == nullptr || i + 1 >= argc) return std::nullopt;
        *value = argv[++i];
    }
    if (args.url.empty() || args.file.empty()) return std::nullopt;
    return args;
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int fail(StatusBus& bus, uint32_t code, const std::string& why) {
    std::fprintf(stderr, "talven-update: %s\n", why.c_str());
    bus.send(code, 0);
    return code == kTransferFailed ? kTransferExitFailed : kTransferExitRejected;
}

void printNote(const std::string& path, bool application) {
    std::printf("%s\n", path.c_str());
    if (!application) return;
    std::printf("This is a new package of the program; it has not been installed. Install it with your\n"
                "package manager, for example: sudo apt install '%s'\n",
                path.c_str());
}

int run(const Arguments& args, StatusBus& bus) {
    if (!isPlainFileName(args.file)) return fail(bus, kTransferFileRejected, "not a plain file name: " + args.file);
    if (!args.sha256.empty() && !isSha256Text(args.sha256))
        return fail(bus, kTransferFileRejected, "not a SHA-256 checksum: " + args.sha256);
    const std::string target = updateDownloadFolder() + args.file;
    const std::string partial = target + ".part";
    DownloadRequest request;
    request.url = args.url;
    request.target = partial;
    request.caFile = args.caFile;
    request.progress = [&bus](int percent) { bus.send(kTransferProgress, percent); };
    std::error_code ignored;
    if (const std::string error = download(request); !error.empty()) {
        std::filesystem::remove(partial, ignored);
        return fail(bus, kTransferFailed, args.url + ": " + error);
    }
    if (!args.sha256.empty() && fileSha256(partial) != lowerCase(args.sha256)) {
        std::filesystem::remove(partial, ignored);
        return fail(bus, kTransferFileRejected, args.url + ": the file does not match its checksum");
    }
    std::error_code ec;
    std::filesystem::rename(partial, target, ec);
    if (ec) return fail(bus, kTransferFileRejected, "cannot keep " + target + ": " + ec.message());
    printNote(target, args.application);
    bus.send(kTransferFinished, 0);
    return kTransferExitDone;
}

}  // namespace

constexpr char kUsage[] =
    "usage: talven-update --url URL --file NAME [--sha256 HEX] [--ca-file PEM] [--application]\n";

int main(int argc, char** argv) {
    // Asked for help or the version, it answers and tells the bus nothing:
    // no transfer was started.
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs("Downloads URL into the program's UpdateData cache folder as NAME, checks it\n"
                       "against the SHA-256 HEX, reports progress on the session bus (UpdateStatus)\n"
                       "and prints the file's path. --ca-file trusts the authorities of PEM instead\n"
                       "of the system's; --application marks a new package of the program itself.\n"
                       "--help shows this text, --version the version.\n",
                       stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("talven-update %s\n", TALVEN_VERSION);
            return 0;
        }
    }
    const std::optional<Arguments> args = parseArguments(argc, argv);
    StatusBus bus;
    if (!args) {
        std::fputs(kUsage, stderr);
        bus.send(kTransferFailed, 0);
        return kTransferExitUsage;
    }
    return run(*args, bus);
}
