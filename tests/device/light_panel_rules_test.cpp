// The lighting panel's rules, written out by hand per variant and mode. Each
// expectation is ten pairs in the order effect list, spectrum, colour edits,
// palette, brightness, speed, direction, same mode, on/off switch, custom
// list: shown (S shown, H hidden, . untouched) then enabled (E, D, .).

#include "device/lighting/light_panel_rules.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>

namespace talven::lighting {
namespace {

std::string describe(const PanelRules& rules) {
    std::string out;
    for (const GroupRule& g : rules.groups) {
        if (!out.empty()) out += ' ';
        out += !g.shown ? '.' : *g.shown ? 'S' : 'H';
        out += !g.enabled ? '.' : *g.enabled ? 'E' : 'D';
    }
    return out;
}

struct Row {
    std::initializer_list<int> modes;
    const char* optionOn;
    const char* optionOff;  // nullptr: as with the option on
};

void checkRows(int variant, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        for (int mode : row.modes) {
            SCOPED_TRACE("variant " + std::to_string(variant) + " mode " + std::to_string(mode));
            EXPECT_EQ(describe(panelRules(variant, mode, true)), row.optionOn);
            EXPECT_EQ(describe(panelRules(variant, mode, false)), row.optionOff ? row.optionOff : row.optionOn);
        }
    }
}

TEST(LightPanelRulesTest, KeyboardGroupsByMode) {
    checkRows(panel_variant::Keyboard,
              {
                  {{0, 1, 2, 3, 13}, ".E .D .D .D SE SE S. H. H. H.", nullptr},
                  {{4}, ".E .D .D .D SE HD H. S. H. H.", ".E .D .D .D SE HD H. H. H. H."},
                  {{5}, ".E .D .D .D SE SE H. S. H. H.", ".E .D .D .D SE SE H. H. H. H."},
                  {{6}, ".E .D .D .D SE HD H. H. H. H.", nullptr},
                  {{7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19}, ".E .D .D .D SE SE H. H. H. H.", nullptr},
                  {{20}, ".E .D .D .D SE HD H. H. S. S.", nullptr},
                  {{22}, ".E .D .D .D HD HD H. S. H. H.", ".E .D .D .D HD HD H. H. H. H."},
                  // Any other mode: shown but disabled.
                  {{21, 23, 255}, ".E .D .D .D SD SD H. H. H. H.", nullptr},
              });
}

TEST(LightPanelRulesTest, KeyboardDirectionLabels) {
    const DirectionLabels leftRight{"light_set_left_to_right_text", "light_set_right_to_left_text"};
    const std::pair<int, DirectionLabels> cases[] = {
        {0, leftRight},
        {2, {"light_set_inside_to_outside_text", "light_set_outside_to_inside_text"}},
        {3, {"light_set_anti_clock_text", "light_set_clockwise_text"}},
        {13, {"light_set_up_to_down_text", "light_set_down_to_up_text"}},
        // A mode without a direction puts the first labels back.
        {20, leftRight},
    };
    for (const auto& [mode, labels] : cases) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(panelRules(panel_variant::Keyboard, mode, false).labels);
        EXPECT_EQ(*panelRules(panel_variant::Keyboard, mode, false).labels, labels);
    }
}

TEST(LightPanelRulesTest, MouseGroupsByMode) {
    checkRows(panel_variant::Mouse,
              {
                  {{0, 1, 2, 5}, ".E .D .D .D SE HE HD S. H. ..", ".E .D .D .D SE HE HD H. H. .."},
                  {{3}, ".E .E .E .E SE HE HD S. H. ..", ".E .E .E .E SE HE HD H. H. .."},
                  {{4}, ".E .D .D .E SE HD HD S. H. ..", ".E .D .D .E SE HD HD H. H. .."},
                  {{6}, ".E .D .D .D SE SE HD S. H. ..", ".E .D .D .D SE SE HD H. H. .."},
                  {{7}, ".E .D .D .D HD HD HD S. H. ..", ".E .D .D .D HD HD HD H. H. .."},
                  {{8}, ".D .E .E .E SE HE HD S. H. ..", ".D .E .E .E SE HE HD H. H. .."},
                  {{9, 20}, ".E .D .D .D SD HD HD S. H. ..", ".E .D .D .D SD HD HD H. H. .."},
              });
    EXPECT_FALSE(panelRules(panel_variant::Mouse, 0, true).labels);
}

TEST(LightPanelRulesTest, PadAndHeadsetsShareOneRuleSet) {
    for (int variant : {panel_variant::MousePad, panel_variant::Headset, panel_variant::UsbHeadset}) {
        checkRows(variant, {
                               {{0}, ".E .E .E .E .E .E .E H. .. ..", nullptr},
                               {{1}, ".E .D .D .D .E .E .D S. .. ..", ".E .D .D .D .E .E .D H. .. .."},
                               {{2, 4}, ".E .E .E .E .E .E .D S. .. ..", ".E .E .E .E .E .E .D H. .. .."},
                               {{3}, ".E .D .E .E .E .D .D S. .. ..", ".E .D .E .E .E .D .D H. .. .."},
                               {{8}, ".E .D .D .D .D .D .D S. .. ..", ".E .D .D .D .D .D .D H. .. .."},
                               {{5, 6, 7, 9}, ".E .D .D .D .D .D .D H. .. ..", nullptr},
                           });
    }
}

TEST(LightPanelRulesTest, Variant5OnlyEnablesAndDisables) {
    checkRows(panel_variant::Variant5, {
                                           {{0, 2, 3}, ".E .E .E .E .E .E .. .. .. ..", nullptr},
                                           {{1}, ".E .D .E .E .E .D .. .. .. ..", nullptr},
                                           {{4}, ".E .D .D .D .E .E .. .. .. ..", nullptr},
                                           {{5, 8}, ".E .D .D .D .D .D .. .. .. ..", nullptr},
                                       });
}

TEST(LightPanelRulesTest, AnUnknownVariantChangesNothing) {
    for (int variant : {0, 6, 8}) {
        const PanelRules rules = panelRules(variant, 0, true);
        EXPECT_EQ(describe(rules), ".. .. .. .. .. .. .. .. .. ..");
        EXPECT_FALSE(rules.labels);
    }
}

// The state of the groups after a series of modes, folded as the panel does.
struct Groups {
    std::array<bool, kPanelGroupCount> shown;
    std::array<bool, kPanelGroupCount> enabled;
    void apply(const PanelRules& rules) {
        for (size_t i = 0; i < kPanelGroupCount; ++i) {
            if (rules.groups[i].shown) shown[i] = *rules.groups[i].shown;
            if (rules.groups[i].enabled) enabled[i] = *rules.groups[i].enabled;
        }
    }
};

TEST(LightPanelRulesTest, ShownAndEnabledAreIndependentAcrossModes) {
    const size_t speed = static_cast<size_t>(PanelGroup::Speed);
    Groups g{};
    g.shown.fill(true);
    g.enabled.fill(true);
    // Keyboard: mode 4 hides speed although it was shown; mode 0 shows it.
    g.apply(panelRules(panel_variant::Keyboard, 4, false));
    EXPECT_FALSE(g.shown[speed]);
    g.apply(panelRules(panel_variant::Keyboard, 0, false));
    EXPECT_TRUE(g.shown[speed]);
    EXPECT_TRUE(g.enabled[speed]);
    // Mode 21 keeps speed shown but disabled.
    g.apply(panelRules(panel_variant::Keyboard, 21, false));
    EXPECT_TRUE(g.shown[speed]);
    EXPECT_FALSE(g.enabled[speed]);
    // The pad's rules never hide: a group hidden before stays hidden while
    // it is enabled.
    g.shown[speed] = false;
    g.apply(panelRules(panel_variant::MousePad, 0, false));
    EXPECT_FALSE(g.shown[speed]);
    EXPECT_TRUE(g.enabled[speed]);
}

TEST(LightPanelRulesTest, GroupsNameTheirLayoutControls) {
    const std::pair<PanelGroup, const char*> names[] = {
        {PanelGroup::EffectList, "lighteffect_layout"}, {PanelGroup::Spectrum, "deng_7color_check"},
        {PanelGroup::ColourEdits, "deng_color_layout"}, {PanelGroup::Palette, "colorpallet_layout"},
        {PanelGroup::Brightness, "deng_light_layout"},  {PanelGroup::Speed, "deng_speed_layout"},
        {PanelGroup::Direction, "deng_fx_layout"},      {PanelGroup::SameMode, "deng_same_mode"},
        {PanelGroup::OnOff, "deng_on_or_off"},          {PanelGroup::CustomList, "lightcustom_layout"},
    };
    for (const auto& [group, name] : names) EXPECT_EQ(panelGroupControl(group), name);
}

}  // namespace
}  // namespace talven::lighting
