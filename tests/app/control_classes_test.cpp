// Which class each layout tag builds: every tag of the skin's layouts builds
// the class its table row names, by the factory, by the layout builder and by
// the main window's callback alike; a tag of no table builds nothing and is
// named.

#include "app/custom_controls.h"
#include "ui/control.h"
#include "ui/control_factory.h"
#include "ui/dialog_builder.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/xml_node.h"

#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace talven {
namespace {

// The main window's answer to the builder, without a window.
class ShellCallback : public ui::IDialogBuilderCallback {
public:
    ui::CControlUI* CreateControl(const QString& tag) override {
        return createShellControlOrSubtree(tag, this, &pm);
    }
    ui::CPaintManagerUI pm;
};

// What GetClass() of a class reports: its name without "C" and "UI".
QString classTag(QString className) {
    if (className.startsWith(QLatin1Char('C'))) className.remove(0, 1);
    if (className.endsWith(QLatin1String("UI"))) className.chop(2);
    return className;
}

// Elements of a layout that are builder directives, not controls.
bool isDirective(const QString& tag) {
    for (const char* d : {"Window", "Font", "Default", "Include", "Image", "Style"}) {
        if (tag.compare(QLatin1String(d), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

void collectTags(const ui::XmlNode& node, std::set<QString>& tags) {
    tags.insert(node.tag);
    for (const ui::XmlNode& child : node.children) collectTags(child, tags);
}

// Every element tag of the skin's layout files, with a file that uses it.
// The resource index, the language files and the menus (which the menu
// window reads itself) are not layouts.
std::map<QString, QString> skinLayoutTags() {
    std::map<QString, QString> out;
    const QString skin = QStringLiteral(TALVEN_RESOURCES_DIR "/skin");
    QDirIterator it(skin, {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QFileInfo(path).fileName();
        if (name == QLatin1String("res.xml") || name == QLatin1String("menu.xml") || name.startsWith(QLatin1String("lan_")) ||
            path.contains(QLatin1String("/XML/Menus/")))
            continue;
        QString error;
        const auto doc = ui::ParseXmlFile(path, &error);
        EXPECT_TRUE(doc.has_value()) << error.toStdString();
        if (!doc) continue;
        std::set<QString> tags;
        collectTags(*doc, tags);
        for (const QString& tag : tags) out.emplace(tag, path.mid(skin.size() + 1));
    }
    return out;
}

TEST(ControlClassesTest, EveryRowIsRegisteredAndBuildsTheClassItNames) {
    ui::CControlFactory* factory = ui::CControlFactory::GetInstance();
    ASSERT_FALSE(shellControlClasses().empty());
    for (const ui::ControlClass& row : shellControlClasses()) {
        SCOPED_TRACE(row.tag);
        const QString className = QString::fromLatin1(row.className);
        EXPECT_TRUE(factory->IsRegistered(className));
        EXPECT_EQ(factory->ClassNameForTag(QString::fromLatin1(row.tag).toUpper()), className);
        std::unique_ptr<ui::CControlUI> control(factory->CreateControlForTag(QString::fromLatin1(row.tag)));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetClass(), classTag(className));
    }
}

TEST(ControlClassesTest, EverySkinTagBuildsTheClassOfItsRowOnEveryPath) {
    const auto tags = skinLayoutTags();
    ASSERT_GT(tags.size(), 10u);
    ui::CControlFactory* factory = ui::CControlFactory::GetInstance();
    int checked = 0;
    for (const auto& [tag, file] : tags) {
        SCOPED_TRACE((tag + QStringLiteral(" in ") + file).toStdString());
        if (isDirective(tag)) continue;
        if (std::unique_ptr<ui::CControlUI> builtin{ui::CDialogBuilder::CreateBuiltinControl(tag)}) continue;
        ShellCallback callback;
        if (!shellSubtreeLayout(tag).isEmpty()) {
            std::unique_ptr<ui::CControlUI> subtree(callback.CreateControl(tag));
            EXPECT_NE(subtree, nullptr) << "its layout file does not build";
            continue;
        }
        const QString className = factory->ClassNameForTag(tag);
        ASSERT_FALSE(className.isEmpty()) << "a tag of no table";
        const QString expected = classTag(className);
        std::unique_ptr<ui::CControlUI> byFactory(factory->CreateControlForTag(tag));
        std::unique_ptr<ui::CControlUI> byCallback(callback.CreateControl(tag));
        ui::CDialogBuilder builder;
        std::unique_ptr<ui::CControlUI> byBuilder(builder.Create(QLatin1Char('<') + tag + QStringLiteral("/>")));
        for (ui::CControlUI* control : {byFactory.get(), byCallback.get(), byBuilder.get()}) {
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->GetClass(), expected);
        }
        ++checked;
    }
    // The selector entries, key buttons and the four page kinds at least.
    EXPECT_GE(checked, 7);
}

TEST(ControlClassesTest, ATagOfNoTableBuildsNothingAndIsNamed) {
    const QString tag = QStringLiteral("OrvaneToasterDevice");
    EXPECT_TRUE(ui::CControlFactory::GetInstance()->ClassNameForTag(tag).isEmpty());
    EXPECT_EQ(createShellControl(tag), nullptr);
    ShellCallback callback;
    EXPECT_EQ(callback.CreateControl(tag), nullptr);

    ui::CDialogBuilder builder;
    std::unique_ptr<ui::CControlUI> root(builder.Create(
        QStringLiteral("<VerticalLayout name=\"root\"><OrvaneToasterDevice name=\"page\"><Button name=\"inside\"/>"
                       "</OrvaneToasterDevice><Label name=\"after\"/></VerticalLayout>"),
        {}, &callback, &callback.pm));
    ASSERT_NE(root, nullptr);
    callback.pm.AttachDialog(root.get());
    EXPECT_EQ(callback.pm.FindControl(QStringLiteral("page")), nullptr);
    EXPECT_EQ(callback.pm.FindControl(QStringLiteral("inside")), nullptr);
    EXPECT_NE(callback.pm.FindControl(QStringLiteral("after")), nullptr);
    EXPECT_TRUE(builder.GetLastError().contains(QStringLiteral("<OrvaneToasterDevice>")));
}

}  // namespace
}  // namespace talven
