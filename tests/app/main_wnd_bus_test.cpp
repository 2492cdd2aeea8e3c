// The main window and other programs, over a private message bus.

#include "app/desktop_bus.h"
#include "app/main_wnd.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace talven {
namespace {

class MainWndBusTest : public test::BusTest {};

TEST_F(MainWndBusTest, AnnouncesLightingAndFollowsAnotherProgramsRequest) {
    DesktopBus ours(connect()), other(connect());
    std::vector<std::pair<quint32, qint32>> announced;
    QObject::connect(&other, &DesktopBus::received, [&](DesktopBus::Message kind, quint32 w, qint32 l) {
        if (kind == DesktopBus::Message::LightAnnounce) announced.emplace_back(w, l);
    });
    test::TempDir devices;
    CMainWnd window(std::vector<hid::HidRoot>{{devices.str(), devices.str()}});
    window.setDesktopBus(&ours);
    ASSERT_TRUE(window.Create(nullptr, QStringLiteral("bus"), ui::WS_POPUP));
    ASSERT_TRUE(test::waitUntil([&] { return !announced.empty(); })) << "the window says it drives the lighting";
    EXPECT_EQ(announced.front(), std::make_pair(quint32{1}, qint32{1}));

    ASSERT_TRUE(other.broadcast(DesktopBus::Message::LightControl, 1, 0));
    EXPECT_TRUE(test::waitUntil([&] { return !window.lightingControl(); }));
    ASSERT_TRUE(other.broadcast(DesktopBus::Message::LightControl, 1, 1));
    EXPECT_TRUE(test::waitUntil([&] { return window.lightingControl(); }));
}

}  // namespace
}  // namespace talven
