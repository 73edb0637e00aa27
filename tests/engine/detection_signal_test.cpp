#include "engine/detection_signal.h"
#include "settings/setting_keys.h"
#include "support/null_platform.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

using test::TestContext;

constexpr const char* kWave = "C:\\windows\\media\\ding.wav";

class DetectionSignal : public ::testing::Test {
  protected:
    TestContext t;
    void soundOn(const std::string& path)
    {
        t.backend.set(kChkPlaySound, "1");
        t.backend.set(kTxtWaveFilesPath, path);
    }
};

TEST_F(DetectionSignal, SoundOffCountsWithoutPlaying)
{
    t.files.searchDefault = SearchOutcome::found;
    t.backend.set(kTxtWaveFilesPath, kWave);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(SignalDetection(t.context, "NONE"));
    EXPECT_EQ(t.model.lblProblemsFound, "3");
    EXPECT_TRUE(t.host.soundsPlayed.empty());
    EXPECT_TRUE(t.files.searches.empty()) << "the path is not looked at while the sound is off";
}

TEST_F(DetectionSignal, PlaysOnlyWhenTheSettingIsExactlyOne)
{
    t.files.searchDefault = SearchOutcome::found;
    for (const char* setting : {"2", "-1", "True", "", " 1x"}) {
        soundOn(kWave);
        t.backend.set(kChkPlaySound, setting);
        EXPECT_FALSE(SignalDetection(t.context, "NONE")) << setting;
    }
    EXPECT_TRUE(t.host.soundsPlayed.empty());
    EXPECT_EQ(t.model.lblProblemsFound, "5");
}

TEST_F(DetectionSignal, PlaysTheTrimmedPathOfAFoundFile)
{
    soundOn(std::string("  ") + kWave + "  ");
    t.files.searchAnswers[kWave] = SearchOutcome::found;
    EXPECT_TRUE(SignalDetection(t.context, "NONE"));
    ASSERT_EQ(t.host.soundsPlayed, std::vector<std::string>{kWave});
    ASSERT_EQ(t.files.searches.size(), 1u);
    EXPECT_EQ(t.files.searches[0].path, kWave);
    EXPECT_EQ(t.files.searches[0].attributeMask, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN)
        << "normal and hidden files only: a folder must not count";
    EXPECT_EQ(t.model.lblProblemsFound, "1");
}

struct NoSoundCase {
    const char* name;
    const char* path;
    SearchOutcome outcome;
};

class DetectionSignalNoSound : public DetectionSignal, public ::testing::WithParamInterface<NoSoundCase> {};

TEST_P(DetectionSignalNoSound, NothingPlaysButTheCountStillRises)
{
    soundOn(GetParam().path);
    t.files.searchDefault = GetParam().outcome;
    EXPECT_FALSE(SignalDetection(t.context, "NONE"));
    EXPECT_TRUE(t.host.soundsPlayed.empty());
    EXPECT_EQ(t.model.lblProblemsFound, "1");
}

INSTANTIATE_TEST_SUITE_P(Paths, DetectionSignalNoSound,
                         ::testing::Values(NoSoundCase{"Empty", "", SearchOutcome::found},
                                           NoSoundCase{"Blanks", "   ", SearchOutcome::found},
                                           // The search for files does not find the media folder.
                                           NoSoundCase{"Folder", "C:\\windows\\media", SearchOutcome::notFound},
                                           NoSoundCase{"Missing", kWave, SearchOutcome::notFound},
                                           NoSoundCase{"SearchFailed", "\\\\server\\share\\a.wav",
                                                       SearchOutcome::failed}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST_F(DetectionSignal, UnplayableFileReportsNoSoundAndStillCounts)
{
    soundOn(kWave);
    t.files.searchDefault = SearchOutcome::found;
    t.host.soundStarts = false;
    EXPECT_FALSE(SignalDetection(t.context, "NONE"));
    EXPECT_EQ(t.host.soundsPlayed.size(), 1u);
    EXPECT_EQ(t.model.lblProblemsFound, "1");
}

TEST_F(DetectionSignal, CountContinuesFromTheCaption)
{
    struct Case {
        const char* caption;
        const char* after;
    };
    for (const Case c : {Case{"0", "1"}, Case{"41", "42"}, Case{"", "1"}, Case{"abc", "1"}, Case{"99999", "100000"},
                         Case{"9223372036854775807", "9223372036854775807"}}) {
        t.model.lblProblemsFound = c.caption;
        SignalDetection(t.context, "NONE");
        EXPECT_EQ(t.model.lblProblemsFound, c.after) << "caption '" << c.caption << "'";
    }
}

} // namespace
} // namespace tessivar
