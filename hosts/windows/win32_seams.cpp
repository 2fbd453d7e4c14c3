// Plugging the platform into the portable core's and the command line's seams.
#include "hosts/windows/win32_seams.h"

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <cstdint>

#include "surface/frame.h"
#include "trails/frame_seams.h"

static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER), "headers must agree");

uint32_t ReadPlatformClock(void*) {
    return timeGetTime();
}

// COLORONCOLOR first, then each changed band of the bottom-up surface with a call of its own:
// the header and all the scan lines of the whole surface, the band as the source rectangle,
// whose origin SetDIBitsToDevice counts from the bottom row. A minimised window, or one that
// is wholly covered, is sent nothing; the frame that reaches it again brings everything.
bool ShowFrameInWindow(void* windowHandle, const FrameView& frame) {
    HWND window = static_cast<HWND>(windowHandle);
    HDC dc = IsIconic(window) ? nullptr : GetDC(window);
    RECT visible = {};
    if (dc == nullptr || GetClipBox(dc, &visible) == NULLREGION) {
        if (dc != nullptr) ReleaseDC(window, dc);
        return false;
    }
    bool shown = true;
    const BitmapInfoHeader& header = frame.header;
    SetStretchBltMode(dc, COLORONCOLOR);
    for (int32_t i = 0; i < frame.changedCount; ++i) {
        const FrameBand& band = frame.changed[i];
        if (SetDIBitsToDevice(dc, band.left, band.top, static_cast<DWORD>(band.right - band.left),
                              static_cast<DWORD>(band.bottom - band.top), band.left,
                              header.biHeight - band.bottom, 0, static_cast<UINT>(header.biHeight),
                              frame.bits, reinterpret_cast<const BITMAPINFO*>(&header),
                              DIB_RGB_COLORS) == 0)
            shown = false;
    }
    ReleaseDC(window, dc);
    return shown;
}

intptr_t ReadForegroundWindow() {
    return reinterpret_cast<intptr_t>(GetForegroundWindow());
}
