#include <gtest/gtest.h>

#include "ui/control_factory.h"
#include "ui/dialog_builder.h"
#include "ui/edit.h"
#include "ui/label_button.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

class FancyUI : public CLabelUI {
public:
    QString GetClass() const override { return QStringLiteral("Fancy"); }
    void SetAttribute(const QString& name, const QString& value) override {
        if (name == QLatin1String("sparkle")) sparkle = value;
        else CLabelUI::SetAttribute(name, value);
    }
    void DoInit() override { initsSeenWithName = GetName(); }
    QString sparkle;
    QString initsSeenWithName = QStringLiteral("(never)");
};

class Callback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& tag) override {
        asked << tag;
        if (tag.compare(QLatin1String("Custom"), Qt::CaseInsensitive) == 0) return new CButtonUI;
        return nullptr;
    }
    QStringList asked;
};

struct Owned {
    ~Owned() { delete root; }
    CPaintManagerUI pm;
    CControlUI* root = nullptr;
};

TEST(Builder, MissingOrBrokenFilesGiveNothing) {
    const QString inputs[] = {
        QStringLiteral("xml/broken.xml"),
        QStringLiteral("xml/does_not_exist.xml"),
        QStringLiteral("<VerticalLayout><Button></VerticalLayout>"),
        QStringLiteral("<Window size=\"10,10\"><Font id=\"0\" name=\"x\"/></Window>"),  // no control
        QStringLiteral("<Window><NoSuchTag/></Window>"),
        QString(),
    };
    for (const QString& input : inputs) {
        SCOPED_TRACE(input.toStdString());
        CPaintManagerUI pm;
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(input, {}, nullptr, &pm), nullptr);
        EXPECT_FALSE(builder.GetLastError().isEmpty());
    }
}

TEST(Builder, TagsComeFromBuiltinsThenFactoryThenCallback) {
    CControlFactory::GetInstance()->RegistControl(QStringLiteral("Fancy"), QStringLiteral("CFancyUI"),
                                                  [] { return new FancyUI; });
    Callback callback;
    Owned o;
    CDialogBuilder builder;
    o.root = builder.Create(QStringLiteral(
                                "<VerticalLayout name=\"root\">"
                                "  <fancy name=\"f\" sparkle=\"yes\"/>"
                                "  <Custom name=\"c\"/>"
                                "  <Unknown name=\"u\"><Button name=\"lost\"/></Unknown>"
                                "  <Label name=\"after\"/>"
                                "</VerticalLayout>"),
                            {}, &callback, &o.pm);
    ASSERT_NE(o.root, nullptr);
    o.pm.AttachDialog(o.root);
    auto* fancy = dynamic_cast<FancyUI*>(o.pm.FindControl(QStringLiteral("f")));
    ASSERT_NE(fancy, nullptr);
    EXPECT_EQ(fancy->sparkle, QStringLiteral("yes"));
    EXPECT_EQ(fancy->initsSeenWithName, QStringLiteral("f"));  // DoInit runs after the attributes
    EXPECT_EQ(o.pm.FindControl(QStringLiteral("c"))->GetClass(), QStringLiteral("Button"));
    // The unknown tag is skipped with its content; its siblings are built.
    EXPECT_EQ(o.pm.FindControl(QStringLiteral("u")), nullptr);
    EXPECT_EQ(o.pm.FindControl(QStringLiteral("lost")), nullptr);
    EXPECT_NE(o.pm.FindControl(QStringLiteral("after")), nullptr);
    EXPECT_EQ(qobject_cast<CContainerUI*>(o.root)->GetCount(), 3);
    // Built-in and registered tags never reach the callback.
    EXPECT_EQ(callback.asked, QStringList({"Custom", "Unknown"}));
    // The left-out tag is named, not replaced by a plain control.
    EXPECT_TRUE(builder.GetLastError().contains(QStringLiteral("<Unknown>"))) << builder.GetLastError().toStdString();
}

// The registered tag decides, not a class name guessed from it: a class
// without the usual prefix and suffix is found by its tag, and its class name
// is no tag.
TEST(Builder, TheFactoryIsAskedByRegisteredTag) {
    CControlFactory* factory = CControlFactory::GetInstance();
    factory->RegistControl(QStringLiteral("PlainPage"), QStringLiteral("CPlainPageDevice"),
                           [] { return new CVerticalLayoutUI; });
    EXPECT_EQ(factory->ClassNameForTag(QStringLiteral("plainpage")), QStringLiteral("CPlainPageDevice"));
    EXPECT_TRUE(factory->ClassNameForTag(QStringLiteral("PlainPageDevice")).isEmpty());
    Owned o;
    CDialogBuilder builder;
    o.root = builder.Create(QStringLiteral("<HorizontalLayout name=\"root\"><PlainPage name=\"p\"/>"
                                           "<CPlainPageDevice name=\"q\"/></HorizontalLayout>"),
                            {}, nullptr, &o.pm);
    ASSERT_NE(o.root, nullptr);
    o.pm.AttachDialog(o.root);
    EXPECT_NE(o.pm.FindControl(QStringLiteral("p")), nullptr);
    EXPECT_EQ(o.pm.FindControl(QStringLiteral("q")), nullptr);
    EXPECT_TRUE(builder.GetLastError().contains(QStringLiteral("<CPlainPageDevice>")));
}

TEST(Builder, IncludesAndDefaultsAreApplied) {
    Owned o;
    CDialogBuilder builder;
    o.root = builder.Create(QStringLiteral(
                                "<Window size=\"300,200\" caption=\"0,0,0,40\" roundcorner=\"6,6\">"
                                "  <Default name=\"Edit\" value=\"width=&quot;77&quot; maxchar=&quot;3&quot;\"/>"
                                "  <VerticalLayout name=\"root\">"
                                "    <Include source=\"xml/part.xml\" count=\"2\"/>"
                                "    <Edit name=\"e\" maxchar=\"5\"/>"
                                "  </VerticalLayout>"
                                "</Window>"),
                            {}, nullptr, &o.pm);
    ASSERT_NE(o.root, nullptr);
    o.pm.AttachDialog(o.root);
    EXPECT_EQ(o.pm.GetInitSize(), QSize(300, 200));
    EXPECT_EQ(o.pm.GetRoundCorner(), QSize(6, 6));
    EXPECT_EQ(qobject_cast<CContainerUI*>(o.root)->GetCount(), 3);
    EXPECT_EQ(o.pm.FindSubControlsByClass(o.root, QStringLiteral("HorizontalLayout")).size(), 2);
    auto* edit = qobject_cast<CEditUI*>(o.pm.FindControl(QStringLiteral("e")));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetFixedWidth(), 77);  // from the default
    EXPECT_EQ(edit->GetMaxChar(), 5);      // its own value wins
}

TEST(Builder, SelfIncludeStopsInsteadOfRecursing) {
    Owned o;
    CDialogBuilder builder;
    o.root = builder.Create(QStringLiteral("xml/self_include.xml"), {}, nullptr, &o.pm);
    ASSERT_NE(o.root, nullptr);
    int depth = 0;
    for (CControlUI* c = o.root; c; c = qobject_cast<CContainerUI*>(c)->GetItemAt(0)) ++depth;
    EXPECT_GT(depth, 1);
    EXPECT_LE(depth, 20);
}

TEST(Builder, ResourceNamesAndBackslashPathsResolve) {
    EXPECT_EQ(CResourceManager::GetInstance()->GetXmlPath(QStringLiteral("XML_WINDOW")), QStringLiteral("xml/window.xml"));
    EXPECT_TRUE(CDialogBuilder::ResolveXmlFile(QStringLiteral("xml\\part.xml")).endsWith(QStringLiteral("/xml/part.xml")));
    Owned o;
    CDialogBuilder builder;
    o.root = builder.Create(QStringLiteral("xml\\part.xml"), {}, nullptr, &o.pm);
    ASSERT_NE(o.root, nullptr);
    EXPECT_EQ(o.root->GetName(), QStringLiteral("part"));
    // The same document builds a second, independent copy.
    CControlUI* again = builder.Create(nullptr, &o.pm);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, o.root);
    delete again;
}

}  // namespace
}  // namespace talven::ui
