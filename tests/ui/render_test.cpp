#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ui/attribute_parse.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"
#include "ui/text_cache.h"

namespace talven::ui {
namespace {

TEST(ImageDescription, ParsesEveryKey) {
    struct Case {
        const char* image;
        const char* modify;
        bool ok;
        const char* file;
        QRect dest, source;
        QMargins corner;
        int fade;
        bool hole, xtiled;
    };
    const Case cases[] = {
        {"common/close.svg", "", true, "common/close.svg", {}, {}, {}, 255, false, false},
        {"file='common\\btn.png' source='0,0,40,40' corner='6,6,6,6' dest='4,4,36,36' fade='200' xtiled='true' hole='true'",
         "", true, "common/btn.png", QRect(4, 4, 32, 32), QRect(0, 0, 40, 40), QMargins(6, 6, 6, 6), 200, true, true},
        {"res='a.png' fade='300'", "", true, "a.png", {}, {}, {}, 255, false, false},
        {"file='a.png' dest='0,0,1,1'", "dest='2,2,4,4'", true, "a.png", QRect(2, 2, 2, 2), {}, {}, 255, false, false},
        {"file=\"a.png\" fade=\"10\"", "", true, "a.png", {}, {}, {}, 10, false, false},
        // a malformed value keeps that key's default; the rest is read
        {"file='a.png' corner='1,2' fade='x'", "", false, "a.png", {}, {}, {}, 255, false, false},
        {"file='a.png' source='1,1,5", "", false, "a.png", {}, {}, {}, 255, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        TDrawInfo info;
        EXPECT_EQ(info.Parse(QString::fromLatin1(c.image), QString::fromLatin1(c.modify)), c.ok);
        EXPECT_EQ(info.sImageName, QString::fromLatin1(c.file));
        EXPECT_EQ(info.rcDest, c.dest);
        EXPECT_EQ(info.rcSource, c.source);
        EXPECT_EQ(info.rcCorner, c.corner);
        EXPECT_EQ(info.uFade, c.fade);
        EXPECT_EQ(info.bHole, c.hole);
        EXPECT_EQ(info.bTiledX, c.xtiled);
    }
}

TEST(AttributeValues, ColoursRectsAndLists) {
    EXPECT_EQ(ParseColor(QStringLiteral("#80FF0000")), QColor(255, 0, 0, 128));
    EXPECT_EQ(ParseColor(QStringLiteral("#00FF00")), QColor(0, 255, 0, 255));
    EXPECT_EQ(ParseColor(QStringLiteral("0xFF0000FF")), QColor(0, 0, 255, 255));
    for (const char* bad : {"", "red", "#12345", "#GG0000", "FF0000FF", "0x123"}) {
        EXPECT_FALSE(ParseColor(QString::fromLatin1(bad)).has_value()) << bad;
    }
    EXPECT_EQ(ParseRect(QStringLiteral("5, 6,25,16")), QRect(5, 6, 20, 10));
    EXPECT_FALSE(ParseRect(QStringLiteral("1,2,3")).has_value());
    EXPECT_EQ(ParseMargins(QStringLiteral("1,2,3,4")), QMargins(1, 2, 3, 4));
    EXPECT_EQ(ParseSize(QStringLiteral("1350,810")), QSize(1350, 810));
    EXPECT_TRUE(ParseBool(QStringLiteral("TRUE")));
    EXPECT_FALSE(ParseBool(QStringLiteral("maybe")));

    bool ok = false;
    const AttributeList list = ParseAttributeList(QStringLiteral("textcolor=\"#FFE6E8EC\"  bkimage=\"file='a b.png' fade='9'\""),
                                                  QLatin1Char('"'), &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[1].second, QStringLiteral("file='a b.png' fade='9'"));
    ParseAttributeList(QStringLiteral("a=\"1\" b=\"unterminated"), QLatin1Char('"'), &ok);
    EXPECT_FALSE(ok);
}

QImage Canvas(QSize size, qreal dpr = 1.0) {
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

TEST(Rendering, NineSliceKeepsTheFrameAndFadeSetsOpacity) {
    // frame.png: 8x8, a 2-pixel red frame around blue.
    QImage image = Canvas({40, 40});
    {
        QPainter p(&image);
        ASSERT_TRUE(CRenderEngine::DrawImageString(p, nullptr, QRect(0, 0, 40, 40), QRect(0, 0, 40, 40),
                                                   QStringLiteral("file='common/frame.png' corner='2,2,2,2'")));
    }
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(1, 20)), QColor(Qt::red));   // the edge is stretched, not the corner width
    EXPECT_EQ(QColor(image.pixel(3, 20)), QColor(Qt::blue));
    EXPECT_EQ(QColor(image.pixel(20, 20)), QColor(Qt::blue));
    EXPECT_EQ(QColor(image.pixel(38, 39)), QColor(Qt::red));

    QImage faded = Canvas({10, 10});
    {
        QPainter p(&faded);
        CRenderEngine::DrawImageString(p, nullptr, QRect(0, 0, 10, 10), QRect(0, 0, 10, 10),
                                       QStringLiteral("file='common/frame.png' fade='128'"));
    }
    EXPECT_NEAR(qAlpha(faded.pixel(5, 5)), 128, 2);

    QImage none = Canvas({10, 10});
    QPainter p(&none);
    EXPECT_FALSE(CRenderEngine::DrawImageString(p, nullptr, QRect(0, 0, 10, 10), QRect(0, 0, 10, 10),
                                                QStringLiteral("common/missing.png")));
}

TEST(Rendering, SvgIsRenderedAtDevicePixels) {
    // icon.svg: the left half red. At 1.5 device pixels per logical pixel a
    // 20-pixel square is 30 device pixels and the edge falls between 14 and 15.
    QImage image = Canvas({20, 20}, 1.5);
    {
        QPainter p(&image);
        ASSERT_TRUE(CRenderEngine::DrawImageString(p, nullptr, QRect(0, 0, 20, 20), QRect(0, 0, 20, 20),
                                                   QStringLiteral("common/icon.svg")));
    }
    EXPECT_EQ(QColor(image.pixel(14, 15)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(image.pixel(15, 15)), 0);

    // dest is in design units: at 144 dpi it covers 1.5 times as much.
    CPaintManagerUI pm;
    pm.SetDPI(144);
    QImage scaled = Canvas({40, 40});
    {
        QPainter p(&scaled);
        CRenderEngine::DrawImageString(p, &pm, QRect(0, 0, 40, 40), QRect(0, 0, 40, 40),
                                       QStringLiteral("file='common/icon.svg' dest='0,0,20,20'"));
    }
    EXPECT_EQ(QColor(scaled.pixel(14, 29)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(scaled.pixel(14, 31)), 0);
}

// A skin switch changes the resource folder: the same description must then
// draw the new folder's image, and the old one when switched back.
TEST(Rendering, ImagesFollowTheResourceFolder) {
    QTemporaryDir red, green;
    ASSERT_TRUE(red.isValid() && green.isValid());
    for (const auto& [dir, colour] : {std::pair{&red, QColor(Qt::red)}, std::pair{&green, QColor(Qt::green)}}) {
        QImage swatch(4, 4, QImage::Format_ARGB32);
        swatch.fill(colour);
        ASSERT_TRUE(swatch.save(dir->filePath(QStringLiteral("swatch.png"))));
    }
    const QString before = CPaintManagerUI::GetResourcePath();
    const auto drawn = [](const QTemporaryDir& dir) {
        CPaintManagerUI::SetResourcePath(dir.path());
        QImage image = Canvas({4, 4});
        QPainter p(&image);
        EXPECT_TRUE(CRenderEngine::DrawImageString(p, nullptr, QRect(0, 0, 4, 4), QRect(0, 0, 4, 4),
                                                   QStringLiteral("swatch.png")));
        p.end();
        return QColor(image.pixel(2, 2));
    };
    EXPECT_EQ(drawn(red), QColor(Qt::red));
    EXPECT_EQ(drawn(green), QColor(Qt::green));
    EXPECT_EQ(drawn(red), QColor(Qt::red));
    CPaintManagerUI::SetResourcePath(before);
}

// One description read again with another file resolves to that file, not
// to the one it resolved before.
TEST(Rendering, ADescriptionParsedAgainFindsItsNewFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"first.png", "second.png"}) {
        QImage swatch(2, 2, QImage::Format_ARGB32);
        swatch.fill(Qt::blue);
        ASSERT_TRUE(swatch.save(dir.filePath(QString::fromLatin1(name))));
    }
    const QString before = CPaintManagerUI::GetResourcePath();
    CPaintManagerUI::SetResourcePath(dir.path());
    TDrawInfo info;
    ASSERT_TRUE(info.Parse(QStringLiteral("file='first.png'")));
    EXPECT_TRUE(info.ResolvedPath().endsWith(QStringLiteral("first.png"))) << info.ResolvedPath().toStdString();
    ASSERT_TRUE(info.Parse(QStringLiteral("file='second.png'")));
    EXPECT_TRUE(info.ResolvedPath().endsWith(QStringLiteral("second.png"))) << info.ResolvedPath().toStdString();
    CPaintManagerUI::SetResourcePath(before);
}

// Kept layouts must draw exactly what QPainter::drawText draws in the same box:
// labels keep their look whether their layout is new or reused.
TEST(Rendering, KeptTextLayoutsDrawLikeDrawText) {
    const struct {
        const char* text;
        QSize box;
        int flags;
    } cases[] = {
        {"Esc", {40, 30}, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine},
        {"Backspace", {90, 30}, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine},
        {"Right aligned", {120, 40}, Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine},
        {"A longer line that has to wrap twice", {90, 80}, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap},
        {"Spills over the box", {40, 12}, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine},
    };
    QFont font;
    font.setPixelSize(13);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const QRect box(QPoint(3, 2), c.box);
        QImage expected = Canvas(box.size() + QSize(10, 8));
        QImage drawn = expected;
        {
            QPainter p(&expected);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(box, c.flags, text);
        }
        for (int pass = 0; pass < 2; ++pass) {  // laid out, then reused
            drawn.fill(Qt::transparent);
            QPainter p(&drawn);
            const PreparedText prepared = PrepareText(text, font, box.size(), c.flags, false, [&] { return text; });
            DrawPreparedText(p, box, prepared, font, Qt::white);
            p.end();
            EXPECT_TRUE(drawn == expected) << "pass " << pass;
        }
    }
}

}  // namespace
}  // namespace talven::ui
