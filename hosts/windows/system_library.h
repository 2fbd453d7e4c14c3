// Host libraries that the saver asks for at run time, loaded from the system folder only.
#pragma once

#include <windows.h>

// A host library from the system folder, by full path, with its own imports looked for there
// too: a library of the same name beside the saver, in the current folder or on PATH must never
// be the one that answers. Null when it is not there (an older Windows).
HMODULE LoadSystemLibrary(const char* name);
