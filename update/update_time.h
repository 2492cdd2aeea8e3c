#pragma once
// "updatetime.config" in the data folder: the date of the last update check
// that got a reply, as {"updatelasttime": {"value": "2024-3-7"}}.

#include <string>
#include <string_view>

namespace talven::update {

inline constexpr std::string_view kUpdateTimeFile = "updatetime.config";

// "%d-%d-%d": year, month and day without leading zeros.
std::string formatCheckDate(int year, int month, int day);
// Today in local time, formatted as above.
std::string todayText();

// The stored date. When the file or its value is missing or not readable
// as text, `today` is written and returned. `folder` ends in '/'.
std::string readLastCheckDate(const std::string& folder, const std::string& today);
// Stores `date`; false when the file cannot be written.
bool writeLastCheckDate(const std::string& folder, const std::string& date);

}  // namespace talven::update
