#pragma once
// SIGTERM, SIGINT and SIGHUP end the program the orderly way (threads
// stopped, files closed) instead of killing it mid-write: the handler only
// writes to a pipe, and the event loop turns that into a callback.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace talven {

class UnixSignals : public QObject {
    Q_OBJECT
public:
    // onSignal runs on the UI thread once per signal received.
    explicit UnixSignals(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~UnixSignals() override;

private:
    void readSignal();
    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace talven
