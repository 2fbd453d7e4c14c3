// The saver's message boxes and the choice of language for everything it shows. A user whose
// interface language is Japanese sees the Japanese texts and dialog; every other user sees the
// English ones. Boxes go through the wide API, so the Japanese texts read right under any ANSI
// code page.
#pragma once

#include <windows.h>

#include "shell/saver_texts.h"

// 1 when the user's interface language is Japanese, 0 otherwise.
int UserReadsJapanese();

// The language of the resources (dialog 106) shown to this user.
WORD UserResourceLanguage();

// Shows one box with no owner in the user's language; style as MessageBox takes it. Boxes that
// may open while the topmost full-screen saver is up pass MB_TOPMOST | MB_SETFOREGROUND, or
// they would open underneath it with the keyboard going to them.
int ShowSaverMessage(const MessageTexts& message, UINT style);
