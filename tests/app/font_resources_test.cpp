#include "app/font_resources.h"

#include "qt_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QFontDatabase>

#include <filesystem>

namespace talven {
namespace {

namespace fs = std::filesystem;

// Removing any font makes the database forget every family until it is
// rebuilt, so rebuild it before asking.
bool isInDatabase(int id) {
    QFontDatabase::families();
    return !QFontDatabase::applicationFontFamilies(id).isEmpty();
}

class FontResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        const fs::path font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";  // any font will do
        if (!fs::exists(font)) GTEST_SKIP() << "no font on this machine to load";
        fs::create_directories(dir / "Font");
        for (const char* name : {"Font/Sarnic-Regular.otf", "Font/NotoSansCJKtc-Regular.otf"}) {
            fs::copy_file(font, dir / name);
        }
        test::writeFile(dir / "Font/Simplified_Chinese.ttf", "this is not a font");
        // Font/NotoSansThai-Regular.ttf is missing.
    }
    test::TempDir dir;
    QString root = QString::fromStdString(dir.str());
};

TEST_F(FontResourceTest, LoadsThePresentFontsAndSkipsMissingAndBrokenOnes) {
    PrivateFonts fonts(root);
    EXPECT_EQ(fonts.load(), 2);
    ASSERT_EQ(fonts.fonts().size(), 4u);
    const bool expected[] = {false, true, false, true};
    std::vector<int> ids;
    for (size_t i = 0; i < 4; ++i) {
        const FontResource& font = fonts.fonts()[i];
        EXPECT_EQ(font.path(), root + "/" + kPrivateFontFiles[i]);
        EXPECT_EQ(font.isLoaded(), expected[i]) << font.path().toStdString();
        EXPECT_EQ(font.families().isEmpty(), !expected[i]) << font.path().toStdString();
        if (font.isLoaded()) ids.push_back(font.id());
    }
    fonts.unload();
    for (int id : ids) EXPECT_FALSE(isInDatabase(id)) << id;
}

TEST_F(FontResourceTest, AFontIsRemovedOnceByItsLastOwner) {
    FontResource kept(root);
    ASSERT_TRUE(kept.load("Font/Sarnic-Regular.otf"));
    const int replaced = kept.id();
    int id = -1;
    {
        FontResource loader(root);
        ASSERT_TRUE(loader.load("Font/Sarnic-Regular.otf"));
        id = loader.id();
        FontResource carrier(std::move(loader));
        kept = std::move(carrier);
    }
    // Other fonts going away does not hide this one's families.
    EXPECT_FALSE(kept.families().isEmpty());
    EXPECT_FALSE(isInDatabase(replaced));
    EXPECT_EQ(kept.id(), id);
    // Loading again (here: a file that is absent) lets the old font go.
    EXPECT_FALSE(kept.load("Font/absent.ttf"));
    EXPECT_FALSE(isInDatabase(id));
}

}  // namespace
}  // namespace talven
