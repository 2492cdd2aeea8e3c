// The headset's audio values between the profile and the page: the eight
// values and the named curves written into the profile read back as they
// were, and a shorter curve list after a delete leaves no ghost curve.

#include "device/headset/headset_session.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talven::headset {
namespace {

TEST(HeadsetProfileAudio, ValuesAndCurvesRoundTripThroughTheProfile) {
    test::TempDir dir;
    const std::string path = dir.str() + "/p.Json";
    CHs6533Profiledata profile;
    profile.SetProfilePath(path);
    profile.LoadDeviceEntry(path);
    const HeadsetSystemRecord values = {1, 3, 13, 1, 0, 37, 1, 80};
    const std::vector<CustomCurve> curves = {
        {"Bass", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"Voice", {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10}},
    };
    writeAudioState(profile, values, curves);
    ASSERT_EQ(profile.Save(), ProfileStatus::ok);

    CHs6533Profiledata reread;
    reread.LoadDeviceEntry(path);
    EXPECT_EQ(reread.ReadSystemSetStages(), values);
    const std::vector<CustomCurve> back = readCurves(reread);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].name, "Voice");
    EXPECT_EQ(back[1].bands, curves[1].bands);

    writeAudioState(profile, values, {curves[1]});
    const std::vector<CustomCurve> after = readCurves(profile);
    ASSERT_EQ(after.size(), 1u) << "the deleted curve is gone";
    EXPECT_EQ(after[0].name, "Voice");
    EXPECT_EQ(after[0].bands, curves[1].bands);
}

}  // namespace
}  // namespace talven::headset
