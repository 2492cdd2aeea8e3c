#include "app/control_routes.h"

#include "ui/control.h"

namespace talven {

ControlName splitControlName(const QString& name) {
    qsizetype digits = 0;
    while (digits < name.size() && name[name.size() - 1 - digits].isDigit()) ++digits;
    // Longer numbers than any control row would overflow; treat them as names.
    if (digits == 0 || digits > 9) return {name, -1};
    ControlName split;
    split.prefix = name.left(name.size() - digits);
    split.index = name.right(digits).toInt();
    return split;
}

void ControlRoutes::add(const QString& type, const QString& name, Handler handler) {
    routes_.insert(key(type, name), std::move(handler));
}

bool ControlRoutes::has(const QString& type, const QString& name) const {
    return routes_.contains(key(type, name));
}

bool ControlRoutes::dispatch(ui::TNotifyUI& msg) const {
    if (!msg.pSender) return false;
    const QString name = msg.pSender->GetName();
    if (auto it = routes_.constFind(key(msg.sType, name)); it != routes_.cend()) {
        (*it)(msg, -1);
        return true;
    }
    const ControlName split = splitControlName(name);
    if (split.index < 0) return false;
    if (auto it = routes_.constFind(key(msg.sType, split.prefix)); it != routes_.cend()) {
        (*it)(msg, split.index);
        return true;
    }
    return false;
}

}  // namespace talven
