// xscreensaver/tolva.xml against the viewer's command line: every argument the settings tool
// can pass must parse, the trail slider must cover the dialog's 2..80 with the default 25, the
// frame rate slider lie within the delays -delay takes with the default pace, and the menu must
// offer each of the nine colour schemes once, the default one as XScreenSaver's conventions ask:
// with no arg-set, so the hack's built-in default applies.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hosts/linux/viewer_options.h"
#include "trails/setting_limits.h"

namespace {

std::string ReadConfig() {
    std::ifstream in(TOLVA_XSCREENSAVER_XML);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Attribute(const std::string& element, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const size_t at = element.find(key);
    if (at == std::string::npos) return "";
    const size_t begin = at + key.size();
    return element.substr(begin, element.find('"', begin) - begin);
}

// The opening tags <tag ...> in text, whitespace before the attributes normalised to spaces.
std::vector<std::string> Elements(const std::string& text, const std::string& tag) {
    std::vector<std::string> found;
    const std::string open = "<" + tag;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const char next = text[at + open.size()];
        if (next != ' ' && next != '\n' && next != '\t') continue;
        std::string element = text.substr(at, text.find('>', at) - at + 1);
        for (char& c : element)
            if (c == '\n' || c == '\t') c = ' ';
        found.push_back(element);
    }
    return found;
}

std::string Substitute(std::string text, const std::string& value) {
    const size_t at = text.find('%');
    if (at != std::string::npos) text.replace(at, 1, value);
    return text;
}

// Parses "-root -count 25" as tolva would get it from XScreenSaver.
int ParseWords(const std::string& line, ViewerOptions* options) {
    std::vector<std::string> words{"tolva"};
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    std::string error;
    return ParseViewerOptions(static_cast<int>(words.size()), argv.data(), nullptr, options,
                              &error);
}

TEST(XScreenSaverConfig, SlidersCoverTheTrailsAndTheFrameRateAndParse) {
    const std::string text = ReadConfig();
    ASSERT_FALSE(text.empty());
    const std::string command = Attribute(Elements(text, "command").at(0), "arg");
    const auto numbers = Elements(text, "number");
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_EQ(Attribute(numbers[0], "id"), "count");
    EXPECT_EQ(Attribute(numbers[0], "low"), std::to_string(MinTrailCount));
    EXPECT_EQ(Attribute(numbers[0], "high"), std::to_string(MaxTrailCount));
    EXPECT_EQ(Attribute(numbers[0], "default"), std::to_string(DefaultTrailCount));
    // The frame rate: more to the right is a shorter delay, as on every hack's slider.
    EXPECT_EQ(Attribute(numbers[1], "id"), "delay");
    EXPECT_EQ(Attribute(numbers[1], "convert"), "invert");
    EXPECT_GE(std::stoll(Attribute(numbers[1], "low")), MinStepMicroseconds);
    EXPECT_LE(std::stoll(Attribute(numbers[1], "high")), MaxStepMicroseconds);
    EXPECT_EQ(Attribute(numbers[1], "default"), std::to_string(DefaultStepMicroseconds));
    for (const std::string& number : numbers) {
        for (const char* bound : {"low", "default", "high"}) {
            ViewerOptions options;
            const std::string value = Attribute(number, bound);
            const std::string line = command + " " + Substitute(Attribute(number, "arg"), value);
            ASSERT_EQ(ParseWords(line, &options), 1) << line;
            EXPECT_EQ(options.mode, ViewerMode::ForeignWindow);
            EXPECT_EQ(std::to_string(number == numbers[0] ? options.trailCount
                                                          : options.stepMicroseconds),
                      value);
        }
    }
}

TEST(XScreenSaverConfig, MenuOffersEachOfTheNineSchemesOnce) {
    const auto options = Elements(ReadConfig(), "option");
    std::set<int32_t> schemes;
    for (const std::string& option : options) {
        ViewerOptions parsed;
        const std::string argSet = Attribute(option, "arg-set");
        ASSERT_EQ(ParseWords(argSet, &parsed), 1) << option;
        ASSERT_EQ(parsed.colorModeGiven, !argSet.empty()) << option;
        schemes.insert(parsed.colorModeGiven ? parsed.colorMode : DefaultColorMode);
    }
    std::set<int32_t> offered;
    for (int32_t mode = MinColorMode; mode <= MaxColorMode; ++mode) offered.insert(mode);
    EXPECT_EQ(options.size(), offered.size());
    EXPECT_EQ(schemes, offered);
}

}  // namespace
