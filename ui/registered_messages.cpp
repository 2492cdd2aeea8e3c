#include "ui/registered_messages.h"

#include <QHash>

#include <mutex>

namespace talven::ui {

uint RegisterWindowMessage(const QString& name) {
    if (name.isEmpty()) return 0;
    static std::mutex lock;
    static QHash<QString, uint> numbers;
    static uint next = kFirstRegisteredMessage;
    std::lock_guard guard(lock);
    const QString key = name.toCaseFolded();
    if (auto it = numbers.find(key); it != numbers.end()) return *it;
    if (next > kLastRegisteredMessage) return 0;
    numbers.insert(key, next);
    return next++;
}

}  // namespace talven::ui
