// A host library that is present but lacks the entry point the saver looks for.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI UnrelatedEntry() {
    return 0;
}
