// Every text the saver shows or looks up, in one place: the window class and title, the
// registry paths and value names, the host library names, and the message boxes. The Japanese
// message texts are kept as the Shift-JIS (code page 932) bytes they have always been, written
// byte by byte with what they read as beside each; they are decoded from code page 932 when
// shown, so they read the same under any ANSI code page. Each message also has an English
// text for users whose interface language is not Japanese. The dialog's own texts live in its
// resource (resources/tolva.rc) as UTF-16.
#pragma once

// The class also serves the single-instance test: a top-level window of it blocks a new start.
constexpr char SaverClassName[] = "TOLVA.gwp";
constexpr char SaverWindowTitle[] = "Screen Saver";

constexpr char SettingsKeyPath[] = "Software\\Ravik\\SCREEN SAVER\\TOLVA";
constexpr char CountValueName[] = "COUNT";
constexpr char ColorValueName[] = "COLOR";

constexpr char DesktopKeyPath[] = "Control Panel\\desktop";
constexpr char UsePasswordValueName[] = "ScreenSaveUsePassword";

// Both host libraries are loaded from the system folder only.
constexpr char PasswordLibraryName[] = "PASSWORD.CPL";
constexpr char VerifyPasswordEntryName[] = "VerifyScreenSavePwd";
constexpr char ChangeLibraryName[] = "MPR.DLL";
constexpr char ChangePasswordEntryName[] = "PwdChangePasswordA";
constexpr char PasswordProviderName[] = "SCRSAVE";

// "ウィンドウが作成できません"
constexpr char CreateFailedText[] =
    "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xAA\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC"
    "\x82\xB9\x82\xF1";
// "初期化エラー"
constexpr char CreateFailedCaption[] = "\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B";

// "パスワードを確認できません"
constexpr char PasswordCheckFailedText[] =
    "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68\x82\xF0\x8A\x6D\x94\x46\x82\xC5\x82\xAB\x82\xDC"
    "\x82\xB9\x82\xF1";
// "設定値取得エラー"
constexpr char PasswordCheckFailedCaption[] =
    "\x90\xDD\x92\xE8\x92\x6C\x8E\xE6\x93\xBE\x83\x47\x83\x89\x81\x5B";

// "MPR.DLLが見つかりません"
constexpr char ChangeLibraryMissingText[] =
    "MPR.DLL\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// "TOLVA"
constexpr char ChangeLibraryMissingCaption[] = "TOLVA";

// "レジストリへ登録できません"
constexpr char SaveFailedText[] =
    "\x83\x8C\x83\x57\x83\x58\x83\x67\x83\x8A\x82\xD6\x93\x6F\x98\x5E\x82\xC5\x82\xAB\x82\xDC"
    "\x82\xB9\x82\xF1";
// "設定値登録エラー"
constexpr char SaveFailedCaption[] =
    "\x90\xDD\x92\xE8\x92\x6C\x93\x6F\x98\x5E\x83\x47\x83\x89\x81\x5B";

// One message box's texts: the Japanese ones as Shift-JIS bytes, the English ones as ASCII.
struct MessageTexts {
    const char* shiftJisText;
    const char* shiftJisCaption;
    const char* englishText;
    const char* englishCaption;
};

constexpr MessageTexts CreateFailedMessage = {CreateFailedText, CreateFailedCaption,
                                              "The saver window cannot be created.",
                                              "Initialisation error"};
constexpr MessageTexts PasswordCheckFailedMessage = {
    PasswordCheckFailedText, PasswordCheckFailedCaption, "The password cannot be verified.",
    "Error reading a setting"};
constexpr MessageTexts ChangeLibraryMissingMessage = {
    ChangeLibraryMissingText, ChangeLibraryMissingCaption, "MPR.DLL cannot be found.", "TOLVA"};
constexpr MessageTexts SaveFailedMessage = {SaveFailedText, SaveFailedCaption,
                                            "The settings cannot be stored in the registry.",
                                            "Error storing the settings"};
