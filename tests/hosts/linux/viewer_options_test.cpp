// tolva's command line: modes, values, XScreenSaver's spellings and refusals.
#include "hosts/linux/viewer_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    int ok = 0;
    ViewerOptions options;
    std::string error;
};

Parsed Parse(std::vector<std::string> words, const char* environmentWindow = nullptr) {
    words.insert(words.begin(), "tolva");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    Parsed parsed;
    parsed.ok = ParseViewerOptions(static_cast<int>(words.size()), argv.data(), environmentWindow,
                                   &parsed.options, &parsed.error);
    return parsed;
}

TEST(ViewerOptions, DefaultsAreA640x480WindowWithTheSaversTick) {
    const Parsed parsed = Parse({});
    ASSERT_EQ(parsed.ok, 1);
    EXPECT_EQ(parsed.options.mode, ViewerMode::Window);
    EXPECT_EQ(parsed.options.width, 640);
    EXPECT_EQ(parsed.options.height, 480);
    EXPECT_EQ(parsed.options.tickMilliseconds, 5u);
    EXPECT_FALSE(parsed.options.countGiven);
    EXPECT_FALSE(parsed.options.colorGiven);
    EXPECT_FALSE(parsed.options.hash);
}

TEST(ViewerOptions, ReadsEveryValue) {
    const Parsed parsed = Parse({"--fullscreen", "--size", "800x600", "--count", "200", "--color",
                                 "-3", "--tick-ms", "20", "--hash", "--frames", "9"});
    ASSERT_EQ(parsed.ok, 1) << parsed.error;
    EXPECT_EQ(parsed.options.mode, ViewerMode::FullScreen);
    EXPECT_EQ(parsed.options.width, 800);
    EXPECT_EQ(parsed.options.height, 600);
    EXPECT_TRUE(parsed.options.countGiven);
    EXPECT_EQ(parsed.options.count, 200u);  // a one-run count is bounded only where it is used
    EXPECT_TRUE(parsed.options.colorGiven);
    EXPECT_EQ(parsed.options.color, -3);
    EXPECT_EQ(parsed.options.tickMilliseconds, 20u);
    EXPECT_TRUE(parsed.options.hash);
    EXPECT_EQ(parsed.options.frames, 9u);
}

TEST(ViewerOptions, TakesXScreenSaversSingleDashSpellingsAndHexIds) {
    Parsed parsed = Parse({"-window-id", "0x2a00007", "-count", "12"});
    ASSERT_EQ(parsed.ok, 1) << parsed.error;
    EXPECT_EQ(parsed.options.mode, ViewerMode::ForeignWindow);
    EXPECT_EQ(parsed.options.windowId, 0x2a00007ul);
    EXPECT_EQ(parsed.options.count, 12u);
    parsed = Parse({"--window-id", "44040199"});
    ASSERT_EQ(parsed.ok, 1);
    EXPECT_EQ(parsed.options.windowId, 44040199ul);
    EXPECT_EQ(Parse({"-window-id", "010"}).options.windowId, 10ul);  // decimal, not octal
    parsed = Parse({"-root"});
    ASSERT_EQ(parsed.ok, 1);
    EXPECT_EQ(parsed.options.mode, ViewerMode::ForeignWindow);
    EXPECT_EQ(parsed.options.windowId, 0ul);
}

TEST(ViewerOptions, XScreenSaverWindowVariableIsTheRootAndActsAsWindowIdWithoutAMode) {
    for (const auto& words : {std::vector<std::string>{}, {"-window", "-root"}}) {
        const Parsed parsed = Parse(words, "0x600001");
        ASSERT_EQ(parsed.ok, 1) << parsed.error;
        EXPECT_EQ(parsed.options.mode, ViewerMode::ForeignWindow);
        EXPECT_EQ(parsed.options.windowId, 0x600001ul);
    }
    EXPECT_EQ(Parse({"--fullscreen"}, "0x600001").options.mode, ViewerMode::FullScreen);
    EXPECT_EQ(Parse({"-root", "-window"}, "0x600001").options.mode, ViewerMode::OwnXWindow);
    EXPECT_EQ(Parse({}, "").options.mode, ViewerMode::Window);
    EXPECT_EQ(Parse({}, "nonsense").ok, 0);
    EXPECT_EQ(Parse({"-root"}, "nonsense").ok, 0);
}

TEST(ViewerOptions, TakesEveryHacksOptionsAndWindowIdWinsAsThePreviewAppendsIt) {
    const Parsed parsed =
        Parse({"-root", "-install", "-visual", "default", "-fps", "-window-id", "0x42"}, "0x7");
    ASSERT_EQ(parsed.ok, 1) << parsed.error;
    EXPECT_EQ(parsed.options.mode, ViewerMode::ForeignWindow);
    EXPECT_EQ(parsed.options.windowId, 0x42ul);
    EXPECT_TRUE(parsed.options.showFps);
    EXPECT_FALSE(Parse({"--window", "--fps", "--no-fps"}).options.showFps);
}

TEST(ViewerOptions, ConfigureTakesOnlyTheDialogsRanges) {
    Parsed parsed = Parse({"--configure", "--count", "80", "--color", "9"});
    ASSERT_EQ(parsed.ok, 1) << parsed.error;
    EXPECT_EQ(parsed.options.mode, ViewerMode::Configure);
    EXPECT_EQ(Parse({"--configure", "--count", "2"}).ok, 1);
    EXPECT_EQ(Parse({"--configure", "--count", "1"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--count", "81"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--color", "0"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--color", "10"}).ok, 0);
    EXPECT_EQ(Parse({"--configure"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--count", "5", "--hash"}).ok, 0);
}

TEST(ViewerOptions, RefusesBadValuesWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--size", "640"},
        {"--size", "0x480"},
        {"--size", "32768x10"},
        {"--count", "-1"},
        {"--count", "4294967296"},
        {"--count", "5x"},
        {"--color", "2147483648"},
        {"--tick-ms", "0"},
        {"--frames", "0"},
        {"--window-id", "0"},
        {"--window-id", "xyz"},
        {"--window-id", "-5"},
        {"--window-id", "0x"},
        {"-geometry", "200x150+5"},
        {"--count"},
        {"--bogus"},
        {"stray"},
        {"--fullscreen", "--root"},
        {"--window", "--configure", "--count", "5"},
        {"-visual"},
        {"--configure", "--window-id", "5"},
    };
    for (const auto& words : bad) {
        const Parsed parsed = Parse(words);
        EXPECT_EQ(parsed.ok, 0) << words[0];
        EXPECT_FALSE(parsed.error.empty()) << words[0];
    }
}

}  // namespace
