// The skin frame below "skinbtn": presets, colours, the user's own picture
// and the reset reach the main window's "root" through the skin observer,
// are kept in main.ini and come back at the next start; the frame closes when
// it loses the focus.

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "app/skin_frame.h"
#include "app/skin_settings.h"
#include "platform/app_paths.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/layouts.h"
#include "ui/option.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace talven {
namespace {

namespace fs = std::filesystem;

QString iniPath() { return QString::fromStdString(paths::dataFolder()) + QStringLiteral("main.ini"); }
std::string iniText() { return fs::exists(iniPath().toStdString()) ? test::readFile(iniPath().toStdString()) : ""; }

// ---- main.ini on its own ----------------------------------------------------

class SkinSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { test::qtApp(); }
    QString path() const { return QString::fromStdString((dir / "main.ini").string()); }
    std::string text() const { return test::readFile(dir / "main.ini"); }

    test::TempDir dir;
};

SkinChangedParam image(const char* path) {
    SkinChangedParam p;
    p.bkImage = QString::fromLatin1(path);
    return p;
}

SkinChangedParam colour(quint32 argb) {
    SkinChangedParam p;
    p.colour = true;
    p.bkColor = argb;
    return p;
}

TEST_F(SkinSettingsTest, EachChoiceIsWrittenUnderSkinImage) {
    struct Case {
        SkinChangedParam choice;
        const char* file;
    };
    const Case cases[] = {
        {image("common/skins/preset_2.png"), "[SKINIMAGE]\nFLAGS=1\nIMAGE=common/skins/preset_2.png\n"},
        {image("common/background.png"), "[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\n"},
        {colour(0xFF0D2A3Au), "[SKINIMAGE]\nFLAGS=2\nCOLOR=#FF0D2A3A\n"},
    };
    for (const Case& c : cases) {
        fs::remove(dir / "main.ini");
        ASSERT_TRUE(writeSkinChoice(path(), c.choice));
        EXPECT_EQ(text(), c.file);
        const auto back = readSkinChoice(path());
        ASSERT_TRUE(back.has_value()) << c.file;
        EXPECT_EQ(*back, c.choice) << c.file;
    }
}

TEST_F(SkinSettingsTest, OtherSectionsAndKeysAreKept) {
    test::writeFile(dir / "main.ini",
                    "; kept\n[Other]\na=1\n\n[skinimage]\nflags=1\nIMAGE=common/skins/preset_1.png\nMINE=x\n\n"
                    "[Tail]\nb=2\n");
    ASSERT_TRUE(writeSkinChoice(path(), colour(0xFF112233u)));
    EXPECT_EQ(text(),
              "; kept\n[Other]\na=1\n\n[skinimage]\nFLAGS=2\nIMAGE=common/skins/preset_1.png\nMINE=x\n"
              "COLOR=#FF112233\n\n[Tail]\nb=2\n");
    ASSERT_TRUE(writeSkinChoice(path(), image("common/skins/preset_6.png")));
    EXPECT_EQ(readSkinChoice(path()), image("common/skins/preset_6.png"));
}

TEST_F(SkinSettingsTest, WhatCannotBeShownReadsAsTheSkinsOwnBackground) {
    const char* files[] = {
        "",
        "[SKINIMAGE]\n",
        "[SKINIMAGE]\nFLAGS=1\n",
        "[SKINIMAGE]\nFLAGS=1\nIMAGE=common/skins/no_such.png\n",
        "[SKINIMAGE]\nFLAGS=1\nIMAGE=../../resources/skin/common/skins/preset_1.png\n",
        "[SKINIMAGE]\nFLAGS=2\nCOLOR=#123\n",
        "[SKINIMAGE]\nFLAGS=2\nCOLOR=#GG112233\n",
        "[SKINIMAGE]\nFLAGS=9\nIMAGE=common/skins/preset_1.png\n",
        "[Other]\nFLAGS=1\nIMAGE=common/skins/preset_1.png\n",
        "FLAGS=1\nIMAGE=common/skins/preset_1.png\n",
        "[SKINIMAGE\nFLAGS=1\nIMAGE=common/skins/preset_1.png\n",
        "[SKINIMAGE]\nFLAGS=1\nIMAGE=common/skins/preset_1.png\nnot a line\n",
        "\xff\xfe[SKINIMAGE]\nFLAGS=1\n",
    };
    for (const char* file : files) {
        test::writeFile(dir / "main.ini", file);
        EXPECT_FALSE(readSkinChoice(path()).has_value()) << file;
    }
    EXPECT_FALSE(readSkinChoice(QString::fromStdString((dir / "missing.ini").string())).has_value());
}

TEST_F(SkinSettingsTest, ADamagedFileIsKeptAsideBeforeTheNextChoiceIsWritten) {
    const char raw[] = "\x01\x02 garbage without lines\x00\xff";
    const std::string damaged(raw, sizeof raw - 1);
    test::writeFile(dir / "main.ini", damaged);
    ASSERT_TRUE(writeSkinChoice(path(), image("common/skins/preset_3.png")));
    EXPECT_EQ(test::readFile(dir / "main.ini.damaged"), damaged);
    EXPECT_EQ(text(), "[SKINIMAGE]\nFLAGS=1\nIMAGE=common/skins/preset_3.png\n");
}

TEST_F(SkinSettingsTest, AFileThatCannotBeReplacedStaysAsItWas) {
    fs::create_directories(dir / "main.ini");  // a folder where the file should be
    EXPECT_FALSE(writeSkinChoice(path(), colour(0xFF000000u)));
    EXPECT_TRUE(fs::is_directory(dir / "main.ini"));
}

TEST(SkinObserverTest, EveryReceiverGetsTheBroadcastUntilItLeaves) {
    struct Recorder : SkinReceiver {
        std::vector<SkinChangedParam> got;
        int Receive(SkinChangedParam p) override {
            got.push_back(p);
            return 1;
        }
    };
    Recorder a, b;
    SkinObserver observer;
    observer.AddReceiver(&a);
    observer.AddReceiver(&b);
    observer.AddReceiver(&a);  // once only
    observer.Broadcast(colour(0xFF010203u));
    observer.RemoveReceiver(&a);
    observer.Broadcast(image("x.png"));
    EXPECT_EQ(a.got, std::vector<SkinChangedParam>{colour(0xFF010203u)});
    EXPECT_EQ(b.got, (std::vector<SkinChangedParam>{colour(0xFF010203u), image("x.png")}));
}

// ---- the frame on the main window ---------------------------------------------

class SkinFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        registerAppMessages();
        QFile::remove(iniPath());
        QFile::remove(iniPath() + QStringLiteral(".damaged"));
        createWindow();
    }
    void TearDown() override { window.reset(); }

    void createWindow() {
        window = std::make_unique<CMainWnd>(std::vector<hid::HidRoot>{{dir.str(), dir.str()}});
        SkinFrameDialogs dialogs;
        dialogs.chooseImage = [this](QWidget*) { return chosen; };
        dialogs.tell = [this](QWidget*, const QString& key) { told.push_back(key); };
        window->setSkinFrameDialogs(dialogs);
        ASSERT_TRUE(window->Create(nullptr, applicationTitle(), ui::WS_POPUP, 0, 0, 0, 800, 572));
        ASSERT_TRUE(test::waitUntil([&] { return window->firstScanDone() && window->isVisible(); }));
    }
    ui::CControlUI* root() { return window->GetPaintManager().FindControl(QStringLiteral("root")); }
    CSkinFrame* openFrame() {
        window->GetPaintManager().SendNotify(window->GetPaintManager().FindControl(QStringLiteral("skinbtn")),
                                             QStringLiteral("click"));
        CSkinFrame* frame = window->skinFrame();
        EXPECT_NE(frame, nullptr);
        return frame;
    }
    // The n-th control of that name in the frame (thumbnails and swatches share names).
    ui::CControlUI* nth(CSkinFrame* frame, const char* name, int n) {
        int seen = 0;
        return frame->GetPaintManager().GetRoot()->FindControl([&](ui::CControlUI* c) {
            return c->GetName() == QLatin1String(name) && seen++ == n;
        });
    }
    void click(CSkinFrame* frame, ui::CControlUI* control) {
        ASSERT_NE(control, nullptr);
        frame->GetPaintManager().SendNotify(control, QStringLiteral("click"));
    }
    void chooseCustom() {
        CSkinFrame* frame = openFrame();
        ASSERT_NE(frame, nullptr);
        click(frame, frame->GetPaintManager().FindControl(QStringLiteral("skin_Custom")));
    }
    // With TALVEN_SCREENSHOT_DIR set, keeps a picture of the frame.
    void picture(CSkinFrame* frame, const char* name) {
        const QString folder = qEnvironmentVariable("TALVEN_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        frame->GetPaintManager().UpdateLayout();
        EXPECT_TRUE(frame->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }
    bool frameGone() {
        return test::waitUntil([&] { return window->skinFrame() == nullptr || !window->skinFrame()->isVisible(); });
    }

    test::TempDir dir;
    std::unique_ptr<CMainWnd> window;
    QString chosen;
    std::vector<QString> told;
};

TEST_F(SkinFrameTest, DropsDownWithItsTopRightCornerAtTheButtonsBottomRight) {
    CSkinFrame* frame = openFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    ui::CControlUI* button = window->GetPaintManager().FindControl(QStringLiteral("skinbtn"));
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    EXPECT_EQ(frame->geometry().topRight() + QPoint(1, 0), corner);
}

TEST_F(SkinFrameTest, PresetColourAndResetChangeTheRootAndAreKept) {
    CSkinFrame* frame = openFrame();
    ASSERT_NE(frame, nullptr);
    ui::CControlUI* second = nth(frame, "skin_image_btn", 1);
    click(frame, second);
    EXPECT_EQ(root()->GetBkImage(), QStringLiteral("common/skins/preset_2.png"));
    EXPECT_EQ(root()->GetBkColor().alpha(), 0);
    EXPECT_EQ(iniText(), "[SKINIMAGE]\nFLAGS=1\nIMAGE=common/skins/preset_2.png\n");

    click(frame, frame->GetPaintManager().FindControl(QStringLiteral("skin_color")));
    auto* tab = qobject_cast<ui::CTabLayoutUI*>(frame->GetPaintManager().FindControl(QStringLiteral("skin_tab")));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCurSel(), 1);
    auto* colourTab = qobject_cast<ui::COptionUI*>(frame->GetPaintManager().FindControl(QStringLiteral("skin_color")));
    ASSERT_NE(colourTab, nullptr);
    EXPECT_TRUE(colourTab->IsSelected());
    picture(frame, "skin_colours");
    ui::CControlUI* swatch = nth(frame, "skin_color_btn", 4);
    ASSERT_NE(swatch, nullptr);
    click(frame, swatch);
    EXPECT_EQ(root()->GetBkColor(), QColor(0x0D, 0x2A, 0x3A));  // the fifth swatch of skin.xml
    EXPECT_TRUE(root()->GetBkImage().isEmpty());
    EXPECT_EQ(iniText(), "[SKINIMAGE]\nFLAGS=2\nIMAGE=common/skins/preset_2.png\nCOLOR=#FF0D2A3A\n");

    click(frame, frame->GetPaintManager().FindControl(QStringLiteral("skin_image")));
    EXPECT_EQ(tab->GetCurSel(), 0);
    click(frame, frame->GetPaintManager().FindControl(QStringLiteral("skin_reset")));
    EXPECT_EQ(root()->GetBkImage(), QStringLiteral("common/background.png"));
    EXPECT_EQ(root()->GetBkColor().alpha(), 0);
    EXPECT_EQ(iniText(), "[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\nCOLOR=#FF0D2A3A\n");
}

TEST_F(SkinFrameTest, TheUsersOwnPictureIsCutToTheWindowsShapeKeptAndShown) {
    QImage picture(400, 100, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 30));
    chosen = QString::fromStdString((dir / "mine.png").string());
    ASSERT_TRUE(picture.save(chosen));
    CSkinFrame* frame = openFrame();
    ASSERT_NE(frame, nullptr);
    click(frame, frame->GetPaintManager().FindControl(QStringLiteral("skin_Custom")));
    // The dialog takes the focus: the frame goes first, then the picture comes.
    const QString kept = QString::fromStdString(paths::dataFolder()) + QStringLiteral("custom_background.png");
    ASSERT_TRUE(test::waitUntil([&] { return root()->GetBkImage() == kept; }));
    EXPECT_TRUE(frameGone());
    const QImage stored(kept);
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.height(), 100);
    EXPECT_NEAR(stored.width(), 100 * 1350 / 810, 1);  // 5:3, from the middle of the 4:1 picture
    EXPECT_EQ(iniText(), "[SKINIMAGE]\nFLAGS=1\nIMAGE=" + kept.toStdString() + "\n");
    // The original may go; the choice stays.
    fs::remove(dir / "mine.png");
    window.reset();
    createWindow();
    EXPECT_EQ(root()->GetBkImage(), kept);
    EXPECT_TRUE(told.empty());
}

TEST_F(SkinFrameTest, ACancelledOrUnreadableChoiceChangesNothing) {
    const QString before = root()->GetBkImage();
    chosen.clear();
    chooseCustom();
    ASSERT_TRUE(frameGone());
    QCoreApplication::processEvents();
    EXPECT_EQ(root()->GetBkImage(), before);
    EXPECT_EQ(iniText(), "");

    chosen = QString::fromStdString((dir / "notes.png").string());
    test::writeFile(dir / "notes.png", "this is text, not a picture");
    chooseCustom();
    ASSERT_TRUE(test::waitUntil([&] { return !told.empty(); }));
    EXPECT_EQ(told, std::vector<QString>{QStringLiteral("skin_custom_bad")});
    EXPECT_EQ(root()->GetBkImage(), before);
    EXPECT_EQ(iniText(), "");
}

TEST_F(SkinFrameTest, LosingTheFocusClosesTheFrameWithoutAChange) {
    CSkinFrame* frame = openFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return frame->isActiveWindow(); }));
    QPointer<CSkinFrame> watched = frame;
    window->activateWindow();
    EXPECT_TRUE(test::waitUntil([&] { return watched.isNull(); })) << "closed and deleted";
    EXPECT_TRUE(root()->GetBkImage().isEmpty());
    EXPECT_EQ(iniText(), "");
}

TEST_F(SkinFrameTest, TheChoiceComesBackAtTheNextStartAndADamagedFileGivesTheSkinsOwn) {
    ASSERT_TRUE(writeSkinChoice(iniPath(), colour(0xFF2A1C3Au)));
    window.reset();
    createWindow();
    EXPECT_EQ(root()->GetBkColor(), QColor(0x2A, 0x1C, 0x3A));
    EXPECT_TRUE(root()->GetBkImage().isEmpty());

    ASSERT_TRUE(writeSkinChoice(iniPath(), image("common/skins/preset_4.png")));
    window.reset();
    createWindow();
    EXPECT_EQ(root()->GetBkImage(), QStringLiteral("common/skins/preset_4.png"));

    const std::string damaged = "[SKINIMAGE]\nFLAGS=1\n\x01\x02\x03 broken\n";
    test::writeFile(iniPath().toStdString(), damaged);
    window.reset();
    createWindow();
    EXPECT_TRUE(root()->GetBkImage().isEmpty());
    EXPECT_FALSE(root()->GetBkColor().isValid() && root()->GetBkColor().alpha() > 0);
    EXPECT_EQ(iniText(), damaged) << "reading never rewrites the file";
}

}  // namespace
}  // namespace talven
