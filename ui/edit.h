#pragma once
// Text input: CEditUI hosts a QLineEdit, CRichEditUI a QPlainTextEdit. The
// control paints background and border from the skin; the inner editor is
// transparent, frameless and uses the skin's font and text colour.
// Notifications: "textchanged" (user edits only), "return", "setfocus",
// "killfocus".

#include "ui/label_button.h"

class QLineEdit;
class QPlainTextEdit;

namespace talven::ui {

class CEditUI : public CLabelUI {
    Q_OBJECT

public:
    CEditUI();
    QString GetClass() const override;

    QString GetText() const override;
    void SetText(const QString& text) override;
    void ReloadText() override;
    void SetEnabled(bool enable = true) override;
    void SetFocus() override;
    bool IsMouseInteractive() const override { return true; }

    int GetMaxChar() const;
    void SetMaxChar(int max);
    bool IsReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool IsPasswordMode() const;
    void SetPasswordMode(bool password);
    bool IsNumberOnly() const { return numberOnly_; }
    // Digits only, as typed or pasted; text set by code is not filtered.
    void SetNumberOnly(bool numberOnly);
    QString GetTipValue() const { return tipValue_; }
    void SetTipValue(const QString& tip);
    void SetTipValueColor(const QColor& color);
    void SetNativeEditBkColor(const QColor& color);
    void SetSel(int start, int end);
    void SetSelAll();
    void SetReplaceSel(const QString& text);
    QLineEdit* GetLineEdit() const { return edit_; }

    void SetAttribute(const QString& name, const QString& value) override;
    void DoEvent(TEventUI& event) override;
    void PaintText(QPainter& painter) override;

protected:
    void OnStyleChanged() override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyEditStyle();

    QLineEdit* edit_ = nullptr;
    bool numberOnly_ = false;
    QString tipValue_;
    QColor tipValueColor_{0x7A, 0x7F, 0x89};
    QColor nativeBkColor_;
};

class CRichEditUI : public CLabelUI {
    Q_OBJECT

public:
    CRichEditUI();
    QString GetClass() const override;

    QString GetText() const override;
    void SetText(const QString& text) override;
    void ReloadText() override;
    void SetEnabled(bool enable = true) override;
    void SetFocus() override;
    bool IsMouseInteractive() const override { return true; }

    bool IsReadOnly() const;
    void SetReadOnly(bool readOnly);
    // 0: no limit. Longer input is cut at the limit.
    int GetLimitText() const { return maxChar_; }
    void SetLimitText(int max);
    // Without wantreturn, Return sends "return" instead of starting a line.
    bool IsWantReturn() const { return wantReturn_; }
    void SetWantReturn(bool want) { wantReturn_ = want; }
    void SetTipValue(const QString& tip);
    QPlainTextEdit* GetTextEdit() const { return edit_; }

    void SetAttribute(const QString& name, const QString& value) override;
    void PaintText(QPainter& painter) override;

protected:
    void OnStyleChanged() override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyEditStyle();
    void OnEdited();

    QPlainTextEdit* edit_ = nullptr;
    int maxChar_ = 0;
    bool wantReturn_ = true;
    bool settingText_ = false;
    QColor nativeBkColor_;
};

}  // namespace talven::ui
