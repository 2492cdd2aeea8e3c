// What the PipeWire equaliser decides without a server: the filters' gains,
// the filter chain it asks for, how the headset's sink and the default sink
// are recognised, and the file that remembers the default it replaced.

#include "sdk/osconflib/default_sink_memory.h"
#include "sdk/osconflib/eq_graph.h"
#include "sdk/virtual_audio_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace {

using osconf::DefaultSinkMemory;
using osconf::EqSettings;
using talven::test::ScopedEnv;
using talven::test::TempDir;

TEST(EqualiserGains, OffIsZeroDecibelsOnIsTheSlidersClamped) {
    EqSettings settings;
    settings.bands = {7, 11, 2, -3, -1, 4, 9, 12, 30, -40};
    const std::array<float, 10> off{};
    EXPECT_EQ(osconf::effectiveGains(settings), off);
    settings.enabled = true;
    const std::array<float, 10> on = {7, 11, 2, -3, -1, 4, 9, 12, 24, -24};
    EXPECT_EQ(osconf::effectiveGains(settings), on);
}

// The graph read back with patterns of the filter chain's own syntax.
TEST(EqualiserGraph, TenPeakingFiltersInSeriesAimedAtTheHeadset) {
    std::array<float, 10> gains{};
    gains[5] = 10;
    const std::string args = osconf::filterChainArguments(gains, "alsa_output.usb-\"odd\"");
    const std::regex node(R"re(name = (\w+) label = bq_peaking control = \{ "Freq" = (\d+)\.0 "Q" = 1\.41 "Gain" = (-?[\d.]+) \})re");
    std::vector<std::string> names;
    std::vector<int> hz;
    std::vector<double> gain;
    for (std::sregex_iterator it(args.begin(), args.end(), node), end; it != end; ++it) {
        names.push_back((*it)[1]);
        hz.push_back(std::stoi((*it)[2]));
        gain.push_back(std::stod((*it)[3]));
    }
    EXPECT_EQ(hz, (std::vector<int>{31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000}));
    EXPECT_EQ(gain, (std::vector<double>{0, 0, 0, 0, 0, 10, 0, 0, 0, 0}));
    ASSERT_EQ(names.size(), 10u);
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        const std::string link = "output = \"" + names[i] + ":Out\" input = \"" + names[i + 1] + ":In\"";
        EXPECT_NE(args.find(link), std::string::npos) << link;
    }
    EXPECT_NE(args.find("inputs = [ \"" + names.front() + ":In\" ]"), std::string::npos);
    EXPECT_NE(args.find("outputs = [ \"" + names.back() + ":Out\" ]"), std::string::npos);
    EXPECT_EQ(osconf::bandControl(5), names[5] + ":Gain");
    EXPECT_NE(args.find("media.class = Audio/Sink"), std::string::npos);
    EXPECT_NE(args.find(R"(target.object = "alsa_output.usb-\"odd\"")"), std::string::npos) << args;
    EXPECT_NE(args.find("node.dont-reconnect = true"), std::string::npos);
}

TEST(EqualiserSinks, UsbIdsAsPipeWireAndUdevWriteThem) {
    struct Case {
        const char* text;
        std::optional<std::uint16_t> id;
    };
    const Case cases[] = {{"0x0d8c", 0x0d8c}, {"0d8c", 0x0d8c}, {"0X01DA", 0x01da}, {"0x1", 1},
                          {"", std::nullopt}, {"0x", std::nullopt}, {"0x12345", std::nullopt},
                          {"zz", std::nullopt}, {"0x0d8c ", std::nullopt}, {"-1", std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(osconf::parsePropertyId(c.text), c.id) << c.text;

    const osconf::UsbId headset{0x0d8c, 0x01da};
    EXPECT_TRUE(osconf::carriesUsbId({{"device.vendor.id", "0x0d8c"}, {"device.product.id", "0x01da"}}, headset));
    EXPECT_FALSE(osconf::carriesUsbId({{"device.vendor.id", "0x0d8c"}, {"device.product.id", "0x01db"}}, headset));
    EXPECT_FALSE(osconf::carriesUsbId({{"device.vendor.id", "0x0d8c"}}, headset));
}

TEST(EqualiserSinks, DefaultSinkValues) {
    struct Case {
        const char* json;
        std::optional<std::string> name;
    };
    const Case cases[] = {
        {R"({"name":"desk_speakers"})", "desk_speakers"},
        {R"({ "name": "a b" })", "a b"},
        {R"({"name":"say \"hi\""})", "say \"hi\""},
        {R"({ "name" = "spa" })", "spa"},
        {"{}", std::nullopt},
        {R"({"name":""})", std::nullopt},
        {R"({"name":"open)", std::nullopt},
        {R"({"name":7})", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(osconf::defaultSinkName(c.json), c.name) << c.json;
    EXPECT_EQ(osconf::defaultSinkValue("osconf_equaliser"), R"({ "name": "osconf_equaliser" })");
}

TEST(DefaultSinkMemory, OneHolderAtATimeAndTheFileItLeaves) {
    TempDir dir;
    const std::string folder = (dir / "osConfLib").string();
    DefaultSinkMemory first(folder);
    DefaultSinkMemory second(folder);
    std::string error;
    EXPECT_FALSE(first.save(std::string("{}"), error)) << "saving needs the lock";
    ASSERT_TRUE(first.lock(error)) << error;
    EXPECT_FALSE(second.lock(error));
    EXPECT_EQ(error, "another program plays the equaliser");

    ASSERT_TRUE(first.save(std::string(R"({"name":"desk"})"), error)) << error;
    EXPECT_EQ(talven::test::readFile(first.path()), "1\n{\"name\":\"desk\"}\n");
    EXPECT_EQ(second.load(), std::optional<std::optional<std::string>>(R"({"name":"desk"})"));
    ASSERT_TRUE(first.save(std::nullopt, error));
    EXPECT_EQ(talven::test::readFile(first.path()), "0\n");
    EXPECT_EQ(second.load(), std::optional<std::optional<std::string>>(std::optional<std::string>()));

    first.unlock();
    EXPECT_TRUE(second.lock(error)) << "a released lock is free";
    second.forget();
    EXPECT_FALSE(second.load());
}

TEST(DefaultSinkMemory, DamagedFilesRestoreNothing) {
    TempDir dir;
    DefaultSinkMemory memory(dir.str());
    for (const char* text : {"", "1\n", "1\n{}", "2\n", "1\na\nb\n", "0"}) {
        talven::test::writeFile(memory.path(), text);
        EXPECT_FALSE(memory.load()) << text;
    }
    // A folder where the file goes cannot be read: nothing, and no throw.
    std::filesystem::remove(memory.path());
    std::filesystem::create_directory(memory.path());
    EXPECT_FALSE(memory.load());
}

TEST(DefaultSinkMemory, FolderFollowsXdgStateHome) {
    ScopedEnv home("HOME", "/home/u");
    {
        ScopedEnv state("XDG_STATE_HOME", "/tmp/st");
        EXPECT_EQ(DefaultSinkMemory::defaultFolder(), "/tmp/st/osConfLib");
    }
    ScopedEnv relative("XDG_STATE_HOME", "st");
    EXPECT_EQ(DefaultSinkMemory::defaultFolder(), "/home/u/.local/state/osConfLib");
}

}  // namespace

namespace talven::test {
namespace {

// No PipeWire server: the values are kept as ever and the library says the
// equaliser is not heard.
TEST_F(VirtualAudioTest, WithoutPipeWireTheEqualiserIsKeptNotHeard) {
    uninit();
    TempDir runtime;
    ScopedEnv noServer("XDG_RUNTIME_DIR", runtime.str().c_str());
    ScopedEnv noRemote("PIPEWIRE_RUNTIME_DIR", nullptr);
    start();
    EXPECT_EQ(readText(output, L"EQ_Playback"), L"0");
    EXPECT_FALSE(library.writeInt(output, L"EQ_Playback", 1)) << "read-only";
    EXPECT_FALSE(library.read(input, L"EQ_Playback")) << "an output property";
    ASSERT_TRUE(library.writeInt(output, L"Enable_EQ_GFX", 1));
    ASSERT_TRUE(library.writeInt(output, L"EQ_Slider6", -24));
    EXPECT_FALSE(library.writeInt(output, L"EQ_Slider6", 25)) << "outside -24..+24 is refused";
    EXPECT_EQ(readText(output, L"Enable_EQ_GFX"), L"1");
    EXPECT_EQ(readText(output, L"EQ_Slider6"), L"-24");
}

}  // namespace
}  // namespace talven::test
