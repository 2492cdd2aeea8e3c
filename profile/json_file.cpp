#include "profile/json_file.h"

#include "platform/atomic_file.h"
#include "platform/debug_output.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <sstream>
#include <sys/stat.h>

namespace talven {

std::string readjsonFile(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    debugOutputf("readjsonFile 错误吗：：%d", file ? 0 : errno);
    if (!file) return {};
    // A folder opens too, and reports a nonsense size.
    struct stat st {};
    if (::fstat(::fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return {};
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    if (std::fread(text.data(), 1, text.size(), file.get()) != text.size()) return {};
    return text;
}

Json::Value ReadJsonValue(const std::string& path) {
    const std::string text = readjsonFile(path);
    if (text.empty()) {
        debugOutput(path);
        return Json::Value();
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return Json::Value();
    } catch (const std::exception&) {
        // The parser throws rather than fails on absurdly deep nesting.
        return Json::Value();
    }
    return root;
}

int wirtejsonFile(const std::string& path, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    std::string text = Json::writeString(builder, value);
    text += "\n";
    const int error = writeFileAtomically(path, text);
    debugOutputf("wirtejsonFile 错误吗：：%d", error);
    return error == 0 ? 0 : 1;
}

std::string MakeTimeStamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

}  // namespace talven
