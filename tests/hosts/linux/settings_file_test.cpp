// The viewer's settings file: where it lives, what it accepts, leniency and round trips.
#include "hosts/linux/settings_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tolva-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/tolva/settings";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void Write(const std::string& text) {
        std::filesystem::create_directories(dir + "/tolva");
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string dir;
    std::string path;
};

TEST(SettingsFilePath, XdgConfigHomeFirstThenHomeDotConfig) {
    EXPECT_EQ(SettingsFilePath("/x/cfg", "/home/u"), "/x/cfg/tolva/settings");
    EXPECT_EQ(SettingsFilePath(nullptr, "/home/u"), "/home/u/.config/tolva/settings");
    EXPECT_EQ(SettingsFilePath("", "/home/u"), "/home/u/.config/tolva/settings");
    EXPECT_EQ(SettingsFilePath("relative/cfg", "/home/u"), "/home/u/.config/tolva/settings");
    EXPECT_EQ(SettingsFilePath(nullptr, nullptr), "");
    EXPECT_EQ(SettingsFilePath(nullptr, ""), "");
}

TEST(ParseSettingsText, ReadsEveryValueWithSpacesCommentsAndCrLf) {
    ViewerSettings settings;
    ASSERT_EQ(ParseSettingsText("# mine\r\n\n  count = 40 \r\ncolor=7\ndelay=20000\n", &settings),
              1);
    EXPECT_EQ(settings.trailCount, 40u);
    EXPECT_EQ(settings.colorMode, 7);
    EXPECT_EQ(settings.stepMicroseconds, 20000u);
}

TEST(ParseSettingsText, AMissingKeyKeepsItsValue) {
    ViewerSettings settings;
    ASSERT_EQ(ParseSettingsText("color=5\n", &settings), 1);
    EXPECT_EQ(settings.trailCount, 25u);
    EXPECT_EQ(settings.colorMode, 5);
    EXPECT_EQ(settings.stepMicroseconds, 15625u);
}

// Count and colour load as stored; a delay the command line would refuse loads as the default.
TEST(ParseSettingsText, KeepsCountAndColorOutsideTheDialogsRangesNotADelay) {
    ViewerSettings settings;
    ASSERT_EQ(ParseSettingsText("count=200\ncolor=12\ndelay=10000000\n", &settings), 1);
    EXPECT_EQ(settings.trailCount, 200u);
    EXPECT_EQ(settings.colorMode, 12);
    EXPECT_EQ(settings.stepMicroseconds, 10000000u);
    ASSERT_EQ(ParseSettingsText("count=4294967295\ncolor=-2147483648\ndelay=0\n", &settings), 1);
    EXPECT_EQ(settings.trailCount, 4294967295u);
    EXPECT_EQ(settings.colorMode, INT32_MIN);
    EXPECT_EQ(settings.stepMicroseconds, 15625u);
    ASSERT_EQ(ParseSettingsText("count=0\ncolor=0\ndelay=10000001\n", &settings), 1);
    EXPECT_EQ(settings.trailCount, 0u);
    EXPECT_EQ(settings.colorMode, 0);
    EXPECT_EQ(settings.stepMicroseconds, 15625u);
}

TEST(ParseSettingsText, RefusesMalformedTextAndChangesNothing) {
    for (const char* text : {"count=banana\n", "count=-1\n", "count=4294967296\n", "count=\n",
                             "color=2147483648\n", "color=+3\n", "count 25\n", "speed=3\n",
                             "COUNT=25\n", "color=5\ncount=7x\n", "delay=fast\n"}) {
        ViewerSettings settings;
        EXPECT_EQ(ParseSettingsText(text, &settings), 0) << text;
        EXPECT_EQ(settings.trailCount, 25u) << text;
        EXPECT_EQ(settings.colorMode, 1) << text;
    }
}

int ConfigureAll(const std::string& path, const ViewerSettings& settings, std::string* error) {
    ViewerSettings stored;
    std::vector<std::string> warnings;
    return ConfigureSettingsFile(path, {true, true, true, settings}, &stored, &warnings, error);
}

TEST_F(SettingsFileTest, NoFileGivesTheDefaultsWithoutAWarning) {
    ViewerSettings settings{0, 0, 0};
    std::string warning;
    EXPECT_EQ(LoadSettingsFile(path, &settings, &warning), 1);
    EXPECT_EQ(settings.trailCount, 25u);
    EXPECT_EQ(settings.colorMode, 1);
    EXPECT_TRUE(warning.empty());
    EXPECT_FALSE(std::filesystem::exists(path));  // loading never writes
}

TEST_F(SettingsFileTest, SaveThenLoadGivesBackBothValues) {
    std::string error;
    ASSERT_EQ(ConfigureAll(path, {63, 8, 4000}, &error), 1) << error;
    ViewerSettings settings{0, 0, 0};
    std::string warning;
    ASSERT_EQ(LoadSettingsFile(path, &settings, &warning), 1) << warning;
    EXPECT_EQ(settings.trailCount, 63u);
    EXPECT_EQ(settings.colorMode, 8);
    EXPECT_EQ(settings.stepMicroseconds, 4000u);
    EXPECT_EQ(Read(), FormatSettingsText({63, 8, 4000}));
    // Nothing is left beside the file.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/tolva")) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(SettingsFileTest, MalformedFileGivesTheDefaultsAOneLineWarningAndStaysAsItWas) {
    const std::string text = "count=7\ncolor=purple\n";
    Write(text);
    ViewerSettings settings{0, 0, 0};
    std::string warning;
    EXPECT_EQ(LoadSettingsFile(path, &settings, &warning), 0);
    EXPECT_EQ(settings.trailCount, 25u);  // not 7: a malformed file is not half used
    EXPECT_EQ(settings.colorMode, 1);
    EXPECT_NE(warning.find(path), std::string::npos);
    EXPECT_EQ(warning.find('\n'), std::string::npos);
    EXPECT_EQ(Read(), text);
}

TEST_F(SettingsFileTest, OversizedOrBinaryFileIsMalformed) {
    for (const std::string& text : {std::string(5000, '#'), std::string("count=7\0\n", 9)}) {
        Write(text);
        ViewerSettings settings{0, 0, 0};
        std::string warning;
        EXPECT_EQ(LoadSettingsFile(path, &settings, &warning), 0);
        EXPECT_EQ(settings.trailCount, 25u);
        EXPECT_FALSE(warning.empty());
    }
}

TEST_F(SettingsFileTest, UnreadableFileGivesTheDefaultsAndAWarning) {
    std::filesystem::create_directories(path);  // a directory where the file should be
    ViewerSettings settings{0, 0, 0};
    std::string warning;
    EXPECT_EQ(LoadSettingsFile(path, &settings, &warning), 0);
    EXPECT_EQ(settings.trailCount, 25u);
    EXPECT_EQ(settings.colorMode, 1);
    EXPECT_NE(warning.find("cannot read"), std::string::npos);
    std::string error;
    EXPECT_EQ(ConfigureAll(path, {30, 2, 15625}, &error), 0);  // it cannot be replaced either
    EXPECT_FALSE(error.empty());
}

TEST(LoadSettingsFile, NoPathGivesTheDefaultsAndAWarning) {
    ViewerSettings settings{0, 0, 0};
    std::string warning;
    EXPECT_EQ(LoadSettingsFile("", &settings, &warning), 0);
    EXPECT_EQ(settings.trailCount, 25u);
    EXPECT_EQ(settings.colorMode, 1);
    EXPECT_FALSE(warning.empty());
}

}  // namespace
