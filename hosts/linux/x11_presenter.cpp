// The Xlib presenter: draws into a window that someone else owns, the one XScreenSaver hands
// a hack (-window-id, $XSCREENSAVER_WINDOW) or the root window (-root), or into a window of its
// own (-window); x11_window.h chooses. SDL_CreateWindowFrom is known to miss a foreign window's
// size and events, so frames go out with XPutImage, through MIT-SHM shared memory where the
// server offers it. A foreign window's owner handles input (a window of its own ends on its
// close box, Escape or q); this only follows the window's size (a new size restarts the
// animation), ends cleanly with exit code 0 on SIGTERM, SIGINT or SIGHUP, and ends quietly when
// the window goes away.
// The image keeps the last frame shown. Where the visual is TrueColor with 8-bit channels on
// byte boundaries (depth 24 and 32, the ARGB visual of a compositing desktop) the animation
// draws each frame straight into the image; other visuals (depth 16, depth 30, odd masks) get
// the changed bands of its own frame converted. Each frame sends only its changed bands (a frame
// with none is neither put nor synced), and an exposure brings the whole next frame.
// While the window is unmapped or fully covered, or the monitor is asleep, the presenter waits
// on the X connection with no time-out: the animation pauses, and costs no processor time,
// until it can be seen again. The scale is the display's Xft.dpi / 96. The animation is the
// one of the monitor the window covers, so that XScreenSaver's hacks differ from head to head.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/dpms.h>
#include <poll.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "hosts/linux/fps_overlay.h"
#include "hosts/linux/frame_loop.h"
#include "hosts/linux/pixel_conversion.h"
#include "hosts/linux/presenters.h"
#include "hosts/linux/window_image.h"
#include "hosts/linux/x11_scale.h"
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

struct XWindowPresenter {
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
    // The image's pixels. The bits that are no colour are alpha in a 32-bit (ARGB) visual, set
    // so that a compositor shows the picture opaque; none in a 24-bit one.
    MaskedFormat format;
    uint8_t black[4] = {};  // an opaque black pixel as the image lays it out, for -fps
    bool unmapped = false;
    bool fullyObscured = false;
    bool dpms = false;          // the server can say whether the monitor is on
    sigset_t waitingSignals;    // the signal mask while waiting: the stop signals let through
    FpsOverlay* fps = nullptr;  // null unless -fps
    ChosenXWindow chosen;       // with its own window's close request
};

void ReleaseImage(XWindowPresenter* presenter) {
    if (presenter->image == nullptr) return;
    if (presenter->usingShm) {
        XShmDetach(presenter->display, &presenter->shm);
        XSync(presenter->display, False);
        XDestroyImage(presenter->image);
        shmdt(presenter->shm.shmaddr);
    } else {
        XDestroyImage(presenter->image);  // frees the pixel buffer too
    }
    presenter->image = nullptr;
    presenter->usingShm = false;
}

XImage* CreateShmImage(XWindowPresenter* presenter, int width, int height) {
    XImage* image = XShmCreateImage(
        presenter->display, presenter->visual, static_cast<unsigned>(presenter->depth), ZPixmap,
        nullptr, &presenter->shm, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr) return nullptr;
    presenter->shm.shmid =
        shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
    if (presenter->shm.shmid < 0) {
        XDestroyImage(image);
        return nullptr;
    }
    presenter->shm.shmaddr = image->data =
        static_cast<char*>(shmat(presenter->shm.shmid, nullptr, 0));
    presenter->shm.readOnly = False;
    // Marked for removal now, so the segment goes away with the last user even after a crash.
    shmctl(presenter->shm.shmid, IPC_RMID, nullptr);
    if (presenter->shm.shmaddr == reinterpret_cast<char*>(-1)) {
        image->data = nullptr;
        XDestroyImage(image);
        return nullptr;
    }
    // A server on another machine accepts the request and fails it later: check now.
    lastXError = 0;
    XShmAttach(presenter->display, &presenter->shm);
    XSync(presenter->display, False);
    if (lastXError != 0) {
        XDestroyImage(image);
        shmdt(presenter->shm.shmaddr);
        return nullptr;
    }
    return image;
}

int CreateImage(XWindowPresenter* presenter, int width, int height) {
    ReleaseImage(presenter);
    if (presenter->shmAvailable) {
        presenter->image = CreateShmImage(presenter, width, height);
        if (presenter->image != nullptr) {
            presenter->usingShm = true;
        } else {
            presenter->shmAvailable = false;  // no second try
        }
    }
    if (presenter->image == nullptr) {
        presenter->image = XCreateImage(
            presenter->display, presenter->visual, static_cast<unsigned>(presenter->depth), ZPixmap,
            0, nullptr, static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (presenter->image == nullptr) return 0;
        presenter->image->data = static_cast<char*>(
            std::calloc(static_cast<size_t>(presenter->image->bytes_per_line), height));
        if (presenter->image->data == nullptr) {
            XDestroyImage(presenter->image);
            presenter->image = nullptr;
            return 0;
        }
    }
    const XImage& image = *presenter->image;
    if (image.bits_per_pixel % 8 != 0 || image.bits_per_pixel > 32) {
        std::fprintf(stderr, "tolva: cannot draw %d-bit pixels\n", image.bits_per_pixel);
        ReleaseImage(presenter);
        return 0;
    }
    const unsigned long depthBits =
        presenter->depth >= 32 ? 0xFFFFFFFFul : (1ul << presenter->depth) - 1;
    MaskedFormat& format = presenter->format;
    format.red = static_cast<uint32_t>(image.red_mask);
    format.green = static_cast<uint32_t>(image.green_mask);
    format.blue = static_cast<uint32_t>(image.blue_mask);
    format.alpha =
        static_cast<uint32_t>(depthBits & ~(image.red_mask | image.green_mask | image.blue_mask));
    format.bytesPerPixel = image.bits_per_pixel / 8;
    format.lsbFirst = image.byte_order == LSBFirst;
    OpaqueBlack(format, presenter->black);
    presenter->width = width;
    presenter->height = height;
    return 1;
}

WindowImage ImageOf(const XWindowPresenter& presenter) {
    return WindowImage{
        reinterpret_cast<uint8_t*>(presenter.image->data),    presenter.width,  presenter.height,
        static_cast<size_t>(presenter.image->bytes_per_line), presenter.format, presenter.black};
}

PixelMemory ImageMemoryOf(void* self, int) {
    const auto* presenter = static_cast<const XWindowPresenter*>(self);
    return presenter->image != nullptr ? ImageMemory(ImageOf(*presenter)) : PixelMemory{};
}

void SendBand(XWindowPresenter* presenter, const FrameBand& band) {
    const auto width = static_cast<unsigned>(band.right - band.left);
    const auto height = static_cast<unsigned>(band.bottom - band.top);
    if (presenter->usingShm)
        XShmPutImage(presenter->display, presenter->window, presenter->gc, presenter->image,
                     band.left, band.top, band.left, band.top, width, height, False);
    else
        XPutImage(presenter->display, presenter->window, presenter->gc, presenter->image, band.left,
                  band.top, band.left, band.top, width, height);
}

ShowOutcome ShowFrame(void* self, int, const FrameView& frame) {
    auto* presenter = static_cast<XWindowPresenter*>(self);
    if (presenter->image == nullptr || frame.header.biWidth != presenter->width ||
        frame.header.biHeight != presenter->height)
        return ShowOutcome::NotShown;
    if (presenter->unmapped || presenter->fullyObscured) {
        return ShowOutcome::NotShown;  // nothing of it would reach the screen
    }
    const WindowImage image = ImageOf(*presenter);
    FrameBand bands[MaxSentBands];
    const int32_t count = PrepareBands(frame, image, presenter->fps, bands);
    if (count == 0) return ShowOutcome::Shown;
    lastXError = 0;
    for (int32_t i = 0; i < count; ++i) SendBand(presenter, bands[i]);
    // Waiting for the server keeps us from writing into shared memory it is still reading,
    // and from queueing frames faster than it shows them.
    XSync(presenter->display, False);
    FinishBands(image, presenter->fps);
    // The owner destroyed its window between two frames: nothing left to draw into.
    if (lastXError == BadWindow || lastXError == BadDrawable) return ShowOutcome::WindowGone;
    return lastXError == 0 ? ShowOutcome::Shown : ShowOutcome::NotShown;
}

// A new image for the window's size, told to the loop in *news.
int Resize(XWindowPresenter* presenter, int width, int height, WindowNews* news) {
    width = DrawableSide(width);
    height = DrawableSide(height);
    if (!CreateImage(presenter, width, height)) {
        std::fprintf(stderr, "tolva: cannot allocate a %dx%d image\n", width, height);
        return 0;
    }
    *news = WindowNews{true, true, width, height};
    return 1;
}

// Handles the events Xlib has or the server has sent. Returns 0 when one ends the loop, with
// news->step saying how.
int HandlePending(XWindowPresenter* presenter, EventNews* news) {
    Display* display = presenter->display;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if ((event.type == DestroyNotify && event.xdestroywindow.window == presenter->window) ||
            OwnWindowCloseRequested(presenter->chosen, &event)) {
            news->step = LoopStep::Stop;
            return 0;
        }
        // What the window showed is gone where it was exposed; nothing shows while it is
        // unmapped or fully covered.
        if (event.type == Expose && event.xexpose.window == presenter->window)
            news->windows[0].lostPicture = true;
        if (event.type == VisibilityNotify && event.xvisibility.window == presenter->window)
            presenter->fullyObscured = event.xvisibility.state == VisibilityFullyObscured;
        if (event.type == UnmapNotify && event.xunmap.window == presenter->window)
            presenter->unmapped = true;
        if (event.type == MapNotify && event.xmap.window == presenter->window)
            presenter->unmapped = false;
        if (event.type == ConfigureNotify && event.xconfigure.window == presenter->window &&
            (event.xconfigure.width != presenter->width ||
             event.xconfigure.height != presenter->height) &&
            !Resize(presenter, event.xconfigure.width, event.xconfigure.height,
                    &news->windows[0])) {
            news->step = LoopStep::Fail;
            return 0;
        }
    }
    return 1;
}

// Whether anything drawn now could be seen.
bool Seen(const XWindowPresenter& presenter) {
    if (presenter.unmapped || presenter.fullyObscured) return false;
    if (!presenter.dpms) return true;
    // Bookworm's libXext has no DPMSSelectInput, so no event says when the monitor sleeps or
    // wakes: the state is asked again on each event and whenever a frame is due. A monitor
    // wakes for input, which XScreenSaver answers by ending the hack anyway.
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    return !DPMSInfo(presenter.display, &level, &enabled) || !enabled || level == DPMSModeOn;
}

// Waits for the X connection, at most milliseconds (-1: no limit, 0: only looks). The stop
// signals are blocked everywhere but here, so one that comes while a frame is drawn is taken
// here at once; every pass of the loop comes here, also when the next frame is already due.
void WaitForServer(XWindowPresenter* presenter, int milliseconds) {
    // A round trip (DPMSInfo) may have queued events that the connection no longer shows.
    if (XEventsQueued(presenter->display, QueuedAlready) > 0) milliseconds = 0;
    pollfd connection{ConnectionNumber(presenter->display), POLLIN, 0};
    const timespec limit{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    ppoll(&connection, 1, milliseconds < 0 ? nullptr : &limit, &presenter->waitingSignals);
}

void HandleEvents(void* self, int waitMilliseconds, EventNews* news) {
    auto* presenter = static_cast<XWindowPresenter*>(self);
    if (!HandlePending(presenter, news)) return;
    if (!Seen(*presenter)) {
        while (!stopRequested && !Seen(*presenter)) {
            WaitForServer(presenter, -1);
            if (!HandlePending(presenter, news)) return;
        }
        news->windows[0].lostPicture = true;  // seen again: the frame due goes out whole
        return;
    }
    if (!stopRequested) WaitForServer(presenter, waitMilliseconds);
}

// Blocks the stop signals but for the waits, whose mask goes into *waiting.
void CatchStopSignals(sigset_t* waiting) {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
        sigaddset(&stops, signal);
    }
    sigprocmask(SIG_BLOCK, &stops, waiting);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigdelset(waiting, signal);
}

// Opens the window options choose, or finds it, and takes its visual and depth, with its
// attributes in *attributes. Returns 1, or 0, said on stderr, when it cannot be had or drawn
// into.
int OpenWindow(XWindowPresenter* presenter, const ViewerOptions& options,
               XWindowAttributes* attributes) {
    if (!OpenChosenXWindow(presenter->display, options, &presenter->chosen)) {
        std::fprintf(stderr, "tolva: cannot create a window\n");
        return 0;
    }
    presenter->window = presenter->chosen.window;
    lastXError = 0;
    if (!XGetWindowAttributes(presenter->display, presenter->window, attributes) ||
        lastXError != 0) {
        std::fprintf(stderr, "tolva: no window 0x%lx on this display\n", presenter->window);
        return 0;
    }
    if (attributes->c_class == InputOnly) {
        std::fprintf(stderr, "tolva: window 0x%lx is input-only: nothing can be drawn into it\n",
                     presenter->window);
        return 0;
    }
    presenter->visual = attributes->visual;
    presenter->depth = attributes->depth;
    if (presenter->visual->c_class != TrueColor && presenter->visual->c_class != DirectColor) {
        std::fprintf(stderr, "tolva: window 0x%lx has no true-colour visual\n", presenter->window);
        return 0;
    }
    return 1;
}

}  // namespace

int RunX11Viewer(const ViewerOptions& options, const AnimationStart& animation) {
    XWindowPresenter presenter;
    CatchStopSignals(&presenter.waitingSignals);
    const char* displayName = options.displayName.empty() ? nullptr : options.displayName.c_str();
    presenter.display = XOpenDisplay(displayName);
    if (presenter.display == nullptr) {
        ReportNoDisplay(XDisplayName(displayName));
        return 1;
    }
    XSetErrorHandler(RecordXError);
    Display* display = presenter.display;
    int dpmsEvent = 0;
    int dpmsError = 0;
    presenter.dpms = DPMSQueryExtension(display, &dpmsEvent, &dpmsError) && DPMSCapable(display);
    XWindowAttributes attributes{};
    if (!OpenWindow(&presenter, options, &attributes)) {
        XCloseDisplay(display);
        return 1;
    }
    FpsOverlay fps;
    if (options.showFps) presenter.fps = &fps;
    presenter.shmAvailable =
        XShmQueryExtension(display) != False && std::getenv("TOLVA_NO_SHM") == nullptr;
    presenter.unmapped = attributes.map_state == IsUnmapped;
    presenter.gc = XCreateGC(display, presenter.window, 0, nullptr);
    FrameLoopSettings loopSettings = FrameLoopSettingsOf(options, animation, XftScale(display));
    // XScreenSaver gives the hack on each head a window over that head.
    if (!presenter.chosen.own)
        loopSettings.firstMonitor = WindowMonitor(display, presenter.window, attributes);
    FrameLoop loop(loopSettings, 1);
    int exitCode = 1;
    WindowNews size;
    if (Resize(&presenter, attributes.width, attributes.height, &size) &&
        (loop.Start(0, size.width, size.height), true))
        exitCode = loop.Run(FramePresenter{&presenter, HandleEvents, ShowFrame, ImageMemoryOf},
                            &stopRequested);
    ReleaseImage(&presenter);
    XFreeGC(display, presenter.gc);
    XCloseDisplay(display);
    return exitCode;
}
