#pragma once
// CControlFactory: the program's own control classes, by full class name and
// by the layout tag that builds them. The layout builder asks it by tag when
// a tag is not one of the toolkit's own.

#include <QHash>
#include <QString>

#include <functional>

namespace talven::ui {

class CControlUI;

// One row of a program's class table: the layout tag (by convention the class
// name without its "C" prefix and "UI" suffix), the full class name, and
// how to make one.
struct ControlClass {
    const char* tag;
    const char* className;
    CControlUI* (*create)();
};

class CControlFactory {
public:
    using CreateClass = std::function<CControlUI*()>;

    static CControlFactory* GetInstance();

    // Registers `className` and the layout tag that builds it. Names and tags
    // are compared without regard to case; registering one again replaces
    // the earlier entry. Several tags may name the same class.
    void RegistControl(const QString& tag, const QString& className, CreateClass create);
    void RegistControl(const ControlClass& row);

    // A new control, or nullptr for a name or tag nobody registered.
    CControlUI* CreateControl(const QString& className) const;
    CControlUI* CreateControlForTag(const QString& tag) const;
    // The full class name a tag builds; empty when the tag is not registered.
    QString ClassNameForTag(const QString& tag) const;
    bool IsRegistered(const QString& className) const;

private:
    struct Entry {
        QString className;
        CreateClass create;
    };
    CControlFactory() = default;
    QHash<QString, CreateClass> classes_;  // lower-case class name
    QHash<QString, Entry> tags_;           // lower-case tag
};

}  // namespace talven::ui
