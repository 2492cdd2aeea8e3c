#include "ui/option.h"

#include <QPainter>

#include "ui/attribute_parse.h"
#include "ui/paint_manager.h"

namespace talven::ui {

QString COptionUI::GetClass() const { return QStringLiteral("Option"); }

void COptionUI::Selected(bool selected, bool sendNotify) {
    if (selected_ == selected) return;
    selected_ = selected;
    SetButtonState(selected ? GetButtonState() | UISTATE_SELECTED : GetButtonState() & ~UISTATE_SELECTED);
    if (group_.isEmpty()) {
        if (sendNotify) SendNotify(QString::fromLatin1(kNotifySelectChanged));
        return;
    }
    if (!selected) return;
    if (CPaintManagerUI* manager = GetManager()) {
        const QList<CControlUI*> members = manager->GetOptionGroup(group_);
        for (CControlUI* member : members) {
            auto* option = qobject_cast<COptionUI*>(member);
            if (option && option != this) option->Selected(false, sendNotify);
        }
    }
    if (sendNotify) SendNotify(QString::fromLatin1(kNotifySelectChanged));
}

void COptionUI::SetGroup(const QString& group) {
    if (group_ == group) return;
    if (GetManager() && !group_.isEmpty()) GetManager()->RemoveOptionGroup(group_, this);
    group_ = group;
    if (GetManager() && !group_.isEmpty()) {
        GetManager()->AddOptionGroup(group_, this);
        // Joining a group selected: the group keeps one selection.
        if (selected_) {
            selected_ = false;
            Selected(true, false);
        }
    }
}

void COptionUI::SetManager(CPaintManagerUI* manager, bool init) {
    const bool changed = manager != GetManager();
    if (changed && GetManager() && !group_.isEmpty()) GetManager()->RemoveOptionGroup(group_, this);
    CButtonUI::SetManager(manager, init);
    if (changed && manager && !group_.isEmpty()) manager->AddOptionGroup(group_, this);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    Selected(group_.isEmpty() ? !selected_ : true);
    return true;
}

void COptionUI::SetSelectedImage(const QString& image) { selectedImage_ = image; Invalidate(); }
void COptionUI::SetSelectedHotImage(const QString& image) { selectedHotImage_ = image; Invalidate(); }
void COptionUI::SetSelectedPushedImage(const QString& image) { selectedPushedImage_ = image; Invalidate(); }
void COptionUI::SetSelectedForeImage(const QString& image) { selectedForeImage_ = image; Invalidate(); }
void COptionUI::SetSelectedTextColor(const QColor& color) { selectedTextColor_ = color; Invalidate(); }
void COptionUI::SetSelectedBkColor(const QColor& color) { selectedBkColor_ = color; Invalidate(); }

void COptionUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    auto color = [&](void (COptionUI::*set)(const QColor&)) {
        if (auto c = ParseColor(value)) (this->*set)(*c);
        else ReportBadAttribute(name, value);
    };
    // Building a layout is not a user's choice: "selected" does not notify.
    if (n == QLatin1String("selected")) Selected(ParseBool(value), false);
    else if (n == QLatin1String("group")) SetGroup(value);
    else if (n == QLatin1String("selectedimage")) SetSelectedImage(value);
    else if (n == QLatin1String("selectedhotimage")) SetSelectedHotImage(value);
    else if (n == QLatin1String("selectedpushedimage")) SetSelectedPushedImage(value);
    else if (n == QLatin1String("selectedforeimage")) SetSelectedForeImage(value);
    else if (n == QLatin1String("selectedtextcolor")) color(&COptionUI::SetSelectedTextColor);
    else if (n == QLatin1String("selectedbkcolor")) color(&COptionUI::SetSelectedBkColor);
    else CButtonUI::SetAttribute(name, value);
}

QColor COptionUI::StateTextColor() const {
    if (selected_ && IsEnabled() && selectedTextColor_.isValid()) return selectedTextColor_;
    return CButtonUI::StateTextColor();
}

void COptionUI::PaintBkColor(QPainter& painter) {
    if (selected_ && selectedBkColor_.isValid()) painter.fillRect(rect(), selectedBkColor_);
    else CButtonUI::PaintBkColor(painter);
}

void COptionUI::PaintStatusImage(QPainter& painter) {
    if (selected_ && !selectedImage_.isEmpty()) {
        const QString hot = selectedHotImage_.isEmpty() ? selectedImage_ : selectedHotImage_;
        const QString pushed = selectedPushedImage_.isEmpty() ? hot : selectedPushedImage_;
        if (DrawStateImage(painter, pushed, hot, selectedImage_, selectedImage_)) return;
    }
    CButtonUI::PaintStatusImage(painter);
}

void COptionUI::PaintForeImage(QPainter& painter) {
    if (selected_ && !selectedForeImage_.isEmpty() && DrawImage(painter, selectedForeImage_)) return;
    CButtonUI::PaintForeImage(painter);
}

QString CCheckBoxUI::GetClass() const { return QStringLiteral("CheckBox"); }

void CCheckBoxUI::SetAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("checked"), Qt::CaseInsensitive) == 0) {
        SetCheck(ParseBool(value), false);
        return;
    }
    COptionUI::SetAttribute(name, value);
}

}  // namespace talven::ui
