// The X window of the Xlib presenter, chosen or created.
#include "hosts/linux/x11_window.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdint>

namespace {

// A screen's monitors (RandR 1.5), or none where the server cannot list them; free with
// XRRFreeMonitors.
XRRMonitorInfo* ScreenMonitors(Display* display, int screen, int* count) {
    *count = 0;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 5))
        return nullptr;
    return XRRGetMonitors(display, RootWindow(display, screen), True, count);
}

int64_t Overlap(int start, int length, int otherStart, int otherLength) {
    return std::max(
        0, std::min(start + length, otherStart + otherLength) - std::max(start, otherStart));
}

}  // namespace

int OpenChosenXWindow(Display* display, const ViewerOptions& options, ChosenXWindow* chosen) {
    *chosen = ChosenXWindow{};
    // The window's size, end, exposures and visibility are all the presenter follows; a foreign
    // window's owner (XScreenSaver) reads its input. The events are chosen before the window
    // can be mapped: a MapNotify that comes before them is lost, and the presenter would take
    // the window for unmapped and send it nothing. The owner of a foreign window may map it
    // at any moment, so they are chosen before the presenter first asks about the window.
    chosen->eventMask = StructureNotifyMask | ExposureMask | VisibilityChangeMask;
    if (options.mode != ViewerMode::OwnXWindow) {
        chosen->window = options.windowId != 0 ? options.windowId : DefaultRootWindow(display);
        XSelectInput(display, chosen->window, chosen->eventMask);
        return 1;
    }
    chosen->eventMask |= KeyPressMask;
    const int screen = DefaultScreen(display);
    XSizeHints hints{};
    hints.flags = PSize;
    hints.width = options.width;
    hints.height = options.height;
    if (options.positionGiven) {
        hints.flags |= USPosition | USSize | PWinGravity;
        hints.x = options.xFromRight ? DisplayWidth(display, screen) - options.width - options.x
                                     : options.x;
        hints.y = options.yFromBottom ? DisplayHeight(display, screen) - options.height - options.y
                                      : options.y;
        hints.win_gravity = options.xFromRight
                                ? (options.yFromBottom ? SouthEastGravity : NorthEastGravity)
                                : (options.yFromBottom ? SouthWestGravity : NorthWestGravity);
    }
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.border_pixel = BlackPixel(display, screen);
    attributes.event_mask = chosen->eventMask;
    chosen->window =
        XCreateWindow(display, RootWindow(display, screen), hints.x, hints.y,
                      static_cast<unsigned>(options.width), static_cast<unsigned>(options.height),
                      0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    if (chosen->window == 0) return 0;
    chosen->own = true;
    XSetWMNormalHints(display, chosen->window, &hints);
    XStoreName(display, chosen->window, "TOLVA");
    XClassHint classHint{};
    char name[] = "tolva";
    char windowClass[] = "Tolva";
    classHint.res_name = name;
    classHint.res_class = windowClass;
    XSetClassHint(display, chosen->window, &classHint);
    chosen->closeMessage = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, chosen->window, &chosen->closeMessage, 1);
    XMapWindow(display, chosen->window);
    return 1;
}

int WindowMonitor(Display* display, Window window, const XWindowAttributes& attributes) {
    const int screen = XScreenNumberOfScreen(attributes.screen);
    int place = 0;
    for (int before = 0; before < screen; ++before) {
        int count = 0;
        if (XRRMonitorInfo* monitors = ScreenMonitors(display, before, &count))
            XRRFreeMonitors(monitors);
        place += std::max(count, 1);
    }
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, RootWindow(display, screen), 0, 0, &x, &y, &child);
    int count = 0;
    XRRMonitorInfo* monitors = ScreenMonitors(display, screen, &count);
    int64_t mostShown = 0;
    int best = 0;
    int order = 0;
    for (const bool primary : {true, false})
        for (int i = 0; i < count; ++i) {
            const XRRMonitorInfo& monitor = monitors[i];
            if ((monitor.primary != 0) != primary) continue;
            const int64_t shown = Overlap(x, attributes.width, monitor.x, monitor.width) *
                                  Overlap(y, attributes.height, monitor.y, monitor.height);
            if (shown > mostShown) {
                mostShown = shown;
                best = order;
            }
            ++order;
        }
    if (monitors != nullptr) XRRFreeMonitors(monitors);
    return place + best;
}

int OwnWindowCloseRequested(const ChosenXWindow& chosen, XEvent* event) {
    if (!chosen.own) return 0;
    if (event->type == ClientMessage && event->xclient.window == chosen.window)
        return static_cast<Atom>(event->xclient.data.l[0]) == chosen.closeMessage ? 1 : 0;
    if (event->type == KeyPress && event->xkey.window == chosen.window) {
        const KeySym key = XLookupKeysym(&event->xkey, 0);
        return key == XK_Escape || key == XK_q ? 1 : 0;
    }
    return 0;
}
