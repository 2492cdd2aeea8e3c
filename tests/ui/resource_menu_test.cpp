#include <QLineEdit>

#include <gtest/gtest.h>

#include "ui/edit.h"
#include "ui/label_button.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"
#include "ui_test_support.h"

namespace talven::ui {
namespace {

class Query : public IQueryControlText {
public:
    QString QueryControlText(const QString& id, const QString&) override {
        return id == QLatin1String("only_in_code") ? QStringLiteral("from code") : QString();
    }
};

// Each test starts and ends with the English texts and no callback.
class Language : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rm->LoadLanguage(QStringLiteral("lan_en.xml"))); }
    void TearDown() override {
        rm->SetTextQueryInterface(nullptr);
        rm->LoadLanguage(QStringLiteral("lan_en.xml"));
        rm->ReloadText();
    }
    CResourceManager* rm = CResourceManager::GetInstance();
};

TEST_F(Language, SwitchChangesResourceTextsOfLiveControls) {
    test::TestWindow w(QStringLiteral("XML_WINDOW"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("lang"), UI_WNDSTYLE_DIALOG));
    auto* greeting = w.Find<CLabelUI>(QStringLiteral("greeting"));
    auto* edit = w.Find<CEditUI>(QStringLiteral("edit"));
    ASSERT_TRUE(greeting && edit);
    edit->SetMaxChar(0);  // the layout limits it to four digits
    edit->SetResourceText(true);
    edit->SetText(QStringLiteral("greeting"));
    EXPECT_EQ(greeting->GetText(), QStringLiteral("Hello"));
    EXPECT_EQ(edit->GetLineEdit()->text(), QStringLiteral("Hello"));

    ASSERT_TRUE(rm->LoadLanguage(QStringLiteral("lan_de.xml")));
    rm->ReloadText();
    EXPECT_EQ(greeting->GetText(), QStringLiteral("Hallo"));
    EXPECT_EQ(edit->GetLineEdit()->text(), QStringLiteral("Hallo"));  // hosted editors follow too
}

TEST_F(Language, LookupFallsBackToCallbackThenKey) {
    EXPECT_EQ(rm->GetText(QStringLiteral("greeting")), QStringLiteral("Hello"));
    EXPECT_EQ(rm->GetText(QStringLiteral("only_in_code")), QStringLiteral("only_in_code"));
    Query query;
    rm->SetTextQueryInterface(&query);
    EXPECT_EQ(rm->GetText(QStringLiteral("only_in_code")), QStringLiteral("from code"));
    EXPECT_EQ(rm->GetText(QStringLiteral("greeting")), QStringLiteral("Hello"));  // the file comes first
    EXPECT_EQ(rm->GetText(QStringLiteral("nobody_knows")), QStringLiteral("nobody_knows"));
}

TEST_F(Language, BrokenOrMissingFileKeepsTheCurrentTexts) {
    EXPECT_FALSE(rm->LoadLanguage(QStringLiteral("xml/broken.xml")));
    EXPECT_FALSE(rm->LoadLanguage(QStringLiteral("lan_xx.xml")));
    EXPECT_EQ(rm->GetText(QStringLiteral("greeting")), QStringLiteral("Hello"));
}

class Menu : public Language {
protected:
    void SetUp() override {
        Language::SetUp();
        ASSERT_TRUE(owner.Create(nullptr, QStringLiteral("owner"), UI_WNDSTYLE_DIALOG));
    }
    const test::Message* MenuMessage() const {
        for (const auto& m : owner.messages) {
            if (m.msg == UIMSG_MENUCLICK) return &m;
        }
        return nullptr;
    }
    test::TestWindow owner{QStringLiteral("XML_WINDOW")};
};

TEST_F(Menu, ChoiceReachesTheOwnerAs0x479WithTheItemName) {
    CMenuWnd menu;
    MenuCheckInfo checks;
    ASSERT_TRUE(menu.Init(QStringLiteral("XML_MENU"), QPoint(20, 20), &owner.GetPaintManager(), &checks));
    EXPECT_TRUE(menu.IsOpen());
    EXPECT_EQ(checks.value(QStringLiteral("sound"), true), false);  // filled in from the file
    CMenuElementUI* exit = menu.FindMenuItem(QStringLiteral("exit"));
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->GetText(), QStringLiteral("Exit"));  // resource text
    test::Click(exit, QPoint(10, 10));
    ASSERT_TRUE(test::WaitUntil([&] { return MenuMessage() != nullptr; }));
    EXPECT_EQ(MenuMessage()->msg, 0x479u);
    std::unique_ptr<MenuCmd> cmd = TakeMenuCmd(MenuMessage()->wParam);
    ASSERT_NE(cmd, nullptr);
    EXPECT_EQ(cmd->szName, QStringLiteral("exit"));
    EXPECT_EQ(cmd->szUserData, QStringLiteral("bye"));
    ASSERT_TRUE(test::WaitUntil([&] { return !menu.IsOpen(); }));
}

TEST_F(Menu, SubmenuCheckGroupUpdatesTheMap) {
    CMenuWnd menu;
    MenuCheckInfo checks;
    ASSERT_TRUE(menu.Init(QStringLiteral("menus/menu.xml"), QPoint(20, 20), &owner.GetPaintManager(), &checks));
    CMenuElementUI* delay = menu.FindMenuItem(QStringLiteral("delay"));
    ASSERT_NE(delay, nullptr);
    EXPECT_TRUE(delay->HasSubMenu());
    EXPECT_EQ(menu.FindMenuItem(QStringLiteral("delay_long")), nullptr);  // not open yet
    delay->Activate();
    CMenuElementUI* longer = menu.FindMenuItem(QStringLiteral("delay_long"));
    ASSERT_NE(longer, nullptr);
    EXPECT_TRUE(checks.value(QStringLiteral("delay_short")));
    longer->Activate();
    ASSERT_TRUE(test::WaitUntil([&] { return MenuMessage() != nullptr; }));
    std::unique_ptr<MenuCmd> cmd = TakeMenuCmd(MenuMessage()->wParam);
    EXPECT_EQ(cmd->szName, QStringLiteral("delay_long"));
    EXPECT_TRUE(cmd->bChecked);
    EXPECT_TRUE(checks.value(QStringLiteral("delay_long")));
    EXPECT_FALSE(checks.value(QStringLiteral("delay_short")));
    ASSERT_TRUE(test::WaitUntil([&] { return !menu.IsOpen(); }));  // the whole menu closes
}

TEST_F(Menu, MissingMenuFileOpensNothing) {
    CMenuWnd menu;
    EXPECT_FALSE(menu.Init(QStringLiteral("menus/none.xml"), QPoint(0, 0), &owner.GetPaintManager()));
    EXPECT_FALSE(menu.Init(QStringLiteral("xml/part.xml"), QPoint(0, 0), &owner.GetPaintManager()));
    EXPECT_FALSE(menu.IsOpen());
}

}  // namespace
}  // namespace talven::ui
