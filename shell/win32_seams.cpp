// Plugging the platform into the portable core's and the command line's seams.
#include "shell/win32_seams.h"

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <cstdint>

#include "shell/command_line.h"
#include "surface/bitmap_header.h"
#include "trails/frame_seams.h"

static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER), "headers must agree");

namespace {

intptr_t ReadForegroundWindow() {
    return reinterpret_cast<intptr_t>(GetForegroundWindow());
}

}  // namespace

uint32_t ReadPlatformClock(void*) {
    return timeGetTime();
}

// COLORONCOLOR first, then the whole bottom-up surface in one call, destination and source at
// (0, 0) and no colour table.
void CopyFrameToWindow(void* window, const FrameView& frame) {
    HWND target = static_cast<HWND>(window);
    HDC dc = GetDC(target);
    const BitmapInfoHeader& header = frame.header;
    SetStretchBltMode(dc, COLORONCOLOR);
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(header.biWidth),
                      static_cast<DWORD>(header.biHeight), 0, 0, 0,
                      static_cast<UINT>(header.biHeight), frame.bits,
                      reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ReleaseDC(target, dc);
}

void InstallWin32Seams() {
    SetForegroundWindowQuery(ReadForegroundWindow);
}
