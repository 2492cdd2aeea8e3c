#include "profile/json_document.h"

#include "profile/json_file.h"

#include <json/reader.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace talven {

JsonDocument readJsonDocument(const std::string& path) {
    JsonDocument doc;
    const std::string text = readjsonFile(path);
    if (text.empty()) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > 0) {
            // There is something, but it could not be read: do not treat it
            // as absent, or a save would replace it.
            doc.state = JsonFileState::damaged;
            doc.error = "the file could not be read";
        } else {
            doc.error = "the file does not exist or is empty";
        }
        return doc;
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    bool parsed = false;
    try {
        parsed = reader->parse(text.data(), text.data() + text.size(), &doc.value, &errors);
    } catch (const std::exception& e) {
        // The parser throws instead of failing on absurdly deep nesting.
        errors = e.what();
    }
    if (!parsed) {
        doc.state = JsonFileState::damaged;
        doc.value = Json::Value();
        doc.error = errors.empty() ? "not valid JSON" : errors;
        while (!doc.error.empty() && (doc.error.back() == '\n' || doc.error.back() == ' '))
            doc.error.pop_back();
        return doc;
    }
    doc.state = JsonFileState::ok;
    doc.error.clear();
    return doc;
}

}  // namespace talven
