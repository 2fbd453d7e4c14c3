// The saver's message boxes and the choice of language for everything it shows. A user whose
// interface language is Japanese sees the Japanese texts and dialog; every other user sees the
// English ones. Boxes go through the wide API, so the Japanese texts read right under any ANSI
// code page.
#pragma once

#include <windows.h>

#include "hosts/windows/saver_texts.h"

// 1 when the user's interface language is Japanese, 0 otherwise.
int UserReadsJapanese();

// The language of the resources (dialog 106) shown to this user.
WORD UserResourceLanguage();

// The style a box needs when it opens while the topmost full-screen saver is up, or it would
// open underneath it with the keyboard going to it: topmost (MB_SYSTEMMODAL is MB_APPLMODAL
// plus WS_EX_TOPMOST, which with no owner is all it does; Wine ignores MB_TOPMOST) and in front.
constexpr UINT AboveTheSaver = MB_SYSTEMMODAL | MB_SETFOREGROUND;

// Shows one box with no owner in the user's language; style as MessageBox takes it.
int ShowSaverMessage(const MessageTexts& message, UINT style);
