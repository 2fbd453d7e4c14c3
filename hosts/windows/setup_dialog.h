// The configuration dialog: the number of trails on a trackbar and the colour scheme as nine
// radio buttons, stored through the settings store when the user presses OK. It keeps no state
// of its own.
#pragma once

#include <windows.h>

#include "hosts/windows/saver_session.h"

// Opens the modal dialog (resource 106 of session->instance in the user's language), owned by
// and centred over session->parent when that is a window, and returns when it closes. The
// dialog gets the session as its WM_INITDIALOG parameter.
void RunSetupDialog(const SaverSession* session);

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
