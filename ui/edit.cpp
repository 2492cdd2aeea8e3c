#include "ui/edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTextCursor>

#include "ui/attribute_parse.h"
#include "ui/paint_manager.h"

namespace talven::ui {

namespace {

QString Css(const QColor& c) { return c.name(QColor::HexArgb); }

// The inner editors show the control's background through them unless the
// skin gives them a colour of their own.
QString EditorStyle(const char* widget, const QColor& bk, const QColor& text, const QColor& disabled) {
    return QStringLiteral("%1 { background: %2; border: none; margin: 0; padding: 0; color: %3;"
                          " selection-background-color: #FF3D6FD8; selection-color: #FFFFFFFF; }"
                          "%1:disabled { color: %4; }")
        .arg(QLatin1String(widget), bk.isValid() ? Css(bk) : QStringLiteral("transparent"), Css(text),
             Css(disabled));
}

// The style of an inner editor in the text colours of the control that holds
// it, falling back on the window's defaults.
QString EditorStyleOf(const CLabelUI& owner, const char* widget, const QColor& bk) {
    const CPaintManagerUI* manager = owner.GetManager();
    const QColor text = owner.GetTextColor().isValid() ? owner.GetTextColor()
                        : manager                      ? manager->GetDefaultFontColor()
                                                       : QColor(0xE6, 0xE8, 0xEC);
    const QColor disabled = owner.GetDisabledTextColor().isValid() ? owner.GetDisabledTextColor()
                            : manager ? manager->GetDefaultDisabledColor()
                                      : QColor(0x7A, 0x7F, 0x89);
    return EditorStyle(widget, bk, text, disabled);
}

// Label attributes that change how the inner editor lays out its text.
bool ChangesTextLayout(const QString& n) {
    return n == QLatin1String("textpadding") || n == QLatin1String("align") || n == QLatin1String("wordbreak") ||
           n == QLatin1String("singleline") || n == QLatin1String("multiline");
}

Qt::Alignment AlignmentOf(uint style) {
    Qt::Alignment a = Qt::AlignVCenter;
    if (style & DT_CENTER) a |= Qt::AlignHCenter;
    else if (style & DT_RIGHT) a |= Qt::AlignRight;
    else a |= Qt::AlignLeft;
    return a;
}

bool IsReturn(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

// ---------------------------------------------------------------- edit

CEditUI::CEditUI() : edit_(new QLineEdit(this)) {
    edit_->setFrame(false);
    edit_->installEventFilter(this);
    setFocusProxy(edit_);
    edit_->setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(edit_, &QLineEdit::textEdited, this, [this] { SendNotify(QString::fromLatin1(kNotifyTextChanged)); });
    connect(edit_, &QLineEdit::returnPressed, this, [this] { SendNotify(QString::fromLatin1(kNotifyReturn)); });
    ApplyEditStyle();
}

QString CEditUI::GetClass() const { return QStringLiteral("Edit"); }

QString CEditUI::GetText() const { return edit_->text(); }

void CEditUI::SetText(const QString& text) {
    CLabelUI::SetText(text);
    const QString shown = CLabelUI::GetText();
    if (edit_->text() != shown) edit_->setText(shown);
}

void CEditUI::ReloadText() {
    if (IsResourceText()) edit_->setText(CLabelUI::GetText());
    CLabelUI::ReloadText();
}

void CEditUI::SetEnabled(bool enable) {
    CLabelUI::SetEnabled(enable);
    edit_->setEnabled(enable);
}

void CEditUI::SetFocus() { edit_->setFocus(Qt::OtherFocusReason); }

int CEditUI::GetMaxChar() const { return edit_->maxLength(); }
void CEditUI::SetMaxChar(int max) { edit_->setMaxLength(max > 0 ? max : 32767); }
bool CEditUI::IsReadOnly() const { return edit_->isReadOnly(); }
void CEditUI::SetReadOnly(bool readOnly) { edit_->setReadOnly(readOnly); }
bool CEditUI::IsPasswordMode() const { return edit_->echoMode() == QLineEdit::Password; }
void CEditUI::SetPasswordMode(bool password) {
    edit_->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    numberOnly_ = numberOnly;
    if (numberOnly) {
        edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    } else {
        edit_->setValidator(nullptr);
    }
}

void CEditUI::SetTipValue(const QString& tip) {
    tipValue_ = tip;
    edit_->setPlaceholderText(tip);
}

void CEditUI::SetTipValueColor(const QColor& color) {
    tipValueColor_ = color;
    ApplyEditStyle();
}

void CEditUI::SetNativeEditBkColor(const QColor& color) {
    nativeBkColor_ = color;
    ApplyEditStyle();
}

void CEditUI::SetSel(int start, int end) {
    if (end < 0) end = static_cast<int>(edit_->text().size());
    edit_->setSelection(start, end - start);
}

void CEditUI::SetSelAll() { edit_->selectAll(); }

void CEditUI::SetReplaceSel(const QString& text) { edit_->insert(text); }

void CEditUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    if (n == QLatin1String("numberonly")) SetNumberOnly(ParseBool(value));
    else if (n == QLatin1String("password")) SetPasswordMode(ParseBool(value));
    else if (n == QLatin1String("readonly")) SetReadOnly(ParseBool(value));
    else if (n == QLatin1String("tipvalue")) SetTipValue(value);
    else if (n == QLatin1String("maxchar")) {
        if (auto v = ParseInt(value)) SetMaxChar(*v);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("tipvaluecolor") || n == QLatin1String("nativebkcolor")) {
        auto c = ParseColor(value);
        if (!c) ReportBadAttribute(name, value);
        else if (n == QLatin1String("tipvaluecolor")) SetTipValueColor(*c);
        else SetNativeEditBkColor(*c);
    } else {
        CLabelUI::SetAttribute(name, value);
        if (ChangesTextLayout(n)) ApplyEditStyle();
    }
}

void CEditUI::ApplyEditStyle() {
    edit_->setStyleSheet(EditorStyleOf(*this, "QLineEdit", nativeBkColor_));
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::PlaceholderText, tipValueColor_);
    edit_->setPalette(palette);
    edit_->setFont(GetFontObject());
    edit_->setAlignment(AlignmentOf(GetTextStyle()));
    edit_->setGeometry(TextRect());
}

void CEditUI::OnStyleChanged() {
    ApplyEditStyle();
    CLabelUI::OnStyleChanged();
}

void CEditUI::resizeEvent(QResizeEvent*) { edit_->setGeometry(TextRect()); }

bool CEditUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::FocusIn) HandleFocusChange(true, static_cast<QFocusEvent*>(event)->reason());
        else if (event->type() == QEvent::FocusOut) HandleFocusChange(false, static_cast<QFocusEvent*>(event)->reason());
    }
    return CLabelUI::eventFilter(watched, event);
}

void CEditUI::DoEvent(TEventUI& event) {
    // A press on the padding around the text still puts the caret in.
    if (event.Type == UIEVENT_BUTTONDOWN && IsEnabled()) {
        edit_->setFocus(Qt::MouseFocusReason);
        return;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::PaintText(QPainter&) {}  // the QLineEdit draws the text

// ---------------------------------------------------------------- rich edit

CRichEditUI::CRichEditUI() : edit_(new QPlainTextEdit(this)) {
    edit_->setFrameShape(QFrame::NoFrame);
    edit_->installEventFilter(this);
    setFocusProxy(edit_);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(edit_, &QPlainTextEdit::textChanged, this, [this] { OnEdited(); });
    ApplyEditStyle();
}

QString CRichEditUI::GetClass() const { return QStringLiteral("RichEdit"); }

QString CRichEditUI::GetText() const { return edit_->toPlainText(); }

void CRichEditUI::SetText(const QString& text) {
    CLabelUI::SetText(text);
    const QString shown = CLabelUI::GetText();
    if (edit_->toPlainText() == shown) return;
    settingText_ = true;
    edit_->setPlainText(shown);
    settingText_ = false;
}

void CRichEditUI::ReloadText() {
    if (IsResourceText()) {
        settingText_ = true;
        edit_->setPlainText(CLabelUI::GetText());
        settingText_ = false;
    }
    CLabelUI::ReloadText();
}

void CRichEditUI::SetEnabled(bool enable) {
    CLabelUI::SetEnabled(enable);
    edit_->setEnabled(enable);
}

void CRichEditUI::SetFocus() { edit_->setFocus(Qt::OtherFocusReason); }
bool CRichEditUI::IsReadOnly() const { return edit_->isReadOnly(); }
void CRichEditUI::SetReadOnly(bool readOnly) { edit_->setReadOnly(readOnly); }
void CRichEditUI::SetTipValue(const QString& tip) { edit_->setPlaceholderText(tip); }

void CRichEditUI::SetLimitText(int max) {
    maxChar_ = qMax(0, max);
    OnEdited();
}

void CRichEditUI::OnEdited() {
    if (settingText_) return;
    if (maxChar_ > 0 && edit_->toPlainText().size() > maxChar_) {
        settingText_ = true;
        QTextCursor cursor = edit_->textCursor();
        const int pos = qMin(cursor.position(), maxChar_);
        edit_->setPlainText(edit_->toPlainText().left(maxChar_));
        cursor = edit_->textCursor();
        cursor.setPosition(pos);
        edit_->setTextCursor(cursor);
        settingText_ = false;
    }
    SendNotify(QString::fromLatin1(kNotifyTextChanged));
}

void CRichEditUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    if (n == QLatin1String("readonly")) SetReadOnly(ParseBool(value));
    else if (n == QLatin1String("wantreturn")) SetWantReturn(ParseBool(value));
    else if (n == QLatin1String("tipvalue")) SetTipValue(value);
    else if (n == QLatin1String("maxchar") || n == QLatin1String("limittext")) {
        if (auto v = ParseInt(value)) SetLimitText(*v);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("nativebkcolor")) {
        if (auto c = ParseColor(value)) {
            nativeBkColor_ = *c;
            ApplyEditStyle();
        } else {
            ReportBadAttribute(name, value);
        }
    } else {
        CLabelUI::SetAttribute(name, value);
        if (ChangesTextLayout(n)) ApplyEditStyle();
    }
}

void CRichEditUI::ApplyEditStyle() {
    const int bar = ScaleValue(6);
    edit_->setStyleSheet(
        EditorStyleOf(*this, "QPlainTextEdit", nativeBkColor_) +
        QStringLiteral("QScrollBar:vertical { background: transparent; width: %1px; border: none; margin: 0; }"
                       "QScrollBar::handle:vertical { background: #FF5A5F69; border-radius: %2px; min-height: 20px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { height: 0; border: none; background: none; }"
                       "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
            .arg(bar)
            .arg(qMax(1, bar / 2)));
    edit_->setFont(GetFontObject());
    edit_->setLineWrapMode((GetTextStyle() & DT_SINGLELINE) ? QPlainTextEdit::NoWrap
                                                             : QPlainTextEdit::WidgetWidth);
    edit_->setGeometry(TextRect());
}

void CRichEditUI::OnStyleChanged() {
    ApplyEditStyle();
    CLabelUI::OnStyleChanged();
}

void CRichEditUI::resizeEvent(QResizeEvent*) { edit_->setGeometry(TextRect()); }

bool CRichEditUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::FocusIn) {
            HandleFocusChange(true, static_cast<QFocusEvent*>(event)->reason());
        } else if (event->type() == QEvent::FocusOut) {
            HandleFocusChange(false, static_cast<QFocusEvent*>(event)->reason());
        } else if (!wantReturn_ && IsReturn(event)) {
            SendNotify(QString::fromLatin1(kNotifyReturn));
            return true;
        }
    }
    return CLabelUI::eventFilter(watched, event);
}

void CRichEditUI::PaintText(QPainter&) {}  // the QPlainTextEdit draws the text

}  // namespace talven::ui
