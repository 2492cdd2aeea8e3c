// Which mixer elements the library takes for the microphone and its
// monitoring, on control lists real USB cards print, and where it finds the
// headset's card in sysfs.

#include "sdk/osconflib/element_choice.h"
#include "sdk/osconflib/usb_card.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

namespace {

using osconf::MixerElementInfo;
using talven::test::TempDir;

// Groups `amixer contents` / `amixer controls` lines into simple elements
// the way ALSA's simple mixer names them: "Mic Capture Volume" is the
// capture volume of element "Mic". Written here from the control naming
// rules, not from the library's code.
std::vector<MixerElementInfo> elementsFromAmixer(const std::string& text) {
    static const std::regex header(R"(^numid=\d+,iface=MIXER,name='([^']*)'(?:,index=(\d+))?)");
    struct Suffix {
        const char* text;
        bool MixerElementInfo::*flag;
    };
    static const Suffix suffixes[] = {
        {" Capture Volume", &MixerElementInfo::captureVolume},
        {" Capture Switch", &MixerElementInfo::captureSwitch},
        {" Playback Volume", &MixerElementInfo::playbackVolume},
        {" Playback Switch", &MixerElementInfo::playbackSwitch},
    };
    std::vector<MixerElementInfo> elements;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::smatch match;
        if (!std::regex_search(line, match, header)) continue;
        std::string name = match[1];
        unsigned index = match[2].matched ? std::stoul(match[2]) : 0;
        for (const Suffix& suffix : suffixes) {
            std::string end = suffix.text;
            if (name.size() <= end.size() || name.compare(name.size() - end.size(), end.size(), end) != 0) continue;
            std::string base = name.substr(0, name.size() - end.size());
            auto found = std::find_if(elements.begin(), elements.end(),
                                      [&](const MixerElementInfo& e) { return e.name == base && e.index == index; });
            if (found == elements.end()) found = elements.insert(elements.end(), MixerElementInfo{base, index});
            (*found).*(suffix.flag) = true;
        }
    }
    return elements;
}

std::string nameOf(const std::vector<MixerElementInfo>& elements, std::optional<std::size_t> chosen) {
    return chosen ? elements[*chosen].name : "(none)";
}

struct ListingCase {
    const char* file;
    const char* input;
    bool inputSwitch;
    const char* monitor;
};

class AmixerListing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(AmixerListing, PicksMicrophoneAndMonitoring) {
    const ListingCase& c = GetParam();
    auto elements = elementsFromAmixer(talven::test::readFile(talven::test::testDataPath(c.file)));
    ASSERT_FALSE(elements.empty());
    osconf::ElementChoice choice = osconf::chooseElements(elements);
    EXPECT_EQ(nameOf(elements, choice.input), c.input);
    if (choice.input) {
        EXPECT_EQ(elements[*choice.input].captureSwitch, c.inputSwitch);
    }
    EXPECT_EQ(nameOf(elements, choice.monitor), c.monitor);
}

INSTANTIATE_TEST_SUITE_P(
    RealCards, AmixerListing,
    ::testing::Values(
        // The headset chip: "Mic" captures, and its playback is the monitoring;
        // "Speaker" is the ear's own level, never the monitoring.
        ListingCase{"alsa/cm108_usb_controls.txt", "Mic", true, "Mic"},
        // No microphone element: the only capture volume serves, and a line
        // input's playback is not the microphone's monitoring.
        ListingCase{"alsa/usb_card_without_mic_contents.txt", "PCM", true, "(none)"}));

struct ChoiceCase {
    const char* what;
    std::vector<MixerElementInfo> elements;
    const char* input;
    const char* monitor;
};

// Made-up element lists for the preferences the real lists above do not
// reach.
TEST(ElementChoice, Preferences) {
    const ChoiceCase cases[] = {
        {"sidetone before the microphone's playback",
         {{"Mic", 0, true, true, true, true}, {"Sidetone", 0, false, false, true, true}}, "Mic", "Sidetone"},
        {"a headset-named capture before a generic one",
         {{"Capture", 0, true, true}, {"Headset", 0, true, true}}, "Headset", "(none)"},
        {"exact Mic before a longer Mic name",
         {{"Mic Boost", 0, true}, {"Mic", 0, true, true}}, "Mic", "(none)"},
        {"Capture before an unnamed capture",
         {{"ADC", 0, true}, {"Capture", 0, true}}, "Capture", "(none)"},
        {"playback-only card", {{"PCM", 0, false, false, true, true}}, "(none)", "(none)"},
        {"a Mic element without capture volume is no input",
         {{"Mic", 0, false, true, true, true}, {"PCM", 0, true}}, "PCM", "Mic"},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.what);
        osconf::ElementChoice choice = osconf::chooseElements(c.elements);
        EXPECT_EQ(nameOf(c.elements, choice.input), c.input);
        EXPECT_EQ(nameOf(c.elements, choice.monitor), c.monitor);
    }
}

TEST(UsbId, ParsesVendorAndProduct) {
    auto id = osconf::parseUsbId("0d8c:01DA");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->vendor, 0x0D8C);
    EXPECT_EQ(id->product, 0x01DA);
    for (const char* bad : {"", "0d8c", "0d8c:", ":01da", "10d8c:01da", "0d8c:01dz", "0d8c-01da"}) {
        EXPECT_FALSE(osconf::parseUsbId(bad)) << bad;
    }
}

// A sysfs-like tree: cardN/device links to a USB interface whose parent
// holds the device's IDs, as the kernel lays them out.
void addCard(const TempDir& root, const std::string& card, const std::string& usb, const char* vendor,
             const char* product) {
    namespace fs = std::filesystem;
    fs::create_directories(root / ("usb/" + usb + "/" + usb + ":1.0"));
    talven::test::writeFile(root / ("usb/" + usb + "/idVendor"), std::string(vendor) + "\n");
    talven::test::writeFile(root / ("usb/" + usb + "/idProduct"), std::string(product) + "\n");
    fs::create_directories(root / ("sound/" + card));
    fs::create_directory_symlink(root / ("usb/" + usb + "/" + usb + ":1.0"), root / ("sound/" + card + "/device"));
}

TEST(UsbSoundCard, FoundByIdsNotByNumber) {
    TempDir root;
    addCard(root, "card0", "1-1", "046d", "0a9c");
    addCard(root, "card10", "1-2", "0d8c", "01da");
    addCard(root, "card2", "1-3", "0d8c", "01da");
    std::filesystem::create_directories(root / "sound/controlC0");
    std::string sound = (root / "sound").string();
    EXPECT_EQ(osconf::findUsbSoundCard(sound, {0x0D8C, 0x01DA}), 2);  // lowest number, not first name
    EXPECT_EQ(osconf::findUsbSoundCard(sound, {0x046D, 0x0A9C}), 0);
    EXPECT_EQ(osconf::findUsbSoundCard(sound, {0x0D8C, 0x0001}), std::nullopt);
    EXPECT_EQ(osconf::findUsbSoundCard((root / "missing").string(), {0x0D8C, 0x01DA}), std::nullopt);
}

}  // namespace
