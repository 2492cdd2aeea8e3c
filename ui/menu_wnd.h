#pragma once
// Popup menus from layout files:
//
//   <Window>
//     <Font id="0" name="Noto Sans" size="13"/>          (optional; else the owner's fonts)
//     <Menu bkcolor="#FF22252B" itemhotbkcolor="#FF2F343D" itemheight="30">
//       <MenuElement name="show" text="menu_show" resourcetext="true" icon="common/show.svg"/>
//       <MenuElement line="true"/>
//       <MenuElement name="delay" text="Delay">
//         <MenuElement name="delay_short" text="Short" checkitem="true" group="delay"/>
//       </MenuElement>
//       <MenuElement name="exit" text="Exit"/>
//     </Menu>
//   </Window>
//
// Choosing an item posts UIMSG_MENUCLICK (0x479) to the owner's window with
// wParam a MenuCmd the receiver takes over (TakeMenuCmd). A click outside
// or Escape closes the menu without a message.

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

#include "ui/label_button.h"
#include "ui/xml_node.h"

namespace talven::ui {

class CPaintManagerUI;
class MenuPopup;

struct MenuCmd {
    QString szName;
    QString szUserData;
    QString szText;
    bool bChecked = false;
};

// Takes ownership of the record a UIMSG_MENUCLICK carries in its wParam.
std::unique_ptr<MenuCmd> TakeMenuCmd(quintptr wParam);

// Check marks by item name. Init fills in the items the map does not know
// yet; choosing a check item updates it.
using MenuCheckInfo = QHash<QString, bool>;

class CMenuElementUI : public CButtonUI {
    Q_OBJECT

public:
    CMenuElementUI();
    QString GetClass() const override;

    bool IsLine() const { return line_; }
    bool IsCheckItem() const { return checkItem_; }
    bool IsChecked() const { return checked_; }
    void SetChecked(bool checked);
    QString GetGroup() const { return group_; }
    QString GetIcon() const { return icon_; }
    bool HasSubMenu() const { return hasSubMenu_; }
    void SetHasSubMenu(bool has);
    // The width the item needs for its icon column, text and arrow.
    int PreferredWidth();

    QSize EstimateSize(const QSize& available) override;
    void SetAttribute(const QString& name, const QString& value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;

private:
    QString icon_;
    QString group_;
    QColor lineColor_{0x3A, 0x3F, 0x4A};
    bool line_ = false;
    bool checkItem_ = false;
    bool checked_ = false;
    bool hasSubMenu_ = false;
};

class CMenuWnd : public QObject {
    Q_OBJECT

public:
    CMenuWnd();
    ~CMenuWnd() override;

    // Opens the menu of `xml` (resource name or skin-relative file) with its
    // top-left at `point` (screen coordinates; moved to stay on the screen).
    // False when the file is missing or holds no <Menu>.
    bool Init(const QString& xml, const QPoint& point, CPaintManagerUI* owner,
              MenuCheckInfo* checks = nullptr);
    void Close();
    bool IsOpen() const;
    // The top menu's window and manager (to find items by name).
    QWidget* GetMenuWindow() const;
    CPaintManagerUI* GetMenuManager() const;
    // An item by name in any open level of the menu.
    CMenuElementUI* FindMenuItem(const QString& name) const;

    // Closes every open menu of the program.
    static void DestroyMenu();

private:
    friend class MenuPopup;

    std::optional<XmlNode> doc_;
    QPointer<MenuPopup> popup_;
};

}  // namespace talven::ui
