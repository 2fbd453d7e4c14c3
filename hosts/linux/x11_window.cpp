// The X window of the Xlib presenter, chosen or created.
#include "hosts/linux/x11_window.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

int OpenXTargetWindow(Display* display, const ViewerOptions& options, XTargetWindow* target) {
    *target = XTargetWindow{};
    // The size and end of the window are all the presenter follows; a foreign window's owner
    // (XScreenSaver) reads its input.
    target->eventMask = StructureNotifyMask;
    if (options.mode != ViewerMode::OwnXWindow) {
        target->window = options.windowId != 0 ? options.windowId : DefaultRootWindow(display);
        return 1;
    }
    const int screen = DefaultScreen(display);
    target->window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                         static_cast<unsigned>(options.width),
                                         static_cast<unsigned>(options.height), 0,
                                         BlackPixel(display, screen), BlackPixel(display, screen));
    if (target->window == 0) return 0;
    target->own = true;
    target->eventMask |= KeyPressMask;
    XStoreName(display, target->window, "TOLVA");
    XClassHint classHint{};
    char name[] = "tolva";
    char windowClass[] = "Tolva";
    classHint.res_name = name;
    classHint.res_class = windowClass;
    XSetClassHint(display, target->window, &classHint);
    target->closeMessage = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, target->window, &target->closeMessage, 1);
    XMapWindow(display, target->window);
    return 1;
}

int OwnWindowCloseRequested(const XTargetWindow& target, XEvent* event) {
    if (!target.own) return 0;
    if (event->type == ClientMessage && event->xclient.window == target.window)
        return static_cast<Atom>(event->xclient.data.l[0]) == target.closeMessage ? 1 : 0;
    if (event->type == KeyPress && event->xkey.window == target.window) {
        const KeySym key = XLookupKeysym(&event->xkey, 0);
        return key == XK_Escape || key == XK_q ? 1 : 0;
    }
    return 0;
}
