#include "ui/notify_pump.h"

#include "ui/control.h"

namespace talven::ui {

void CNotifyPump::AddMessageMapEntry(const QString& type, const QString& controlName, Handler handler) {
    if (type.isEmpty() || !handler) return;
    entries_.append({type, controlName, std::move(handler)});
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    const QString sender = msg.pSender ? msg.pSender->GetName() : QString();
    const Entry* generic = nullptr;
    for (const Entry& e : std::as_const(entries_)) {
        if (e.type != msg.sType) continue;
        if (e.name.isEmpty()) {
            if (!generic) generic = &e;
        } else if (e.name == sender) {
            const Handler handler = e.handler;  // the handler may change the map
            handler(msg);
            return true;
        }
    }
    if (!generic) return false;
    const Handler handler = generic->handler;
    handler(msg);
    return true;
}

}  // namespace talven::ui
