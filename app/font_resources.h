#pragma once
// Fonts the program brings along in Font/ below the resource root, added to
// this process only. A missing font is not an error: the skin then falls back
// to the fonts installed on the machine.

#include <QString>
#include <QStringList>

#include <array>
#include <utility>
#include <vector>

namespace talven {

// One private font.
class FontResource {
public:
    // root: the folder relative paths start from; empty means the resource root.
    explicit FontResource(QString root = {});
    ~FontResource();
    FontResource(FontResource&& other) noexcept;
    FontResource& operator=(FontResource&& other) noexcept;
    FontResource(const FontResource&) = delete;
    FontResource& operator=(const FontResource&) = delete;

    // Reads root + relativePath whole and adds it; false when the file is
    // missing, unreadable or not a font. A loaded font is removed first.
    bool load(const QString& relativePath);
    // Takes the font out of the process again; nothing when not loaded.
    void remove();

    bool isLoaded() const { return id_ >= 0; }
    // The font database's id, -1 when not loaded.
    int id() const { return id_; }
    const QString& path() const { return path_; }
    // The family names the font added; empty when not loaded.
    QStringList families() const;

private:
    QString root_;
    QString path_;
    int id_ = -1;
};

// The program's private fonts, in the order they are loaded.
inline constexpr std::array<const char*, 4> kPrivateFontFiles = {
    "Font/Simplified_Chinese.ttf",
    "Font/Sarnic-Regular.otf",
    "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf",
};

// All of them for the life of the program; removed in reverse order.
class PrivateFonts {
public:
    explicit PrivateFonts(QString root = {}) : root_(std::move(root)) {}
    ~PrivateFonts() { unload(); }
    PrivateFonts(const PrivateFonts&) = delete;
    PrivateFonts& operator=(const PrivateFonts&) = delete;

    // Loads every file of kPrivateFontFiles; returns how many were added.
    int load();
    void unload();
    const std::vector<FontResource>& fonts() const { return fonts_; }

private:
    QString root_;
    std::vector<FontResource> fonts_;
};

}  // namespace talven
