#pragma once
// The program's own controls: the one table of which class each layout tag
// builds, and the tags that stand for a whole layout file.

#include <QString>

#include <span>

namespace talven::ui {
class CControlUI;
class CPaintManagerUI;
class IDialogBuilderCallback;
struct ControlClass;
}  // namespace talven::ui

namespace talven {

// Every class a layout tag can build, in registration order. The control
// factory, the layout builder and the main window's CreateControl all read
// this table.
std::span<const ui::ControlClass> shellControlClasses();

// Registers every row of the table with the control factory.
void registerShellControlClasses();

// A new control for a tag of the table (compared without regard to case);
// nullptr for any other tag.
ui::CControlUI* createShellControl(const QString& tag);

// The layout file a subtree tag ("DeviceProfileUI", ...) stands for; empty
// when the tag is not one of them.
QString shellSubtreeLayout(const QString& tag);

// What the main window's CreateControl answers: a control of the table, or
// the subtree built from its layout file with this callback and manager;
// nullptr for a tag of neither.
ui::CControlUI* createShellControlOrSubtree(const QString& tag, ui::IDialogBuilderCallback* callback,
                                            ui::CPaintManagerUI* manager);

}  // namespace talven
