// The application's tests share one QApplication that lives on main()'s stack,
// so it is destroyed before Qt's own globals (the font database among them);
// a static one would be torn down after them and crash at exit.
//
// Every test runs on Qt's offscreen platform against the skin and default
// data of the source tree, with per-user folders in a temporary folder so no
// test touches the real user's files.

#include "app/app_messages.h"
#include "app/app_setup.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = home.path() + QLatin1Char('/') + QString::fromLatin1(name);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ::setenv(name, folder.toLocal8Bit().constData(), 1);
    }
#ifdef TALVEN_RESOURCES_DIR
    ::setenv("TALVEN_RESOURCE_DIR", TALVEN_RESOURCES_DIR, 1);
#endif
    ::unsetenv("TALVEN_SIM_DIR");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    talven::setupResources();
    talven::registerAppMessages();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
