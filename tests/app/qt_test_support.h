#pragma once
// Shared by the application's tests: one Qt application object for the whole
// test program (gtest_main owns main()), and waiting on the event loop.

#include <QApplication>
#include <QDBusConnection>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <vector>

namespace talven::test {

// The application object every test needs; built on first use with Qt's
// off-screen platform unless the caller chose one.
inline QCoreApplication& qtApp() {
    if (QCoreApplication* existing = QCoreApplication::instance()) return *existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Runs the event loop until done() holds or the time is up; returns done().
template <typename Done>
bool waitUntil(Done done, int timeoutMs = 5000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return done();
}

// Runs the event loop for `ms` milliseconds: the window's timers keep going.
inline void idle(int ms) {
    waitUntil([] { return false; }, ms);
}

// A message bus of our own for one test suite: a dbus-daemon started with the
// session configuration, ended with the suite. address() is empty when no
// daemon could be started (the tests then skip).
class PrivateBus {
public:
    PrivateBus() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) return;
        process_ = std::make_unique<QProcess>();
        // The daemon ends with the test program even when that crashes.
        process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_->start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                 QStringLiteral("--print-address")});
        if (!process_->waitForStarted(5000)) return;
        const QDeadlineTimer deadline(5000);
        while (!process_->canReadLine() && !deadline.hasExpired()) process_->waitForReadyRead(100);
        address_ = QString::fromUtf8(process_->readLine()).trimmed();
    }
    ~PrivateBus() {
        if (process_ && process_->state() != QProcess::NotRunning) {
            process_->terminate();
            if (!process_->waitForFinished(3000)) process_->kill();
            process_->waitForFinished(3000);
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const QString& address() const { return address_; }

private:
    std::unique_ptr<QProcess> process_;
    QString address_;
};

// Base of a test suite that talks over its own PrivateBus; tests skip when
// no bus could be started.
class BusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qtApp();
        bus_ = new PrivateBus;
    }
    static void TearDownTestSuite() {
        for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
        names_.clear();
        delete bus_;
        bus_ = nullptr;
    }
    void SetUp() override {
        if (bus_->address().isEmpty()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
    }
    // A connection of its own, as another program would have.
    static QDBusConnection connect() {
        const QString name = QStringLiteral("test-connection-%1").arg(names_.size());
        names_.push_back(name);
        return QDBusConnection::connectToBus(bus_->address(), name);
    }

private:
    static inline PrivateBus* bus_ = nullptr;
    static inline std::vector<QString> names_;
};

}  // namespace talven::test
