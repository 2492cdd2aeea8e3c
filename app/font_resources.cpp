#include "app/font_resources.h"

#include "platform/app_paths.h"
#include "platform/debug_output.h"

#include <QFile>
#include <QFontDatabase>

#include <utility>

namespace talven {

FontResource::FontResource(QString root)
    : root_(root.isEmpty() ? QString::fromStdString(paths::resourceRoot()) : std::move(root)) {
    if (!root_.endsWith(u'/')) root_ += u'/';
}

FontResource::~FontResource() { remove(); }

FontResource::FontResource(FontResource&& other) noexcept
    : root_(std::move(other.root_)), path_(std::move(other.path_)), id_(std::exchange(other.id_, -1)) {}

FontResource& FontResource::operator=(FontResource&& other) noexcept {
    if (this != &other) {
        remove();
        root_ = std::move(other.root_);
        path_ = std::move(other.path_);
        id_ = std::exchange(other.id_, -1);
    }
    return *this;
}

bool FontResource::load(const QString& relativePath) {
    remove();
    path_ = root_ + relativePath;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // The whole file: the font engine keeps its own copy of the bytes, so the
    // file may change or go away while the program runs.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.isEmpty()) return false;
    id_ = QFontDatabase::addApplicationFontFromData(bytes);
    if (id_ < 0) debugOutputf("not a usable font: %s", qPrintable(path_));
    return id_ >= 0;
}

void FontResource::remove() {
    if (id_ < 0) return;
    QFontDatabase::removeApplicationFont(id_);
    id_ = -1;
}

QStringList FontResource::families() const {
    if (id_ < 0) return {};
    // Removing any application font empties the database until it is rebuilt,
    // and until then every other font would report no families.
    QFontDatabase::families();
    return QFontDatabase::applicationFontFamilies(id_);
}

int PrivateFonts::load() {
    unload();
    int added = 0;
    fonts_.reserve(kPrivateFontFiles.size());
    for (const char* file : kPrivateFontFiles) {
        FontResource& font = fonts_.emplace_back(root_);
        if (font.load(QString::fromUtf8(file))) ++added;
    }
    return added;
}

void PrivateFonts::unload() {
    // Undone in the reverse order of loading, like the rest of start-up.
    for (auto it = fonts_.rbegin(); it != fonts_.rend(); ++it) it->remove();
    fonts_.clear();
}

}  // namespace talven
