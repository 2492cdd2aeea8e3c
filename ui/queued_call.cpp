#include "ui/queued_call.h"

namespace talven::ui {

#ifdef TALVEN_QUEUED_CALL_LOCK
std::mutex& queuedCallLock() {
    static std::mutex lock;
    return lock;
}
#endif

}  // namespace talven::ui
