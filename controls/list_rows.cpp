#include "controls/list_rows.h"

#include "ui/dialog_builder.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"

namespace talven {

using namespace ui;

void CComboEditContainerElementUI::SetAttribute(const QString& name, const QString& value) {
    // The row draws its states from the list's colours; image attributes of
    // older layouts are accepted and left unused.
    if (name == QLatin1String("normalimage") || name == QLatin1String("hotimage") ||
        name == QLatin1String("selectedimage")) {
        return;
    }
    CListContainerElementUI::SetAttribute(name, value);
}

void CComboEditContainerElementUI::DoInit() {
    CListContainerElementUI::DoInit();
    if (built_ || !GetManager()) return;
    built_ = true;
    CDialogBuilder builder;
    CControlUI* content = builder.Create(QStringLiteral("XML\\CustomControlXML\\ComboEditElementItem.xml"), {},
                                         nullptr, GetManager(), this);
    if (!content) return;
    if (content->GetParent() != this) Add(content);
    text1_ = GetManager()->FindSubControlByName(this, QStringLiteral("text1"));
    text2_ = GetManager()->FindSubControlByName(this, QStringLiteral("text2"));
    delayEdit_ = GetManager()->FindSubControlByName(this, QStringLiteral("delay_edit"));
}

void CComboEditContainerElementUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONUP:
        if (IsEnabled()) SendNotify(QString::fromLatin1(kNotifyItemClick));
        return;
    case UIEVENT_BUTTONDOWN:
        // Selecting happens here; "itemclick" waits for the release.
        if (!IsEnabled()) return;
        if (IListOwnerUI* owner = GetOwner()) {
            if ((event.wKeyState & MK_CONTROL) && owner->IsMultiSelect()) {
                if (IsSelected()) owner->UnSelectItem(GetIndex());
                else owner->SelectMultiItem(GetIndex());
            } else {
                owner->SelectItem(GetIndex(), true);
            }
        }
        return;
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_RETURN) {
            Activate();
            SendNotify(QString::fromLatin1(kNotifyReturn));
            return;
        }
        break;
    case UIEVENT_TIMER:
        SendNotify(QString::fromLatin1(kNotifyTimer), event.wParam, event.lParam);
        return;
    default:
        break;
    }
    CListContainerElementUI::DoEvent(event);
}

void CCloudShareListItemUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_CONTEXTMENU && IsEnabled()) {
        SendNotify(QString::fromLatin1(kNotifyMenu), event.wParam, event.lParam);
        return;
    }
    CListContainerElementUI::DoEvent(event);
}

}  // namespace talven
