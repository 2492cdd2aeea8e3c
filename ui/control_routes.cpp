#include "ui/control_routes.h"

namespace talven::ui {

ControlName splitControlName(const QString& name) {
    const qsizetype at = name.lastIndexOf(QLatin1Char('_'));
    const qsizetype digits = at < 0 ? 0 : name.size() - at - 1;
    // Longer numbers than any control row would overflow; such names have
    // no index.
    if (digits == 0 || digits > 9) return {name, -1};
    for (qsizetype i = at + 1; i < name.size(); ++i)
        if (name[i] < QLatin1Char('0') || name[i] > QLatin1Char('9')) return {name, -1};
    return {name.left(at + 1), name.mid(at + 1).toInt()};
}

void ControlRoutes::add(const QString& type, const QString& name, Handler handler) {
    routes_[key(type, name)].push_back(std::move(handler));
}

bool ControlRoutes::has(const QString& type, const QString& name) const {
    return routes_.contains(key(type, name));
}

bool ControlRoutes::run(const QString& key, TNotifyUI& msg, int index) const {
    const auto it = routes_.constFind(key);
    if (it == routes_.cend()) return false;
    for (const Handler& handler : *it) handler(msg, index);
    return true;
}

bool ControlRoutes::dispatch(TNotifyUI& msg) const {
    if (!msg.pSender) return false;
    const QString name = msg.pSender->GetName();
    if (run(key(msg.sType, name), msg, -1)) return true;
    const ControlName split = splitControlName(name);
    return split.index >= 0 && run(key(msg.sType, split.prefix), msg, split.index);
}

}  // namespace talven::ui
