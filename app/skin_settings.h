#pragma once
// The background choice kept in "main.ini" of the data folder, section
// "SKINIMAGE", so the next start shows what the user chose last:
//   FLAGS=1 with IMAGE   a preset or the user's own picture
//   FLAGS=0 with IMAGE   back to the skin's own background (after a reset)
//   FLAGS=2 with COLOR   a plain colour, written #AARRGGBB
// Lines of other sections and keys are kept as they are. Every write goes
// to a temporary file renamed over the old one. A file that does not read as
// INI text gives the skin's own background; the next write keeps it as
// main.ini.damaged before writing a fresh one.

#include "app/skin_observer.h"

#include <QString>

#include <optional>

namespace talven {

inline constexpr char kSkinSettingsFile[] = "main.ini";
inline constexpr char kDefaultBackground[] = "common/background.png";
// The user's own picture is copied here (in the data folder), so the choice
// survives the original being moved or deleted.
inline constexpr char kCustomBackgroundFile[] = "custom_background.png";

// The choice stored in `iniPath`; nothing when there is none, it is
// damaged, or its image is not there any more (the skin's own background
// then stays).
std::optional<SkinChangedParam> readSkinChoice(const QString& iniPath);

// Stores the choice: FLAGS=2/COLOR for a colour; for an image FLAGS=0 when
// it is kDefaultBackground, else 1, with IMAGE. False, with the old file
// untouched, when the file cannot be written.
bool writeSkinChoice(const QString& iniPath, const SkinChangedParam& choice);

// paths::dataFolder() + kSkinSettingsFile.
QString skinSettingsPath();

}  // namespace talven
