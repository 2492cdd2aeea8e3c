// The skin toolkit's tests need a QApplication; they run on Qt's offscreen
// platform so no display is required.

#include <QApplication>

#include <gtest/gtest.h>

#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    talven::ui::CPaintManagerUI::SetResourcePath(QStringLiteral(TALVEN_UI_TEST_SKIN));
    talven::ui::CResourceManager::GetInstance()->LoadResource(QStringLiteral("res.xml"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
