#include "ui/menu_wnd.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainterPath>
#include <QScreen>

#include "platform/debug_output.h"
#include "ui/attribute_parse.h"
#include "ui/dialog_builder.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"
#include "ui/window_impl_base.h"

namespace talven::ui {

namespace {

QList<CMenuWnd*>& LiveMenus() {
    static QList<CMenuWnd*> menus;
    return menus;
}

bool IsTag(const XmlNode& node, const char* tag) { return node.tag.compare(QLatin1String(tag), Qt::CaseInsensitive) == 0; }

// <Menu item...="..."> attributes become each element's own defaults.
QString ElementAttributeFor(const QString& menuAttribute) {
    static const QHash<QString, QString> map = {
        {QStringLiteral("itemtextcolor"), QStringLiteral("textcolor")},
        {QStringLiteral("itemhottextcolor"), QStringLiteral("hottextcolor")},
        {QStringLiteral("itemhotbkcolor"), QStringLiteral("hotbkcolor")},
        {QStringLiteral("itemdisabledtextcolor"), QStringLiteral("disabledtextcolor")},
        {QStringLiteral("itemfont"), QStringLiteral("font")},
        {QStringLiteral("itemheight"), QStringLiteral("height")},
        {QStringLiteral("itemtextpadding"), QStringLiteral("textpadding")},
        {QStringLiteral("linecolor"), QStringLiteral("linecolor")},
    };
    return map.value(menuAttribute.toLower());
}

QRect ScreenAreaAt(const QPoint& point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

// One level of a menu: a popup window with its own manager.
class MenuPopup : public QWidget, public INotifyUI {
public:
    MenuPopup(CMenuWnd* menu, const XmlNode* window, const XmlNode& menuNode, CPaintManagerUI* owner,
              MenuCheckInfo* checks, MenuPopup* parentPopup)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint),
          menu_(menu), parent_(parentPopup), window_(window), owner_(owner), checks_(checks) {
        setAttribute(Qt::WA_DeleteOnClose, false);
        setMouseTracking(true);
        pm_.Init(this, QStringLiteral("menu"));
        pm_.AddNotifier(this);
        if (owner) {
            pm_.SetDPI(owner->GetDPI());
            pm_.CopyStyleFrom(*owner);
        }
        if (window) CDialogBuilder::ApplyWindowSettings(*window, &pm_);
        Build(menuNode);
    }

    ~MenuPopup() override {
        if (child_) delete child_.data();
        delete pm_.GetRoot();
    }

    CPaintManagerUI* Manager() { return &pm_; }
    MenuPopup* Child() const { return child_; }

    void OpenAt(QPoint at, const QRect& besides = {}) {
        const QRect area = ScreenAreaAt(besides.isNull() ? at : besides.center());
        const QSize size = PreferredSize();
        if (!area.isEmpty()) {
            if (at.x() + size.width() > area.right() + 1) {
                at.setX(besides.isNull() ? at.x() - size.width() : besides.left() - size.width());
            }
            if (at.y() + size.height() > area.bottom() + 1) {
                at.setY(besides.isNull() ? at.y() - size.height() : area.bottom() + 1 - size.height());
            }
            at.setX(qMax(area.left(), at.x()));
            at.setY(qMax(area.top(), at.y()));
        }
        setGeometry(QRect(at, size));
        const QSize round = pm_.GetRoot()->GetBorderRound();
        if (round.width() > 0 && round.height() > 0) {
            QPainterPath path;
            path.addRoundedRect(QRectF(rect()), round.width(), round.height());
            setMask(QRegion(path.toFillPolygon().toPolygon()));
        }
        show();
        pm_.GetRoot()->SetPos(rect());
    }

    // Closing a submenu because the pointer went back to its parent must not
    // close the parent too; every other close takes the parents along.
    void CloseQuietly() {
        quiet_ = true;
        close();
    }

    void Notify(TNotifyUI& msg) override {
        auto* element = qobject_cast<CMenuElementUI*>(msg.pSender);
        if (!element) return;
        if (msg.sType == QLatin1String("msenter")) {
            SetHot(element);
            if (child_ && childFor_ != element) child_->CloseQuietly();
            if (element->HasSubMenu() && !child_) OpenSubMenu(element);
        } else if (msg.sType == QLatin1String(kNotifyClick)) {
            if (element->HasSubMenu()) OpenSubMenu(element);
            else Choose(element);
        }
    }

protected:
    void hideEvent(QHideEvent*) override {
        if (child_) child_->CloseQuietly();
        const bool cascade = !quiet_ && parent_ && !parent_->frameGeometry().contains(QCursor::pos());
        if (cascade || chosen_) {
            if (parent_) parent_->close();
        }
        deleteLater();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        // While a submenu is open it gets every move; back over its parent
        // it steps aside so the parent can highlight and open again.
        const QPoint global = event->globalPosition().toPoint();
        if (parent_ && !rect().contains(event->position().toPoint()) && parent_->frameGeometry().contains(global)) {
            CloseQuietly();
        }
    }

    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Up: MoveHot(-1); return;
        case Qt::Key_Down: MoveHot(1); return;
        case Qt::Key_Right:
            if (hot_ && hot_->HasSubMenu()) OpenSubMenu(hot_);
            return;
        case Qt::Key_Left:
            if (parent_) CloseQuietly();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (hot_) hot_->Activate();
            return;
        case Qt::Key_Escape:
            if (parent_) CloseQuietly();
            else close();
            return;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    void Build(const XmlNode& menuNode) {
        auto* root = new CVerticalLayoutUI;
        root->SetBkColor(QColor(0x22, 0x25, 0x2B));
        root->SetBorderColor(QColor(0x3A, 0x3F, 0x4A));
        root->SetBorderSize(1);
        root->SetInset(QMargins(4, 4, 4, 4));
        AttributeList itemDefaults = {{QStringLiteral("hotbkcolor"), QStringLiteral("#FF2F343D")}};
        for (const auto& [name, value] : menuNode.attributes) {
            const QString mapped = ElementAttributeFor(name);
            if (!mapped.isEmpty()) itemDefaults.append({mapped, value});
            else root->SetAttribute(name, value);
        }
        pm_.AttachDialog(root);
        for (const XmlNode& node : menuNode.children) {
            if (!IsTag(node, "MenuElement")) continue;
            auto* element = new CMenuElementUI;
            element->SetManager(&pm_, false);
            for (const auto& [name, value] : itemDefaults) element->SetAttribute(name, value);
            bool hasSub = false;
            for (const XmlNode& child : node.children) hasSub = hasSub || IsTag(child, "MenuElement");
            for (const auto& [name, value] : node.attributes) element->SetAttribute(name, value);
            element->SetHasSubMenu(hasSub);
            if (hasSub) subNodes_.insert(element, &node);
            if (element->IsCheckItem() && checks_ && !element->GetName().isEmpty()) {
                auto it = checks_->find(element->GetName());
                if (it != checks_->end()) element->SetChecked(*it);
                else checks_->insert(element->GetName(), element->IsChecked());
            }
            root->Add(element);
            elements_.append(element);
        }
    }

    QSize PreferredSize() {
        CControlUI* root = pm_.GetRoot();
        const QMargins inset = static_cast<CContainerUI*>(root)->GetInset();
        int w = root->GetFixedWidth();
        int h = inset.top() + inset.bottom();
        for (CMenuElementUI* e : std::as_const(elements_)) {
            if (!e->IsVisible()) continue;
            if (root->GetFixedWidth() <= 0) w = qMax(w, e->PreferredWidth() + inset.left() + inset.right());
            h += e->EstimateSize(QSize()).height();
        }
        return {qMax(w, pm_.GetDPIObj()->Scale(120)), h};
    }

    void SetHot(CMenuElementUI* element) {
        hot_ = element;
        for (CMenuElementUI* e : std::as_const(elements_)) {
            const uint state = e->GetButtonState();
            const uint wanted = e == element ? state | UISTATE_HOT : state & ~UISTATE_HOT;
            if (wanted != state) e->SetButtonState(wanted);
        }
    }

    void MoveHot(int direction) {
        const int n = static_cast<int>(elements_.size());
        int i = hot_ ? static_cast<int>(elements_.indexOf(hot_)) : (direction > 0 ? -1 : n);
        for (int step = 0; step < n; ++step) {
            i = (i + direction + n) % n;
            CMenuElementUI* e = elements_[i];
            if (e->IsVisible() && e->IsEnabled() && !e->IsLine()) {
                SetHot(e);
                return;
            }
        }
    }

    void OpenSubMenu(CMenuElementUI* element) {
        if (child_ && childFor_ == element) return;
        if (child_) child_->CloseQuietly();
        const XmlNode* node = subNodes_.value(element);
        if (!node) return;
        child_ = new MenuPopup(menu_, window_, *node, owner_, checks_, this);
        childFor_ = element;
        // Beside this menu, level with the item; on the left when the right has no room.
        const QPoint itemTop = element->mapToGlobal(QPoint());
        child_->OpenAt(QPoint(frameGeometry().right() + 1, itemTop.y()), frameGeometry());
    }

    void Choose(CMenuElementUI* element) {
        if (!element->IsEnabled() || element->IsLine()) return;
        if (element->IsCheckItem()) {
            if (!element->GetGroup().isEmpty()) {
                for (CMenuElementUI* e : std::as_const(elements_)) {
                    if (e->IsCheckItem() && e->GetGroup() == element->GetGroup()) {
                        e->SetChecked(e == element);
                        if (checks_ && !e->GetName().isEmpty()) checks_->insert(e->GetName(), e == element);
                    }
                }
            } else {
                element->SetChecked(!element->IsChecked());
                if (checks_ && !element->GetName().isEmpty()) checks_->insert(element->GetName(), element->IsChecked());
            }
        }
        auto cmd = std::make_unique<MenuCmd>();
        cmd->szName = element->GetName();
        cmd->szUserData = element->GetUserData();
        cmd->szText = element->GetText();
        cmd->bChecked = element->IsChecked();
        auto* window = owner_ ? dynamic_cast<WindowImplBase*>(owner_->GetPaintWindow()) : nullptr;
        if (window) window->PostMessage(UIMSG_MENUCLICK, reinterpret_cast<quintptr>(cmd.release()), 0);
        else debugOutput(("menu: no window to receive '" + element->GetName() + "'").toStdString());
        chosen_ = true;
        close();
    }

    CMenuWnd* menu_;
    MenuPopup* parent_;
    const XmlNode* window_;
    CPaintManagerUI* owner_;
    MenuCheckInfo* checks_;
    CPaintManagerUI pm_;
    QList<CMenuElementUI*> elements_;
    QHash<CMenuElementUI*, const XmlNode*> subNodes_;
    QPointer<MenuPopup> child_;
    CMenuElementUI* childFor_ = nullptr;
    CMenuElementUI* hot_ = nullptr;
    bool quiet_ = false;
    bool chosen_ = false;
};

// ---------------------------------------------------------------- CMenuWnd

CMenuWnd::CMenuWnd() { LiveMenus().append(this); }

CMenuWnd::~CMenuWnd() {
    LiveMenus().removeOne(this);
    delete popup_.data();
}

bool CMenuWnd::Init(const QString& xml, const QPoint& point, CPaintManagerUI* owner, MenuCheckInfo* checks) {
    delete popup_.data();
    QString error;
    const QString path = CDialogBuilder::ResolveXmlFile(xml);
    doc_ = ParseXmlFile(path, &error);
    if (!doc_) {
        debugOutput(("menu " + path + ": " + error).toStdString());
        return false;
    }
    const XmlNode* window = IsTag(*doc_, "Window") ? &*doc_ : nullptr;
    const XmlNode* menu = IsTag(*doc_, "Menu") ? &*doc_ : nullptr;
    for (const XmlNode& child : doc_->children) {
        if (!menu && IsTag(child, "Menu")) menu = &child;
    }
    if (!menu) {
        debugOutput(("menu " + path + ": no <Menu>").toStdString());
        doc_.reset();
        return false;
    }
    popup_ = new MenuPopup(this, window, *menu, owner, checks, nullptr);
    popup_->OpenAt(point);
    return true;
}

void CMenuWnd::Close() {
    if (popup_) popup_->close();
}

bool CMenuWnd::IsOpen() const { return popup_ && popup_->isVisible(); }

QWidget* CMenuWnd::GetMenuWindow() const { return popup_; }

CPaintManagerUI* CMenuWnd::GetMenuManager() const { return popup_ ? popup_->Manager() : nullptr; }

CMenuElementUI* CMenuWnd::FindMenuItem(const QString& name) const {
    for (MenuPopup* p = popup_; p; p = p->Child()) {
        if (auto* item = qobject_cast<CMenuElementUI*>(p->Manager()->FindControl(name))) return item;
    }
    return nullptr;
}

void CMenuWnd::DestroyMenu() {
    const QList<CMenuWnd*> menus = LiveMenus();
    for (CMenuWnd* menu : menus) menu->Close();
}

}  // namespace talven::ui
