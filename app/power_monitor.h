#pragma once
// Tells the program when the machine is about to sleep and when it has woken
// up, from the login manager's PrepareForSleep signal on the system bus.
// Without a system bus or a login manager it stays silent.

#include <QDBusConnection>
#include <QObject>

namespace talven {

class PowerMonitor : public QObject {
    Q_OBJECT
public:
    // The machine's system bus, when there is one.
    explicit PowerMonitor(QObject* parent = nullptr);
    // A given connection (a private bus in tests).
    explicit PowerMonitor(const QDBusConnection& connection, QObject* parent = nullptr);
    ~PowerMonitor() override;

    bool isWatching() const { return watching_; }

signals:
    // true just before the machine sleeps, false once it has resumed.
    void suspending(bool aboutToSleep);

private slots:
    void onPrepareForSleep(bool start);

private:
    QDBusConnection connection_;
    bool watching_ = false;
};

}  // namespace talven
