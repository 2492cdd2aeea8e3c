// CPaintManagerUI: font slots, default attributes, window settings, dpi and
// the process-wide paths.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

#include "platform/debug_output.h"
#include "ui/attribute_parse.h"
#include "ui/control.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace talven::ui {

QList<CPaintManagerUI*>& LiveManagers();

namespace {

struct SharedStyle {
    QHash<int, TFontInfo> fonts;
    std::optional<TFontInfo> defaultFont;
    QHash<QString, QString> defaultAttributes;
    QString resourcePath;
    QString instancePath;
};

SharedStyle& Shared() {
    static SharedStyle shared;
    return shared;
}

QString WithSlash(const QString& path) {
    QString p = NormalizePath(path);
    if (!p.isEmpty() && !p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    return p;
}

}  // namespace

// ---------------------------------------------------------------- fonts

void CPaintManagerUI::AddFont(int id, const QString& face, int size, bool bold, bool underline,
                              bool italic, bool shared) {
    const TFontInfo info{face, qMax(1, size), bold, underline, italic};
    if (shared) {
        Shared().fonts.insert(id, info);
        ApplyStyleChangeEverywhere();
    } else {
        fonts_.insert(id, info);
        ApplyStyleChange();
    }
}

void CPaintManagerUI::RemoveAllFonts(bool shared) {
    if (shared) {
        Shared().fonts.clear();
        ApplyStyleChangeEverywhere();
    } else {
        fonts_.clear();
        ApplyStyleChange();
    }
}

void CPaintManagerUI::SetDefaultFont(const QString& face, int size, bool bold, bool underline,
                                     bool italic, bool shared) {
    const TFontInfo info{face, qMax(1, size), bold, underline, italic};
    if (shared) {
        Shared().defaultFont = info;
        ApplyStyleChangeEverywhere();
    } else {
        defaultFont_ = info;
        ApplyStyleChange();
    }
}

std::optional<TFontInfo> CPaintManagerUI::GetFontInfo(int id) const {
    if (id >= 0) {
        if (auto it = fonts_.find(id); it != fonts_.end()) return *it;
        if (auto it = Shared().fonts.find(id); it != Shared().fonts.end()) return *it;
    }
    if (defaultFont_) return defaultFont_;
    return Shared().defaultFont;
}

void CPaintManagerUI::CopyStyleFrom(const CPaintManagerUI& other) {
    fonts_ = other.fonts_;
    defaultFont_ = other.defaultFont_;
    defaultFontColor_ = other.defaultFontColor_;
    defaultDisabledColor_ = other.defaultDisabledColor_;
    ApplyStyleChange();
}

QFont CPaintManagerUI::GetFont(int id) const {
    const std::optional<TFontInfo> info = GetFontInfo(id);
    QFont font = info ? QFont(info->sFontName) : QApplication::font();
    font.setPixelSize(qMax(1, dpi_.Scale(info ? info->iSize : 12)));
    if (info) {
        font.setBold(info->bBold);
        font.setUnderline(info->bUnderline);
        font.setItalic(info->bItalic);
    }
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void CPaintManagerUI::ApplyStyleChange() {
    const QSet<CControlUI*> controls = controls_;
    for (CControlUI* control : controls) {
        if (controls_.contains(control)) control->OnStyleChanged();
    }
}

void CPaintManagerUI::ApplyStyleChangeEverywhere() {
    for (CPaintManagerUI* manager : LiveManagers()) manager->ApplyStyleChange();
}

// ---------------------------------------------------------------- defaults

void CPaintManagerUI::AddDefaultAttributeList(const QString& controlClass, const QString& list,
                                              bool shared) {
    if (shared) Shared().defaultAttributes.insert(controlClass.toLower(), list);
    else defaultAttributes_.insert(controlClass.toLower(), list);
}

QString CPaintManagerUI::GetDefaultAttributeList(const QString& controlClass) const {
    const QString key = controlClass.toLower();
    if (auto it = defaultAttributes_.find(key); it != defaultAttributes_.end()) return *it;
    return Shared().defaultAttributes.value(key);
}

void CPaintManagerUI::RemoveAllDefaultAttributeList(bool shared) {
    if (shared) Shared().defaultAttributes.clear();
    else defaultAttributes_.clear();
}

// ---------------------------------------------------------------- window settings

QSize CPaintManagerUI::GetInitSize() const { return dpi_.Scale(initSize_); }
QMargins CPaintManagerUI::GetSizeBox() const { return dpi_.Scale(sizeBox_); }
QSize CPaintManagerUI::GetRoundCorner() const { return dpi_.Scale(roundCorner_); }
QSize CPaintManagerUI::GetMinInfo() const { return dpi_.Scale(minInfo_); }
QSize CPaintManagerUI::GetMaxInfo() const { return dpi_.Scale(maxInfo_); }

QRect CPaintManagerUI::GetCaptionRect() const {
    if (!paintWindow_ || caption_.isNull()) return {};
    const QMargins c = dpi_.Scale(caption_);
    return QRect(QPoint(c.left(), c.top()),
                 QPoint(paintWindow_->width() - c.right() - 1, c.bottom() - 1));
}

void CPaintManagerUI::SetDefaultFontColor(const QColor& color) {
    defaultFontColor_ = color;
    ApplyStyleChange();
}

void CPaintManagerUI::SetDefaultDisabledColor(const QColor& color) {
    defaultDisabledColor_ = color;
    ApplyStyleChange();
}

std::optional<Qt::Edges> CPaintManagerUI::HitTestFrame(const QPoint& pt) const {
    if (!paintWindow_) return std::nullopt;
    const QRect r = paintWindow_->rect();
    const QMargins box = GetSizeBox();
    if (!box.isNull() && !paintWindow_->isMaximized()) {
        Qt::Edges edges;
        if (pt.x() < r.left() + box.left()) edges |= Qt::LeftEdge;
        if (pt.x() > r.right() - box.right()) edges |= Qt::RightEdge;
        if (pt.y() < r.top() + box.top()) edges |= Qt::TopEdge;
        if (pt.y() > r.bottom() - box.bottom()) edges |= Qt::BottomEdge;
        if (edges) return edges;
    }
    if (GetCaptionRect().contains(pt)) return Qt::Edges();
    return std::nullopt;
}

// ---------------------------------------------------------------- dpi

void CPaintManagerUI::SetDPI(int dpi) {
    const int old = dpi_.GetDPI();
    if (dpi == old) return;
    if (!dpi_.SetDPI(dpi)) {
        debugOutputf("skin: dpi %d refused", dpi);
        return;
    }
    ResetDPIAssets();
    emit dpiChanged(old, dpi);
    if (paintWindow_ && paintWindow_->isWindow() && !paintWindow_->isMaximized()) {
        const QSize s = paintWindow_->size();
        paintWindow_->resize(s.width() * dpi / old, s.height() * dpi / old);
    }
    if (root_) {
        root_->SetPos(paintWindow_ ? paintWindow_->rect()
                                   : QRect(root_->GetPos().topLeft(), root_->size() * dpi / old));
    }
}

void CPaintManagerUI::SetAllDPI(int dpi) {
    const QList<CPaintManagerUI*> managers = LiveManagers();
    for (CPaintManagerUI* manager : managers) manager->SetDPI(dpi);
}

void CPaintManagerUI::ResetDPIAssets() {
    CRenderEngine::ClearImageCache();
    ApplyStyleChange();
}

QList<CPaintManagerUI*> CPaintManagerUI::GetLiveManagers() { return LiveManagers(); }

// ---------------------------------------------------------------- paths

void CPaintManagerUI::SetResourcePath(const QString& path) { Shared().resourcePath = WithSlash(path); }

QString CPaintManagerUI::GetResourcePath() {
    if (Shared().resourcePath.isEmpty()) return GetInstancePath() + QStringLiteral("skin/");
    return Shared().resourcePath;
}

void CPaintManagerUI::SetInstancePath(const QString& path) { Shared().instancePath = WithSlash(path); }

QString CPaintManagerUI::GetInstancePath() {
    if (!Shared().instancePath.isEmpty()) return Shared().instancePath;
    const QString appDir = QCoreApplication::applicationDirPath();
    if (QDir(appDir).exists(QStringLiteral("skin"))) return WithSlash(appDir);
    const QString share = QDir::cleanPath(appDir + QStringLiteral("/../share/talven-k88"));
    if (QDir(share).exists()) return WithSlash(share);
    return WithSlash(appDir);
}

QString CPaintManagerUI::ResolveResourceFile(const QString& path) {
    const QString p = NormalizePath(path);
    if (QDir::isAbsolutePath(p)) return p;
    return GetResourcePath() + p;
}

int CPaintManagerUI::MessageLoop() { return QCoreApplication::exec(); }

}  // namespace talven::ui
