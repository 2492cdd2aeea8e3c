#pragma once
// CControlFactory: the program's own control classes by class name. The
// layout builder asks it for "C" + tag + "UI" when a tag is not built in.

#include <QHash>
#include <QString>

#include <functional>

namespace talven::ui {

class CControlUI;

class CControlFactory {
public:
    using CreateClass = std::function<CControlUI*()>;

    static CControlFactory* GetInstance();

    // Class names are compared without regard to case; registering a name
    // again replaces the earlier function.
    void RegistControl(const QString& className, CreateClass create);
    // A new control, or nullptr for a name nobody registered.
    CControlUI* CreateControl(const QString& className) const;
    bool IsRegistered(const QString& className) const;

private:
    CControlFactory() = default;
    QHash<QString, CreateClass> classes_;
};

}  // namespace talven::ui
