#include "profile/json_document.h"

#include "profile/json_file.h"

#include <json/reader.h>

#include <memory>
#include <stdexcept>

namespace talven {

JsonDocument readJsonDocument(const std::string& path) {
    JsonDocument doc;
    FileRead file = readRegularFile(path);
    if (file.state != FileReadState::ok || file.bytes.empty()) {
        doc.state = file.state == FileReadState::unreadable ? JsonFileState::unreadable : JsonFileState::missing;
        doc.error = file.state == FileReadState::ok ? "the file is empty" : std::move(file.error);
        return doc;
    }
    const std::string& text = file.bytes;
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
