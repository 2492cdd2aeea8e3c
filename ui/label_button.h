#pragma once
// Text controls and the button.

#include "ui/control.h"

namespace talven::ui {

// A single line of text, vertically centred, by default.
class CLabelUI : public CControlUI {
    Q_OBJECT

public:
    CLabelUI();
    QString GetClass() const override;

    uint GetTextStyle() const { return textStyle_; }
    void SetTextStyle(uint style);
    QMargins GetTextPadding() const;
    void SetTextPadding(const QMargins& padding);
    // With autocalcwidth the label asks its layout for the width of its text.
    bool GetAutoCalcWidth() const { return autoCalcWidth_; }
    void SetAutoCalcWidth(bool autoCalc);

    void SetText(const QString& text) override;
    void ReloadText() override;
    QSize EstimateSize(const QSize& available) override;
    void SetAttribute(const QString& name, const QString& value) override;
    void PaintText(QPainter& painter) override;

protected:
    // The text colour for the control's current state.
    virtual QColor StateTextColor() const;
    QRect TextRect() const;

private:
    uint textStyle_ = DT_VCENTER | DT_SINGLELINE;
    QMargins textPadding_;
    bool autoCalcWidth_ = false;
};

// Wrapping text from the top-left.
class CTextUI : public CLabelUI {
    Q_OBJECT

public:
    CTextUI();
    QString GetClass() const override;
};

// Sends "click" when released inside after a press inside (or on Space or
// Return while focused). Status images and colours follow the state:
// disabled, pushed, hot, focused, normal.
class CButtonUI : public CLabelUI {
    Q_OBJECT

public:
    CButtonUI();
    QString GetClass() const override;

    bool Activate() override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TEventUI& event) override;
    bool IsMouseInteractive() const override { return true; }
    void SetAttribute(const QString& name, const QString& value) override;

    uint GetButtonState() const { return buttonState_; }
    void SetButtonState(uint state);
    bool IsHot() const { return (buttonState_ & UISTATE_HOT) != 0; }
    bool IsPushed() const { return (buttonState_ & UISTATE_PUSHED) != 0; }

    QString GetNormalImage() const { return normalImage_; }
    void SetNormalImage(const QString& image);
    QString GetHotImage() const { return hotImage_; }
    void SetHotImage(const QString& image);
    QString GetPushedImage() const { return pushedImage_; }
    void SetPushedImage(const QString& image);
    QString GetFocusedImage() const { return focusedImage_; }
    void SetFocusedImage(const QString& image);
    QString GetDisabledImage() const { return disabledImage_; }
    void SetDisabledImage(const QString& image);
    QString GetHotForeImage() const { return hotForeImage_; }
    void SetHotForeImage(const QString& image);
    QString GetPushedForeImage() const { return pushedForeImage_; }
    void SetPushedForeImage(const QString& image);
    void SetHotTextColor(const QColor& color);
    void SetPushedTextColor(const QColor& color);
    void SetFocusedTextColor(const QColor& color);
    void SetHotBkColor(const QColor& color);
    void SetPushedBkColor(const QColor& color);

    // A click selects tab `index` of the tab layout named `name` in this window.
    void BindTabIndex(int index) { bindTabIndex_ = index; }
    void BindTabLayoutName(const QString& name) { bindTabLayoutName_ = name; }
    int GetBindTabLayoutIndex() const { return bindTabIndex_; }
    QString GetBindTabLayoutName() const { return bindTabLayoutName_; }
    void BindTriggerTabSel(int index = -1);

    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintForeImage(QPainter& painter) override;

protected:
    QColor StateTextColor() const override;
    // Draws the first state image that exists; false when none drew.
    bool DrawStateImage(QPainter& painter, const QString& pushed, const QString& hot,
                        const QString& focused, const QString& normal);

private:
    uint buttonState_ = 0;
    QString normalImage_, hotImage_, pushedImage_, focusedImage_, disabledImage_;
    QString hotForeImage_, pushedForeImage_;
    QColor hotTextColor_, pushedTextColor_, focusedTextColor_;
    QColor hotBkColor_, pushedBkColor_;
    int bindTabIndex_ = -1;
    QString bindTabLayoutName_;
};

}  // namespace talven::ui
