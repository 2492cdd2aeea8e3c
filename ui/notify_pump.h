#pragma once
// CNotifyPump: a window's message map. Entries route a notification type,
// from one named control or from any, to a handler; the most specific entry
// wins (name and type before type alone), and only one handler runs.

#include <QList>
#include <QString>

#include <functional>

#include "ui/notify.h"

namespace talven::ui {

class CNotifyPump : public INotifyUI {
public:
    using Handler = std::function<void(TNotifyUI&)>;

    // An empty controlName matches every sender.
    void AddMessageMapEntry(const QString& type, const QString& controlName, Handler handler);
    void AddMessageMapEntry(const QString& type, Handler handler) {
        AddMessageMapEntry(type, QString(), std::move(handler));
    }
    // Member-function form: MapNotify("itemactivate", &CMainWnd::OnItemActivate).
    template <class T>
    void MapNotify(const QString& type, void (T::*member)(TNotifyUI&), const QString& controlName = {}) {
        T* self = dynamic_cast<T*>(this);
        if (!self) return;
        AddMessageMapEntry(type, controlName, [self, member](TNotifyUI& msg) { (self->*member)(msg); });
    }
    void ClearMessageMap() { entries_.clear(); }

    // Runs the best matching entry; false when none matched.
    bool LoopDispatch(TNotifyUI& msg);
    void Notify(TNotifyUI& msg) override { LoopDispatch(msg); }

protected:
    ~CNotifyPump() = default;

private:
    struct Entry {
        QString type;
        QString name;
        Handler handler;
    };
    QList<Entry> entries_;
};

}  // namespace talven::ui
