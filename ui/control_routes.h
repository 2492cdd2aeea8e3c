#pragma once
// Routing of notifications by control name. A composite control name is a
// prefix and a decimal index ("key_12"): it is split at its last underscore
// into the prefix with the underscore ("key_") and the index (12), so one
// entry serves a whole row of controls. Pages and panels register their own
// entries; the window only dispatches.

#include "ui/control.h"
#include "ui/notify.h"
#include "ui/option.h"

#include <QHash>
#include <QString>

#include <functional>
#include <vector>

namespace talven::ui {

struct ControlName {
    QString prefix;   // the whole name when it has no index
    int index = -1;   // -1 when the name does not end in "_" and a number
};

// The one rule for composite names: the index is what follows the last
// underscore, all decimal digits (at most nine, so it fits an int).
ControlName splitControlName(const QString& name);

class ControlRoutes {
public:
    using Handler = std::function<void(TNotifyUI& msg, int index)>;

    // name: a full control name, or a prefix ending in its underscore.
    // Several handlers may share a name (pages of different kinds use the
    // same control names); each finds its own page from the sender.
    void add(const QString& type, const QString& name, Handler handler);
    // Runs the entries for the sender's full name, else those for its prefix
    // (with the index). False when neither has one.
    bool dispatch(TNotifyUI& msg) const;
    bool has(const QString& type, const QString& name) const;

private:
    static QString key(const QString& type, const QString& name) { return type + QLatin1Char('\n') + name; }
    bool run(const QString& key, TNotifyUI& msg, int index) const;
    QHash<QString, std::vector<Handler>> routes_;
};

// The nearest control of type Target that holds `control` (itself
// included). Pages of one kind share control names, so a route finds its
// page from the sender, not from the current selection.
template <typename Target>
Target* ancestorOf(CControlUI* control) {
    for (CControlUI* c = control; c; c = c->GetParent())
        if (auto* found = qobject_cast<Target*>(c)) return found;
    return nullptr;
}

// Options report their deselection too; only a selection is a choice.
inline bool chosen(TNotifyUI& msg) {
    auto* option = qobject_cast<COptionUI*>(msg.pSender);
    return option && option->IsSelected();
}

}  // namespace talven::ui
