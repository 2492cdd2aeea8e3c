#include "ui/control_routes.h"

#include "ui/control.h"

#include <gtest/gtest.h>

namespace talven::ui {
namespace {

TEST(ControlNameTest, SplitsAtTheLastUnderscoreIntoPrefixAndIndex) {
    struct Case {
        const char* name;
        const char* prefix;
        int index;
    };
    const Case cases[] = {
        {"key_12", "key_", 12},
        {"DPI_slider_0", "DPI_slider_", 0},
        {"6533_eq_option_3", "6533_eq_option_", 3},
        {"key_007", "key_", 7},
        {"closebtn", "closebtn", -1},            // no underscore
        {"key12", "key12", -1},                  // digits without an underscore are part of the name
        {"42", "42", -1},
        {"", "", -1},
        {"key_", "key_", -1},                    // nothing after the underscore
        {"color_option_3a", "color_option_3a", -1},
        {"key_+5", "key_+5", -1},                // a sign is not a digit
        {"key_-1", "key_-1", -1},
        {"key_999999999", "key_", 999999999},
        {"key_99999999999", "key_99999999999", -1},  // too long to be an index
        {"a_1_b", "a_1_b", -1},                  // only the last underscore counts
    };
    for (const Case& c : cases) {
        const ControlName split = splitControlName(QString::fromLatin1(c.name));
        EXPECT_EQ(split.prefix, QString::fromLatin1(c.prefix)) << c.name;
        EXPECT_EQ(split.index, c.index) << c.name;
    }
}

struct Routed {
    QString route;
    int index = -2;
};

class ControlRoutesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"key_", "key_2", "closebtn"}) {
            routes.add(QStringLiteral("click"), QString::fromLatin1(name), [this, name](TNotifyUI&, int index) {
                last = {QString::fromLatin1(name), index};
            });
        }
    }
    bool send(const char* type, const char* name) {
        control.SetName(QString::fromLatin1(name));
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = &control;
        return routes.dispatch(msg);
    }
    ControlRoutes routes;
    CControlUI control;
    Routed last;
};

TEST_F(ControlRoutesTest, AFullNameWinsOverItsPrefix) {
    ASSERT_TRUE(send("click", "key_2"));
    EXPECT_EQ(last.route, "key_2");
    EXPECT_EQ(last.index, -1);
}

TEST_F(ControlRoutesTest, ANumberedNameReachesItsPrefixWithTheIndex) {
    ASSERT_TRUE(send("click", "key_17"));
    EXPECT_EQ(last.route, "key_");
    EXPECT_EQ(last.index, 17);
}

TEST_F(ControlRoutesTest, OtherTypesAndUnknownNamesAreNotRouted) {
    EXPECT_FALSE(send("selectchanged", "key_17"));
    EXPECT_FALSE(send("click", "closebtn_extra"));
    EXPECT_FALSE(send("click", "color_option_3"));
    EXPECT_EQ(last.index, -2);
}

TEST_F(ControlRoutesTest, EveryHandlerOfASharedNameRuns) {
    // Pages of two kinds both route "key_"; each decides from the sender
    // whether the click is for it.
    int second = -2;
    routes.add(QStringLiteral("click"), QStringLiteral("key_"), [&second](TNotifyUI&, int index) { second = index; });
    ASSERT_TRUE(send("click", "key_5"));
    EXPECT_EQ(last.index, 5);
    EXPECT_EQ(second, 5);
}

}  // namespace
}  // namespace talven::ui
