// CShootControlUI: the routes of its options and buttons. Each handler finds
// the panel from the sender, so every page's panel answers its own controls.

#include "editors/shoot_control.h"

#include "ui/control_routes.h"

namespace talven {

using namespace ui;

namespace {

using PanelStep = std::function<QString(CShootControlUI*, int index)>;

// Runs `step` on the sender's panel and tells the user what it reports.
ControlRoutes::Handler panelRoute(const ShootRouteHost& host, PanelStep step, bool onlyChosen = false) {
    return [host, step = std::move(step), onlyChosen](TNotifyUI& msg, int index) {
        if (onlyChosen && !chosen(msg)) return;
        CShootControlUI* panel = ancestorOf<CShootControlUI>(msg.pSender);
        if (!panel || !panel->usable()) return;
        const QString key = step(panel, index);
        if (!key.isEmpty() && host.message) host.message(panel, key, false);
    };
}

void addButtonRoutes(ControlRoutes& routes, const ShootRouteHost& host) {
    const auto click = [&](const char* name, PanelStep step) {
        routes.add(QString::fromLatin1(kNotifyClick), QString::fromLatin1(name), panelRoute(host, std::move(step)));
    };
    click("bullet_selected_prev", [](CShootControlUI* p, int) { return p->previousBullet(); });
    click("bullet_selected_next", [](CShootControlUI* p, int) { return p->nextBullet(); });
    click("shootdate_save_btn", [](CShootControlUI* p, int) { return p->saveBullet(); });
    // Resetting throws the gun's edits away: only when the user agrees.
    click("shootdate_reset_btn", [host](CShootControlUI* p, int) {
        const bool agreed = host.message && host.message(p, QStringLiteral("shoot_text_reset_ask"), true);
        return agreed ? p->resetGun() : QString();
    });
    click("shootdate_import_btn", [host](CShootControlUI* p, int) {
        return host.chooseFile ? p->importGun(host.chooseFile(p, false)) : QString();
    });
    click("shootdate_export_btn", [host](CShootControlUI* p, int) {
        return host.chooseFile ? p->exportGun(host.chooseFile(p, true)) : QString();
    });
}

void addSelectionRoutes(ControlRoutes& routes, const ShootRouteHost& host) {
    const QString selection = QString::fromLatin1(kNotifySelectChanged);
    routes.add(selection, QStringLiteral("shoot_gun_op_"),
               panelRoute(host, [](CShootControlUI* p, int gun) { return p->selectGun(gun); }, true));
    routes.add(selection, QStringLiteral("bullet_op_"),
               panelRoute(host, [](CShootControlUI* p, int bullet) { return p->selectBullet(bullet); }, true));
    for (const char* check : {"bullet_x_check", "bullet_y_check"}) {
        routes.add(selection, QString::fromLatin1(check), panelRoute(host, [](CShootControlUI* p, int) {
                       p->showDirections();
                       return QString();
                   }));
    }
}

}  // namespace

void CShootControlUI::AddRoutes(ControlRoutes& routes, const ShootRouteHost& host) {
    addButtonRoutes(routes, host);
    addSelectionRoutes(routes, host);
}

}  // namespace talven
