#!/usr/bin/env python3
"""End-to-end tests of tolva, the Linux viewer, on a private Xvfb server.

Each case starts its own Xvfb (Xvfb picks a free display itself through -displayfd), drives the
viewer with xdotool, looks at it with ImageMagick's import, and kills every process it started
by its pid. Every wait is bounded. Frame hashes are compared with tolva-render's.

    viewer_x11_test.py --viewer PATH --render PATH --xwindow PATH [--config tolva.xml]
                       [--installed] CASE
Exit codes: 0 pass, 1 fail, 77 skipped (a tool is missing).
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

SCREEN_W, SCREEN_H = 640, 480
SKIP = 77
VIEWER_DELAY = 15625  # the viewer's default pace, microseconds a step


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def end_processes(processes):
    """Kills each process that still runs and reaps it; empties the list."""
    for process in processes:
        if process.poll() is None:
            process.kill()
        try:
            process.communicate(timeout=5)
        except (subprocess.TimeoutExpired, ValueError):
            pass
    processes.clear()


class Session:
    """One Xvfb server plus the processes a case starts on it."""

    def __init__(self, args, depth=24):
        self.args = args
        self.processes = []
        self.tmp = tempfile.mkdtemp(prefix="tolva-viewer-test-")
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x{depth}",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = self._read_display(read_fd, self.xvfb)
        os.close(read_fd)
        self.env = dict(os.environ)
        self.env["DISPLAY"] = f":{number}"
        self.env.pop("XSCREENSAVER_WINDOW", None)
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.tmp, "config")

    def _read_display(self, fd, server):
        deadline = time.monotonic() + 10
        text = b""
        os.set_blocking(fd, False)
        while time.monotonic() < deadline:
            try:
                chunk = os.read(fd, 64)
            except BlockingIOError:
                chunk = None
            if chunk:
                text += chunk
                if text.endswith(b"\n"):
                    return int(text.strip())
            elif chunk == b"" or server.poll() is not None:
                break
            time.sleep(0.02)
        server.kill()
        server.wait()
        raise Failure(f"{server.args[0]} did not report its display")

    def start(self, command, env=None, stdout=subprocess.PIPE):
        process = subprocess.Popen(command, env=env or self.env, stdout=stdout,
                                   stderr=subprocess.PIPE, text=True)
        self.processes.append(process)
        return process

    def run(self, command, env=None, timeout=20):
        return subprocess.run(command, env=env or self.env, capture_output=True, text=True,
                              timeout=timeout)

    def xdotool(self, *words):
        result = self.run(["xdotool", *words], timeout=10)
        check(result.returncode == 0, f"xdotool {' '.join(words)} failed: {result.stderr.strip()}")
        return result.stdout

    def close(self):
        end_processes(self.processes)
        self.xvfb.terminate()
        try:
            self.xvfb.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.xvfb.kill()
            self.xvfb.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)

    # --- helpers -----------------------------------------------------------------------------

    def wait_for_window(self, process, name="^TOLVA$", timeout=10):
        deadline = time.monotonic() + timeout
        previous = None
        while time.monotonic() < deadline:
            if process.poll() is not None:
                raise Failure(f"the viewer ended early: {process.stderr.read()}")
            result = self.run(["xdotool", "search", "--onlyvisible", "--name", name], timeout=5)
            ids = result.stdout.split()
            # SDL may replace its first window when it sets up the renderer: take a window
            # only once the same one has been there for two looks in a row.
            if ids and ids == previous:
                return int(ids[-1])
            previous = ids
            time.sleep(0.15)
        raise Failure(f"no visible window named {name} after {timeout} s")

    def screenshot(self, window="root"):
        """(width, height, bytes of RGB triples) of a window, via ImageMagick's import."""
        result = subprocess.run(["import", "-window", str(window), "-depth", "8", "ppm:-"], env=self.env,
                                capture_output=True, timeout=15)
        check(result.returncode == 0, f"import failed: {result.stderr.decode().strip()}")
        return parse_ppm(result.stdout)

    def render_hashes(self, width, height, count, color, frames, delay=VIEWER_DELAY, scale=1):
        """tolva-render's hashes for a viewer run with --hash at this -delay: its clock then
        steps as the viewer's."""
        result = self.run([self.args.render, "--size", f"{width}x{height}", "--count", str(count),
                           "--color", str(color), "--frames", str(frames), "--hash",
                           "--delay", str(delay), "--scale", str(scale)])
        check(result.returncode == 0, f"tolva-render failed: {result.stderr}")
        return result.stdout.splitlines()


def parse_ppm(data):
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position) + 1
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    check(fields[0] == b"P6" and fields[3] == b"255", "import did not give an 8-bit PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position + 1:]
    check(len(pixels) == width * height * 3, "short PPM")
    return width, height, pixels


def colour_census(pixels):
    """(bright pixels, how many have red / green / blue as their strongest channel, grey ones)."""
    bright = 0
    strongest = [0, 0, 0]
    grey = 0
    for i in range(0, len(pixels), 3):
        r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
        if r == g == b == 0x40:
            grey += 1
        top = max(r, g, b)
        if top >= 64 and not (r == g == b):
            bright += 1
            strongest[(r, g, b).index(top)] += 1
    return bright, strongest, grey


def expect_exit(process, code, timeout, what):
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"{what}: the viewer is still running after {timeout} s")
    check(process.returncode == code,
          f"{what}: exit code {process.returncode}, expected {code}; stderr: {process.stderr.read()}")


def expect_running(process, seconds, what):
    time.sleep(seconds)
    check(process.poll() is None, f"{what} ended the viewer (exit code {process.returncode})")


def read_lines(process, count, timeout, what):
    """The next count lines of a viewer's stdout, within timeout seconds."""
    import selectors
    lines = []
    selector = selectors.DefaultSelector()
    selector.register(process.stdout, selectors.EVENT_READ)
    deadline = time.monotonic() + timeout
    while len(lines) < count:
        left = deadline - time.monotonic()
        check(left > 0, f"{what}: only {len(lines)} of {count} lines in {timeout} s")
        if selector.select(timeout=left):
            line = process.stdout.readline()
            if line == "":
                raise Failure(f"{what}: the viewer closed its output: {process.stderr.read()}")
            lines.append(line.rstrip("\n"))
    selector.close()
    return lines


def dominant_colour(session, window, channel, what, timeout=8):
    """Waits until the window shows trails whose strongest channel is channel (0 r, 1 g, 2 b)."""
    deadline = time.monotonic() + timeout
    census = None
    while time.monotonic() < deadline:
        _, _, pixels = session.screenshot(window)
        census = colour_census(pixels)
        bright, strongest, _ = census
        if bright >= 100 and strongest[channel] >= 0.9 * bright:
            return census
        time.sleep(0.2)
    raise Failure(f"{what}: no trails in the expected colour on screen: census {census}")


# --- cases -----------------------------------------------------------------------------------

def case_window_shows_trails(session):
    """Trails appear in the window in the chosen scheme; a key other than Escape keeps the
    window, Escape ends it with exit code 0."""
    for color, channel in ((3, 2), (2, 1)):
        viewer = session.start([session.args.viewer, "--size", "320x240", "--count", "25",
                                "--color", str(color)])
        window = session.wait_for_window(viewer)
        census = dominant_colour(session, window, channel, f"--color {color}")
        print(f"--color {color}: {census[0]} bright pixels, strongest r/g/b {census[1]}")
        session.xdotool("mousemove", "--window", str(window), "20", "20")
        session.xdotool("windowfocus", "--sync", str(window))
        session.xdotool("key", "a")
        expect_running(viewer, 0.5, "the a key in a window")
        session.xdotool("key", "Escape")
        expect_exit(viewer, 0, 5, "Escape in a window")


def case_window_matches_render(session):
    """The frames the window presents are tolva-render's frames, a new window size restarts the
    animation at that size, and Xft.dpi sets the scale."""
    viewer = session.start([session.args.viewer, "--size", "200x150", "--count", "12",
                            "--color", "8", "--hash"])
    first = read_lines(viewer, 40, 10, "first size")
    check(first == session.render_hashes(200, 150, 12, 8, 40), "frames differ from tolva-render at 200x150")
    window = session.wait_for_window(viewer)
    session.xdotool("windowsize", str(window), "260", "180")
    # Frames of the old size may still be on their way; the restart begins at index 0 again.
    deadline = time.monotonic() + 10
    while True:
        line = read_lines(viewer, 1, max(0.1, deadline - time.monotonic()), "restart")[0]
        if line.startswith("0 "):
            break
    resized = [line] + read_lines(viewer, 29, 10, "second size")
    check(resized == session.render_hashes(260, 180, 12, 8, 30),
          "after the resize the frames are not tolva-render's at 260x180")
    viewer.send_signal(signal.SIGTERM)
    expect_exit(viewer, 0, 5, "SIGTERM to the window")
    # A display of 192 dpi draws at scale 2, and -scale wins over it.
    xrdb = subprocess.run(["xrdb", "-nocpp", "-merge"], input="Xft.dpi: 192\n", env=session.env,
                          capture_output=True, text=True, timeout=10)
    check(xrdb.returncode == 0, f"xrdb failed: {xrdb.stderr}")
    for extra, scale in (([], 2), (["-scale", "1.5"], 1.5)):
        hack = session.start([session.args.viewer, "-window", "-geometry", "200x150", "-count",
                              "12", "-color", "8", "--hash", *extra])
        check(read_lines(hack, 20, 10, f"Xft.dpi 192 {extra}") ==
              session.render_hashes(200, 150, 12, 8, 20, scale=scale),
              f"at Xft.dpi 192 with {extra} the frames are not tolva-render's at scale {scale}")
        hack.send_signal(signal.SIGTERM)
        expect_exit(hack, 0, 5, "SIGTERM to -window")


def read_bmp(path):
    """(width, height, RGB triples top row first) of a 24-bit bottom-up BMP from tolva-render."""
    with open(path, "rb") as bmp:
        data = bmp.read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little", signed=True)
    height = int.from_bytes(data[22:26], "little", signed=True)
    stride = (width * 3 + 3) & ~3
    rgb = bytearray()
    for row in range(height - 1, -1, -1):
        start = offset + row * stride
        line = data[start:start + width * 3]
        for x in range(0, len(line), 3):
            rgb += bytes((line[x + 2], line[x + 1], line[x]))
    return width, height, bytes(rgb)


def render_frames(session, width, height, count, color, frames):
    out = os.path.join(session.tmp, f"frames-{width}x{height}")
    result = session.run([session.args.render, "--size", f"{width}x{height}", "--count", str(count),
                          "--color", str(color), "--frames", str(frames), "--out", out])
    check(result.returncode == 0, f"tolva-render failed: {result.stderr}")
    return [read_bmp(os.path.join(out, f"frame_{i:06d}.bmp"))[2] for i in range(frames)]


def case_screen_pixels_match_render(session):
    """What reaches the screen, in the window and in a foreign window, is tolva-render's frame
    pixel for pixel: rows the right way up, channels in the right order, drawn in place at depth
    24 and in an ARGB window, converted at depth 16."""
    frames = render_frames(session, 160, 120, 10, 8, 4)
    # A slow pace, so a screenshot taken after frame 1 catches frame 1 (or, if late, frame 2).
    viewer = session.start([session.args.viewer, "--size", "160x120", "--count", "10", "--color",
                            "8", "-delay", "700000", "--hash"])
    read_lines(viewer, 2, 10, "slow window")
    window = session.wait_for_window(viewer)
    _, _, shown = session.screenshot(window)
    check(shown in (frames[1], frames[2]), "the window does not show tolva-render's frame 1 or 2")
    viewer.send_signal(signal.SIGTERM)
    expect_exit(viewer, 0, 5, "SIGTERM to the window")

    # The hack draws straight into its image at depth 24 and into a window with an alpha
    # channel (opaque), and converts its frames on a server of depth 16: tolva-render's frames,
    # and on screen its last one, to the precision of the visual's channels.
    for what, argb, bits in (("depth 24", False, (8, 8, 8)), ("an ARGB window", True, (8, 8, 8)),
                             ("depth 16", False, (5, 6, 5))):
        server = Session(session.args, depth=16) if bits[0] == 5 else session
        try:
            target = start_xwindow(server, 160, 120, argb=argb)
            result = server.run([session.args.viewer, "--window-id", str(target), "--count", "10",
                                 "--color", "8", "--frames", "4", "--hash"])
            check(result.returncode == 0 and result.stdout.splitlines() ==
                  session.render_hashes(160, 120, 10, 8, 4), f"{what}: not tolva-render's frames: {result}")
            check(quantized(server.screenshot(target)[2], bits) == quantized(frames[3], bits),
                  f"{what}: the window does not show tolva-render's last frame")
            transparent = server.run([session.args.xwindow, "--transparent", str(target)])
            check(not argb or transparent.stdout.strip() == "0", f"{what}: pixels not opaque")
        finally:
            if server is not session:
                server.close()


def quantized(pixels, bits):
    """RGB triples cut to the top bits of each channel, as a visual with that many keeps them
    (import widens them again to 8 bits, keeping the top ones)."""
    return bytes(value >> (8 - bits[i % 3]) for i, value in enumerate(pixels))


def frames_shown(path):
    """The index of the last frame a viewer has reported in its --hash file, -1 for none."""
    with open(path) as lines:
        complete = [line for line in lines.read().split("\n")[:-1] if line]
    return int(complete[-1].split()[0]) if complete else -1


def wait_for_frames(path, after, count, what, timeout=10):
    deadline = time.monotonic() + timeout
    while frames_shown(path) < after + count:
        check(time.monotonic() < deadline, f"{what}: no new frames in {timeout} s")
        time.sleep(0.02)
    return frames_shown(path)


def cpu_and_wakeups(pid):
    """(processor seconds used, times it went to sleep) of a process so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    with open(f"/proc/{pid}/status") as status:
        switches = [line for line in status if line.startswith("voluntary_ctxt_switches")]
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK"), int(switches[0].split()[1])


def expect_paused(hashes, process, what):
    """No frame, at most one wake-up and next to no processor time in 3 s."""
    time.sleep(0.5)  # a frame already due may still go out
    shown, (cpu, sleeps) = frames_shown(hashes), cpu_and_wakeups(process.pid)
    time.sleep(3)
    cpu_after, sleeps_after = cpu_and_wakeups(process.pid)
    print(f"{what} for 3 s: {cpu_after - cpu:.2f} s of processor time, "
          f"{sleeps_after - sleeps} wake-ups, {frames_shown(hashes) - shown} frames")
    check(frames_shown(hashes) == shown and sleeps_after - sleeps <= 1 and
          cpu_after - cpu <= 0.02, f"{what}: it keeps drawing or waking")


def expect_render_frame(session, hashes, window, frames, what):
    """Two frames on, the window shows tolva-render's frame pixel for pixel."""
    index = wait_for_frames(hashes, frames_shown(hashes), 2, what)
    _, _, shown = session.screenshot(window)
    check(shown in (frames[index], frames[index + 1]),
          f"{what}: it does not show tolva-render's frame {index} or {index + 1}")


def uncover_and_compare(session, hashes, window, frames, what, paused_by=None):
    """Covers the window (at 10, 10) in part, then wholly, with a window of the test's own;
    after each goes away the window must show tolva-render's frame again, everywhere. With
    paused_by (the hack drawing into it), the whole cover pauses it: no frame and no wake-up
    in 3 s."""
    for width, height in ((80, 60), (200, 160)):
        cover = session.start([session.args.xwindow, str(width), str(height)])
        read_lines(cover, 1, 10, "covering window")
        if paused_by is not None and width == 200:
            expect_paused(hashes, paused_by, f"{what} covered")
        else:
            wait_for_frames(hashes, frames_shown(hashes), 2, f"{what} under a {width}x{height} window")
        cover.kill()
        cover.wait(timeout=5)
        expect_render_frame(session, hashes, window, frames,
                            f"{what} after a {width}x{height} window over it went away")


def case_uncovered_window_shows_render_frame(session):
    """A foreign window and the SDL window, once a window that covered part or all of them
    has gone, show tolva-render's frame pixel for pixel: what was exposed is sent again. The
    hack under a whole cover or unmapped waits without drawing or waking, and shows the frame
    again once mapped; pointer moves over the SDL window draw no frames of their own."""
    frames = render_frames(session, 160, 120, 10, 8, 150)
    slow = ["--count", "10", "--color", "8", "--delay", "200000", "--hash"]
    hashes = os.path.join(session.tmp, "hashes")
    target = start_xwindow(session, 160, 120)
    with open(hashes, "w") as out:
        viewer = session.start([session.args.viewer, "--window-id", str(target)] + slow,
                               stdout=out)
    uncover_and_compare(session, hashes, target, frames, "--window-id", paused_by=viewer)
    session.xdotool("windowunmap", "--sync", str(target))
    expect_paused(hashes, viewer, "--window-id unmapped")
    session.xdotool("windowmap", "--sync", str(target))
    expect_render_frame(session, hashes, target, frames, "--window-id mapped again")
    viewer.send_signal(signal.SIGTERM)
    expect_exit(viewer, 0, 5, "SIGTERM in --window-id mode")

    with open(hashes, "w") as out:
        viewer = session.start([session.args.viewer, "--size", "160x120"] + slow, stdout=out)
    window = session.wait_for_window(viewer)
    session.xdotool("windowmove", "--sync", str(window), "10", "10")
    uncover_and_compare(session, hashes, window, frames, "the SDL window")
    # Events are not frames: 40 pointer moves at once, at a pace of a frame in 0.2 s, may bring
    # at most one frame besides the pace's.
    moves = [word for i in range(40)
             for word in ("mousemove", "--window", str(window), str(20 + i), str(30 + i))]
    before, start = frames_shown(hashes), time.monotonic()
    session.xdotool(*moves)
    time.sleep(0.1)
    drawn, paced = frames_shown(hashes) - before, int((time.monotonic() - start) / 0.2) + 1
    print(f"40 pointer moves over the SDL window: {drawn} frames, {paced} at the pace")
    check(drawn <= paced + 1, f"40 pointer moves drew {drawn} frames where the pace gives {paced}")
    viewer.send_signal(signal.SIGTERM)
    expect_exit(viewer, 0, 5, "SIGTERM to the window")


def start_fullscreen(session, x=200, y=200):
    session.xdotool("mousemove", str(x), str(y))
    # A window size of its own, which full screen must override even with no window manager.
    viewer = session.start([session.args.viewer, "--fullscreen", "--size", "320x240", "--count",
                            "5"])
    window = session.wait_for_window(viewer)
    time.sleep(0.3)  # let it settle and take the pointer's position
    return viewer, window


def cursor_state(session):
    result = session.run([session.args.xwindow, "--cursor"], timeout=10)
    check(result.returncode == 0, f"cannot read the cursor: {result.stderr}")
    return result.stdout.strip()


def case_fullscreen_key_ends(session):
    """The full-screen window covers the screen and hides the pointer; any key ends it with
    exit code 0."""
    viewer, window = start_fullscreen(session)
    geometry = session.xdotool("getwindowgeometry", str(window))
    check(f"{SCREEN_W}x{SCREEN_H}" in geometry, f"not full screen: {geometry}")
    check(cursor_state(session) == "hidden", "the pointer is visible over the full-screen window")
    session.xdotool("key", "x")
    expect_exit(viewer, 0, 5, "a key in full screen")
    check(cursor_state(session) == "visible", "the pointer stays hidden after the viewer ended")


def case_fullscreen_motion_rule(session):
    """Movement along one axis, however far, does not end full screen; the first motions do
    not either; movement of more than 3 pixels on both axes does."""
    viewer, _ = start_fullscreen(session)
    # A few far moves right after start: still among the first six motion events.
    for x, y in ((400, 400), (50, 60), (200, 200)):
        session.xdotool("mousemove", str(x), str(y))
    expect_running(viewer, 0.3, "the first motion events")
    for step in range(1, 11):
        session.xdotool("mousemove", str(200 + 30 * step), "200")
    session.xdotool("mousemove", "200", "200")
    for step in range(1, 9):
        session.xdotool("mousemove", "200", str(200 + 30 * step))
    session.xdotool("mousemove", "203", "203")  # exactly 3 pixels on both axes is still "still"
    expect_running(viewer, 0.7, "movement along one axis")
    session.xdotool("mousemove", "204", "204")
    expect_exit(viewer, 0, 5, "movement on both axes")


def case_fullscreen_buttons(session):
    """The middle button and the wheel do not end full screen; the right and the left
    button do."""
    for button in ("3", "1"):
        viewer, _ = start_fullscreen(session)
        for harmless in ("2", "4", "5"):
            session.xdotool("click", harmless)
        expect_running(viewer, 0.7, "the middle button and the wheel")
        session.xdotool("click", button)
        expect_exit(viewer, 0, 5, f"button {button} in full screen")


DUMMY_XORG_CONF = """Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 1040 480
  EndSubSection
EndSection
"""


def case_fullscreen_every_display(session):
    """Full screen on two displays (Xorg's dummy driver with a second head right of the first,
    which SDL reports as two displays where Xvfb gives one): a window over each display at its
    size, trails on both, and one key ends them all. A hack over each head, as XScreenSaver
    runs it: the primary's frames are tolva-render's, the other's its own."""
    if os.getuid() != 0 or shutil.which("Xorg") is None or not os.path.exists(
            "/usr/lib/xorg/modules/drivers/dummy_drv.so"):
        print("skipped: needs root, Xorg and its dummy driver (scripts/install-deps)")
        sys.exit(SKIP)
    conf = os.path.join(session.tmp, "xorg.conf")
    with open(conf, "w") as out:
        out.write(DUMMY_XORG_CONF)
    read_fd, write_fd = os.pipe()
    xorg = subprocess.Popen(["Xorg", "-config", conf, "-displayfd", str(write_fd), "-noreset",
                             "-nolisten", "tcp", "-logfile", os.path.join(session.tmp, "xorg.log")],
                            pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write_fd)
    try:
        try:
            env = dict(session.env, DISPLAY=f":{session._read_display(read_fd, xorg)}")
        except Failure:
            print("skipped: Xorg with the dummy driver does not start here")
            sys.exit(SKIP)
        finally:
            os.close(read_fd)
        for words in (["--newmode", "400x300b", "9.00", "400", "416", "456", "512", "300", "301",
                       "304", "312", "-hsync", "+vsync"], ["--addmode", "DUMMY1", "400x300b"],
                      ["--output", "DUMMY1", "--mode", "400x300b", "--right-of", "DUMMY0"]):
            result = session.run(["xrandr", *words], env=env)
            check(result.returncode == 0, f"xrandr {' '.join(words)}: {result.stderr}")
        # The dummy driver calls the second head connected only once a query has probed the
        # outputs; till then the server's current state, which SDL reads, has one display.
        session.run(["xrandr", "--query"], env=env)
        heads = session.run(["xrandr", "--current"], env=env).stdout
        check(heads.count(" connected") == 2, f"the dummy heads are not both connected: {heads}")
        viewer = session.start([session.args.viewer, "--fullscreen", "--count", "25", "--color",
                                "3"], env=env)
        deadline, windows = time.monotonic() + 10, []
        while len(windows) != 2:
            check(time.monotonic() < deadline and viewer.poll() is None,
                  f"{len(windows)} full-screen windows, not one a display")
            time.sleep(0.2)
            windows = session.run(["xdotool", "search", "--onlyvisible", "--name", "^TOLVA$"],
                                  env=env).stdout.split()
        places = sorted(session.run(["xdotool", "getwindowgeometry", window], env=env).stdout
                        .split()[3:8:4] for window in windows)
        check(places == [["0,0", "640x480"], ["640,0", "400x300"]], f"windows at {places}")
        for window in windows:
            deadline = time.monotonic() + 8
            while int(session.run([session.args.xwindow, "--bright", window], env=env).stdout
                      or 0) < 100:
                check(time.monotonic() < deadline, f"no trails in the window {places}")
                time.sleep(0.3)
        result = session.run(["xdotool", "key", "x"], env=env)
        check(result.returncode == 0, f"xdotool key: {result.stderr}")
        expect_exit(viewer, 0, 5, "a key with a window on each display")
        for place, width, height, own in (("0", 640, 480, False), ("640", 400, 300, True)):
            window = read_lines(session.start([session.args.xwindow, str(width), str(height)],
                                              env=env), 1, 10, "test window")[0]
            check(session.run(["xdotool", "windowmove", "--sync", window, place, "0"],
                              env=env).returncode == 0, "xdotool windowmove")
            shown = session.run([session.args.viewer, "-window-id", window, "-count", "10",
                                 "--hash", "--frames", "4"], env=env).stdout.splitlines()
            # Frame 0, where the trails start, is every animation's.
            check([a == b for a, b in zip(shown, session.render_hashes(width, height, 10, 1, 4))]
                  == [True] + [not own] * 3, f"the hack over the head at {place},0: {shown}")
    finally:
        xorg.terminate()
        xorg.wait(timeout=10)


def start_xwindow(session, width, height, with_process=False, argb=False):
    fixture = session.start([session.args.xwindow, str(width), str(height)] +
                            (["--argb"] if argb else []))
    window = int(read_lines(fixture, 1, 10, "test window")[0])
    return (window, fixture) if with_process else window


def case_foreign_window(session):
    """--window-id draws into a window the test created, at that window's size, follows its
    size, and ends with exit code 0 on SIGTERM."""
    window = start_xwindow(session, 240, 180)
    viewer = session.start([session.args.viewer, "--window-id", hex(window), "--count", "10",
                            "--color", "2", "--hash"])
    first = read_lines(viewer, 30, 10, "foreign window")
    check(first == session.render_hashes(240, 180, 10, 2, 30), "frames differ from tolva-render at 240x180")
    bright, strongest, grey = dominant_colour(session, window, 1, "--window-id")
    check(grey == 0, f"{grey} pixels of the window's own grey are left")
    print(f"--window-id: {bright} bright pixels, strongest r/g/b {strongest}")
    session.xdotool("windowsize", str(window), "300", "200")
    deadline = time.monotonic() + 10
    while True:
        line = read_lines(viewer, 1, max(0.1, deadline - time.monotonic()), "restart")[0]
        if line.startswith("0 "):
            break
    resized = [line] + read_lines(viewer, 19, 10, "resized foreign window")
    check(resized == session.render_hashes(300, 200, 10, 2, 20),
          "after the resize the frames are not tolva-render's at 300x200")
    viewer.send_signal(signal.SIGTERM)
    expect_exit(viewer, 0, 5, "SIGTERM in --window-id mode")


def case_xscreensaver_environment(session):
    """$XSCREENSAVER_WINDOW picks the window as --window-id does (here through plain
    XPutImage, without shared memory), the hack ends with exit code 0 when its window goes
    away, and -root draws on the whole screen."""
    window = start_xwindow(session, 160, 120)
    env = dict(session.env, XSCREENSAVER_WINDOW=str(window), TOLVA_NO_SHM="1")
    result = session.run([session.args.viewer, "--count", "6", "--color", "5", "--hash",
                          "--frames", "25"], env=env)
    check(result.returncode == 0, f"exit code {result.returncode}: {result.stderr}")
    check(result.stdout.splitlines() == session.render_hashes(160, 120, 6, 5, 25),
          "XSCREENSAVER_WINDOW frames differ from tolva-render at 160x120")
    _, _, pixels = session.screenshot(window)
    check(colour_census(pixels)[2] == 0, "the window's grey is still there")
    # The owner closing its window ends the hack quietly.
    window, owner = start_xwindow(session, 100, 80, with_process=True)
    viewer = session.start([session.args.viewer, "--window-id", str(window)])
    expect_running(viewer, 0.5, "drawing into the window")
    owner.kill()
    expect_exit(viewer, 0, 5, "the window going away")
    result = session.run([session.args.viewer, "-root", "--count", "3", "--color", "7", "--hash",
                          "--frames", "10"])
    check(result.returncode == 0, f"-root: exit code {result.returncode}: {result.stderr}")
    check(result.stdout.splitlines() == session.render_hashes(SCREEN_W, SCREEN_H, 3, 7, 10),
          "-root frames differ from tolva-render at the screen's size")


def case_start_and_end(session):
    """Without a display the viewer says so and exits with 1, unless SDL_VIDEODRIVER names a
    driver; an input-only window is refused with the reason; SIGTERM, SIGINT and SIGHUP end
    the window and the hack at once with exit code 0, also when every frame is late."""
    no_display = {k: v for k, v in session.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    unused = next(n for n in range(6000, 7000) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
    input_only = read_lines(session.start([session.args.xwindow, "9", "9", "--input-only"]), 1,
                            5, "input-only window")[0]
    for words, env, said in (([], no_display, "cannot open"), (["-display", f":{unused}"], None,
                             "cannot open"), ([], dict(no_display, SDL_VIDEODRIVER="offscreen"), ""),
                             (["-window-id", input_only], None, "input-only")):
        result = session.run([session.args.viewer, *words, "--hash", "--frames", "2"], env=env)
        check(result.returncode == (1 if said else 0) and said in result.stderr,
              f"{words} {env and env.get('SDL_VIDEODRIVER')}: {result.returncode} {result.stderr!r}")
    late = ["-delay", "1", "-count", "80"]  # each frame is due before the last is drawn
    for words, stop in ((["-window"], signal.SIGTERM), (["--size", "320x240"], signal.SIGHUP),
                        (["-window-id", str(start_xwindow(session, 320, 240))], signal.SIGINT)):
        viewer = session.start([session.args.viewer, *words, *late], stdout=subprocess.DEVNULL)
        expect_running(viewer, 0.5, f"{' '.join(words + late)}")
        viewer.send_signal(stop)
        expect_exit(viewer, 0, 2, f"{stop.name} to {' '.join(words + late)}")


def case_screen_depths(session):
    """On 16- and 30-bit screens the SDL window and the hack's own window show trails."""
    for depth in (16, 30):
        screen = Session(session.args, depth)
        try:
            for words in (["--size", "200x150"], ["-window", "-geometry", "200x150"]):
                viewer = screen.start([session.args.viewer, *words, "-color", "3"])
                dominant_colour(screen, screen.wait_for_window(viewer), 2, f"{words} at {depth}")
        finally:
            screen.close()


def settings_path(env):
    return os.path.join(env["XDG_CONFIG_HOME"], "tolva", "settings")


def case_settings_file(session):
    """--configure stores the settings and a later run uses them; without XDG_CONFIG_HOME they
    live under ~/.config; a malformed or unreadable file gives the defaults with a one-line
    warning and is left as it was; --configure changes only what it is given."""
    viewer = session.args.viewer
    probe = [viewer, "--size", "64x48", "--hash", "--frames", "6"]
    result = session.run([viewer, "--configure", "--count", "7", "--color", "4", "-delay", "9000"])
    check(result.returncode == 0, f"--configure failed: {result.stderr}")
    with open(settings_path(session.env)) as stored:
        text = stored.read()
    check({"count=7", "color=4", "delay=9000"} <= set(text.splitlines()), f"stored: {text!r}")
    result = session.run(probe)
    check(result.returncode == 0 and result.stderr == "", f"run: {result.returncode} {result.stderr}")
    check(result.stdout.splitlines() == session.render_hashes(64, 48, 7, 4, 6, 9000),
          "the stored settings were not used")
    defaults = session.render_hashes(64, 48, 25, 1, 6)
    # As an XScreenSaver hack only the command line counts: the daemon passes no -count for
    # its default of 25.
    hack_window = start_xwindow(session, 64, 48)
    for words, env in ((["--window-id", str(hack_window)], None),
                       ([], dict(session.env, XSCREENSAVER_WINDOW=str(hack_window)))):
        result = session.run([viewer, *words, "--hash", "--frames", "6"], env=env)
        check(result.returncode == 0 and result.stdout.splitlines() == defaults,
              f"the hack {words or 'in $XSCREENSAVER_WINDOW'} follows the stored settings")

    home = os.path.join(session.tmp, "home")
    env = dict(session.env, HOME=home)
    del env["XDG_CONFIG_HOME"]
    check(session.run([viewer, "--configure", "--color", "6"], env=env).returncode == 0, "HOME configure")
    with open(os.path.join(home, ".config", "tolva", "settings")) as stored:
        check("color=6" in stored.read().splitlines(), "not stored under ~/.config")

    for name, contents in (("malformed", "count=banana\ncolor=2\n"), ("unknown key", "speed=3\n"),
                           ("binary", "\0\1\2")):
        with open(settings_path(session.env), "w") as stored:
            stored.write(contents)
        result = session.run(probe)
        check(result.returncode == 0, f"{name}: exit code {result.returncode}")
        warning = result.stderr.splitlines()
        check(len(warning) == 1 and "warning" in warning[0], f"{name}: stderr {result.stderr!r}")
        check(result.stdout.splitlines() == defaults, f"{name}: not the defaults 25 and 1")
        with open(settings_path(session.env)) as stored:
            check(stored.read() == contents, f"{name}: the file was changed")

    os.remove(settings_path(session.env))
    os.mkdir(settings_path(session.env))  # exists, cannot be read as a file
    result = session.run(probe)
    check(result.returncode == 0 and len(result.stderr.splitlines()) == 1, f"unreadable: {result.stderr!r}")
    check(result.stdout.splitlines() == defaults, "unreadable: not the defaults 25 and 1")
    os.rmdir(settings_path(session.env))
    # Leniency: stored values outside the dialog's ranges are kept and bounded only in use; a
    # delay that -delay would refuse is the default pace.
    with open(settings_path(session.env), "w") as stored:
        stored.write("count=200\ncolor=12\ndelay=0\n")
    result = session.run(probe)
    check(result.returncode == 0 and result.stderr == "", f"lenient: {result.stderr!r}")
    check(result.stdout.splitlines() == session.render_hashes(64, 48, 200, 12, 6),
          "a stored count of 200 and color of 12 do not draw as tolva-render draws them")
    # --configure changes only what it is given, warns of a mistyped line, keeps link and mode.
    kept = os.path.join(session.tmp, "dotfiles-tolva")
    with open(os.open(kept, os.O_WRONLY | os.O_CREAT, 0o600), "w") as stored:
        stored.write("count=7\ncolr=2\n")
    os.remove(settings_path(session.env))
    os.symlink(kept, settings_path(session.env))
    result = session.run([viewer, "--configure", "--color", "3"])
    check(result.returncode == 0 and result.stderr.count("\n") == 1 and "line 2" in result.stderr
          and os.path.islink(settings_path(session.env)) and os.stat(kept).st_mode & 0o777 == 0o600
          and session.run(probe).stdout.splitlines() == session.render_hashes(64, 48, 7, 3, 6),
          f"--configure --color 3 over count=7, a mistyped line, a link, mode 0600: {result.stderr!r}")


def corner_white(session, window):
    """Pure white pixels in the lower left corner, where -fps writes its text."""
    width, height, pixels = session.screenshot(window)
    return sum(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3] == b"\xff\xff\xff"
               for y in range(height - 24, height) for x in range(min(width, 320)))


def corner_text(session, window, what, timeout=8):
    deadline = time.monotonic() + timeout
    while (white := corner_white(session, window)) < 60:
        check(time.monotonic() < deadline, f"{what}: no frame-rate text ({white} white pixels)")
        time.sleep(0.3)
    return white


def case_own_window_fps(session):
    """-window draws into an X window of the hack's own where -geometry puts it, on the X
    display -display names; -fps writes the frame rate in its corner but never into the frame
    (the hashes stay tolva-render's once the text is up); q ends it with exit code 0. --fps in
    the SDL window writes the corner too, and in a window with an alpha channel every pixel,
    the text's shadow too, is opaque."""
    env = dict(session.env)
    del env["DISPLAY"]
    viewer = session.start([session.args.viewer, "-window", "-geometry", "200x150-10+20",
                            "-display", session.env["DISPLAY"], "-count", "5", "-color", "3",
                            "-fps", "--hash"], env=env)
    hashes = read_lines(viewer, 300, 15, "own window")  # 1.5 s: the text is up
    check(hashes == session.render_hashes(200, 150, 5, 3, 300), "-window -fps frames differ")
    window = session.wait_for_window(viewer)
    geometry = session.xdotool("getwindowgeometry", str(window))
    check(f"Position: {SCREEN_W - 210},20" in geometry and "200x150" in geometry,
          f"-geometry 200x150-10+20 gave {geometry}")
    print(f"-window -fps: {corner_text(session, window, '-window')} white corner pixels")
    session.xdotool("windowfocus", "--sync", str(window))
    session.xdotool("key", "q")
    expect_exit(viewer, 0, 5, "q in its own window")
    viewer = session.start([session.args.viewer, "--size", "320x240", "--fps"])
    print(f"--fps: {corner_text(session, session.wait_for_window(viewer), 'SDL')} white pixels")
    argb = start_xwindow(session, 320, 240, argb=True)
    session.start([session.args.viewer, "--window-id", str(argb), "-fps"])
    corner_text(session, argb, "ARGB window")
    transparent = session.run([session.args.xwindow, "--transparent", str(argb)]).stdout.strip()
    check(transparent == "0", f"ARGB window: {transparent} pixels are not opaque")


def case_window_manager(session):
    """Under Debian's twm, a reparenting window manager, -window shows trails from the start,
    run after run: its events are chosen before the window manager maps it."""
    if shutil.which("twm") is None:
        print("skipped: twm is not installed (scripts/install-deps)")
        sys.exit(SKIP)
    twmrc = os.path.join(session.tmp, "twmrc")
    with open(twmrc, "w") as rc:
        # No placing by hand, and the fonts every X server has built in.
        rc.write("RandomPlacement\n" + "".join(f'{kind}Font "fixed"\n' for kind in (
            "Title", "Resize", "Menu", "Icon", "IconManager")))
    twm = session.start(["twm", "-f", twmrc], stdout=subprocess.DEVNULL)
    expect_running(twm, 0.5, "starting twm")
    for run in range(4):
        viewer = session.start([session.args.viewer, "-window", "--size", "200x150", "-count",
                                "10", "-color", "3"], stdout=subprocess.DEVNULL)
        dominant_colour(session, session.wait_for_window(viewer), 2, f"-window, run {run + 1}")
        viewer.send_signal(signal.SIGTERM)
        expect_exit(viewer, 0, 5, "SIGTERM to -window under twm")


def case_display_sleeps(session):
    """The viewer lets the display sleep: the X server's own saver starts while it runs."""
    check(session.run([session.args.xwindow, "--blank-after", "1"]).returncode == 0, "xwindow")
    session.wait_for_window(session.start([session.args.viewer, "--size", "160x120"]))
    deadline = time.monotonic() + 8
    while session.run([session.args.xwindow, "--saver-state"]).stdout.strip() != "on":
        check(time.monotonic() < deadline, "the server's screen saver stays off")
        time.sleep(0.5)


HACK_USER = "tolva-hack-test"


def settings_line(config, count, scheme, fps):
    """The programs: entry xscreensaver-settings writes from tolva.xml: README.md's (it lists
    the quoted name, else "Tolva"), then each setting in the file's order (the trail slider only
    off its default; the frame rate slider stays at its default, which writes nothing)."""
    root = ElementTree.parse(config).getroot()
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "..", "README.md")) as readme:
        entry = next(line for line in readme if line.startswith("sed ")).split("\\n  ")[1]
    words = [f'"{root.get("_label")}" {root.get("name")} {next(root.iter("command")).get("arg")}']
    check(entry.startswith(words[0] + " "), f"README.md's programs: entry is {entry}")
    for element in root.iter():
        if element.tag == "number" and element.get("id") == "count" and int(
                element.get("default")) != count:
            words.append(element.get("arg").replace("%", str(count)))
        elif (element.tag == "option" and element.get("id") == scheme) or (
                element.tag == "boolean" and fps):
            words.append(element.get("arg-set"))
    return " ".join(words)


def hacks_on(display, uid):
    """{pid: (arguments, executable)} of uid's tolva processes on this display, zombies too
    (XScreenSaver hands its hacks DISPLAY=:N.0)."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm") as comm, open(f"/proc/{pid}/environ", "rb") as env:
                if os.stat(f"/proc/{pid}").st_uid != uid or comm.read() != "tolva\n" or not any(
                        v.split(b".")[0] == f"DISPLAY={display}".encode()
                        for v in env.read().split(b"\0")):
                    continue
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                found[int(pid)] = (cmdline.read().decode().split("\0")[1:-1],
                                   os.path.realpath(f"/proc/{pid}/exe"))
        except OSError:
            pass  # gone meanwhile
    return found


def case_xscreensaver_daemon(session):
    """The real XScreenSaver daemon, run as an unprivileged user, blanks the screen with tolva
    from the lines xscreensaver-settings writes, without and with -fps: trails of the chosen
    scheme, the corner text only with -fps, and no tolva left after deactivation. --installed:
    the daemon finds the installed hack in its own folder."""
    if shutil.which("xscreensaver") is None:
        print("skipped: xscreensaver is not installed (scripts/install-deps)")
        sys.exit(SKIP)
    home, prefix, uid = tempfile.mkdtemp(prefix="tolva-xscreensaver-"), [], os.getuid()
    if uid == 0:  # the daemon runs no hack as root
        if subprocess.run(["id", HACK_USER], capture_output=True).returncode != 0:
            subprocess.run(["useradd", "--system", "--shell", "/usr/sbin/nologin", HACK_USER],
                           check=True)
        uid, gid = (int(subprocess.run(["id", flag, HACK_USER], capture_output=True).stdout)
                    for flag in ("-u", "-g"))
        os.chown(home, uid, gid)
        prefix = ["setpriv", f"--reuid={uid}", f"--regid={gid}", "--clear-groups", "--"]
    env = {"DISPLAY": session.env["DISPLAY"], "HOME": home, "PATH": "/usr/bin:/bin"}
    lines = [settings_line(session.args.config, 5, "blue", fps) for fps in (False, True)]
    hack = os.path.realpath(session.args.viewer)
    if not session.args.installed:
        # A copy the user can run, named by its path: the daemon puts its own folder, where an
        # installed tolva may be, first on PATH.
        hack = shutil.copy(hack, home)
        lines = [line.replace(" tolva ", f" {hack} ", 1) for line in lines]
    with open(os.path.join(home, ".xscreensaver"), "w") as settings:
        settings.write("mode: one\nlock: False\nfade: False\nunfade: False\nsplash: False\n"
                       "timeout: 1:00:00\nprograms: \\\n" +
                       "".join(f"  {line} \\n\\\n" for line in lines) + "\n")
    log = open(os.path.join(home, "log"), "w+")
    daemon = subprocess.Popen(prefix + ["xscreensaver", "-no-splash"], env=env, cwd=home,
                              stdin=subprocess.DEVNULL, stdout=log, stderr=log)

    def command(*words):
        return subprocess.run(prefix + ["xscreensaver-command", *words], env=env,
                              capture_output=True, timeout=10).returncode == 0

    def wait_for_hacks(count):
        deadline = time.monotonic() + 10
        while len(hacks := hacks_on(env["DISPLAY"], uid)) != count:
            check(time.monotonic() < deadline, f"{len(hacks)} tolva processes, not {count}")
            time.sleep(0.1)
        return hacks

    try:
        deadline = time.monotonic() + 10
        while not command("-version"):
            check(time.monotonic() < deadline, "the daemon did not start")
            time.sleep(0.2)
        for number, line in enumerate(lines, 1):
            check(command("-select", str(number)), f"-select {number} failed")
            [(words, exe)] = wait_for_hacks(1).values()
            check((words, exe) == (line.split()[2:], hack), f"the daemon ran {exe} {words}")
            census = dominant_colour(session, "root", 2, line)
            if line.endswith("-fps"):
                print(f"{line}: {corner_text(session, 'root', line)} white corner pixels")
            else:
                check(corner_white(session, "root") < 20, f"{line}: text in the corner")
            print(f"{line}: {census[0]} bright pixels, strongest r/g/b {census[1]}")
            check(command("-deactivate"), "-deactivate failed")
            wait_for_hacks(0)
    except Failure as failure:
        log.seek(0)
        raise Failure(f"{failure}\n--- the daemon's log:\n{log.read()}")
    finally:
        command("-exit")
        try:
            daemon.wait(timeout=5)
        except subprocess.TimeoutExpired:
            daemon.kill()
            daemon.wait()
        for pid in hacks_on(env["DISPLAY"], uid):
            os.kill(pid, signal.SIGKILL)
        log.close()
        shutil.rmtree(home, ignore_errors=True)


CASES = {name[len("case_"):]: function for name, function in globals().items()
         if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--render", required=True)
    parser.add_argument("--xwindow", required=True)
    parser.add_argument("--config", default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                         "..", "..", "..", "hosts", "linux",
                                                         "tolva.xml"),
                        help="tolva.xml, as XScreenSaver's settings tool reads it")
    parser.add_argument("--installed", action="store_true",
                        help="--viewer is installed where the daemon looks for hacks")
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "import"):
        if shutil.which(tool) is None:
            print(f"skipped: {tool} is not installed (scripts/install-deps)")
            return SKIP
    session = Session(args)
    try:
        CASES[args.case](session)
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"FAIL {args.case}: {failure}")
        return 1
    finally:
        session.close()
    print(f"PASS {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
