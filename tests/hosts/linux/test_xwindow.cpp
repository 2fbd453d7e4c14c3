// Test fixture: stands in for XScreenSaver by creating a plain X window of the size asked for,
// with a grey background so a test can tell whether anyone drew over it. Prints the window id
// in decimal on stdout and then keeps the window until it is sent a signal. With --cursor it
// instead prints whether the pointer shows a cursor now ("visible") or a blank one ("hidden");
// --blank-after N sets the X server's own screen saver to start after N idle seconds, and
// --saver-state prints whether it is running now ("on", "off", or "disabled"). --argb makes the
// window's visual a 32-bit one with alpha, as a compositing desktop gives; --transparent XID
// prints how many of that window's pixels are not opaque, --bright XID how many have a colour
// channel of 64 or more (import cannot read a window beyond the size the server had when the
// connection opened, as on a display xrandr made larger). --input-only: an InputOnly window.
//   usage: tolva-test-xwindow WIDTH HEIGHT [--argb | --input-only] | --cursor | --blank-after N
//          | --saver-state | --transparent XID | --bright XID
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/scrnsaver.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int PrintCursorState() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase)) return 1;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) return 1;
    bool anyPixel = false;
    for (int i = 0; i < image->width * image->height; ++i)
        if ((image->pixels[i] >> 24) != 0) anyPixel = true;  // alpha of an ARGB pixel
    XFree(image);
    XCloseDisplay(display);
    std::puts(anyPixel ? "visible" : "hidden");
    return 0;
}

// The server's saver (what SDL suspends to keep a display awake) stands for the display sleeping.
int ServerSaver(int blankAfter) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    if (blankAfter > 0) {
        XSetScreenSaver(display, blankAfter, 0, DontPreferBlanking, DefaultExposures);
    } else {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (info == nullptr || !XScreenSaverQueryInfo(display, DefaultRootWindow(display), info))
            return 1;
        std::puts(info->state == ScreenSaverOn    ? "on"
                  : info->state == ScreenSaverOff ? "off"
                                                  : "disabled");
        XFree(info);
    }
    XCloseDisplay(display);
    return 0;
}

int CountPixels(Window window, bool transparent) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) ||
        (transparent && attributes.depth != 32))
        return 1;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return 1;
    long count = 0;
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            if (transparent ? (pixel >> 24) != 0xFF
                            : ((pixel >> 16) & 0xFF) >= 64 || ((pixel >> 8) & 0xFF) >= 64 ||
                                  (pixel & 0xFF) >= 64)
                ++count;
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    std::printf("%ld\n", count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--cursor") return PrintCursorState();
    if (argc == 2 && std::string(argv[1]) == "--saver-state") return ServerSaver(0);
    if (argc == 3 && std::string(argv[1]) == "--blank-after")
        return std::atoi(argv[2]) > 0 ? ServerSaver(std::atoi(argv[2])) : 2;
    if (argc == 3 && std::string(argv[1]) == "--transparent")
        return CountPixels(std::strtoul(argv[2], nullptr, 0), true);
    if (argc == 3 && std::string(argv[1]) == "--bright")
        return CountPixels(std::strtoul(argv[2], nullptr, 0), false);
    const bool argb = argc == 4 && std::string(argv[3]) == "--argb";
    const bool inputOnly = argc == 4 && std::string(argv[3]) == "--input-only";
    if (argc != 3 && !argb && !inputOnly) {
        std::fputs(
            "usage: tolva-test-xwindow WIDTH HEIGHT [--argb] | --cursor | --blank-after N |"
            " --saver-state | --transparent XID\n",
            stderr);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    if (width < 1 || height < 1) return 2;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("tolva-test-xwindow: cannot open the display\n", stderr);
        return 1;
    }
    XVisualInfo visual{};
    visual.visual = DefaultVisual(display, DefaultScreen(display));
    visual.depth = DefaultDepth(display, DefaultScreen(display));
    if (argb && !XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &visual)) {
        std::fputs("tolva-test-xwindow: no 32-bit visual\n", stderr);
        return 1;
    }
    XSetWindowAttributes attributes{};
    attributes.background_pixel = argb ? 0xFF404040 : 0x404040;  // grey, opaque
    attributes.border_pixel = 0;
    attributes.colormap =
        XCreateColormap(display, DefaultRootWindow(display), visual.visual, AllocNone);
    const Window window =
        XCreateWindow(display, DefaultRootWindow(display), 10, 10, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, inputOnly ? 0 : visual.depth,
                      inputOnly ? InputOnly : InputOutput, visual.visual,
                      inputOnly ? 0 : CWBackPixel | CWBorderPixel | CWColormap, &attributes);
    XStoreName(display, window, "tolva-test-xwindow");
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("%lu\n", window);
    std::fflush(stdout);
    // The window lives as long as the connection; the test ends us with a signal.
    for (;;) pause();
}
