// Message boxes in the user's language, shown through the wide API.
#include "hosts/windows/saver_messages.h"

#include <windows.h>

namespace {

constexpr UINT ShiftJisCodePage = 932;
constexpr int LongestText = 128;  // UTF-16 units, terminator included

// ASCII is a subset of code page 932, so one decoding serves both languages' texts.
void Decode(const char* bytes, wchar_t (&wide)[LongestText]) {
    if (MultiByteToWideChar(ShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, -1, wide, LongestText) ==
        0) {
        wide[0] = L'\0';
    }
}

}  // namespace

int UserReadsJapanese() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? 1 : 0;
}

WORD UserResourceLanguage() {
    return UserReadsJapanese() ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                               : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

int ShowSaverMessage(const MessageTexts& message, UINT style) {
    const bool japanese = UserReadsJapanese() != 0;
    wchar_t text[LongestText];
    wchar_t caption[LongestText];
    Decode(japanese ? message.shiftJisText : message.englishText, text);
    Decode(japanese ? message.shiftJisCaption : message.englishCaption, caption);
    return MessageBoxW(nullptr, text, caption, style);
}
