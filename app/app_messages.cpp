#include "app/app_messages.h"

#include "platform/app_identity.h"
#include "platform/debug_output.h"
#include "ui/registered_messages.h"

namespace talven {
namespace {

AppMessages& messages() {
    static AppMessages numbers;
    return numbers;
}

}  // namespace

QString applicationTitle() {
    return QString::fromUtf8(kApplicationTitle.data(), static_cast<qsizetype>(kApplicationTitle.size()));
}

const AppMessages& appMessages() { return messages(); }

uint registerInstanceMessage() {
    uint& number = messages().instance;
    if (number == 0) {
        number = ui::RegisterWindowMessage(applicationTitle());
        debugOutputf("软件标示：%u", number);
    }
    return number;
}

void registerAppMessages() {
    registerInstanceMessage();
    AppMessages& m = messages();
    m.updateStatus = ui::RegisterWindowMessage(QString::fromLatin1(kUpdateStatusName));
    m.lightAnnounce = ui::RegisterWindowMessage(QString::fromLatin1(kLightAnnounceName));
    m.lightControl = ui::RegisterWindowMessage(QString::fromLatin1(kLightControlName));
}

}  // namespace talven
