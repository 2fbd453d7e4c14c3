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

// Values themselves are read by the option table; here, what the viewer makes of them.
TEST(ViewerOptions, DefaultsAndEveryValue) {
    Parsed parsed = Parse({});
    ASSERT_EQ(parsed.ok, 1);
    EXPECT_EQ(parsed.options.mode, ViewerMode::Window);
    EXPECT_EQ(parsed.options.width, 640);
    EXPECT_EQ(parsed.options.height, 480);
    EXPECT_EQ(parsed.options.stepMicroseconds, 15625u);
    EXPECT_EQ(parsed.options.scale, 0);  // the display's
    EXPECT_FALSE(parsed.options.trailCountGiven || parsed.options.colorModeGiven ||
                 parsed.options.delayGiven || parsed.options.hash);
    parsed = Parse({"--fullscreen", "--size", "800x600", "--count", "200", "--color", "-3",
                    "-delay", "20000", "-scale", "1.5", "--hash", "--frames", "9"});
    ASSERT_EQ(parsed.ok, 1) << parsed.error;
    EXPECT_EQ(parsed.options.mode, ViewerMode::FullScreen);
    EXPECT_EQ(parsed.options.width, 800);
    EXPECT_EQ(parsed.options.height, 600);
    EXPECT_TRUE(parsed.options.trailCountGiven);
    EXPECT_EQ(parsed.options.trailCount, 200u);  // a one-run count is bounded only where it is used
    EXPECT_TRUE(parsed.options.colorModeGiven);
    EXPECT_EQ(parsed.options.colorMode, -3);
    EXPECT_TRUE(parsed.options.delayGiven);
    EXPECT_EQ(parsed.options.stepMicroseconds, 20000u);
    EXPECT_EQ(parsed.options.scale, 384);
    EXPECT_TRUE(parsed.options.hash);
    EXPECT_EQ(parsed.options.frames, 9u);
    parsed = Parse({"--background", "--wayland", "--wayland"});
    ASSERT_EQ(parsed.ok, 1) << parsed.error;
    EXPECT_EQ(parsed.options.mode, ViewerMode::Background);
    EXPECT_EQ(parsed.options.windowSystem, WindowSystem::Wayland);
    EXPECT_EQ(Parse({"--x11", "--fullscreen"}).options.windowSystem, WindowSystem::X11);
    parsed = Parse({"-window-id", "0x2a00007", "-geometry", "200x150-5+6"});
    ASSERT_EQ(parsed.ok, 1) << parsed.error;
    EXPECT_EQ(parsed.options.mode, ViewerMode::ForeignWindow);
    EXPECT_EQ(parsed.options.windowId, 0x2a00007ul);
    EXPECT_TRUE(parsed.options.positionGiven && parsed.options.xFromRight);
    EXPECT_EQ(parsed.options.x, 5);
    EXPECT_FALSE(parsed.options.yFromBottom);
    EXPECT_EQ(parsed.options.y, 6);
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
    EXPECT_EQ(Parse({"--wayland"}, "0x600001").options.mode, ViewerMode::Window);
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
    EXPECT_TRUE(Parse({"--configure", "-delay", "30000"}).options.delayGiven);
    EXPECT_EQ(Parse({"--configure", "--count", "1"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--count", "81"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--color", "0"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--color", "10"}).ok, 0);
    EXPECT_EQ(Parse({"--configure"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--count", "5", "--hash"}).ok, 0);
    EXPECT_EQ(Parse({"--configure", "--count", "5", "--scale", "2"}).ok, 0);
}

// Every form XParseGeometry reads, as WxH and each offset in from the edge it counts from.
TEST(ViewerOptions, GeometryTakesWhatXReads) {
    const std::pair<const char*, const char*> rows[] = {{"+100+100", "640x480 +100 +100"},
                                                        {"200x150+-10+5", "200x150 +-10 +5"},
                                                        {"=200x150-0-0", "200x150 -0 -0"},
                                                        {"200x150+5", "200x150 +5 +0"},
                                                        {"300", "300x480"}};
    for (const auto& [geometry, read] : rows) {
        const Parsed parsed = Parse({"-window", "-geometry", geometry});
        const ViewerOptions& got = parsed.options;
        std::string text = std::to_string(got.width) + "x" + std::to_string(got.height);
        if (got.positionGiven)
            text += (got.xFromRight ? " -" : " +") + std::to_string(got.x) +
                    (got.yFromBottom ? " -" : " +") + std::to_string(got.y);
        EXPECT_EQ(parsed.ok ? text : parsed.error, read) << geometry;
    }
}

TEST(ViewerOptions, RefusesBadGeometriesAndModesTogetherWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"-geometry", "200x150+5+"},
        {"-geometry", "0x150"},
        {"-geometry", "40000x150"},
        {"-geometry", "+40000+0"},
        {"--fullscreen", "--root"},
        {"--window", "--configure", "--count", "5"},
        {"--configure", "--window-id", "5"},
        {"--background", "--fullscreen"},
        {"--background", "--x11"},
        {"--wayland", "--x11"},
        {"--wayland", "-root"},
        {"--window-id", "5", "--wayland"},
        {"--configure", "--count", "5", "--x11"},
    };
    for (const auto& words : bad) {
        const Parsed parsed = Parse(words);
        EXPECT_EQ(parsed.ok, 0) << words[0];
        EXPECT_FALSE(parsed.error.empty()) << words[0];
    }
}

}  // namespace
