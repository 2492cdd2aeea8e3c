#include "ui/label_button.h"

#include <QPainter>

#include "ui/attribute_parse.h"
#include "ui/layouts.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace talven::ui {

// ---------------------------------------------------------------- label

CLabelUI::CLabelUI() = default;

QString CLabelUI::GetClass() const { return QStringLiteral("Label"); }

void CLabelUI::SetTextStyle(uint style) {
    textStyle_ = style;
    Invalidate();
}

QMargins CLabelUI::GetTextPadding() const { return ScaleValue(textPadding_); }

void CLabelUI::SetTextPadding(const QMargins& padding) {
    textPadding_ = padding;
    Invalidate();
    if (autoCalcWidth_) NeedParentUpdate();
}

void CLabelUI::SetAutoCalcWidth(bool autoCalc) {
    autoCalcWidth_ = autoCalc;
    NeedParentUpdate();
}

void CLabelUI::SetText(const QString& text) {
    const QString before = GetText();
    CControlUI::SetText(text);
    if (autoCalcWidth_ && GetText() != before) NeedParentUpdate();
}

void CLabelUI::ReloadText() {
    CControlUI::ReloadText();
    if (autoCalcWidth_) NeedParentUpdate();
}

QSize CLabelUI::EstimateSize(const QSize& available) {
    QSize size = CControlUI::EstimateSize(available);
    if (autoCalcWidth_) {
        const QMargins pad = GetTextPadding();
        const QSize text = CRenderEngine::GetTextSize(GetManager(), GetText(), GetFont(),
                                                      textStyle_ & ~DT_WORDBREAK);
        size.setWidth(text.width() + pad.left() + pad.right());
    }
    return size;
}

void CLabelUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    const QString v = value.toLower();
    if (n == QLatin1String("align")) {
        if (v.contains(QLatin1String("left"))) textStyle_ &= ~(DT_CENTER | DT_RIGHT);
        if (v.contains(QLatin1String("center"))) textStyle_ = (textStyle_ & ~DT_RIGHT) | DT_CENTER;
        if (v.contains(QLatin1String("right"))) textStyle_ = (textStyle_ & ~DT_CENTER) | DT_RIGHT;
        if (v.contains(QLatin1String("top"))) textStyle_ &= ~(DT_VCENTER | DT_BOTTOM);
        if (v.contains(QLatin1String("vcenter"))) textStyle_ = (textStyle_ & ~DT_BOTTOM) | DT_VCENTER;
        if (v.contains(QLatin1String("bottom"))) textStyle_ = (textStyle_ & ~DT_VCENTER) | DT_BOTTOM;
        Invalidate();
    } else if (n == QLatin1String("valign")) {
        textStyle_ &= ~(DT_VCENTER | DT_BOTTOM);
        if (v == QLatin1String("vcenter") || v == QLatin1String("center")) textStyle_ |= DT_VCENTER;
        else if (v == QLatin1String("bottom")) textStyle_ |= DT_BOTTOM;
        Invalidate();
    } else if (n == QLatin1String("endellipsis")) {
        SetTextStyle(ParseBool(value) ? textStyle_ | DT_END_ELLIPSIS : textStyle_ & ~DT_END_ELLIPSIS);
    } else if (n == QLatin1String("wordbreak") || n == QLatin1String("multiline")) {
        SetTextStyle(ParseBool(value) ? (textStyle_ & ~DT_SINGLELINE) | DT_WORDBREAK
                                      : (textStyle_ & ~DT_WORDBREAK) | DT_SINGLELINE);
    } else if (n == QLatin1String("singleline")) {
        SetTextStyle(ParseBool(value) ? (textStyle_ & ~DT_WORDBREAK) | DT_SINGLELINE
                                      : (textStyle_ & ~DT_SINGLELINE) | DT_WORDBREAK);
    } else if (n == QLatin1String("textpadding")) {
        if (auto m = ParseMargins(value)) SetTextPadding(*m);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("autocalcwidth")) {
        SetAutoCalcWidth(ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

QRect CLabelUI::TextRect() const { return rect().marginsRemoved(GetTextPadding()); }

QColor CLabelUI::StateTextColor() const { return EffectiveTextColor(); }

void CLabelUI::PaintText(QPainter& painter) {
    CRenderEngine::DrawText(painter, GetManager(), TextRect(), GetText(), StateTextColor(), GetFont(),
                            textStyle_);
}

CTextUI::CTextUI() { SetTextStyle(DT_WORDBREAK); }

QString CTextUI::GetClass() const { return QStringLiteral("Text"); }

// ---------------------------------------------------------------- button

CButtonUI::CButtonUI() { SetTextStyle(DT_SINGLELINE | DT_VCENTER | DT_CENTER); }

QString CButtonUI::GetClass() const { return QStringLiteral("Button"); }

void CButtonUI::SetButtonState(uint state) {
    buttonState_ = state;
    Invalidate();
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    SendNotify(QString::fromLatin1(kNotifyClick));
    BindTriggerTabSel();
    return true;
}

void CButtonUI::SetEnabled(bool enable) {
    CLabelUI::SetEnabled(enable);
    if (!enable) buttonState_ &= UISTATE_SELECTED;
}

void CButtonUI::BindTriggerTabSel(int index) {
    const int target = index >= 0 ? index : bindTabIndex_;
    if (bindTabLayoutName_.isEmpty() || target < 0 || !GetManager()) return;
    if (auto* tab = qobject_cast<CTabLayoutUI*>(GetManager()->FindControl(bindTabLayoutName_))) {
        tab->SelectItem(target);
    }
}

void CButtonUI::DoEvent(TEventUI& event) {
    const bool inside = GetPos().contains(event.ptMouse);
    switch (event.Type) {
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_SPACE || event.chKey == VK_RETURN) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled() && inside) {
            SetButtonState(buttonState_ | UISTATE_PUSHED | UISTATE_CAPTURED);
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (buttonState_ & UISTATE_CAPTURED) {
            SetButtonState(inside ? buttonState_ | UISTATE_PUSHED : buttonState_ & ~UISTATE_PUSHED);
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (buttonState_ & UISTATE_CAPTURED) {
            SetButtonState(buttonState_ & ~(UISTATE_PUSHED | UISTATE_CAPTURED));
            if (inside) Activate();
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) SetButtonState(buttonState_ | UISTATE_HOT);
        return;
    case UIEVENT_MOUSELEAVE:
        SetButtonState(buttonState_ & ~UISTATE_HOT);
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(const QString& image) { normalImage_ = image; Invalidate(); }
void CButtonUI::SetHotImage(const QString& image) { hotImage_ = image; Invalidate(); }
void CButtonUI::SetPushedImage(const QString& image) { pushedImage_ = image; Invalidate(); }
void CButtonUI::SetFocusedImage(const QString& image) { focusedImage_ = image; Invalidate(); }
void CButtonUI::SetDisabledImage(const QString& image) { disabledImage_ = image; Invalidate(); }
void CButtonUI::SetHotForeImage(const QString& image) { hotForeImage_ = image; Invalidate(); }
void CButtonUI::SetPushedForeImage(const QString& image) { pushedForeImage_ = image; Invalidate(); }
void CButtonUI::SetHotTextColor(const QColor& color) { hotTextColor_ = color; Invalidate(); }
void CButtonUI::SetPushedTextColor(const QColor& color) { pushedTextColor_ = color; Invalidate(); }
void CButtonUI::SetFocusedTextColor(const QColor& color) { focusedTextColor_ = color; Invalidate(); }
void CButtonUI::SetHotBkColor(const QColor& color) { hotBkColor_ = color; Invalidate(); }
void CButtonUI::SetPushedBkColor(const QColor& color) { pushedBkColor_ = color; Invalidate(); }

void CButtonUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    using ImageSetter = void (CButtonUI::*)(const QString&);
    using ColorSetter = void (CButtonUI::*)(const QColor&);
    static const QHash<QString, ImageSetter> images = {
        {QStringLiteral("normalimage"), &CButtonUI::SetNormalImage},
        {QStringLiteral("hotimage"), &CButtonUI::SetHotImage},
        {QStringLiteral("pushedimage"), &CButtonUI::SetPushedImage},
        {QStringLiteral("focusedimage"), &CButtonUI::SetFocusedImage},
        {QStringLiteral("disabledimage"), &CButtonUI::SetDisabledImage},
        {QStringLiteral("hotforeimage"), &CButtonUI::SetHotForeImage},
        {QStringLiteral("pushedforeimage"), &CButtonUI::SetPushedForeImage},
    };
    static const QHash<QString, ColorSetter> colors = {
        {QStringLiteral("hottextcolor"), &CButtonUI::SetHotTextColor},
        {QStringLiteral("pushedtextcolor"), &CButtonUI::SetPushedTextColor},
        {QStringLiteral("focusedtextcolor"), &CButtonUI::SetFocusedTextColor},
        {QStringLiteral("hotbkcolor"), &CButtonUI::SetHotBkColor},
        {QStringLiteral("pushedbkcolor"), &CButtonUI::SetPushedBkColor},
    };
    if (auto it = images.find(n); it != images.end()) {
        (this->*(*it))(value);
    } else if (auto ct = colors.find(n); ct != colors.end()) {
        if (auto c = ParseColor(value)) (this->*(*ct))(*c);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("bindtabindex")) {
        if (auto v = ParseInt(value)) BindTabIndex(*v);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("bindtablayoutname")) {
        BindTabLayoutName(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

QColor CButtonUI::StateTextColor() const {
    if (IsEnabled()) {
        if ((buttonState_ & UISTATE_PUSHED) && pushedTextColor_.isValid()) return pushedTextColor_;
        if ((buttonState_ & UISTATE_HOT) && hotTextColor_.isValid()) return hotTextColor_;
        if (IsFocused() && focusedTextColor_.isValid()) return focusedTextColor_;
    }
    return EffectiveTextColor();
}

void CButtonUI::PaintBkColor(QPainter& painter) {
    QColor state;
    if (IsEnabled()) {
        if (buttonState_ & UISTATE_PUSHED) state = pushedBkColor_;
        if (!state.isValid() && (buttonState_ & UISTATE_HOT)) state = hotBkColor_;
    }
    if (state.isValid()) painter.fillRect(rect(), state);
    else CLabelUI::PaintBkColor(painter);
}

bool CButtonUI::DrawStateImage(QPainter& painter, const QString& pushed, const QString& hot,
                               const QString& focused, const QString& normal) {
    if (!IsEnabled()) {
        if (!disabledImage_.isEmpty() && DrawImage(painter, disabledImage_)) return true;
        return !normal.isEmpty() && DrawImage(painter, normal);
    }
    if ((buttonState_ & UISTATE_PUSHED) && !pushed.isEmpty() && DrawImage(painter, pushed)) return true;
    if ((buttonState_ & UISTATE_HOT) && !hot.isEmpty() && DrawImage(painter, hot)) return true;
    if (IsFocused() && !focused.isEmpty() && DrawImage(painter, focused)) return true;
    return !normal.isEmpty() && DrawImage(painter, normal);
}

void CButtonUI::PaintStatusImage(QPainter& painter) {
    DrawStateImage(painter, pushedImage_, hotImage_, focusedImage_, normalImage_);
}

void CButtonUI::PaintForeImage(QPainter& painter) {
    if (IsEnabled()) {
        if ((buttonState_ & UISTATE_PUSHED) && !pushedForeImage_.isEmpty() && DrawImage(painter, pushedForeImage_)) return;
        if ((buttonState_ & UISTATE_HOT) && !hotForeImage_.isEmpty() && DrawImage(painter, hotForeImage_)) return;
    }
    CLabelUI::PaintForeImage(painter);
}

}  // namespace talven::ui
