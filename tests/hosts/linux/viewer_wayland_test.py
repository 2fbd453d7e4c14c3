#!/usr/bin/env python3
"""End-to-end tests of tolva's Wayland host on headless compositors.

One headless sway (pixman, no input devices, its own XDG_RUNTIME_DIR; as an unprivileged user,
since sway refuses root) serves every sway case; then one weston (headless, pixman), which has
no layer-shell. Outputs are read back with grim, keys typed with wtype, the pointer driven by
tolva-test-vpointer (a wlr virtual pointer); frame hashes and pixels are compared with
tolva-render's. Every process started is killed by its pid. Exit codes: 0 pass, 1 fail, 77
skipped (a compositor or tool missing).
    viewer_wayland_test.py --viewer PATH --render PATH --vpointer PATH [CASE...]
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# The X11 suite's helpers, imported without leaving compiled files in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from viewer_x11_test import (HACK_USER, SKIP, Failure, check, colour_census, cpu_and_wakeups,  # noqa: E402
                             dominant_colour, end_processes, expect_exit, expect_running, parse_ppm, read_bmp,
                             read_lines)

SLOW = 700000  # microseconds a step: a screenshot taken after frame n shows frame n or n + 1
SWAY_CONFIG = """output HEADLESS-1 resolution 1280x720 position 0 0
xwayland disable
default_border none
default_floating_border none
for_window [app_id="tolva"] floating enable
"""


def unprivileged():
    """The setpriv prefix and uid/gid that run a compositor as an ordinary user, or none."""
    if os.getuid() != 0:
        return [], os.getuid(), os.getgid()
    if subprocess.run(["id", HACK_USER], capture_output=True).returncode != 0:
        subprocess.run(["useradd", "--system", "--shell", "/usr/sbin/nologin", HACK_USER],
                       check=True)
    uid, gid = (int(subprocess.run(["id", flag, HACK_USER], capture_output=True).stdout)
                for flag in ("-u", "-g"))
    return ["setpriv", f"--reuid={uid}", f"--regid={gid}", "--clear-groups", "--"], uid, gid


class Compositor:
    """A headless compositor in a runtime folder of its own, and the processes a case starts."""

    def __init__(self, args, command, env, config=None):
        self.args = args
        self.processes = []
        self.tmp = tempfile.mkdtemp(prefix="tolva-wayland-test-")
        prefix, uid, gid = unprivileged()
        runtime = os.path.join(self.tmp, "run")
        os.mkdir(runtime, 0o700)
        os.chown(self.tmp, uid, gid)
        os.chown(runtime, uid, gid)
        self.log = open(os.path.join(self.tmp, "log"), "w+")
        os.chown(self.log.name, uid, gid)
        if config is not None:
            with open(os.path.join(self.tmp, "config"), "w") as out:
                out.write(config)
            command = command + ["-c", out.name]
        base = {"XDG_RUNTIME_DIR": runtime, "HOME": self.tmp, "PATH": "/usr/bin:/bin"}
        self.server = subprocess.Popen(prefix + command, env=dict(base, **env), cwd=self.tmp,
                                       stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        deadline = time.monotonic() + 15
        sockets = []
        while not sockets:
            check(time.monotonic() < deadline and self.server.poll() is None,
                  f"{command[0]} did not start: {self.read_log()}")
            time.sleep(0.1)
            sockets = [name for name in os.listdir(runtime)
                       if name.startswith("wayland-") and not name.endswith(".lock")]
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY=sockets[0],
                        XDG_CONFIG_HOME=os.path.join(self.tmp, "config"))
        self.env.pop("DISPLAY", None)
        ipc = [name for name in os.listdir(runtime) if name.startswith("sway-ipc")]
        if ipc:
            self.env["SWAYSOCK"] = os.path.join(runtime, ipc[0])

    def read_log(self):
        self.log.seek(0)
        return self.log.read()[-2000:]

    def start(self, command, stdout=subprocess.PIPE, env=None):
        process = subprocess.Popen(command, env=dict(self.env, **(env or {})), stdout=stdout,
                                   stderr=subprocess.PIPE, text=True)
        self.processes.append(process)
        return process

    def run(self, command, timeout=20):
        return subprocess.run(command, env=self.env, capture_output=True, text=True,
                              timeout=timeout)

    def tool(self, *command):
        result = self.run(list(command))
        check(result.returncode == 0, f"{' '.join(command)} failed: {result.stderr.strip()}")
        return result.stdout

    def end_all(self):
        end_processes(self.processes)

    def close(self):
        self.end_all()
        self.server.terminate()
        try:
            self.server.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.wait()
        self.log.close()
        shutil.rmtree(self.tmp, ignore_errors=True)

    # --- what the cases share ----------------------------------------------------------------

    def screenshot(self, where):
        """(width, height, RGB bytes) of an output, or of a region "X,Y WxH" of the layout."""
        command = ["grim", "-t", "ppm", "-g" if "," in where else "-o", where, "-"]
        result = subprocess.run(command, env=self.env, capture_output=True, timeout=15)
        check(result.returncode == 0, f"grim failed: {result.stderr.decode().strip()}")
        return parse_ppm(result.stdout)

    def render(self, size, frames, *words):
        """tolva-render's output for 10 trails of scheme 8, the viewer's runs here."""
        result = self.run([self.args.render, "--size", size, "--count", "10", "--color", "8",
                           "--frames", str(frames), *words])
        check(result.returncode == 0, f"tolva-render failed: {result.stderr}")
        return result.stdout.splitlines()

    def render_hashes(self, size, frames, scale=1, delay=SLOW):
        return self.render(size, frames, "--hash", "--delay", str(delay), "--scale", str(scale))

    def render_frames(self, size, frames, scale=1):
        out = tempfile.mkdtemp(dir=self.tmp)
        self.render(size, frames, "--scale", str(scale), "--out", out)
        return [read_bmp(os.path.join(out, f"frame_{i:06d}.bmp"))[2] for i in range(frames)]

    def viewer(self, *words, stdout=subprocess.PIPE, env=None):
        return self.start([self.args.viewer, *words], stdout=stdout, env=env)

    def pointer(self, *steps):
        # A new virtual pointer first becomes the seat's: tolva must hear of it before it moves.
        self.tool(self.args.vpointer, "wait", "300", *steps)


def shows_frame(compositor, viewer, frames, what):
    """After the next frame viewer reports, the output shows it (or the one after)."""
    index = int(read_lines(viewer, 1, 10, what)[0].split()[0])
    time.sleep(0.2)  # the line comes just before the commit, and the next frame much later
    _, _, shown = compositor.screenshot("HEADLESS-1")
    check(shown in frames[index:index + 2],
          f"{what}: the screen is not tolva-render's frame {index} or {index + 1}")
    return index


def bright_pixels(compositor, output, minimum=100, timeout=8):
    deadline = time.monotonic() + timeout
    while True:
        _, _, pixels = compositor.screenshot(output)
        bright = colour_census(pixels)[0]
        if bright >= minimum:
            return pixels
        check(time.monotonic() < deadline, f"{output}: no trails ({bright} bright pixels)")
        time.sleep(0.3)


# --- sway cases --------------------------------------------------------------------------------

def case_frames_at_scale_1_and_2(sway):
    """Full screen on the overlay layer draws tolva-render's frames, pixel for pixel, in the
    output's own pixels: at scale 2 the animation is drawn at scale 2 on the whole 1280x720.
    A window's first frame is already at its output's scale: no frame drawn at 1 before it is
    placed, and no second start."""
    for scale in (1, 2):
        sway.tool("swaymsg", "output", "HEADLESS-1", "scale", str(scale))
        frames = sway.render_frames("1280x720", 4, scale)
        viewer = sway.viewer("--fullscreen", "--count", "10", "--color", "8", "--hash",
                             "--delay", str(SLOW))
        check(read_lines(viewer, 1, 10, f"scale {scale}") ==
              sway.render_hashes("1280x720", 1, scale), f"scale {scale}: not tolva-render's frames")
        shows_frame(sway, viewer, frames, f"scale {scale}")
        viewer.send_signal(signal.SIGTERM)
        expect_exit(viewer, 0, 5, "SIGTERM in full screen")
        window = sway.run([sway.args.viewer, "--size", "320x240", "--count", "10", "--color", "8",
                           "--hash", "--frames", "2", "--delay", "100000"])
        check(window.stdout.splitlines() ==
              sway.render_hashes(f"{320 * scale}x{240 * scale}", 2, scale, 100000),
              f"a window at scale {scale}: not tolva-render's first two frames: {window.stdout}")
    sway.tool("swaymsg", "output", "HEADLESS-1", "scale", "1")


def case_every_output_its_own_animation(sway):
    """An output that comes while full screen runs is covered too, with an animation of its
    own: two outputs of one size show different pictures. (Last: sway 1.7 cannot take a
    headless output away again.)"""
    viewer = sway.viewer("--fullscreen", "--count", "25", "--color", "8",
                         stdout=subprocess.DEVNULL)
    first = bright_pixels(sway, "HEADLESS-1")
    sway.tool("swaymsg", "create_output")
    sway.tool("swaymsg", "output", "HEADLESS-2", "resolution", "1280x720", "position", "1280", "0")
    second = bright_pixels(sway, "HEADLESS-2")
    check(first != second, "both outputs show the same animation")
    viewer.send_signal(signal.SIGTERM)
    expect_exit(viewer, 0, 5, "SIGTERM with two outputs")


def case_full_screen_input(sway):
    """A key, the left and the right button end full screen; the middle button, the wheel and
    a jitter of 2 pixels around where the pointer entered do not; a real move does. So too
    through SDL's Wayland backend, whose start point is its first motion event."""
    jitter = ["by", "2", "0", "by", "-2", "2", "by", "2", "-2", "by", "-2", "0"] * 3
    for what, env in (("native", None), ("SDL", {"SDL_VIDEODRIVER": "wayland"})):
        sway.pointer("at", "640", "360", "1280", "720")
        viewer = sway.viewer("--fullscreen", *(["--x11"] if env else []), env=env,
                             stdout=subprocess.DEVNULL)
        time.sleep(1)
        sway.pointer(*jitter, "click", "middle", "wheel")
        expect_running(viewer, 0.5, f"{what}: the middle button, the wheel and a 2-pixel jitter")
        sway.pointer("by", "30", "30")
        expect_exit(viewer, 0, 5, f"{what}: a move of 30 pixels")
    for button in ("left", "right"):
        viewer = sway.viewer("--fullscreen", stdout=subprocess.DEVNULL)
        time.sleep(0.5)
        sway.pointer("click", button)
        expect_exit(viewer, 0, 5, f"the {button} button")
    viewer = sway.viewer("--fullscreen", stdout=subprocess.DEVNULL)
    time.sleep(0.5)
    sway.tool("wtype", "-s", "1000", "-k", "space")
    expect_exit(viewer, 0, 5, "a key")


def case_hidden_window_draws_nothing(sway):
    """A window on a workspace nobody sees commits no frame, prints no hash line and costs
    nothing; shown again, it shows tolva-render's frame whole at once."""
    frames = sway.render_frames("640x480", 60)
    hashes = os.path.join(sway.tmp, "hashes")
    with open(hashes, "w") as out:
        viewer = sway.viewer("--count", "10", "--color", "8", "--hash", "--delay", "300000",
                             stdout=out)
    region = "320,120 640x480"  # the floating window, in the middle of the output

    def lines():
        with open(hashes) as text:
            return [line for line in text.read().split("\n")[:-1] if line]

    deadline = time.monotonic() + 10
    while len(lines()) < 3:
        check(time.monotonic() < deadline, f"the window draws no frames: {lines()}")
        time.sleep(0.1)
    sway.tool("swaymsg", "workspace", "away")
    time.sleep(0.5)
    shown, (cpu, wakes) = len(lines()), cpu_and_wakeups(viewer.pid)
    time.sleep(2)
    cpu_after, wakes_after, drawn = *cpu_and_wakeups(viewer.pid), len(lines()) - shown
    sway.tool("swaymsg", "workspace", "1")
    print(f"hidden for 2 s: {drawn} frames, {wakes_after - wakes} wake-ups, "
          f"{cpu_after - cpu:.2f} s of processor time")
    check(drawn == 0 and wakes_after - wakes <= 1 and cpu_after - cpu <= 0.02,
          "it draws or wakes while its workspace is hidden")
    deadline = time.monotonic() + 10
    while len(lines()) <= shown:
        check(time.monotonic() < deadline, "no frames once shown again")
        time.sleep(0.05)
    time.sleep(0.15)  # its commit follows the line; the next frame is 0.3 s away
    index = int(lines()[-1].split()[0])
    _, _, pixels = sway.screenshot(region)
    check(pixels in frames[index:index + 2],
          f"shown again, the window is not tolva-render's frame {index} or {index + 1}")
    viewer.send_signal(signal.SIGTERM)
    expect_exit(viewer, 0, 5, "SIGTERM to the window")


def case_background_behind_a_window(sway):
    """--background is a wallpaper: its blue trails around a window with green ones, which
    takes the clicks; Escape in the window ends the window alone."""
    background = sway.viewer("--background", "--count", "40", "--color", "3",
                             stdout=subprocess.DEVNULL)
    window = sway.viewer("--count", "25", "--color", "2", stdout=subprocess.DEVNULL)
    dominant_colour(sway, "320,120 640x480", 1, "the window over the wallpaper")
    dominant_colour(sway, "0,0 320x720", 2, "the wallpaper beside the window")
    sway.pointer("at", "640", "360", "1280", "720", "click", "left")
    sway.tool("wtype", "-s", "1000", "-k", "Escape")
    expect_exit(window, 0, 5, "Escape in the window")
    expect_running(background, 0.3, "Escape in the window over the wallpaper")
    background.send_signal(signal.SIGTERM)
    expect_exit(background, 0, 5, "SIGTERM to the wallpaper")


def case_idle_daemon_starts_it(sway):
    """swayidle runs tolva --fullscreen after 2 idle seconds, with no input at all; a key
    ends it."""
    daemon = sway.start(["swayidle", "-w", "timeout", "2", f"{sway.args.viewer} --fullscreen"],
                        stdout=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while not (children := subprocess.run(["pgrep", "-P", str(daemon.pid)], capture_output=True,
                                          text=True).stdout.split()):
        check(time.monotonic() < deadline and daemon.poll() is None,
              "swayidle did not start tolva")
        time.sleep(0.2)
    bright_pixels(sway, "HEADLESS-1")
    sway.tool("wtype", "-s", "1000", "-k", "space")
    deadline = time.monotonic() + 5
    while os.path.exists(f"/proc/{children[0]}"):  # swayidle -w reaps it
        check(time.monotonic() < deadline, "a key did not end the tolva swayidle started")
        time.sleep(0.1)
    daemon.kill()


SWAY_CASES = [case_frames_at_scale_1_and_2, case_full_screen_input,
              case_hidden_window_draws_nothing, case_background_behind_a_window,
              case_idle_daemon_starts_it, case_every_output_its_own_animation]


# --- weston and no compositor ------------------------------------------------------------------

def case_weston_full_screen_toplevel(weston):
    """Where there is no layer-shell, full screen is an xdg_toplevel made full screen on the
    output, drawing tolva-render's frames at the output's size; where the compositor decorates
    no window, the window is libdecor's, its content at --size; --background is refused. The
    -fps text, drawn over each buffer after its frame, is gone from it before the next frame
    is drawn there: 100 frames at the default pace, the text from the first second on, are
    still tolva-render's."""
    for words, size, frames, delay in ((["--fullscreen"], "640x480", 8, SLOW // 10),
                                       (["--size", "300x200"], "300x200", 8, SLOW // 10),
                                       (["--fullscreen", "--fps"], "640x480", 100, 15625)):
        result = weston.run([weston.args.viewer, *words, "--count", "10", "--color", "8",
                             "--hash", "--frames", str(frames), "--delay", str(delay)])
        check(result.returncode == 0, f"{words}: exit code {result.returncode}: {result.stderr}")
        check(result.stdout.splitlines() == weston.render_hashes(size, frames, delay=delay),
              f"{words}: not tolva-render's frames at {size}")
    result = weston.run([weston.args.viewer, "--background"])
    check(result.returncode == 1 and "layer-shell" in result.stderr and
          len(result.stderr.splitlines()) == 1, f"--background: {result.returncode} {result.stderr!r}")
    env = dict(weston.env)
    del env["WAYLAND_DISPLAY"]
    result = subprocess.run([weston.args.viewer, "--wayland"], env=env, capture_output=True,
                            text=True, timeout=10)
    check(result.returncode == 1 and "Wayland" in result.stderr,
          f"--wayland without a compositor: {result.returncode} {result.stderr!r}")


def run_cases(make, cases, wanted):
    failed = 0
    chosen = [case for case in cases if not wanted or case.__name__[5:] in wanted]
    if not chosen:
        return 0
    compositor = make()
    try:
        for case in chosen:
            name = case.__name__[5:]
            try:
                case(compositor)
                print(f"PASS {name}")
            except (Failure, subprocess.TimeoutExpired) as failure:
                # A compositor that crashed fails every later case: say so where it happened.
                ended = compositor.server.poll()
                gone = "" if ended is None else f" (the compositor ended: exit status {ended})"
                print(f"FAIL {name}{gone}: {failure}\n--- compositor log:\n{compositor.read_log()}")
                failed += 1
            finally:
                compositor.end_all()
    finally:
        compositor.close()
    return failed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--render", required=True)
    parser.add_argument("--vpointer", required=True)
    parser.add_argument("case", nargs="*")
    args = parser.parse_args()
    args.viewer, args.render, args.vpointer = (os.path.realpath(path) for path in (
        args.viewer, args.render, args.vpointer))
    missing = [tool for tool in ("sway", "grim", "wtype", "swayidle", "weston")
               if shutil.which(tool) is None]
    if missing:
        print(f"skipped: {', '.join(missing)} not installed (scripts/install-deps)")
        return SKIP
    failed = run_cases(lambda: Compositor(args, ["sway"], {
        "WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"},
        SWAY_CONFIG), SWAY_CASES, args.case)
    failed += run_cases(lambda: Compositor(args, [
        "weston", "--backend=headless-backend.so", "--use-pixman", "--width=640", "--height=480",
        "--no-config", "--idle-time=0"], {}), [case_weston_full_screen_toplevel], args.case)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
