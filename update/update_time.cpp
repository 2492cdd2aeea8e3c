#include "update/update_time.h"

#include "profile/json_document.h"
#include "profile/json_file.h"

#include <cstdio>
#include <ctime>

namespace talven::update {

std::string formatCheckDate(int year, int month, int day) {
    char text[40];
    std::snprintf(text, sizeof text, "%d-%d-%d", year, month, day);
    return text;
}

std::string todayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return formatCheckDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string readLastCheckDate(const std::string& folder, const std::string& today) {
    const JsonDocument document = readJsonDocument(folder + std::string(kUpdateTimeFile));
    const Json::Value& root = document.value;
    if (root.isObject() && root["updatelasttime"].isObject() && root["updatelasttime"]["value"].isString())
        return root["updatelasttime"]["value"].asString();
    writeLastCheckDate(folder, today);
    return today;
}

bool writeLastCheckDate(const std::string& folder, const std::string& date) {
    Json::Value root(Json::objectValue);
    root["updatelasttime"]["value"] = date;
    return wirtejsonFile(folder + std::string(kUpdateTimeFile), root) == 0;
}

}  // namespace talven::update
