#include "ui/control.h"

#include <QApplication>

#include "platform/debug_output.h"
#include "ui/attribute_parse.h"
#include "ui/container.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"
#include "ui/resource_manager.h"

namespace talven::ui {

namespace {

struct CursorName {
    const char* name;
    Qt::CursorShape shape;
};

constexpr CursorName kCursors[] = {
    {"arrow", Qt::ArrowCursor},      {"ibeam", Qt::IBeamCursor},
    {"wait", Qt::WaitCursor},        {"cross", Qt::CrossCursor},
    {"uparrow", Qt::UpArrowCursor},  {"size", Qt::SizeAllCursor},
    {"icon", Qt::ArrowCursor},       {"sizenwse", Qt::SizeFDiagCursor},
    {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
    {"sizens", Qt::SizeVerCursor},   {"sizeall", Qt::SizeAllCursor},
    {"no", Qt::ForbiddenCursor},     {"hand", Qt::PointingHandCursor},
};

}  // namespace

QPoint OriginInWindow(const QWidget* widget, const QWidget* paintWindow) {
    if (!widget || widget == paintWindow) return {};
    if (paintWindow && paintWindow->isAncestorOf(widget)) return widget->mapTo(paintWindow, QPoint());
    if (paintWindow) return paintWindow->mapFromGlobal(widget->mapToGlobal(QPoint()));
    return widget->mapTo(widget->window(), QPoint());
}

CControlUI::CControlUI() {
    setMouseTracking(true);
    // A click focuses the control it lands on, so an edit the user leaves by
    // clicking elsewhere reports "killfocus".
    setFocusPolicy(Qt::ClickFocus);
}

CControlUI::~CControlUI() {
    if (resourceText_) CResourceManager::GetInstance()->UnregisterResourceText(this);
    if (parent_) parent_->DetachItem(this);
    if (manager_) manager_->ReapObjects(this);
}

QString CControlUI::GetClass() const { return QStringLiteral("Control"); }

// ---------------------------------------------------------------- texts

void CControlUI::SetName(const QString& name) {
    name_ = name;
    setObjectName(name);
}

QString CControlUI::GetText() const {
    if (!resourceText_) return text_;
    return CResourceManager::GetInstance()->GetText(text_);
}

void CControlUI::SetText(const QString& text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

QString CControlUI::GetToolTip() const {
    if (!resourceText_ || tooltip_.isEmpty()) return tooltip_;
    return CResourceManager::GetInstance()->GetText(tooltip_);
}

QString CControlUI::GetVirtualWnd() const {
    for (const CControlUI* c = this; c; c = c->GetParent()) {
        if (!c->virtualWnd_.isEmpty()) return c->virtualWnd_;
    }
    return {};
}

void CControlUI::SetResourceText(bool resource) {
    if (resourceText_ == resource) return;
    resourceText_ = resource;
    if (resource) {
        CResourceManager::GetInstance()->RegisterResourceText(this);
    } else {
        CResourceManager::GetInstance()->UnregisterResourceText(this);
    }
    ReloadText();
}

void CControlUI::ReloadText() { Invalidate(); }

// ---------------------------------------------------------------- state

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    ApplyQtVisibility();
    NeedParentUpdate();
}

void CControlUI::ApplyQtVisibility() {
    // A control without a parent widget would become a window of its own.
    if (!parentWidget()) return;
    const bool show = visible_ && (!parent_ || parent_->ItemsShownInPlace());
    QWidget::setVisible(show);
}

void CControlUI::SetEnabled(bool enable) {
    if (enabled_ == enable) return;
    enabled_ = enable;
    QWidget::setEnabled(enable);
    Invalidate();
}

void CControlUI::SetMouseEnabled(bool enable) {
    mouseEnabled_ = enable;
    setAttribute(Qt::WA_TransparentForMouseEvents, !enable);
}

void CControlUI::SetFocus() { setFocus(Qt::OtherFocusReason); }

// ---------------------------------------------------------------- geometry

int CControlUI::ScaleValue(int value) const {
    return manager_ ? manager_->GetDPIObj()->Scale(value) : value;
}

QMargins CControlUI::ScaleValue(const QMargins& value) const {
    return manager_ ? manager_->GetDPIObj()->Scale(value) : value;
}

int CControlUI::GetFixedWidth() const { return ScaleValue(fixed_.width()); }
int CControlUI::GetFixedHeight() const { return ScaleValue(fixed_.height()); }
int CControlUI::GetMinWidth() const { return ScaleValue(min_.width()); }
int CControlUI::GetMaxWidth() const { return ScaleValue(max_.width()); }
int CControlUI::GetMinHeight() const { return ScaleValue(min_.height()); }
int CControlUI::GetMaxHeight() const { return ScaleValue(max_.height()); }
QPoint CControlUI::GetFixedXY() const { return {ScaleValue(fixedXY_.x()), ScaleValue(fixedXY_.y())}; }
QMargins CControlUI::GetPadding() const { return ScaleValue(padding_); }

void CControlUI::SetFixedWidth(int width) {
    if (width < 0) return;
    fixed_.setWidth(width);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
    if (height < 0) return;
    fixed_.setHeight(height);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int width) {
    if (width < 0) return;
    min_.setWidth(width);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int width) {
    if (width < 0) return;
    max_.setWidth(width);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int height) {
    if (height < 0) return;
    min_.setHeight(height);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int height) {
    if (height < 0) return;
    max_.setHeight(height);
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(const QPoint& xy) {
    fixedXY_ = xy;
    NeedParentUpdate();
}

void CControlUI::SetPadding(const QMargins& padding) {
    padding_ = padding;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
    if (float_ == isFloat) return;
    float_ = isFloat;
    NeedParentUpdate();
}

QRect CControlUI::GetPos() const {
    return QRect(OriginInWindow(this, manager_ ? manager_->GetPaintWindow() : nullptr), size());
}

void CControlUI::SetPos(const QRect& rc, bool needInvalidate) {
    const QRect r(rc.topLeft(), QSize(qMax(0, rc.width()), qMax(0, rc.height())));
    const QWidget* paintWindow = manager_ ? manager_->GetPaintWindow() : nullptr;
    const QPoint origin = parentWidget() ? OriginInWindow(parentWidget(), paintWindow) : QPoint();
    if (float_ && parent_ && parent_->FloatRectFor(this) != r) {
        StoreFloatRect(r.translated(-parent_->GetPos().topLeft()));
    }
    updateNeeded_ = false;
    const QRect local = r.translated(-origin);
    if (geometry() != local) setGeometry(local);
    if (needInvalidate) update();
}

void CControlUI::StoreFloatRect(const QRect& localRect) {
    if (!manager_) {
        fixedXY_ = localRect.topLeft();
        fixed_ = localRect.size();
        return;
    }
    const CDPI* dpi = manager_->GetDPIObj();
    fixedXY_ = QPoint(dpi->Unscale(localRect.x()), dpi->Unscale(localRect.y()));
    fixed_ = QSize(dpi->Unscale(localRect.width()), dpi->Unscale(localRect.height()));
}

QSize CControlUI::EstimateSize(const QSize&) { return {GetFixedWidth(), GetFixedHeight()}; }

// ---------------------------------------------------------------- appearance

void CControlUI::SetBkColor(const QColor& color) {
    bkColor_ = color;
    Invalidate();
}

void CControlUI::SetBkColor2(const QColor& color) {
    bkColor2_ = color;
    Invalidate();
}

void CControlUI::SetBorderColor(const QColor& color) {
    borderColor_ = color;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(const QColor& color) {
    focusBorderColor_ = color;
    Invalidate();
}

int CControlUI::GetBorderSize() const { return ScaleValue(borderSize_); }

void CControlUI::SetBorderSize(int size) {
    borderSize_ = qMax(0, size);
    Invalidate();
}

QSize CControlUI::GetBorderRound() const {
    return {ScaleValue(borderRound_.width()), ScaleValue(borderRound_.height())};
}

void CControlUI::SetBorderRound(const QSize& radii) {
    borderRound_ = radii;
    Invalidate();
}

void CControlUI::SetBkImage(const QString& image) {
    bkImage_ = image;
    Invalidate();
}

void CControlUI::SetForeImage(const QString& image) {
    foreImage_ = image;
    Invalidate();
}

// Hosted editors take their colours from style sheets, hence the style hook.
void CControlUI::SetTextColor(const QColor& color) {
    textColor_ = color;
    OnStyleChanged();
}

void CControlUI::SetDisabledTextColor(const QColor& color) {
    disabledTextColor_ = color;
    OnStyleChanged();
}

void CControlUI::SetFont(int index) {
    font_ = index;
    OnStyleChanged();
}

QFont CControlUI::GetFontObject() const {
    if (manager_) return manager_->GetFont(font_);
    QFont f = QApplication::font();
    f.setPixelSize(12);
    return f;
}

QColor CControlUI::EffectiveTextColor() const {
    if (!enabled_) {
        if (disabledTextColor_.isValid()) return disabledTextColor_;
        return manager_ ? manager_->GetDefaultDisabledColor() : QColor(0x7A, 0x7F, 0x89);
    }
    if (textColor_.isValid()) return textColor_;
    return manager_ ? manager_->GetDefaultFontColor() : QColor(0xE6, 0xE8, 0xEC);
}

void CControlUI::OnStyleChanged() { Invalidate(); }

// ---------------------------------------------------------------- attributes

void CControlUI::ReportBadAttribute(const QString& name, const QString& value) const {
    debugOutput(QStringLiteral("skin: %1 '%2': bad value of attribute %3: '%4'")
                    .arg(GetClass(), name_, name, value)
                    .toStdString());
}

void CControlUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    auto color = [&](void (CControlUI::*set)(const QColor&)) {
        if (auto c = ParseColor(value)) (this->*set)(*c);
        else ReportBadAttribute(name, value);
    };
    auto number = [&](void (CControlUI::*set)(int)) {
        if (auto v = ParseInt(value)) (this->*set)(*v);
        else ReportBadAttribute(name, value);
    };
    if (n == QLatin1String("name")) SetName(value);
    else if (n == QLatin1String("text")) SetText(value);
    else if (n == QLatin1String("tooltip")) SetToolTip(value);
    else if (n == QLatin1String("userdata")) SetUserData(value);
    else if (n == QLatin1String("resourcetext")) SetResourceText(ParseBool(value));
    else if (n == QLatin1String("virtualwnd")) SetVirtualWnd(value);
    else if (n == QLatin1String("width")) number(&CControlUI::SetFixedWidth);
    else if (n == QLatin1String("height")) number(&CControlUI::SetFixedHeight);
    else if (n == QLatin1String("minwidth")) number(&CControlUI::SetMinWidth);
    else if (n == QLatin1String("maxwidth")) number(&CControlUI::SetMaxWidth);
    else if (n == QLatin1String("minheight")) number(&CControlUI::SetMinHeight);
    else if (n == QLatin1String("maxheight")) number(&CControlUI::SetMaxHeight);
    else if (n == QLatin1String("padding")) {
        if (auto m = ParseMargins(value)) SetPadding(*m);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("float")) SetFloat(ParseBool(value));
    else if (n == QLatin1String("pos")) {
        // The rectangle gives the fixed size as well, as it always has.
        if (auto r = ParseRect(value)) {
            fixedXY_ = r->topLeft();
            fixed_ = QSize(qMax(0, r->width()), qMax(0, r->height()));
            NeedParentUpdate();
        } else {
            ReportBadAttribute(name, value);
        }
    } else if (n == QLatin1String("visible")) SetVisible(ParseBool(value));
    else if (n == QLatin1String("enabled")) SetEnabled(ParseBool(value));
    else if (n == QLatin1String("mouse")) SetMouseEnabled(ParseBool(value));
    else if (n == QLatin1String("menu")) SetContextMenuUsed(ParseBool(value));
    else if (n == QLatin1String("bkcolor") || n == QLatin1String("bkcolor1")) color(&CControlUI::SetBkColor);
    else if (n == QLatin1String("bkcolor2")) color(&CControlUI::SetBkColor2);
    else if (n == QLatin1String("bordercolor")) color(&CControlUI::SetBorderColor);
    else if (n == QLatin1String("focusbordercolor")) color(&CControlUI::SetFocusBorderColor);
    else if (n == QLatin1String("textcolor")) color(&CControlUI::SetTextColor);
    else if (n == QLatin1String("disabledtextcolor")) color(&CControlUI::SetDisabledTextColor);
    else if (n == QLatin1String("bordersize")) number(&CControlUI::SetBorderSize);
    else if (n == QLatin1String("font")) number(&CControlUI::SetFont);
    else if (n == QLatin1String("borderround")) {
        if (auto s = ParseSize(value)) SetBorderRound(*s);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("bkimage")) SetBkImage(value);
    else if (n == QLatin1String("foreimage")) SetForeImage(value);
    else if (n == QLatin1String("cursor")) {
        for (const CursorName& c : kCursors) {
            if (value.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
                setCursor(c.shape);
                return;
            }
        }
        ReportBadAttribute(name, value);
    }
    // Attributes no class knows are ignored: skins carry settings for
    // other versions of a control.
}

void CControlUI::ApplyAttributeList(const QString& list) {
    bool ok = true;
    const AttributeList attrs = ParseAttributeList(list, QLatin1Char('"'), &ok);
    for (const auto& [key, value] : attrs) SetAttribute(key, value);
    if (!ok) ReportBadAttribute(QStringLiteral("(attribute list)"), list);
}

// ---------------------------------------------------------------- tree

CControlUI* CControlUI::GetParent() const { return parent_; }

void CControlUI::SetManager(CPaintManagerUI* manager, bool init) {
    if (manager_ != manager) {
        if (manager_) manager_->ReapObjects(this);
        manager_ = manager;
        if (manager_) manager_->RegisterControl(this);
        OnStyleChanged();
    }
    if (init && manager_ && !inited_) {
        inited_ = true;
        DoInit();
    }
}

CControlUI* CControlUI::FindControl(const std::function<bool(CControlUI*)>& match) {
    return match(this) ? this : nullptr;
}

void CControlUI::DoInit() {}

bool CControlUI::Activate() { return visible_ && enabled_; }

void CControlUI::Invalidate() { update(); }

void CControlUI::NeedUpdate() {
    updateNeeded_ = true;
    if (manager_) manager_->ScheduleLayout(this);
}

void CControlUI::NeedParentUpdate() {
    if (parent_) {
        parent_->NeedUpdate();
    } else {
        NeedUpdate();
    }
}

void CControlUI::SendNotify(const QString& type, quintptr wParam, qintptr lParam, bool async) {
    if (manager_) manager_->SendNotify(this, type, wParam, lParam, async);
}

bool CControlUI::DrawImage(QPainter& painter, const QString& image, const QString& modify) {
    return CRenderEngine::DrawImageString(painter, manager_, rect(), rect(), image, modify);
}

}  // namespace talven::ui
