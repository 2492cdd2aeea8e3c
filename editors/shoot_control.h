#pragma once
// CShootControlUI: the recoil compensation of a mouse's four guns. The user
// picks a gun and one of its 30 bullets and edits the bullet's horizontal
// and vertical move (distance and direction) and the wait after it. The
// panel works on the gun files only: working copies in the device's data
// folder, factory copies in the default data folder. Whether and when a
// mouse plays them is its page's business.

#include "profile/shoot_file.h"
#include "ui/layouts.h"

#include <QString>

#include <functional>
#include <string>

namespace talven {

namespace ui {
class ControlRoutes;
}

class CShootControlUI;

// What the panel's routes need from the window that dispatches them.
struct ShootRouteHost {
    // A shoot file to import (save false) or the place to export to; empty
    // when the user cancelled.
    std::function<QString(CShootControlUI* panel, bool save)> chooseFile;
    // The message window with the language text `key`; with `ask`, true
    // only when the user confirmed.
    std::function<bool(CShootControlUI* panel, const QString& key, bool ask)> message;
};

class CShootControlUI : public ui::CVerticalLayoutUI {
    Q_OBJECT
public:
    CShootControlUI();
    ~CShootControlUI() override;
    QString GetClass() const override { return QStringLiteral("ShootControl"); }

    static void AddRoutes(ui::ControlRoutes& routes, const ShootRouteHost& host);

    // Folders end in '/'.
    void setWorkingFolder(const std::string& folder) { workingFolder_ = folder; }
    void setFactoryFolder(const std::string& folder) { factoryFolder_ = folder; }
    // Gives every gun without a working file the factory copy; an existing
    // working file, damaged or not, is left for the user to reset.
    void provideWorkingFiles();
    // Finds every control; the panel does nothing unless all are there.
    bool bindControls();
    bool usable() const { return bound_; }

    // Each returns the language key of what the user must be told, or empty.
    QString selectGun(int gun);
    QString selectBullet(int bullet);
    QString previousBullet() { return selectBullet(bullet_ - 1); }
    QString nextBullet() { return selectBullet(bullet_ + 1); }
    QString saveBullet();
    QString resetGun();
    QString importGun(const QString& path);
    QString exportGun(const QString& path);
    // The direction options' captions follow their state.
    void showDirections();

    int selectedGun() const { return gun_; }
    int selectedBullet() const { return bullet_; }
    std::string workingFile(int gun) const { return workingFolder_ + shootFileName(gun); }
    std::string factoryFile(int gun) const { return factoryFolder_ + shootFileName(gun); }

private:
    ui::CControlUI* sub(const QString& name) const;
    ui::CControlUI* sub(const char* name) const { return sub(QString::fromLatin1(name)); }
    ui::CControlUI* numbered(const char* prefix, int index) const;
    QString loadBullet();
    void showBullet(const ShootBullet& bullet);
    // The edits as a bullet; false when one is not a number the mouse takes.
    bool editedBullet(ShootBullet& bullet) const;
    // A whole shoot file's bytes over the gun's working file.
    QString replaceWorkingFile(const std::string& bytes);

    std::string workingFolder_;
    std::string factoryFolder_;
    int gun_ = 0;
    int bullet_ = -1;
    bool bound_ = false;
};

}  // namespace talven
