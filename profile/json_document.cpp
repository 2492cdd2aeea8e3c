#include "profile/json_document.h"

#include <json/reader.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace talven {

namespace {

// The index of the quote closing the string that opens at `i`.
size_t endOfString(std::string_view text, size_t i) {
    for (++i; i < text.size(); ++i) {
        if (text[i] == '\\') ++i;
        else if (text[i] == '"') return i;
    }
    return text.size();
}

// The index of the last character of the comment that opens at `i`.
size_t endOfComment(std::string_view text, size_t i) {
    if (text[i + 1] == '/') {
        const size_t end = text.find('\n', i);
        return end == std::string_view::npos ? text.size() : end;
    }
    const size_t end = text.find("*/", i + 2);
    return end == std::string_view::npos ? text.size() : end + 1;
}

// Why the text is beyond the bounds; empty when it is within them. Counts
// one value per opening bracket and per comma outside strings and comments,
// which is never fewer than the values the parser would build.
std::string shapeProblem(std::string_view text, const JsonLimits& limits) {
    size_t values = 1;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            i = endOfString(text, i);
        } else if (c == '/' && i + 1 < text.size() && (text[i + 1] == '/' || text[i + 1] == '*')) {
            i = endOfComment(text, i);
        } else if (c == '[' || c == '{') {
            ++values;
            if (++depth > limits.maxDepth) {
                return "it nests deeper than " + std::to_string(limits.maxDepth) + " levels, the limit for a " +
                       limits.kind + " file";
            }
        } else if (c == ']' || c == '}') {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (c == ',') {
            ++values;
        }
        if (values > limits.maxValues) {
            return "it holds more than " + std::to_string(limits.maxValues) + " values, the limit for a " +
                   limits.kind + " file";
        }
    }
    return {};
}

JsonDocument failed(JsonFileState state, std::string error) {
    JsonDocument doc;
    doc.state = state;
    doc.error = std::move(error);
    return doc;
}

// Setting up a reader costs more than parsing a small file. A reader starts
// each parse afresh but is not to be shared between threads, so every thread
// keeps its own, one per stack limit (the file kinds have a few).
Json::CharReader& readerWithStackLimit(int stackLimit) {
    thread_local std::map<int, std::unique_ptr<Json::CharReader>> readers;
    std::unique_ptr<Json::CharReader>& reader = readers[stackLimit];
    if (!reader) {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = true;
        builder["stackLimit"] = stackLimit;
        reader.reset(builder.newCharReader());
    }
    return *reader;
}

}  // namespace

JsonDocument parseJsonText(std::string_view text, const JsonLimits& limits) {
    if (text.size() > limits.maxBytes) {
        return failed(JsonFileState::unreadable, "it is " + std::to_string(text.size()) + " bytes, above the limit of " +
                                                     std::to_string(limits.maxBytes) + " bytes for such a file");
    }
    if (std::string problem = shapeProblem(text, limits); !problem.empty())
        return failed(JsonFileState::unreadable, std::move(problem));
    // The shape check has bounded the depth already; the parser's own stack
    // limit guards should the two ever count differently.
    Json::CharReader& reader = readerWithStackLimit(2 * limits.maxDepth + 8);
    JsonDocument doc;
    std::string errors;
    bool parsed = false;
    try {
        parsed = reader.parse(text.data(), text.data() + text.size(), &doc.value, &errors);
    } catch (const std::exception& e) {
        errors = e.what();  // the parser throws instead of failing on its stack limit
    }
    if (!parsed) {
        while (!errors.empty() && (errors.back() == '\n' || errors.back() == ' ')) errors.pop_back();
        return failed(JsonFileState::damaged, errors.empty() ? "not valid JSON" : errors);
    }
    doc.state = JsonFileState::ok;
    return doc;
}

JsonDocument readJsonDocument(const std::string& path) { return readJsonDocument(path, jsonLimitsFor(path)); }

JsonDocument readJsonDocument(const std::string& path, const JsonLimits& limits) {
    FileRead file = readRegularFile(path, limits.maxBytes);
    if (file.state != FileReadState::ok || file.bytes.empty()) {
        return failed(file.state == FileReadState::unreadable ? JsonFileState::unreadable : JsonFileState::missing,
                      file.state == FileReadState::ok ? "the file is empty" : std::move(file.error));
    }
    return parseJsonText(file.bytes, limits);
}

JsonDocument readListDocument(const std::string& path, const char* arrayKey) {
    JsonDocument doc = readJsonDocument(path, kListJsonLimits);
    if (doc.state != JsonFileState::ok || !doc.value.isObject()) return doc;
    const Json::Value* list = doc.value.find(arrayKey, arrayKey + std::char_traits<char>::length(arrayKey));
    if (list && list->isArray() && list->size() > kMaxListEntries) {
        return failed(JsonFileState::unreadable, "it lists " + std::to_string(list->size()) + " entries, above the limit of " +
                                                     std::to_string(kMaxListEntries));
    }
    return doc;
}

}  // namespace talven
