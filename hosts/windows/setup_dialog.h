// The configuration dialog: the number of trails on a trackbar and the colour scheme as nine
// radio buttons, stored through the settings store when the user presses OK. It keeps no state
// of its own.
#pragma once

#include <windows.h>

// Opens the modal dialog (resource 106 of InstanceHandle in the user's language), owned by and
// centred over owner when that is a window, and returns when it closes.
void RunSetupDialog(HWND owner);

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
