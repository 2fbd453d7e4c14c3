// What tolva.scr carries: the compiled dialog template read back field by field, the saver's
// name, the icon group, the version block and the manifest; and the saver's Shift-JIS texts
// checked against what they mean.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hosts/windows/dialog_ids.h"
#include "hosts/windows/saver_texts.h"
#include "trails/color_scheme.h"
#include "trails/setting_limits.h"

namespace {

constexpr WORD Japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);   // 1041
constexpr WORD English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033

// Reads a template's words in order, as the standard (not extended) layout has them.
class TemplateReader {
  public:
    explicit TemplateReader(const uint8_t* start) : start(start), at(start) {}
    WORD Word() {
        WORD value;
        std::memcpy(&value, at, 2);
        at += 2;
        return value;
    }
    DWORD Dword() {
        DWORD value;
        std::memcpy(&value, at, 4);
        at += 4;
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    // A name or ordinal: 0xFFFF then an ordinal, or a zero-terminated UTF-16 string.
    std::u16string NameOrOrdinal(WORD* ordinal) {
        *ordinal = 0;
        WORD first = Word();
        if (first == 0xFFFF) {
            *ordinal = Word();
            return u"";
        }
        std::u16string text;
        for (WORD c = first; c != 0; c = Word()) text.push_back(static_cast<char16_t>(c));
        return text;
    }
    void AlignDword() {
        while ((at - start) % 4 != 0) ++at;
    }

  private:
    const uint8_t* start;
    const uint8_t* at;
};

struct ExpectedControl {
    const char16_t* className;
    WORD id;
    const char16_t* text;
    short x, y, cx, cy;
    DWORD otherStyle;
};

class ScreenSaverFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char directory[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, directory);
        const std::string path = std::string(directory) + "\\tolva.scr";
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << path;
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }

    std::vector<uint8_t> Resource(LPCSTR type, LPCSTR name, WORD language = Japanese) {
        HRSRC found = FindResourceExA(module, type, name, language);
        if (found == nullptr) return {};
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
        return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, found));
    }

    HMODULE module = nullptr;
};

// Button and Static must be stored as their predefined ordinals (shown here as "#button" and
// "#static"). Other class names are compared
// without regard to case, as the window manager looks them up (some resource compilers store
// them upper-cased).
std::u16string ClassName(const std::u16string& name, WORD ordinal) {
    if (ordinal == 0x0080) return u"#button";
    if (ordinal == 0x0082) return u"#static";
    std::u16string lower = name;
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return lower;
}

TEST_F(ScreenSaverFile, DialogTemplateMatchesTheLayoutFieldByField) {
    const std::vector<uint8_t> bytes = Resource(MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_SETUP));
    ASSERT_FALSE(bytes.empty()) << "dialog 106 in language 1041";
    TemplateReader reader(bytes.data());
    const DWORD style = reader.Dword();
    ASSERT_NE(style >> 16, 0xFFFFu) << "must not be the extended layout";
    EXPECT_EQ(style,
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(reader.Dword(), 0u);  // extended style
    const WORD controls = reader.Word();
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 202);
    EXPECT_EQ(reader.Short(), 109);
    WORD ordinal = 0;
    EXPECT_EQ(reader.NameOrOrdinal(&ordinal), u"");  // no menu
    EXPECT_EQ(ordinal, 0);
    EXPECT_EQ(reader.NameOrOrdinal(&ordinal), u"");  // default class
    EXPECT_EQ(ordinal, 0);
    EXPECT_EQ(reader.NameOrOrdinal(&ordinal), u"SETUP");
    EXPECT_EQ(reader.Word(), 9);
    EXPECT_EQ(reader.NameOrOrdinal(&ordinal), u"ＭＳ Ｐゴシック");

    const DWORD radio = BS_AUTORADIOBUTTON;
    const ExpectedControl expected[] = {
        {u"#button", 1, u"OK", 140, 11, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {u"#button", 2, u"ｷｬﾝｾﾙ", 140, 29, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {u"msctls_trackbar32", 1001, u"Slider1", 50, 15, 76, 15,
         TBS_AUTOTICKS | TBS_NOTICKS | TBS_HORZ | WS_TABSTOP},
        {u"#static", 0xFFFF, u"オブジェクト数", 5, 19, 42, 8, SS_LEFT | WS_GROUP},
        {u"#static", 0xFFFF, u"少", 50, 7, 8, 8, SS_LEFT | WS_GROUP},
        {u"#static", 0xFFFF, u"多", 120, 7, 8, 8, SS_LEFT | WS_GROUP},
        {u"#button", 1002, u"赤", 12, 53, 23, 10, radio},
        {u"#button", 1003, u"緑", 12, 67, 23, 10, radio},
        {u"#button", 1004, u"青", 12, 82, 23, 10, radio},
        {u"#button", 0xFFFF, u"色(&C)", 6, 37, 118, 63, BS_GROUPBOX},
        {u"#button", 1005, u"紫", 50, 53, 23, 10, radio},
        {u"#button", 1006, u"シアン", 50, 67, 34, 10, radio},
        {u"#button", 1007, u"黄", 50, 81, 23, 10, radio},
        {u"#button", 1008, u"白", 92, 53, 23, 10, radio},
        {u"#button", 1009, u"？", 92, 68, 23, 10, radio},
        {u"#button", 1010, u"？？", 92, 81, 30, 10, radio},
    };
    ASSERT_EQ(controls, 16);
    for (const ExpectedControl& want : expected) {
        SCOPED_TRACE(want.id);
        reader.AlignDword();
        EXPECT_EQ(reader.Dword(), static_cast<DWORD>(WS_CHILD | WS_VISIBLE) | want.otherStyle);
        EXPECT_EQ(reader.Dword(), 0u);
        EXPECT_EQ(reader.Short(), want.x);
        EXPECT_EQ(reader.Short(), want.y);
        EXPECT_EQ(reader.Short(), want.cx);
        EXPECT_EQ(reader.Short(), want.cy);
        EXPECT_EQ(reader.Word(), want.id);
        const std::u16string name = reader.NameOrOrdinal(&ordinal);
        EXPECT_EQ(ClassName(name, ordinal), want.className);
        EXPECT_EQ(reader.NameOrOrdinal(&ordinal), want.text);
        EXPECT_EQ(ordinal, 0);
        EXPECT_EQ(reader.Word(), 0);  // no creation data
    }
}

TEST_F(ScreenSaverFile, StringOneNamesTheSaverInBothLanguages) {
    for (WORD language : {Japanese, English}) {
        // Block 1 holds strings 0 to 15 (IDS_SAVER_NAME is 1), each as a length and that many
        // UTF-16 units: string 0 empty, then the name.
        const std::vector<uint8_t> block =
            Resource(MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(1), language);
        ASSERT_GE(block.size(), 14u) << language;
        TemplateReader reader(block.data());
        EXPECT_EQ(reader.Word(), 0);
        EXPECT_EQ(reader.Word(), 5);
        std::u16string name;
        for (int i = 0; i < 5; ++i) name.push_back(static_cast<char16_t>(reader.Word()));
        EXPECT_EQ(name, u"TOLVA") << language;
    }
}

TEST_F(ScreenSaverFile, ColourButtonIdsFollowTheSchemeNumbers) {
    EXPECT_EQ(IDC_COLOR_LAST - IDC_COLOR_FIRST + 1, MaxColorMode - MinColorMode + 1);
    EXPECT_EQ(MaxColorMode - MinColorMode + 1, ColorSchemeCount);
    EXPECT_EQ(IDC_COLOR_FIRST, 1001 + 1);
    EXPECT_EQ(IDC_COLOR_LAST, 1001 + 9);
}

TEST_F(ScreenSaverFile, IconGroupHoldsOneThirtyTwoPixelSixteenColourImage) {
    const std::vector<uint8_t> group = Resource(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_TOLVA));
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[2] | group[3] << 8, 1);  // icons
    EXPECT_EQ(group[4] | group[5] << 8, 1);  // one image
    EXPECT_EQ(group[6], 32);
    EXPECT_EQ(group[7], 32);
    EXPECT_EQ(group[8], 16);                   // colours
    EXPECT_EQ(group[12] | group[13] << 8, 4);  // bits per pixel
    const WORD imageId = static_cast<WORD>(group[18] | group[19] << 8);
    const std::vector<uint8_t> image = Resource(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(imageId));
    ASSERT_GE(image.size(), 40u + 64u + 512u + 128u);
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64);  // colour and mask
    EXPECT_EQ(header.biBitCount, 4);
    // Glowing trails on black: mostly black, but some of it lit.
    size_t black = 0;
    const uint8_t* palette = image.data() + 40;
    const uint8_t* pixels = palette + 64;
    for (int i = 0; i < 512; ++i) {
        for (int nibble : {pixels[i] >> 4, pixels[i] & 15}) {
            const uint8_t* entry = palette + 4 * nibble;
            black += entry[0] == 0 && entry[1] == 0 && entry[2] == 0;
        }
    }
    EXPECT_GT(black, 512u);
    EXPECT_LT(black, 1000u);
}

TEST_F(ScreenSaverFile, CarriesAVersionBlockAndAManifestForTodaysWindows) {
    EXPECT_FALSE(Resource(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1)).empty());
    const std::vector<uint8_t> manifest = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    const std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    // Each monitor's real pixels (Wine 8 treats every program as per-monitor aware, so only the
    // declaration can be looked at here).
    EXPECT_NE(text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(text.find(">true/pm</dpiAware>"), std::string::npos);
    // Windows 7, 8, 8.1 and 10/11: without them newer Windows treats the program as an old one.
    for (const char* os :
         {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
          "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
        EXPECT_NE(text.find(std::string("<supportedOS Id=\"{") + os + "}\"/>"), std::string::npos)
            << os;
    }
}

std::u16string FromShiftJis(const char* bytes) {
    wchar_t wide[256] = {};
    const int length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, -1, wide, 256);
    if (length <= 0) return u"(invalid)";
    return std::u16string(wide, wide + length - 1);
}

TEST(SaverTexts, MessageTextsAreTheJapaneseTextsInShiftJis) {
    EXPECT_EQ(FromShiftJis(CreateFailedText), u"ウィンドウが作成できません");
    EXPECT_EQ(FromShiftJis(CreateFailedCaption), u"初期化エラー");
    EXPECT_EQ(FromShiftJis(PasswordCheckFailedText), u"パスワードを確認できません");
    EXPECT_EQ(FromShiftJis(PasswordCheckFailedCaption), u"設定値取得エラー");
    EXPECT_EQ(FromShiftJis(ChangeLibraryMissingText), u"MPR.DLLが見つかりません");
    EXPECT_EQ(FromShiftJis(ChangeLibraryMissingCaption), u"TOLVA");
    EXPECT_EQ(FromShiftJis(SaveFailedText), u"レジストリへ登録できません");
    EXPECT_EQ(FromShiftJis(SaveFailedCaption), u"設定値登録エラー");
    EXPECT_EQ(GetACP(), 932u) << "the tests expect Wine in the Japanese code page";
}

}  // namespace
