// The Xlib presenter: draws into a window that someone else owns, the one XScreenSaver hands
// a hack (-window-id, $XSCREENSAVER_WINDOW) or the root window (-root), or into a window of its
// own (-window); x11_window.h chooses. SDL_CreateWindowFrom is known to miss a foreign window's
// size and events, so frames go out with XPutImage, through MIT-SHM shared memory where the
// server offers it. A foreign window's owner handles input; this only follows the window's
// size (a new size restarts the animation), ends cleanly with exit code 0 on SIGTERM, SIGINT
// or SIGHUP, and ends quietly when the window goes away.
// The image keeps the last frame shown; each frame converts and sends only its changed bands,
// an exposure brings the whole next frame, and an unmapped or fully covered window is sent
// nothing (the animation goes on).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "host/fps_overlay.h"
#include "host/pixel_conversion.h"
#include "hosts/linux/frame_loop.h"
#include "hosts/linux/presenters.h"
#include "hosts/linux/x11_window.h"
#include "surface/frame.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) {
    stopRequested = 1;
}

// X errors arrive asynchronously; the presenter checks this after each XSync.
int lastXError = 0;
int RecordXError(Display*, XErrorEvent* event) {
    lastXError = event->error_code;
    return 0;
}

struct ChannelShift {
    int shift = 0;  // of the channel's lowest bit
    int bits = 0;
};

ChannelShift ShiftOf(unsigned long mask) {
    ChannelShift channel;
    if (mask == 0) return channel;
    while (((mask >> channel.shift) & 1) == 0) ++channel.shift;
    while (((mask >> (channel.shift + channel.bits)) & 1) != 0) ++channel.bits;
    return channel;
}

unsigned long Place(uint8_t value, ChannelShift channel) {
    const unsigned long scaled = channel.bits >= 8
                                     ? static_cast<unsigned long>(value) << (channel.bits - 8)
                                     : static_cast<unsigned long>(value) >> (8 - channel.bits);
    return scaled << channel.shift;
}

struct XScreenTarget {
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    bool shmAvailable = false;
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    bool usingShm = false;
    int width = 0;
    int height = 0;
    ChannelShift red, green, blue;
    // The bits of a pixel that are no colour: alpha in a 32-bit (ARGB) visual, set so that a
    // compositor shows the picture opaque; none in a 24-bit one.
    unsigned long alpha = 0;
    uint8_t black[4] = {};  // an opaque black pixel as the image lays it out, for -fps
    bool fastPath = false;  // 32-bit pixels, 8 bits a channel at 16, 8, 0, native byte order
    PixelRowConversion convert = nullptr;
    bool unmapped = false;
    bool fullyObscured = false;
    ViewerLoop* loop = nullptr;
    FpsOverlay* fps = nullptr;  // null unless -fps
    XTargetWindow chosen;       // with its own window's close request
};

void ReleaseImage(XScreenTarget* target) {
    if (target->image == nullptr) return;
    if (target->usingShm) {
        XShmDetach(target->display, &target->shm);
        XSync(target->display, False);
        XDestroyImage(target->image);
        shmdt(target->shm.shmaddr);
    } else {
        XDestroyImage(target->image);  // frees the pixel buffer too
    }
    target->image = nullptr;
    target->usingShm = false;
}

XImage* CreateShmImage(XScreenTarget* target, int width, int height) {
    XImage* image = XShmCreateImage(
        target->display, target->visual, static_cast<unsigned>(target->depth), ZPixmap, nullptr,
        &target->shm, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr) return nullptr;
    target->shm.shmid =
        shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
    if (target->shm.shmid < 0) {
        XDestroyImage(image);
        return nullptr;
    }
    target->shm.shmaddr = image->data = static_cast<char*>(shmat(target->shm.shmid, nullptr, 0));
    target->shm.readOnly = False;
    // Marked for removal now, so the segment goes away with the last user even after a crash.
    shmctl(target->shm.shmid, IPC_RMID, nullptr);
    if (target->shm.shmaddr == reinterpret_cast<char*>(-1)) {
        image->data = nullptr;
        XDestroyImage(image);
        return nullptr;
    }
    // A server on another machine accepts the request and fails it later: check now.
    lastXError = 0;
    XShmAttach(target->display, &target->shm);
    XSync(target->display, False);
    if (lastXError != 0) {
        XDestroyImage(image);
        shmdt(target->shm.shmaddr);
        return nullptr;
    }
    return image;
}

int CreateImage(XScreenTarget* target, int width, int height) {
    ReleaseImage(target);
    if (target->shmAvailable) {
        target->image = CreateShmImage(target, width, height);
        if (target->image != nullptr) {
            target->usingShm = true;
        } else {
            target->shmAvailable = false;  // no second try
        }
    }
    if (target->image == nullptr) {
        target->image = XCreateImage(
            target->display, target->visual, static_cast<unsigned>(target->depth), ZPixmap, 0,
            nullptr, static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (target->image == nullptr) return 0;
        target->image->data = static_cast<char*>(
            std::calloc(static_cast<size_t>(target->image->bytes_per_line), height));
        if (target->image->data == nullptr) {
            XDestroyImage(target->image);
            target->image = nullptr;
            return 0;
        }
    }
    const XImage& image = *target->image;
    const uint16_t probe = 1;
    const bool hostLsbFirst = *reinterpret_cast<const uint8_t*>(&probe) == 1;
    target->fastPath = image.bits_per_pixel == 32 && image.red_mask == 0xFF0000 &&
                       image.green_mask == 0xFF00 && image.blue_mask == 0xFF &&
                       (image.byte_order == LSBFirst) == hostLsbFirst;
    target->red = ShiftOf(image.red_mask);
    target->green = ShiftOf(image.green_mask);
    target->blue = ShiftOf(image.blue_mask);
    const unsigned long depthBits = target->depth >= 32 ? 0xFFFFFFFFul : (1ul << target->depth) - 1;
    target->alpha = depthBits & ~(image.red_mask | image.green_mask | image.blue_mask);
    const int bytesPerPixel = image.bits_per_pixel / 8;
    for (int i = 0; i < bytesPerPixel && i < 4; ++i) {
        const int shift = 8 * (image.byte_order == LSBFirst ? i : bytesPerPixel - 1 - i);
        target->black[i] = static_cast<uint8_t>(target->alpha >> shift);
    }
    target->width = width;
    target->height = height;
    return 1;
}

// Brings the image's pixels in band up to the frame's.
void ConvertBand(XScreenTarget* target, const FrameView& frame, const FrameBand& band) {
    XImage* image = target->image;
    if (target->fastPath) {
        ConvertFrameBand(frame, band,
                         reinterpret_cast<uint8_t*>(image->data) +
                             static_cast<size_t>(band.top) * image->bytes_per_line +
                             static_cast<size_t>(band.left) * 4,
                         static_cast<size_t>(image->bytes_per_line), target->convert);
        return;
    }
    for (int y = band.top; y < band.bottom; ++y) {
        const uint8_t* in = FramePixel(frame, band.left, y);
        for (int x = band.left; x < band.right; ++x, in += 3)
            XPutPixel(image, x, y,
                      target->alpha | Place(in[2], target->red) | Place(in[1], target->green) |
                          Place(in[0], target->blue));
    }
}

void SendBand(XScreenTarget* target, const FrameBand& band) {
    if (band.bottom <= band.top || band.right <= band.left) return;
    const auto width = static_cast<unsigned>(band.right - band.left);
    const auto height = static_cast<unsigned>(band.bottom - band.top);
    if (target->usingShm)
        XShmPutImage(target->display, target->window, target->gc, target->image, band.left,
                     band.top, band.left, band.top, width, height, False);
    else
        XPutImage(target->display, target->window, target->gc, target->image, band.left, band.top,
                  band.left, band.top, width, height);
}

Presented ShowFrame(void* where, const FrameView& frame) {
    auto* target = static_cast<XScreenTarget*>(where);
    if (target->image == nullptr || frame.header.biWidth != target->width ||
        frame.header.biHeight != target->height)
        return Presented::NotShown;
    if (target->unmapped || target->fullyObscured) {
        return Presented::NotShown;  // nothing of it would reach the screen
    }
    XImage* image = target->image;
    lastXError = 0;
    for (int32_t i = 0; i < frame.changedCount; ++i) ConvertBand(target, frame, frame.changed[i]);
    FrameBand corner{0, 0, 0, 0};
    if (target->fps != nullptr && image->bits_per_pixel % 8 == 0) {
        // The text goes over the frame's own pixels, which come back first.
        corner = CornerTextBand(target->width, target->height);
        ConvertBand(target, frame, corner);
        target->fps->DrawOnFrame(reinterpret_cast<uint8_t*>(image->data), target->width,
                                 target->height, static_cast<size_t>(image->bytes_per_line),
                                 image->bits_per_pixel / 8, target->black);
    }
    for (int32_t i = 0; i < frame.changedCount; ++i) SendBand(target, frame.changed[i]);
    SendBand(target, corner);
    // Waiting for the server keeps us from writing into shared memory it is still reading,
    // and from queueing frames faster than it shows them.
    XSync(target->display, False);
    // The owner destroyed its window between two frames: nothing left to draw into.
    if (lastXError == BadWindow || lastXError == BadDrawable) return Presented::WindowGone;
    return lastXError == 0 ? Presented::Shown : Presented::NotShown;
}

// A new image and a fresh animation for the window's size.
int Restart(XScreenTarget* target, int width, int height) {
    if (width > INT16_MAX) width = INT16_MAX;
    if (height > INT16_MAX) height = INT16_MAX;
    if (!CreateImage(target, width, height)) {
        std::fprintf(stderr, "tolva: cannot allocate a %dx%d image\n", width, height);
        return 0;
    }
    target->loop->Restart(width, height);
    return 1;
}

LoopStep HandleEvents(void* where, int waitMilliseconds) {
    auto* target = static_cast<XScreenTarget*>(where);
    Display* display = target->display;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if ((event.type == DestroyNotify && event.xdestroywindow.window == target->window) ||
            OwnWindowCloseRequested(target->chosen, &event))
            return LoopStep::Stop;
        // What the window showed is gone where it was exposed; nothing shows while it is
        // unmapped or fully covered.
        if (event.type == Expose && event.xexpose.window == target->window)
            target->loop->ShowWholeNextFrame();
        if (event.type == VisibilityNotify && event.xvisibility.window == target->window)
            target->fullyObscured = event.xvisibility.state == VisibilityFullyObscured;
        if (event.type == UnmapNotify && event.xunmap.window == target->window)
            target->unmapped = true;
        if (event.type == MapNotify && event.xmap.window == target->window)
            target->unmapped = false;
        if (event.type == ConfigureNotify && event.xconfigure.window == target->window &&
            (event.xconfigure.width != target->width ||
             event.xconfigure.height != target->height) &&
            !Restart(target, event.xconfigure.width, event.xconfigure.height))
            return LoopStep::Fail;
    }
    if (waitMilliseconds > 0 && !stopRequested) {
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, waitMilliseconds);  // EINTR: a stop request
    }
    return LoopStep::Continue;
}

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: poll() must return to see the request
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int RunX11Viewer(const ViewerOptions& options, uint32_t trailCount, int32_t colorMode) {
    CatchStopSignals();
    ViewerLoop loop(options, trailCount, colorMode);
    XScreenTarget target;
    target.loop = &loop;
    const char* displayName = options.displayName.empty() ? nullptr : options.displayName.c_str();
    target.display = XOpenDisplay(displayName);
    if (target.display == nullptr) {
        std::fprintf(stderr, "tolva: cannot open the display %s\n", XDisplayName(displayName));
        return 1;
    }
    XSetErrorHandler(RecordXError);
    Display* display = target.display;
    if (!OpenXTargetWindow(display, options, &target.chosen)) {
        std::fprintf(stderr, "tolva: cannot create a window\n");
        XCloseDisplay(display);
        return 1;
    }
    target.window = target.chosen.window;
    FpsOverlay fps;
    if (options.showFps) target.fps = &fps;
    XWindowAttributes attributes{};
    lastXError = 0;
    if (!XGetWindowAttributes(display, target.window, &attributes) || lastXError != 0) {
        std::fprintf(stderr, "tolva: no window 0x%lx on this display\n", target.window);
        XCloseDisplay(display);
        return 1;
    }
    target.visual = attributes.visual;
    target.depth = attributes.depth;
    if (target.visual->c_class != TrueColor && target.visual->c_class != DirectColor) {
        std::fprintf(stderr, "tolva: window 0x%lx has no true-colour visual\n", target.window);
        XCloseDisplay(display);
        return 1;
    }
    target.shmAvailable =
        XShmQueryExtension(display) != False && std::getenv("TOLVA_NO_SHM") == nullptr;
    target.unmapped = attributes.map_state == IsUnmapped;
    target.convert = BestPixelConversion().convert;
    target.gc = XCreateGC(display, target.window, 0, nullptr);
    int exitCode = 1;
    if (Restart(&target, attributes.width, attributes.height))
        exitCode = loop.Run(FramePresenter{&target, HandleEvents, ShowFrame}, &stopRequested);
    ReleaseImage(&target);
    XFreeGC(display, target.gc);
    XCloseDisplay(display);
    return exitCode;
}
