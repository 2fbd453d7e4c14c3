// The command line: which switch wins, where the number after it comes from, and when the
// foreground window stands in for it.
#include "hosts/windows/command_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr intptr_t StandInForeground = 0x5A5A;
int foregroundQueries = 0;
intptr_t FakeForeground() {
    ++foregroundQueries;
    return StandInForeground;
}

struct Parsed {
    int result;
    intptr_t parent;
    SaverMode mode;
};

constexpr SaverMode Untouched = static_cast<SaverMode>(77);

Parsed Parse(const char* line) {
    Parsed parsed{-1, -1, Untouched};
    parsed.result = ParseCommandLine(line, FakeForeground, &parsed.parent, &parsed.mode);
    return parsed;
}

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override { foregroundQueries = 0; }
};

TEST_F(CommandLineTest, SwitchTableHoldsTheSixteenSwitchesInSearchOrder) {
    const char* texts[SwitchCount] = {"-c", "-C", "/c", "/C", "-p", "-P", "/p", "/P",
                                      "-s", "-S", "/s", "/S", "-a", "-A", "/a", "/A"};
    for (int i = 0; i < SwitchCount; ++i) {
        EXPECT_STREQ(SwitchTable[i].text, texts[i]) << "entry " << i;
        EXPECT_EQ(static_cast<int>(SwitchTable[i].mode), i / 4) << "entry " << i;
    }
    EXPECT_EQ(static_cast<int16_t>(SaverMode::Configure), 0);
    EXPECT_EQ(static_cast<int16_t>(SaverMode::Preview), 1);
    EXPECT_EQ(static_cast<int16_t>(SaverMode::Run), 2);
    EXPECT_EQ(static_cast<int16_t>(SaverMode::ChangePassword), 3);
}

TEST_F(CommandLineTest, EverySwitchSelectsItsModeInEitherCase) {
    for (const SaverSwitch& entry : SwitchTable) {
        const Parsed parsed = Parse(entry.text);
        EXPECT_EQ(parsed.result, 1) << entry.text;
        EXPECT_EQ(parsed.mode, entry.mode) << entry.text;
    }
}

TEST_F(CommandLineTest, TableOrderDecidesNotPositionOnTheLine) {
    EXPECT_EQ(Parse("/s -c").mode, SaverMode::Configure);
    EXPECT_EQ(Parse("/a /p 5").mode, SaverMode::Preview);
    EXPECT_EQ(Parse("/A /S").mode, SaverMode::Run);
    EXPECT_EQ(Parse("-A -a").mode, SaverMode::ChangePassword);
    // "-c" comes before "/C" in the table, whatever stands first on the line.
    EXPECT_EQ(Parse("/C12 -c34").parent, 34);
}

TEST_F(CommandLineTest, SwitchesMatchInsideWordsAndAreCaseSensitiveTexts) {
    const Parsed word = Parse("X/SY");
    EXPECT_EQ(word.result, 1);
    EXPECT_EQ(word.mode, SaverMode::Run);
    EXPECT_EQ(word.parent, StandInForeground);  // "Y" converts to 0
    EXPECT_EQ(Parse("path-preview").mode, SaverMode::Preview);
    EXPECT_EQ(Parse("a-s1").parent, 1);
}

TEST_F(CommandLineTest, NumberAfterTheSwitchBecomesTheParentWindow) {
    EXPECT_EQ(Parse("/p 1234").parent, 1234);
    EXPECT_EQ(Parse("/p1234").parent, 1234);
    EXPECT_EQ(Parse("/c:1234").parent, 1234);
    EXPECT_EQ(Parse("/c 1234").parent, 1234);
    EXPECT_EQ(Parse("/p \t 42xyz").parent, 42);
    EXPECT_EQ(Parse("/p +7").parent, 7);
    EXPECT_EQ(Parse("/p -5").parent, -5);
    EXPECT_EQ(Parse("/s 2147483647").parent, 2147483647);
    EXPECT_EQ(Parse("/s -2147483648").parent, static_cast<intptr_t>(INT32_MIN));
    EXPECT_EQ(foregroundQueries, 0);
}

TEST_F(CommandLineTest, NumbersBeyondThirtyTwoBitsSaturateInsteadOfOverflowing) {
    EXPECT_EQ(Parse("/p 2147483648").parent, 2147483647);
    EXPECT_EQ(Parse("/p 99999999999999999999999999").parent, 2147483647);
    EXPECT_EQ(Parse("/p -2147483649").parent, static_cast<intptr_t>(INT32_MIN));
    EXPECT_EQ(Parse("/p -99999999999999999999999999").parent, static_cast<intptr_t>(INT32_MIN));
    EXPECT_EQ(ReadSaturatedDecimal("00000000000000000000012"), 12);
    EXPECT_EQ(ReadSaturatedDecimal("  -0"), 0);
    EXPECT_EQ(ReadSaturatedDecimal("4294967296"), INT32_MAX);
}

TEST_F(CommandLineTest, MissingOrZeroNumberFallsBackToTheForegroundWindowButForConfigure) {
    for (const char* line : {"/s", "/p", "/p:", "/p 0", "/p -", "/a x12", "/s   "}) {
        foregroundQueries = 0;
        const Parsed parsed = Parse(line);
        EXPECT_EQ(parsed.result, 1) << line;
        EXPECT_EQ(parsed.parent, StandInForeground) << line;
        EXPECT_EQ(foregroundQueries, 1) << line;
    }
    foregroundQueries = 0;
    EXPECT_EQ(Parse("/c").parent, 0);
    EXPECT_EQ(Parse("/c::5").parent, 0);
    EXPECT_EQ(foregroundQueries, 0);
}

TEST_F(CommandLineTest, EmptyLineMeansConfigureWithNoParentAndNoFallback) {
    for (const char* line : {"", static_cast<const char*>(nullptr)}) {
        const Parsed parsed = Parse(line);
        EXPECT_EQ(parsed.result, 1);
        EXPECT_EQ(parsed.mode, SaverMode::Configure);
        EXPECT_EQ(parsed.parent, 0);
    }
    EXPECT_EQ(foregroundQueries, 0);
}

TEST_F(CommandLineTest, LineWithoutAKnownSwitchIsRefusedAndLeavesTheModeAlone) {
    for (const char* line : {"/x", " ", "cps", "/ s", "-", "\\s", "/e /q"}) {
        const Parsed parsed = Parse(line);
        EXPECT_EQ(parsed.result, 0) << line;
        EXPECT_EQ(parsed.mode, Untouched) << line;
        EXPECT_EQ(parsed.parent, 0) << line;
    }
    EXPECT_EQ(foregroundQueries, 0);
}

TEST_F(CommandLineTest, WithoutAQueryTheFallbackIsNoWindow) {
    intptr_t parent = -1;
    SaverMode mode = Untouched;
    EXPECT_EQ(ParseCommandLine("/s", nullptr, &parent, &mode), 1);
    EXPECT_EQ(parent, 0);
}

}  // namespace
