#include "app/control_routes.h"

#include "ui/control.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

TEST(ControlNameTest, SplitsATrailingNumberIntoPrefixAndIndex) {
    struct Case {
        const char* name;
        const char* prefix;
        int index;
    };
    const Case cases[] = {
        {"key_12", "key_", 12},       {"DPI_slider_0", "DPI_slider_", 0}, {"closebtn", "closebtn", -1},
        {"6533_eq_option_3", "6533_eq_option_", 3}, {"42", "", 42},       {"", "", -1},
        {"key_99999999999", "key_99999999999", -1},  // too long to be an index
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
            routes.add(QStringLiteral("click"), QString::fromLatin1(name), [this, name](ui::TNotifyUI&, int index) {
                last = {QString::fromLatin1(name), index};
            });
        }
    }
    bool send(const char* type, const char* name) {
        control.SetName(QString::fromLatin1(name));
        ui::TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = &control;
        return routes.dispatch(msg);
    }
    ControlRoutes routes;
    ui::CControlUI control;
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

}  // namespace
}  // namespace talven
