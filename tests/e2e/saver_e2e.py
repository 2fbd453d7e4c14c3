#!/usr/bin/env python3
"""End-to-end tests of the real tolva.scr: the saver runs under Wine on a private Xvfb screen,
started the way the host starts it, driven with real X input (xdotool), watched through real
screenshots (ImageMagick's import), the registry of a throwaway Wine prefix, and a small Win32
probe that reads window classes, placement and texts back. Wine runs in a Japanese locale
(code page 932) with a Japanese font, so the texts are checked as a Japanese user sees them;
a few scenarios start the saver as an English user, or as a Japanese user under code page 1252.
The host's password services are tried with the saver run as Windows 98 (Wine's per-program
Windows version); their stand-ins go into the prefix's system folder, and copies planted beside
the saver must never be loaded.

Usage: saver_e2e.py --scr PATH/tolva.scr [--fixtures DIR] [--render PATH/tolva-render.exe]
                   [--screenshots DIR] [SCENARIO...]

--fixtures names a folder holding probe.exe, preview_host.exe, PASSWORD.CPL and MPR.DLL as the
build makes them, for the saver's architecture; without it the script compiles them from
fixtures/ with MinGW itself. --render names the same build's tolva-render.exe, whose frame
hashes the primary monitor's picture must match (the scenario that needs it fails without it).
Several monitors are fake ones: Wine under Xvfb shows one, so the saver is started with
TOLVA_FAKE_MONITORS naming rectangles on the one screen.
--screenshots writes the full-screen saver and the dialog as small PNG files.
Every process the suite starts is ended by its id; Wine's server and Xvfb go at exit.
"""

import argparse
import atexit
import ctypes
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))

SCREEN_WIDTH = 800
SCREEN_HEIGHT = 600
CENTRE = (SCREEN_WIDTH // 2, SCREEN_HEIGHT // 2)

SAVER_CLASS = "TOLVA.gwp"
SETTINGS_KEY = r"HKCU\Software\Ravik\SCREEN SAVER\TOLVA"
DESKTOP_KEY = r"HKCU\Control Panel\desktop"

# The system's own texts, as the user reads them.
CREATE_FAILED_TEXT = "ウィンドウが作成できません"
CREATE_FAILED_CAPTION = "初期化エラー"
PASSWORD_FAILED_TEXT = "パスワードを確認できません"
PASSWORD_FAILED_CAPTION = "設定値取得エラー"
MPR_MISSING_TEXT = "MPR.DLLが見つかりません"
MPR_MISSING_CAPTION = "TOLVA"
CREATE_FAILED_ENGLISH = ("The saver window cannot be created.", "Initialisation error")

# Locales a saver may be started in: Wine takes the ANSI code page from LC_CTYPE and the
# interface language from LC_MESSAGES.
ENGLISH_USER = {"LC_ALL": "C.UTF-8"}
JAPANESE_USER_ON_1252 = {"LC_ALL": None, "LANG": None, "LC_CTYPE": "C.UTF-8",
                         "LC_MESSAGES": "ja_JP.UTF-8"}

# The configuration dialog's controls in creation (and tab) order: class, id, text.
SETUP_CONTROLS = [
    ("Button", 1, "OK"),
    ("Button", 2, "ｷｬﾝｾﾙ"),
    ("msctls_trackbar32", 1001, "Slider1"),
    ("Static", 0xFFFF, "オブジェクト数"),
    ("Static", 0xFFFF, "少"),
    ("Static", 0xFFFF, "多"),
    ("Button", 1002, "赤"),
    ("Button", 1003, "緑"),
    ("Button", 1004, "青"),
    ("Button", 0xFFFF, "色(&C)"),
    ("Button", 1005, "紫"),
    ("Button", 1006, "シアン"),
    ("Button", 1007, "黄"),
    ("Button", 1008, "白"),
    ("Button", 1009, "？"),
    ("Button", 1010, "？？"),
]
COLOR_BUTTON_IDS = list(range(1002, 1011))
# The English dialog: the same controls, ids and order.
ENGLISH_TEXTS = ["OK", "Cancel", "Slider1", "Trails", "Few", "Many", "Red", "Green", "Blue",
                 "&Colour", "Purple", "Cyan", "Yellow", "White", "A colour per trail",
                 "One colour, changing"]

WM_CLOSE = 0x0010
WM_KEYDOWN = 0x0100
WM_MOUSEMOVE = 0x0200
WM_LBUTTONDOWN = 0x0201
WM_RBUTTONDOWN = 0x0204
WM_WTSSESSION_CHANGE = 0x02B1
WM_DPICHANGED = 0x02E0
WTS_CONSOLE_CONNECT, WTS_CONSOLE_DISCONNECT = 1, 2
WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 7, 8
MK_LBUTTON = 0x0001
MK_RBUTTON = 0x0002
VK_SPACE = 0x20
IDOK = 1


def end_with_suite():
    """Run in a child before exec: the kernel ends it when the suite's process goes, even when
    the suite is killed outright (a test runner's timeout) and its clean-up never runs."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


class CheckFailed(Exception):
    """A check did not see what it looked for."""


def check(condition, looked_for, saw=""):
    if not condition:
        raise CheckFailed(f"looked for {looked_for}" + (f"; saw {saw}" if saw else ""))
    print(f"    ok: {looked_for}", flush=True)


class Processes:
    """Every process the suite starts, so each can be ended by its id."""

    def __init__(self):
        self.started = []

    def spawn(self, args, env, **kwargs):
        proc = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, **kwargs)
        self.started.append(proc)
        return proc

    def end(self, proc):
        if proc.poll() is None:
            try:
                os.kill(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass

    def end_all(self):
        for proc in self.started:
            self.end(proc)
        self.started = []


class Session:
    """One Xvfb screen, one Wine prefix, the fixtures and the saver's folders."""

    def __init__(self, args):
        self.args = args
        self.processes = Processes()
        self.work = tempfile.mkdtemp(prefix="tolva-e2e-")
        self.xvfb = None
        self.display = None
        self.env = None
        self.fixtures = None
        self.wineserver = None

    # -- set-up and tear-down ------------------------------------------------------------

    def start(self):
        self.start_xvfb()
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display,
            "WINEPREFIX": os.path.join(self.work, "prefix"),
            "WINEDEBUG": "-all",
            # No Mono or Gecko installers; nothing here needs them.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            # A Japanese user: Wine takes its locale and ANSI code page (932) from here.
            "LC_ALL": "ja_JP.UTF-8",
            "LANG": "ja_JP.UTF-8",
        })
        self.env.pop("WINELOADERNOEXEC", None)
        self.fixtures = self.prepare_fixtures()
        self.prepare_prefix()
        self.prepare_folders()

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=end_with_suite)
        os.close(write_end)
        number = b""
        deadline = time.time() + 20
        while time.time() < deadline and not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def stop(self):
        self.processes.end_all()
        if self.env is not None:
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30, check=False)
        if self.wineserver is not None:
            self.processes.end(self.wineserver)
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        if not self.args.keep:
            shutil.rmtree(self.work, ignore_errors=True)

    def prepare_fixtures(self):
        names = ["probe.exe", "preview_host.exe", "PASSWORD.CPL", "MPR.DLL"]
        if self.args.fixtures:
            for name in names:
                path = os.path.join(self.args.fixtures, name)
                if not os.path.isfile(path):
                    raise RuntimeError(f"fixture {path} is missing")
            return {name: os.path.join(self.args.fixtures, name) for name in names}
        out = os.path.join(self.work, "fixtures")
        os.makedirs(out)
        source = os.path.join(HERE, "fixtures")
        triplet = "x86_64-w64-mingw32" if self.saver_is_64_bit() else "i686-w64-mingw32"
        compiler = [f"{triplet}-g++", "-static", "-O1", "-Wall", "-Wextra", "-Werror"]
        builds = [
            (["probe.cpp", "-o", "probe.exe", "-lcomctl32", "-lgdi32"], []),
            (["preview_host.cpp", "-o", "preview_host.exe"], ["-mwindows"]),
            (["password_cpl.cpp", "-o", "PASSWORD.CPL"], ["-shared", "-Wl,--kill-at"]),
            (["mpr_dll.cpp", "-o", "MPR.DLL"], ["-shared", "-Wl,--kill-at"]),
        ]
        for files, flags in builds:
            args = compiler + flags + [os.path.join(source, files[0])] + \
                [os.path.join(out, f) if f.endswith((".exe", ".CPL", ".DLL")) else f
                 for f in files[1:]]
            subprocess.run(args, check=True)
        return {name: os.path.join(out, name) for name in names}

    def saver_is_64_bit(self):
        """From the PE header's machine field: 0x8664 is x86-64, 0x14c i386."""
        with open(self.args.scr, "rb") as f:
            header = f.read(4096)
        at = int.from_bytes(header[0x3C:0x40], "little")
        return int.from_bytes(header[at + 4:at + 6], "little") == 0x8664

    def prepare_prefix(self):
        subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=240, check=True)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=240, check=True)
        # One server for the whole run, started here with no pipe of ours: otherwise the
        # first program of each scenario would start one and hand it its output pipe.
        self.wineserver = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env,
                                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL,
                                           preexec_fn=end_with_suite)
        # The dialog asks for "ＭＳ Ｐゴシック"; a Japanese system without it substitutes the
        # proportional Gothic face it has.
        self.wine_reg(["add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "ＭＳ Ｐゴシック",
                       "/d", "IPAPGothic", "/f"])
        self.wine_reg(["add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "ＭＳ ゴシック",
                       "/d", "IPAGothic", "/f"])

    def prepare_folders(self):
        # "plain" holds the saver alone; "planted" also copies of the host password libraries
        # that accept every password, which the saver must never load. The host's own (the
        # stand-ins) go into the system folder that the saver's architecture sees; Wine's own
        # mpr.dll leaves it for the whole run.
        self.plain = os.path.join(self.work, "plain")
        self.planted = os.path.join(self.work, "planted")
        for folder in (self.plain, self.planted):
            os.makedirs(folder)
            shutil.copy(self.args.scr, os.path.join(folder, "tolva.scr"))
        for name in ("PASSWORD.CPL", "MPR.DLL"):
            shutil.copy(self.fixtures[name], self.planted)
        with open(os.path.join(self.planted, "answer.txt"), "w") as f:
            f.write("1")
        windows = os.path.join(self.env["WINEPREFIX"], "drive_c", "windows")
        wow64 = os.path.join(windows, "syswow64")
        self.system = wow64 if os.path.isdir(wow64) and not self.saver_is_64_bit() else \
            os.path.join(windows, "system32")
        for name in os.listdir(self.system):
            if name.lower() == "mpr.dll":
                os.rename(os.path.join(self.system, name), os.path.join(self.work, "wine-mpr.dll"))

    def host_library(self, name, present):
        """Puts the stand-in host library into the system folder, or takes it out."""
        path = os.path.join(self.system, name)
        if present:
            shutil.copy(self.fixtures[name], path)
        elif os.path.exists(path):
            os.remove(path)

    def host_calls(self, folder):
        """The calls the stand-ins in folder logged, and the log emptied for the next look."""
        log = os.path.join(folder, "calls.log")
        if not os.path.exists(log):
            return []
        with open(log) as f:
            calls = f.read().splitlines()
        os.remove(log)
        return calls

    def windows_version(self, version):
        """Wine's Windows version for tolva.scr ("win98"), or its default with None."""
        key = r"HKCU\Software\Wine\AppDefaults\tolva.scr"
        if version is None:
            self.wine_reg(["delete", key, "/f"], check_result=False)
        else:
            self.wine_reg(["add", key, "/v", "Version", "/d", version, "/f"])

    # -- Wine ----------------------------------------------------------------------------

    def wine_env(self, native_mpr=False, environment=None):
        env = dict(self.env)
        for name, value in (environment or {}).items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        if native_mpr:
            # Wine has a built-in mpr.dll; the host's library (or its absence) must be what
            # the saver meets, never Wine's own.
            env["WINEDLLOVERRIDES"] = self.env["WINEDLLOVERRIDES"] + ";mpr=n"
        return env

    def run_wine(self, args, timeout=60, environment=None):
        """Runs a Wine program to its end; returns its exit code and standard output. The
        output goes through a file, not a pipe: Wine's helper processes may inherit a pipe
        and keep it open long after the program ended."""
        with tempfile.TemporaryFile(dir=self.work) as out:
            proc = self.processes.spawn(["wine"] + args,
                                        env=self.wine_env(environment=environment), stdout=out,
                                        stderr=subprocess.DEVNULL)
            try:
                code = proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                self.processes.end(proc)
                raise RuntimeError(f"wine {' '.join(args)} did not end in {timeout} s")
            self.processes.started.remove(proc)
            out.seek(0)
            return code, out.read()

    def wine_reg(self, args, check_result=True):
        code, out = self.run_wine(["reg"] + args)
        if check_result and code != 0:
            raise RuntimeError(f"wine reg {' '.join(args)} failed: {code}")
        # reg writes in the ANSI code page.
        return code, out.decode("cp932", errors="replace")

    def probe(self, *args, environment=None):
        _, out = self.run_wine([self.fixtures["probe.exe"]] + [str(a) for a in args],
                               environment=environment)
        lines = out.decode("utf-8", errors="replace").splitlines()
        return [json.loads(line) for line in lines if line.startswith("{")]

    def saver(self, *args, folder=None, native_mpr=False, environment=None):
        path = os.path.join(folder or self.plain, "tolva.scr")
        return self.processes.spawn(["wine", path] + list(args),
                                    env=self.wine_env(native_mpr, environment),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def windows_path(self, path):
        return "Z:" + path.replace("/", "\\")

    # -- X -------------------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       timeout=30, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def screenshot(self, path):
        subprocess.run(["import", "-silent", "-window", "root", path], env=self.env, check=True,
                       timeout=60)

    def pixels(self, path, crop=None):
        """The RGB pixels of a PNG (optionally cropped to (x, y, w, h)) as a list of triples."""
        args = ["convert", path]
        if crop:
            x, y, w, h = crop
            args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        raw = subprocess.run(args + ["-depth", "8", "rgb:-"], check=True, capture_output=True,
                             timeout=60).stdout
        return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]

    def save_small(self, source, name, crop=None, width=None):
        if not self.args.screenshots:
            return
        os.makedirs(self.args.screenshots, exist_ok=True)
        args = ["convert", source]
        if crop:
            x, y, w, h = crop
            args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        if width:
            args += ["-resize", f"{width}x"]
        args += ["-strip", "-define", "png:exclude-chunks=date,time",
                 os.path.join(self.args.screenshots, name)]
        subprocess.run(args, check=True, timeout=60)

    # -- waiting -------------------------------------------------------------------------

    def wait_for(self, what, probe_fn, timeout=15.0, interval=0.25):
        deadline = time.time() + timeout
        while True:
            value = probe_fn()
            if value:
                return value
            if time.time() > deadline:
                return value
            time.sleep(interval)

    def saver_window(self):
        found = self.probe("top", SAVER_CLASS)
        return found[0] if found and found[0].get("hwnd") and found[0].get("visible") else None

    def dialogs(self):
        return [d for d in self.probe("dialogs") if "controls" in d]

    def dialog_titled(self, title):
        for dialog in self.dialogs():
            if dialog["text"] == title:
                return dialog
        return None

    def message_box_with(self, text):
        for dialog in self.dialogs():
            if any(c["text"] == text for c in dialog["controls"]):
                return dialog
        return None


# -- shared steps -------------------------------------------------------------------------

def set_settings(s, count, color):
    s.wine_reg(["add", SETTINGS_KEY, "/v", "COUNT", "/t", "REG_DWORD", "/d", str(count), "/f"])
    s.wine_reg(["add", SETTINGS_KEY, "/v", "COLOR", "/t", "REG_DWORD", "/d", str(color), "/f"])


def stored_settings(s):
    """COUNT and COLOR as `reg query` shows them: {name: (type, value)}."""
    code, text = s.wine_reg(["query", SETTINGS_KEY], check_result=False)
    values = {}
    for line in text.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0] in ("COUNT", "COLOR"):
            values[parts[0]] = (parts[1], int(parts[2], 0))
    return values


def set_use_password(s, value):
    if value is None:
        s.wine_reg(["delete", DESKTOP_KEY, "/v", "ScreenSaveUsePassword", "/f"],
                   check_result=False)
    else:
        s.wine_reg(["add", DESKTOP_KEY, "/v", "ScreenSaveUsePassword", "/t", "REG_DWORD",
                    "/d", str(value), "/f"])


def start_full_screen(s, folder=None):
    """Starts `tolva.scr /s` with the pointer at the screen's centre; returns the process and
    the window the probe found."""
    s.xdotool("mousemove", *CENTRE)
    proc = s.saver("/s", folder=folder)
    window = s.wait_for("saver window", s.saver_window, timeout=20)
    check(window is not None, f'a visible top-level window of class "{SAVER_CLASS}" after /s')
    return proc, window


def move_pointer(s, x, y):
    # A pause after each move keeps Wine from merging queued motion events into one message:
    # the saver counts its mouse-move messages.
    s.xdotool("mousemove", x, y)
    time.sleep(0.05)


def focus_saver(s):
    # No window manager runs: give the X focus to the saver's window the way a manager would
    # on activation, so key presses reach it.
    result = subprocess.run(["xdotool", "search", "--name", "^Screen Saver$"], env=s.env,
                            capture_output=True, text=True, timeout=30)
    ids = result.stdout.split()
    if ids:
        s.xdotool("windowfocus", "--sync", ids[0])


def still_running(proc, seconds):
    """Waits up to `seconds`; True when the process is still running then."""
    try:
        proc.wait(timeout=seconds)
        return False
    except subprocess.TimeoutExpired:
        return True


def expect_exit(proc, what, timeout=10):
    try:
        code = proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise CheckFailed(f"looked for the saver to end after {what} within {timeout} s; "
                          "it is still running")
    check(code == 0, f"exit code 0 after {what}", f"exit code {code}")


def expect_running(s, proc, what, seconds=1.0):
    check(still_running(proc, seconds) and s.saver_window() is not None,
          f"the saver still running with its window after {what}",
          f"exit code {proc.returncode}" if proc.returncode is not None else "no window")


def trail_colours(pixels):
    """Counts of black pixels and of bright pixels whose strongest channel is red, green or
    blue."""
    black = sum(1 for p in pixels if p == (0, 0, 0))
    bright = [p for p in pixels if max(p) >= 48]
    red = sum(1 for r, g, b in bright if r > g and r > b)
    blue = sum(1 for r, g, b in bright if b > r and b > g)
    return black, len(bright), red, blue


def check_message_box(box, text, caption):
    """A message box of the system's: its text and caption as a Japanese user reads them, no
    owner window and one button, OK."""
    check(box["text"] == caption, f'the caption "{caption}" over "{text}"', box["text"])
    check(box["owner"] == 0, "a message box with no owner window", str(box["owner"]))
    buttons = [(c["id"], c["text"]) for c in box["controls"]
               if c["class"].lower() == "button" and c["visible"]]
    check(buttons == [(IDOK, "OK")], "one button, OK", str(buttons))


def close_message_box(s, box):
    s.probe("click", box["hwnd"], IDOK)
    gone = s.wait_for("message box gone",
                      lambda: not any(d["hwnd"] == box["hwnd"] for d in s.dialogs()), timeout=10)
    check(gone, "the message box gone after its OK button")


# -- scenarios ----------------------------------------------------------------------------

def scenario_full_screen_blue(s):
    """/s with COUNT 2 and COLOR 3: a top-level "TOLVA.gwp" window covers the screen, the
    cursor is hidden, a screenshot shows bluish trails on black; a key press ends it."""
    set_settings(s, 2, 3)
    proc, window = start_full_screen(s)
    rect = (window["left"], window["top"], window["right"], window["bottom"])
    check(rect == (0, 0, SCREEN_WIDTH, SCREEN_HEIGHT),
          f"the window's rectangle (0, 0, {SCREEN_WIDTH}, {SCREEN_HEIGHT})", str(rect))
    check(window["text"] == "Screen Saver", 'the window title "Screen Saver"', window["text"])
    check(window["style"] & 0x80000000 and not window["style"] & 0x40000000,
          "a WS_POPUP window, not a child", hex(window["style"]))
    check(window["exstyle"] & 0x8, "WS_EX_TOPMOST", hex(window["exstyle"]))
    cursor = s.probe("cursor")[0]
    check(cursor["showing"] == 0, "the cursor hidden while the saver runs", str(cursor))
    time.sleep(1.0)
    shot = os.path.join(s.work, "full_blue.png")
    s.screenshot(shot)
    black, bright, red, blue = trail_colours(s.pixels(shot))
    total = SCREEN_WIDTH * SCREEN_HEIGHT
    check(black > total * 0.9, "a black background (over 90% of the screen exactly black)",
          f"{black} of {total}")
    check(bright >= 30, "trails: at least 30 bright pixels (a channel of 48 or more)",
          f"{bright}")
    check(blue > bright * 0.9 and red == 0, "bluish trails: over 90% of the bright pixels "
          "strongest in blue, none strongest in red", f"blue {blue}, red {red} of {bright}")
    s.save_small(shot, "e2e-full-screen.png", width=SCREEN_WIDTH // 2)
    focus_saver(s)
    s.xdotool("key", "a")
    expect_exit(proc, "a key press (a)")
    check(s.saver_window() is None, "no saver window after the exit")


def scenario_full_screen_orange(s):
    """/s with COUNT 2 and COLOR 1 draws orange trails; the left button ends it."""
    set_settings(s, 2, 1)
    proc, _ = start_full_screen(s)
    time.sleep(1.0)
    shot = os.path.join(s.work, "full_orange.png")
    s.screenshot(shot)
    black, bright, red, blue = trail_colours(s.pixels(shot))
    check(bright >= 30, "trails: at least 30 bright pixels", f"{bright}")
    check(red > bright * 0.9 and blue == 0, "orange trails: over 90% of the bright pixels "
          "strongest in red, none strongest in blue", f"red {red}, blue {blue} of {bright}")
    s.xdotool("click", "1")
    expect_exit(proc, "the left button")


def scenario_buttons_and_wheel(s):
    """The middle button and the wheel leave the saver running; the right button ends it."""
    set_settings(s, 2, 1)
    proc, _ = start_full_screen(s)
    s.xdotool("click", "2")
    expect_running(s, proc, "the middle button")
    s.xdotool("click", "4")
    s.xdotool("click", "5")
    expect_running(s, proc, "the wheel turned up and down")
    s.xdotool("click", "3")
    expect_exit(proc, "the right button")


def scenario_system_key(s):
    """The Alt key (a system key) ends the saver."""
    set_settings(s, 2, 1)
    proc, _ = start_full_screen(s)
    focus_saver(s)
    s.xdotool("key", "alt")
    expect_exit(proc, "the Alt key")


def scenario_mouse_moves(s):
    """Six small moves do not end the saver, nor does one of exactly 3 pixels on both axes;
    a move of 4 pixels on both axes does."""
    set_settings(s, 2, 1)
    proc, _ = start_full_screen(s)
    x, y = CENTRE
    for dx, dy in [(1, 1), (2, 2), (3, 3), (2, 1), (1, 2), (0, 3)]:
        move_pointer(s, x + dx, y + dy)
    expect_running(s, proc, "six small moves (3 pixels or less from the start)")
    move_pointer(s, x + 3, y - 3)
    expect_running(s, proc, "a move of exactly 3 pixels on both axes")
    move_pointer(s, x + 4, y + 4)
    expect_exit(proc, "a move of 4 pixels on both axes")


def scenario_one_axis_moves(s):
    """Moves along one axis alone never end the saver, however far; then a move off both
    axes does."""
    set_settings(s, 2, 1)
    proc, _ = start_full_screen(s)
    x, y = CENTRE
    for step in range(1, 9):
        move_pointer(s, x + 40 * step, y)
    for step in range(1, 9):
        move_pointer(s, x, y - 30 * step)
    expect_running(s, proc, "16 moves along the x axis alone and then the y axis alone")
    move_pointer(s, x - 50, y + 50)
    expect_exit(proc, "a move off both axes")


def scenario_single_instance(s):
    """While a full-screen saver runs, /s, /c, /p and an empty command line end at once with
    exit code 0 and show nothing."""
    set_settings(s, 2, 3)
    proc, window = start_full_screen(s)
    for args in (["/s"], ["/c"], ["/p"], [f"/p {window['hwnd']}"], []):
        label = " ".join(args) if args else "an empty command line"
        second = s.saver(*args)
        try:
            code = second.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise CheckFailed(f"looked for the second start ({label}) to end at once; "
                              "it is still running")
        check(code == 0, f"exit code 0 from the second start ({label})", f"exit code {code}")
        dialogs = s.dialogs()
        check(not dialogs, f"no dialog or message box after the second start ({label})",
              ", ".join(d["text"] for d in dialogs))
        children = s.probe("children", window["hwnd"])
        check(not children, f"no window inside the running saver after {label}",
              str(children))
    expect_running(s, proc, "the second starts", seconds=0.2)
    s.xdotool("click", "1")
    expect_exit(proc, "the left button")


def scenario_preview(s):
    """/p HWND from a host program: the saver's window sits in the host's area as a child,
    ignores keys, buttons and movement, and ends with exit code 0 when the host window is
    destroyed."""
    set_settings(s, 6, 8)
    report_path = os.path.join(s.work, "preview_host.out")
    report_file = open(report_path, "wb")
    host = s.processes.spawn(
        ["wine", s.fixtures["preview_host.exe"],
         s.windows_path(os.path.join(s.plain, "tolva.scr"))],
        env=s.env, stdout=report_file, stderr=subprocess.DEVNULL)
    report_file.close()

    def report():
        # Only whole lines: the host may be halfway through writing the last one.
        with open(report_path, "rb") as f:
            lines = f.read().decode("utf-8", errors="replace").split("\n")[:-1]
        return [json.loads(line) for line in lines if line.startswith("{")]

    first = s.wait_for("host report", report, timeout=20)
    started = first[0] if first else {}
    check("area" in started, "the host's report of its window, area and saver", str(first))
    area = started["area"]

    def preview_child():
        children = s.probe("children", area)
        return [c for c in children if c["class"] == SAVER_CLASS]

    found = s.wait_for("preview child", preview_child, timeout=20)
    check(len(found) == 1, f'one child window of class "{SAVER_CLASS}" in the host\'s area',
          str(found))
    child = found[0]
    check(child["style"] & 0x40000000 and child["parent"] == area,
          "the preview is a WS_CHILD of the area", f"style {hex(child['style'])}")
    area_info = [w for w in s.probe("children", started["host"]) if w["hwnd"] == area][0]
    child_rect = (child["left"], child["top"], child["right"], child["bottom"])
    area_rect = (area_info["left"], area_info["top"], area_info["right"], area_info["bottom"])
    check(child_rect == area_rect, "the preview covering the area exactly",
          f"preview {child_rect}, area {area_rect}")
    check(s.saver_window() is None, "no top-level saver window (FindWindow sees none)")
    # Wine 8 puts nothing on screen that a process draws into a child of another process's
    # window, so the preview's pixels cannot be looked at here; its window is.

    # Real input over the preview, then the same messages handed to its window directly.
    cx = (area_rect[0] + area_rect[2]) // 2
    cy = (area_rect[1] + area_rect[3]) // 2
    for dx in range(0, 100, 20):
        move_pointer(s, cx - 50 + dx, cy - 40 + dx)
    s.xdotool("click", "1")
    s.xdotool("click", "3")
    s.xdotool("key", "a", "Escape", "Return", "alt")
    hwnd = child["hwnd"]
    s.probe("post", hwnd, WM_KEYDOWN, VK_SPACE, 0x00390001)
    s.probe("post", hwnd, WM_LBUTTONDOWN, MK_LBUTTON, (40 << 16) | 40)
    s.probe("post", hwnd, WM_RBUTTONDOWN, MK_RBUTTON, (40 << 16) | 40)
    for i in range(10):
        s.probe("post", hwnd, WM_MOUSEMOVE, 0, ((20 + 15 * i) << 16) | (20 + 15 * i))
    time.sleep(0.5)
    alive = s.probe("iswindow", hwnd)[0]["iswindow"]
    check(alive == 1 and host.poll() is None,
          "the preview still there after keys, both buttons and movement")

    s.probe("post", started["host"], WM_CLOSE, 0, 0)
    try:
        host.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise CheckFailed("looked for the host to end after its window closed; it hangs")
    ended = [line for line in report() if "saver_exit" in line]
    check(ended == [{"saver_exit": 0}] and host.returncode == 0,
          "the saver ended with exit code 0 when the host window was destroyed", str(ended))


def scenario_preview_invalid_handle(s):
    """/p with a handle that is no window shows the creation-failure message."""
    bogus = 0x7FF0
    check(s.probe("iswindow", bogus)[0]["iswindow"] == 0, f"{bogus} being no window")
    proc = s.saver(f"/p {bogus}")
    box = s.wait_for("message box", lambda: s.message_box_with(CREATE_FAILED_TEXT), timeout=20)
    check(box is not None, f'a message box reading "{CREATE_FAILED_TEXT}"',
          json.dumps([d["text"] for d in s.dialogs()], ensure_ascii=False))
    check_message_box(box, CREATE_FAILED_TEXT, CREATE_FAILED_CAPTION)
    close_message_box(s, box)
    expect_exit(proc, "the message box was closed")


def open_setup(s, *args):
    proc = s.saver(*args)
    dialog = s.wait_for("SETUP", lambda: s.dialog_titled("SETUP"), timeout=20)
    check(dialog is not None, 'a dialog captioned "SETUP"',
          json.dumps([d["text"] for d in s.dialogs()], ensure_ascii=False))
    return proc, dialog


def setup_state(dialog):
    controls = {c["id"]: c for c in dialog["controls"] if c["id"] != 0xFFFF}
    checked = [i for i in COLOR_BUTTON_IDS if controls[i].get("checked") == 1]
    return controls[1001].get("pos"), checked


def focus_dialog(s, dialog):
    result = subprocess.run(["xdotool", "search", "--name", f"^{dialog['text']}$"], env=s.env,
                            capture_output=True, text=True, timeout=30)
    for wid in result.stdout.split():
        s.xdotool("windowfocus", "--sync", wid)
        break
    time.sleep(0.3)


def scenario_setup_keyboard(s):
    """/c opens "SETUP" with the stored values and the system's texts; Tab to the trackbar,
    arrow keys, a click on a colour and Enter store the new count and colour as REG_DWORD; a
    second /c shows them."""
    set_settings(s, 25, 1)
    proc, dialog = open_setup(s, "/c")
    seen = [(c["class"], c["id"], c["text"]) for c in dialog["controls"]]
    check([(c.lower(), i, t) for c, i, t in seen] ==
          [(c.lower(), i, t) for c, i, t in SETUP_CONTROLS],
          "the 16 controls with the system's classes, ids and texts, in tab order",
          json.dumps(seen, ensure_ascii=False))
    check(setup_state(dialog) == (25, [1002]), "the stored values shown: trackbar at 25, "
          '"赤" checked', str(setup_state(dialog)))
    check(dialog["owner"] == 0, "a dialog with no owner window", str(dialog["owner"]))
    style = dialog["style"]
    check(style & 0x80000000 and style & 0x00C00000 == 0x00C00000 and style & 0x00080000,
          "a popup dialog with a caption and a system menu", hex(style))
    slider = [c for c in dialog["controls"] if c["id"] == 1001][0]
    check((slider.get("min"), slider.get("max")) == (2, 80), "the trackbar's range 2 to 80",
          f"{slider.get('min')} to {slider.get('max')}")
    shot = os.path.join(s.work, "setup.png")
    s.screenshot(shot)
    s.save_small(shot, "e2e-setup.png", crop=(dialog["left"], dialog["top"],
                                              dialog["right"] - dialog["left"],
                                              dialog["bottom"] - dialog["top"]))
    focus_dialog(s, dialog)
    # OK has the focus; Tab twice reaches the trackbar, whose arrows move it by one.
    s.xdotool("key", "Tab", "Tab")
    s.xdotool("key", "Right", "Right", "Right", "Right", "Right", "Left")
    now = s.dialog_titled("SETUP")
    check(now is not None and setup_state(now)[0] == 29,
          "the trackbar at 29 after Tab, Tab, five Right and one Left",
          str(setup_state(now) if now else None))
    # The colour buttons are no tab stops and carry no mnemonic of their own (the group's
    # Alt+C reaches only the checked one), so the colour is chosen with the mouse.
    target = [c for c in now["controls"] if c["id"] == 1010][0]
    s.xdotool("mousemove", (target["left"] + target["right"]) // 2,
              (target["top"] + target["bottom"]) // 2)
    s.xdotool("click", "1")
    now = s.dialog_titled("SETUP")
    check(now is not None and setup_state(now) == (29, [1010]),
          '"？？" alone checked and the trackbar still at 29 after a click on "？？"',
          str(setup_state(now) if now else None))
    chosen = 9
    s.xdotool("key", "Return")
    expect_exit(proc, "Enter in the dialog")
    stored = stored_settings(s)
    check(stored.get("COUNT") == ("REG_DWORD", 29) and
          stored.get("COLOR") == ("REG_DWORD", chosen),
          f"COUNT 29 and COLOR {chosen} stored as REG_DWORD", str(stored))

    proc, dialog = open_setup(s, "/c")
    check(setup_state(dialog) == (29, [1001 + chosen]),
          f"a second /c showing the stored values (29, button {1001 + chosen})",
          str(setup_state(dialog)))
    # The keyboard alone: the count changes and OK (Enter) writes both values again.
    focus_dialog(s, dialog)
    s.xdotool("key", "Tab", "Tab", "Left", "Left", "Left", "Return")
    expect_exit(proc, "Tab, Tab, three Left and Enter")
    stored = stored_settings(s)
    check(stored == {"COUNT": ("REG_DWORD", 26), "COLOR": ("REG_DWORD", 9)},
          "COUNT 26 and the unchanged COLOR 9 stored as REG_DWORD", str(stored))


def scenario_setup_cancel(s):
    """Escape and the close box store nothing; the empty command line opens the dialog
    too."""
    set_settings(s, 40, 5)
    proc, dialog = open_setup(s)
    check(setup_state(dialog) == (40, [1006]),
          'an empty command line opening "SETUP" with the stored 40 and "シアン"',
          str(setup_state(dialog)))
    focus_dialog(s, dialog)
    s.xdotool("key", "Tab", "Tab", "Right", "Right", "Right")
    s.xdotool("key", "Escape")
    expect_exit(proc, "Escape after moving the trackbar")
    check(stored_settings(s) == {"COUNT": ("REG_DWORD", 40), "COLOR": ("REG_DWORD", 5)},
          "COUNT 40 and COLOR 5 unchanged after Escape", str(stored_settings(s)))

    proc, dialog = open_setup(s, "/c")
    focus_dialog(s, dialog)
    s.xdotool("key", "Tab", "Tab", "Left", "Left")
    s.probe("post", dialog["hwnd"], WM_CLOSE, 0, 0)
    expect_exit(proc, "the close box (WM_CLOSE)")
    check(stored_settings(s) == {"COUNT": ("REG_DWORD", 40), "COLOR": ("REG_DWORD", 5)},
          "COUNT 40 and COLOR 5 unchanged after the close box", str(stored_settings(s)))


def set_use_password_text(s, text):
    s.wine_reg(["add", DESKTOP_KEY, "/v", "ScreenSaveUsePassword", "/t", "REG_SZ", "/d", text,
                "/f"])


def scenario_password_refused_then_accepted(s):
    """With a refusing PASSWORD.CPL in the system folder: on the NT family (Wine's default) the
    system locks the session itself, and a click ends the saver unasked. As Windows 98,
    ScreenSaveUsePassword "0" (text, as the desktop stores it) asks nothing; "1" has a refusal
    keep the saver running and put the cursor back, an acceptance close it; the accepting copy
    beside the saver is never loaded."""
    set_settings(s, 2, 3)
    s.host_library("PASSWORD.CPL", True)
    answer = os.path.join(s.system, "answer.txt")
    with open(answer, "w") as f:
        f.write("0")
    try:
        set_use_password(s, 1)
        proc, _ = start_full_screen(s, folder=s.planted)
        s.xdotool("click", "1")
        expect_exit(proc, "a click on the NT family")
        check(s.host_calls(s.system) == [], "no VerifyScreenSavePwd call on the NT family")

        s.windows_version("win98")
        set_use_password_text(s, "0")
        proc, _ = start_full_screen(s, folder=s.planted)
        s.xdotool("click", "1")
        expect_exit(proc, 'a click with ScreenSaveUsePassword "0"')
        check(s.host_calls(s.system) == [], 'no VerifyScreenSavePwd call for the text "0"')

        set_use_password_text(s, "1")
        proc, window = start_full_screen(s, folder=s.planted)
        # Away from the start along one axis alone, which does not close, then the button.
        x, y = CENTRE
        for step in range(1, 5):
            move_pointer(s, x + 50 * step, y)
        s.xdotool("click", "1")
        time.sleep(1.0)
        expect_running(s, proc, "a close refused by VerifyScreenSavePwd")
        check(s.host_calls(s.system) == [f"VerifyScreenSavePwd {window['hwnd']} 0"],
              "one call of the system folder's VerifyScreenSavePwd with the saver's handle")
        cursor = s.probe("cursor")[0]
        check((cursor["x"], cursor["y"]) == CENTRE,
              f"the cursor put back at its start {CENTRE} after the refused close, from "
              f"({x + 200}, {y})", f"({cursor['x']}, {cursor['y']})")
        with open(answer, "w") as f:
            f.write("1")
        s.xdotool("click", "1")
        expect_exit(proc, "a close accepted by VerifyScreenSavePwd")
        check(s.host_calls(s.system) == [f"VerifyScreenSavePwd {window['hwnd']} 1"],
              "a second call, which accepted")
        check(s.host_calls(s.planted) == [], "the PASSWORD.CPL beside the saver never called")
    finally:
        set_use_password(s, None)
        s.windows_version(None)
        s.host_library("PASSWORD.CPL", False)


def z_order(s):
    """The handles of the visible top-level windows, topmost first."""
    return [w["hwnd"] for w in s.probe("toplevel")]


def scenario_password_library_missing(s):
    """As Windows 98, ScreenSaveUsePassword 1 with no PASSWORD.CPL in the system folder (only
    the accepting one beside the saver): every close attempt shows "パスワードを確認できません"
    above the topmost saver, Enter dismisses it, and the saver stays."""
    set_settings(s, 2, 3)
    set_use_password(s, 1)
    s.windows_version("win98")
    try:
        proc, window = start_full_screen(s, folder=s.planted)
        for attempt, action in enumerate([("click", "1"), ("click", "3")], start=1):
            s.xdotool(*action)
            box = s.wait_for("failure message",
                             lambda: s.message_box_with(PASSWORD_FAILED_TEXT), timeout=10)
            check(box is not None, f'close attempt {attempt}: a message box reading '
                  f'"{PASSWORD_FAILED_TEXT}"')
            check_message_box(box, PASSWORD_FAILED_TEXT, PASSWORD_FAILED_CAPTION)
            order = z_order(s)
            check(box["exstyle"] & 0x8 and order.index(box["hwnd"]) <
                  order.index(window["hwnd"]), "the box topmost and above the saver's window",
                  f"exstyle {hex(box['exstyle'])}, z-order {order}")
            s.xdotool("key", "Return")
            gone = s.wait_for("box gone", lambda: s.message_box_with(PASSWORD_FAILED_TEXT) is
                              None, timeout=10)
            check(gone, "the box dismissed by Enter: the keyboard went to it")
            expect_running(s, proc, f"close attempt {attempt} without PASSWORD.CPL")
        check(s.host_calls(s.planted) == [], "the PASSWORD.CPL beside the saver never called")
    finally:
        set_use_password(s, None)
        s.windows_version(None)
    s.xdotool("click", "1")
    expect_exit(proc, "a close once no password is required")


def scenario_change_password(s):
    """/a with the system folder's MPR.DLL hands PwdChangePasswordA "SCRSAVE" and the handle;
    without it, "MPR.DLLが見つかりません" under "TOLVA", and the copy beside the saver is never
    loaded."""
    s.host_library("MPR.DLL", True)
    try:
        proc = s.saver("/a 1234", folder=s.planted, native_mpr=True)
        expect_exit(proc, "/a 1234 with MPR.DLL", timeout=20)
        check(s.host_calls(s.system) == ["PwdChangePasswordA SCRSAVE 1234 0 0"],
              'one PwdChangePasswordA call with "SCRSAVE", 1234, 0, 0')
    finally:
        s.host_library("MPR.DLL", False)

    proc = s.saver("/a 1234", folder=s.planted, native_mpr=True)
    box = s.wait_for("message box", lambda: s.message_box_with(MPR_MISSING_TEXT), timeout=20)
    check(box is not None, f'a message box reading "{MPR_MISSING_TEXT}" without MPR.DLL',
          json.dumps([d["text"] for d in s.dialogs()], ensure_ascii=False))
    check_message_box(box, MPR_MISSING_TEXT, MPR_MISSING_CAPTION)
    close_message_box(s, box)
    expect_exit(proc, "the message box was closed")
    check(s.host_calls(s.planted) == [], "the MPR.DLL beside the saver never called")


def settings_window(s, rect):
    """A window of another program standing in for the display settings: the probe's cover,
    kept for a minute; returns its handle."""
    x, y, width, height = rect
    s.processes.spawn(["wine", s.fixtures["probe.exe"], "cover", str(x), str(y), str(width),
                       str(height), "60000"], env=s.env, stdout=subprocess.DEVNULL,
                      stderr=subprocess.DEVNULL)
    found = s.wait_for("settings window", lambda: [
        w for w in s.probe("toplevel") if w["class"] == "TolvaProbeCover"], timeout=20)
    check(found, "the stand-in settings window")
    return found[0]


def scenario_languages(s):
    """An English user gets the English dialog and messages; a Japanese user under code page
    1252 gets the Japanese ones, readable, exactly as under code page 932. Opened by a window
    ("/c:HWND", "/c HWND"), the dialog is that window's, modal to it and centred over it."""
    set_settings(s, 25, 1)
    for locale, title, texts, failed, switch, owner_rect in [
            (ENGLISH_USER, "TOLVA Setup", ENGLISH_TEXTS, CREATE_FAILED_ENGLISH, "/c:",
             (300, 200, 460, 340)),
            (JAPANESE_USER_ON_1252, "SETUP", [t for _, _, t in SETUP_CONTROLS],
             (CREATE_FAILED_TEXT, CREATE_FAILED_CAPTION), "/c ", (40, 60, 380, 300))]:
        acp = s.probe("screen", environment=locale)[0]["acp"]
        check(acp == 1252, f"the ANSI code page 1252 for {locale}", str(acp))
        owner = settings_window(s, owner_rect)
        proc = s.saver(f"{switch}{owner['hwnd']}", environment=locale)
        dialog = s.wait_for(title, lambda: s.dialog_titled(title), timeout=20)
        check(dialog is not None, f'a dialog captioned "{title}" for {locale}',
              json.dumps([d["text"] for d in s.dialogs()], ensure_ascii=False))
        seen = [(c["id"], c["text"]) for c in dialog["controls"]]
        check(seen == [(i, t) for (_, i, _), t in zip(SETUP_CONTROLS, texts)],
              f"the 16 controls with their ids and texts for {locale}",
              json.dumps(seen, ensure_ascii=False))
        disabled = [w for w in s.probe("toplevel") if w["hwnd"] == owner["hwnd"]]
        centre = ((dialog["left"] + dialog["right"]) // 2, (dialog["top"] + dialog["bottom"]) // 2)
        wanted = ((owner["left"] + owner["right"]) // 2, (owner["top"] + owner["bottom"]) // 2)
        check(dialog["owner"] == owner["hwnd"] and disabled and disabled[0]["style"] & 0x08000000
              and abs(centre[0] - wanted[0]) <= 1 and abs(centre[1] - wanted[1]) <= 1,
              f"after {switch}HWND the dialog owned by that window, which it disables, and "
              f"centred over it at {wanted}", f"owner {dialog['owner']}, centre {centre}")
        focus_dialog(s, dialog)
        s.xdotool("key", "alt+c")
        checked = [c["hwnd"] for c in dialog["controls"] if c.get("checked") == 1]
        check(s.dialog_titled(title)["focus"] in checked,
              f'Alt+C giving the checked colour ("{texts[6]}") the focus for {locale}')
        s.probe("click", dialog["hwnd"], 2)
        expect_exit(proc, "Cancel")
        s.processes.end_all()

        bogus = 0x7FF0
        proc = s.saver(f"/p {bogus}", environment=locale)
        box = s.wait_for("message box", lambda: s.message_box_with(failed[0]), timeout=20)
        check(box is not None, f'a message box reading "{failed[0]}" for {locale}',
              json.dumps([d["text"] for d in s.dialogs()], ensure_ascii=False))
        check_message_box(box, *failed)
        close_message_box(s, box)
        expect_exit(proc, "the message box was closed")


# Three fake monitors on the 800x600 screen: the primary, one of the same size beside it (so a
# shared seed would show as the same picture), and a smaller one offset on both axes.
MONITORS = [(0, 0, 400, 300), (400, 0, 800, 300), (400, 300, 720, 540)]


def saver_windows(s):
    return [w for w in s.probe("toplevel") if w["class"] == SAVER_CLASS]


def start_on_monitors(s, monitors=MONITORS, pointer=(200, 150)):
    s.xdotool("mousemove", *pointer)
    proc = s.saver("/s", environment={
        "TOLVA_FAKE_MONITORS": ";".join(",".join(map(str, m)) for m in monitors)})
    windows = s.wait_for("saver windows", lambda: len(saver_windows(s)) == len(monitors) and
                         saver_windows(s), timeout=20)
    check(windows and sorted((w["left"], w["top"], w["right"], w["bottom"]) for w in windows) ==
          sorted(monitors), f"one saver window on each of the monitors {monitors}",
          str([(w["left"], w["top"], w["right"], w["bottom"]) for w in windows or []]))
    check(all(w["owner"] == 0 and w["exstyle"] & 0x8 for w in windows),
          "every window topmost and with no owner")
    return proc, {(w["left"], w["top"]): w for w in windows}


def surface_hash(pixels, width, height):
    """FNV-1a 64 of pixels laid out as the animation's surface: bottom row first, blue, green,
    red, rows padded to 4 bytes; as tolva-render --hash prints it."""
    padding = bytes((4 - width * 3 % 4) % 4)
    rows = [b"".join(bytes((b, g, r)) for r, g, b in pixels[y * width:(y + 1) * width]) + padding
            for y in reversed(range(height))]
    value = 0xcbf29ce484222325
    for byte in b"".join(rows):
        value = ((value ^ byte) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return f"{value:016x}"


def frame_on_screen(s, rendered):
    """The index of tolva-render's frame that the whole screen shows exactly, or None; up to
    three screenshots, as one may fall between two of Wine's updates of the screen."""
    shot = os.path.join(s.work, "frame.png")
    for _ in range(3):
        s.screenshot(shot)
        index = rendered.get(surface_hash(s.pixels(shot), SCREEN_WIDTH, SCREEN_HEIGHT))
        if index is not None:
            return index
    return None


def rendered_hashes(s, width, height, count, color, frames, scale=1):
    """{hash: first frame index} of tolva-render's frames at width x height."""
    _, out = s.run_wine([s.args.render, "--size", f"{width}x{height}", "--count", str(count),
                         "--color", str(color), "--frames", str(frames), "--hash", "--scale",
                         str(scale)], timeout=300)
    rendered = {}
    for line in out.decode().splitlines():
        if len(line.split()) == 2:
            rendered.setdefault(line.split()[1], int(line.split()[0]))
    return rendered


def scenario_frames_after_cover(s):
    """/s (COUNT 10, COLOR 8) shows exactly one of tolva-render's frames, and a later one each
    time a topmost window that covered part of it, then all of it, has gone. While the session
    is locked or disconnected, or the display is off, the screen holds its pixels for 2 s (no
    frame is drawn); on return it shows a later frame, exactly and whole."""
    check(s.args.render is not None, "--render naming tolva-render.exe")
    set_settings(s, 10, 8)
    rendered = rendered_hashes(s, SCREEN_WIDTH, SCREEN_HEIGHT, 10, 8, 6000)
    proc, window = start_full_screen(s)
    time.sleep(1.0)
    shown = frame_on_screen(s, rendered)
    check(shown is not None, "the screen exactly one of tolva-render's frames", "none of 6000")
    for x, y, width, height in ((100, 80, 300, 200), (0, 0, SCREEN_WIDTH, SCREEN_HEIGHT)):
        s.probe("cover", x, y, width, height, 1000)
        time.sleep(0.3)
        later = frame_on_screen(s, rendered)
        check(later is not None and later > shown,
              f"after a window over ({x}, {y}, {width}, {height}) went away, the screen exactly "
              f"a frame of tolva-render's after frame {shown}", f"frame {later}")
        shown = later

    # The notifications the system sends to the window that registered for them: the session's
    # changes carry no pointer and are posted as they are; the display's state is a setting
    # block that the probe writes into the saver's process before sending it.
    hwnd = window["hwnd"]
    shot = os.path.join(s.work, "paused.png")
    for what, pause, resume in [
            ("the session locked", ("post", hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1),
             ("post", hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1)),
            ("the console disconnected",
             ("post", hwnd, WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 1),
             ("post", hwnd, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 1)),
            ("the display off", ("display", hwnd, 0), ("display", hwnd, 1))]:
        s.probe(*pause)
        time.sleep(0.3)
        s.screenshot(shot)
        held = s.pixels(shot)
        time.sleep(2.0)
        s.screenshot(shot)
        check(s.pixels(shot) == held, f"with {what}, the same pixels on the screen 2 s later")
        s.probe(*resume)
        time.sleep(0.2)
        later = frame_on_screen(s, rendered)
        check(later is not None and later > shown, f"after {what} ended, the screen exactly a "
              f"frame of tolva-render's after frame {shown}", f"frame {later}")
        shown = later
    focus_saver(s)
    s.xdotool("key", "a")
    expect_exit(proc, "a key press (a)")


def scenario_scale_of_the_dpi(s):
    """At 96 DPI the saver draws tolva-render's frames, at 192 DPI (LogPixels) its frames at
    scale 2: the animation of half the size with every disc twice as large. Started at one DPI,
    it is told of a change to the other (WM_DPICHANGED) while the session is locked, and shows
    that scale's first frame, whole, when it is unlocked."""
    check(s.args.render is not None, "--render naming tolva-render.exe")
    count, color = 10, 8
    set_settings(s, count, color)
    shot = os.path.join(s.work, "dpi.png")
    try:
        for start, dpi in ((192, 96), (96, 192)):
            first = {h for h, i in rendered_hashes(s, SCREEN_WIDTH, SCREEN_HEIGHT, count, color,
                                                  1, dpi // 96).items() if i == 0}
            s.wine_reg(["add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(start),
                        "/f"])
            proc, window = start_full_screen(s)
            for _ in range(3):
                # Back to back: no timer's frame comes between the unlock and the second lock
                # (a loaded machine may still slip one in; then it tries again).
                s.probe("post", window["hwnd"], WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1,
                        WM_DPICHANGED, dpi * 0x10001, 0, WM_WTSSESSION_CHANGE,
                        WTS_SESSION_UNLOCK, 1, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1)
                time.sleep(0.5)
                s.screenshot(shot)
                if surface_hash(s.pixels(shot), SCREEN_WIDTH, SCREEN_HEIGHT) in first:
                    break
            check(surface_hash(s.pixels(shot), SCREEN_WIDTH, SCREEN_HEIGHT) in first,
                  f"{start} then {dpi} DPI: tolva-render's first frame, scale {dpi // 96}")
            if dpi == 192:
                s.save_small(shot, "e2e-192-dpi.png", width=SCREEN_WIDTH // 2)
            s.processes.end(proc)
            s.wait_for("no saver window", lambda: s.saver_window() is None, timeout=10)
    finally:
        s.wine_reg(["delete", DESKTOP_KEY, "/v", "LogPixels", "/f"], check_result=False)


def scenario_every_monitor(s):
    """Three fake monitors: a window on each; each shows its own animation, the primary's
    exactly tolva-render's frames for its size; moves over the two others share one grace count
    and one start point in screen coordinates, and the move that ends the saver closes every
    window."""
    check(s.args.render is not None, "--render naming tolva-render.exe")
    count, color = 4, 8
    set_settings(s, count, color)
    proc, windows = start_on_monitors(s)
    time.sleep(1.0)
    primary = MONITORS[0]
    width, height = primary[2] - primary[0], primary[3] - primary[1]
    shot = os.path.join(s.work, "monitors.png")
    s.screenshot(shot)
    regions = [s.pixels(shot, (m[0], m[1], m[2] - m[0], m[3] - m[1])) for m in MONITORS]
    for monitor, pixels in zip(MONITORS, regions):
        _, bright, _, _ = trail_colours(pixels)
        check(bright >= 30, f"trails on the monitor {monitor}", f"{bright} bright pixels")
    check(regions[0] != regions[1], "the two monitors of the same size showing different "
          "animations")
    s.save_small(shot, "e2e-monitors.png", crop=(0, 0, SCREEN_WIDTH, 300))

    _, out = s.run_wine([s.args.render, "--size", f"{width}x{height}", "--count", str(count),
                         "--color", str(color), "--frames", "3000", "--hash"], timeout=300)
    rendered = {line.split()[1] for line in out.decode().splitlines() if len(line.split()) == 2}
    check(len(rendered) > 1000, "tolva-render's hashes of 3000 frames", f"{len(rendered)}")
    matched = False
    for attempt in range(5):
        if attempt:
            s.screenshot(shot)
        if surface_hash(s.pixels(shot, (0, 0, width, height)), width, height) in rendered:
            matched = True
            break
    check(matched, f"the primary monitor showing one of tolva-render's frames at {width}x"
          f"{height} (from the first seed) in one of five screenshots")

    # Three moves over the second monitor, then four over the third within 3 pixels of the start
    # point in its client coordinates, which on the screen are 400 and 300 pixels away. Only one
    # count for all the windows reaches seven (the system may add a move or two of its own at
    # start), and only screen coordinates put the third monitor's moves far enough.
    for x, y in [(500, 50), (700, 250), (450, 200)]:
        move_pointer(s, x, y)
    expect_running(s, proc, "three moves over the second monitor")
    third = MONITORS[2]
    for dx, dy in [(0, 0), (1, 1), (2, 2), (0, 1)]:
        move_pointer(s, third[0] + 200 + dx, third[1] + 150 + dy)
    expect_exit(proc, "four more moves over the third monitor")
    check(saver_windows(s) == [], "every saver window gone")


def scenario_every_monitor_one_check(s):
    """As Windows 98 with the system's accepting PASSWORD.CPL: a click on the third monitor asks
    once, with the primary's window, and every window goes."""
    set_settings(s, 2, 3)
    set_use_password(s, 1)
    s.windows_version("win98")
    s.host_library("PASSWORD.CPL", True)
    with open(os.path.join(s.system, "answer.txt"), "w") as f:
        f.write("1")
    try:
        proc, windows = start_on_monitors(s)
        move_pointer(s, 500, 400)
        s.xdotool("click", "3")
        expect_exit(proc, "an accepted click on the third monitor")
        check(s.host_calls(s.system) == [f"VerifyScreenSavePwd {windows[(0, 0)]['hwnd']} 1"],
              "one check, given the primary's window, for all three")
        check(saver_windows(s) == [], "every saver window gone")
    finally:
        set_use_password(s, None)
        s.windows_version(None)
        s.host_library("PASSWORD.CPL", False)


# The commonest second monitor stands left of the primary, or above it: in negative
# virtual-screen coordinates.
SIDE_MONITORS = [(0, 0, 640, 480), (-640, 0, 0, 480), (0, -480, 640, 0)]


def scenario_monitors_left_and_above(s):
    """Monitors left of and above the primary: from the pointer's start on the primary at
    (100, 200), moves to (-300, 100) on the left one or to (50, -100) on the upper one end the
    saver; a move along one axis alone there does not. The moves reach the windows as mouse
    messages in their own client coordinates: Wine shows no pixel left of or above its screen,
    so the pointer cannot be put there."""
    set_settings(s, 2, 1)
    for monitor, (x, y), ends in [(SIDE_MONITORS[1], (-300, 100), True),
                                  (SIDE_MONITORS[2], (50, -100), True),
                                  (SIDE_MONITORS[1], (-300, 200), False)]:
        proc, windows = start_on_monitors(s, SIDE_MONITORS, pointer=(100, 200))
        window = windows[(monitor[0], monitor[1])]
        client = ((y - monitor[1]) << 16) | (x - monitor[0])
        # Six moves are grace; the seventh counts.
        for _ in range(7):
            s.probe("post", window["hwnd"], WM_MOUSEMOVE, 0, client)
        if ends:
            expect_exit(proc, f"seven moves to ({x}, {y}) on the monitor {monitor}")
        else:
            expect_running(s, proc, f"seven moves to ({x}, {y}), along one axis only")
            s.processes.end(proc)
            s.wait_for("no saver window", lambda: not saver_windows(s), timeout=10)


def scenario_japanese_system(s):
    """Wine runs as a Japanese system (ANSI code page 932) and hands a program's exit code
    through, which every exit-code check below relies on."""
    code, _ = s.run_wine([s.fixtures["probe.exe"], "no-such-command"])
    check(code == 2, "wine passing the probe's usage exit code 2 through", f"exit code {code}")
    screen = s.probe("screen")[0]
    check(screen["acp"] == 932, "the ANSI code page 932", str(screen["acp"]))
    check((screen["width"], screen["height"]) == (SCREEN_WIDTH, SCREEN_HEIGHT),
          f"a {SCREEN_WIDTH}x{SCREEN_HEIGHT} screen", str(screen))


SCENARIOS = [
    ("wine_is_japanese_and_passes_exit_codes", scenario_japanese_system),
    ("full_screen_blue_trails_end_on_key", scenario_full_screen_blue),
    ("full_screen_orange_trails_end_on_left_button", scenario_full_screen_orange),
    ("full_screen_as_rendered_also_after_a_window_over_it", scenario_frames_after_cover),
    ("trails_twice_as_large_at_192_dpi", scenario_scale_of_the_dpi),
    ("middle_button_and_wheel_ignored_right_button_ends", scenario_buttons_and_wheel),
    ("alt_key_ends", scenario_system_key),
    ("six_small_moves_ignored_four_pixels_end", scenario_mouse_moves),
    ("one_axis_moves_never_end", scenario_one_axis_moves),
    ("second_start_ends_at_once", scenario_single_instance),
    ("preview_in_host_ignores_input_ends_with_host", scenario_preview),
    ("preview_invalid_handle_shows_creation_failure", scenario_preview_invalid_handle),
    ("setup_keyboard_stores_count_and_colour", scenario_setup_keyboard),
    ("setup_escape_and_close_box_store_nothing", scenario_setup_cancel),
    ("password_refused_keeps_running_accepted_closes", scenario_password_refused_then_accepted),
    ("password_library_missing_shows_message_above_saver", scenario_password_library_missing),
    ("change_password_through_mpr", scenario_change_password),
    ("english_user_and_japanese_user_on_code_page_1252", scenario_languages),
    ("every_monitor_own_animation_primary_as_rendered_shared_moves", scenario_every_monitor),
    ("every_monitor_one_password_check_closes_all", scenario_every_monitor_one_check),
    ("moves_over_monitors_left_of_and_above_the_primary_end", scenario_monitors_left_and_above),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scr", required=True, help="path of tolva.scr")
    parser.add_argument("--fixtures", help="folder with the built test fixtures")
    parser.add_argument("--render", help="tolva-render.exe of the same build")
    parser.add_argument("--screenshots", help="folder to write small PNG screenshots into")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    parser.add_argument("only", nargs="*", help="run only these scenarios")
    args = parser.parse_args()
    args.scr = os.path.abspath(args.scr)
    if args.fixtures:
        args.fixtures = os.path.abspath(args.fixtures)
    if args.screenshots:
        args.screenshots = os.path.abspath(args.screenshots)
    if args.render:
        args.render = os.path.abspath(args.render)
    if not os.path.isfile(args.scr):
        print(f"saver_e2e: {args.scr} does not exist", file=sys.stderr)
        return 2

    missing = [tool for tool in ("Xvfb", "wine", "wineserver", "xdotool", "import", "convert")
               if shutil.which(tool) is None]
    locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower()
    if "ja_jp.utf8" not in locales.split() and "ja_jp.utf-8" not in locales.split():
        missing.append("the ja_JP.UTF-8 locale")
    if missing:
        print(f"saver_e2e: missing {', '.join(missing)}; run scripts/install-deps",
              file=sys.stderr)
        return 2

    session = Session(args)
    atexit.register(session.stop)
    # A polite stop (Ctrl+C, a runner's SIGTERM) still runs the clean-up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    started = time.time()
    session.start()
    print(f"saver_e2e: Wine ready on {session.display} in {time.time() - started:.0f} s",
          flush=True)

    passed, failed = 0, []
    for name, scenario in SCENARIOS:
        if args.only and name not in args.only:
            continue
        print(f"-- {name}: {scenario.__doc__.split(chr(10))[0].strip()}", flush=True)
        begun = time.time()
        try:
            scenario(session)
            passed += 1
            print(f"PASS {name} ({time.time() - begun:.1f} s)", flush=True)
        except CheckFailed as error:
            failed.append(name)
            print(f"FAIL {name}: {error}", flush=True)
        except Exception:  # noqa: BLE001 - a broken scenario is reported, the rest still run
            failed.append(name)
            print(f"FAIL {name}: the scenario broke:\n{traceback.format_exc()}", flush=True)
        # Whatever a scenario left behind (a saver it did not end) goes before the next.
        session.processes.end_all()

    print(f"saver_e2e: {time.time() - started:.0f} s in all", flush=True)
    if failed:
        print("failed: " + ", ".join(failed))
    print(f"{passed} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
