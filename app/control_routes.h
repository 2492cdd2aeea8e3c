#pragma once
// Routing of notifications by control name. A name that ends in a decimal
// number ("key_12") is also known by its prefix ("key_") with the number as
// index, so one entry serves a whole row of controls.

#include "ui/notify.h"

#include <QHash>
#include <QString>

#include <functional>

namespace talven {

struct ControlName {
    QString prefix;   // the whole name when it has no number
    int index = -1;   // -1 when the name does not end in a number
};

ControlName splitControlName(const QString& name);

class ControlRoutes {
public:
    using Handler = std::function<void(ui::TNotifyUI& msg, int index)>;

    // name: a full control name, or a prefix ending before the number.
    void add(const QString& type, const QString& name, Handler handler);
    // Runs the entry for the sender's full name, else for its prefix (with
    // the index). False when neither has one.
    bool dispatch(ui::TNotifyUI& msg) const;
    bool has(const QString& type, const QString& name) const;

private:
    static QString key(const QString& type, const QString& name) { return type + QLatin1Char('\n') + name; }
    QHash<QString, Handler> routes_;
};

}  // namespace talven
