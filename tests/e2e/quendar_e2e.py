#!/usr/bin/env python3
"""End-to-end checks of the real `quendar` binary in a window, as a player sees it.

Each run starts its own Xvfb (no window manager), runs the game in a scratch directory
with a test word list and the shipped sounds, drives it with xdotool, reads the screen
with ImageMagick's `import` and listens through SDL's disk audio driver.

    quendar_e2e.py --game BIN --assets DIR SCENARIO

SCENARIO is one of:
    play       opening, target, cursor, key and mouse shots, sounds, 終わる, 閉じる
    wm-close   the window manager's close button in the middle of a game
    game-over  a word list too short to play: game over at once, then the close button
    error-window  a named list that does not exist: the game's error window, Enter closes it
    no-close-lost  a burst of F11 (no window manager grants full screen) then the close
               button, or SIGTERM: the game ends at once; a close sent to the opening
               window while the hand-over reads a slow list ends the game too
    study      an annotated list: the study strip beside the field shows the reading of the
               compound just matched, F2 hides and shows it, 終わる writes the review file
    review-hangup  SIGHUP (the terminal closed) in the middle of a game writes the review as
               SIGTERM does, over a 0600 review file that keeps its mode (its hard link
               keeps the old review)
    installed  cmake --install into a staging root (--build DIR), then the desktop entry and
               its actions started from an empty directory: shipped lists, sound, window
               class, and a list in ~/.local/share/quendar before the shipped one

Prints one line per check and "N passed, M failed" at the end. Exit status 0 when all
passed, 1 when any failed, 77 when a needed tool is missing.
"""

import argparse
import array
import ctypes
import io
import math
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import wave

# Board units to pixels at scale 1, as the main window converts them.
UNIT_X = 0.984375 / 15
UNIT_Y = 0.94333333 / 15
CLIENT_W, CLIENT_H = 580, 566  # main window's client area at scale 1
STRIP_W = 232  # the study strip beside the field, at scale 1, for an annotated list
OPENING_W, OPENING_H = 426, 222
COLUMNS = 8

# Timeouts are generous: the suite also runs on two busy cores under AddressSanitizer.
START_TIMEOUT = 60.0
STEP_TIMEOUT = 10.0
POLL = 0.08

# One kanji twice per line, each kanji once: see target_answer().
KANJI = ("人日時色年月早近代次別段点転堂散重着続度再延刻黙"
         "山家国村木花星夜朝方所品口川田石糸竹虫貝車雨空海")
WORDS = [k + k for k in KANJI]

TOOLS = ("Xvfb", "xdotool", "import", "convert")
ARGS = None  # the command line, for scenarios that need more than the game


# ---------------------------------------------------------------- pictures


class Image:
    """An RGB picture read from a binary PPM."""

    def __init__(self, data):
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos : pos + 1].isspace():
                pos += 1
            if data[pos : pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end : end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("not an 8-bit binary PPM")
        self.w, self.h = int(fields[1]), int(fields[2])
        self.px = data[pos + 1 : pos + 1 + 3 * self.w * self.h]

    def at(self, x, y):
        i = 3 * (y * self.w + x)
        return self.px[i], self.px[i + 1], self.px[i + 2]

    def pixels(self, rect):
        x0, y0, w, h = rect
        left, right = max(0, x0), min(self.w, x0 + w)
        for y in range(max(0, y0), min(self.h, y0 + h)):
            row = self.px[3 * (y * self.w + left) : 3 * (y * self.w + right)]
            for x, p in enumerate(zip(row[0::3], row[1::3], row[2::3]), left):
                yield x, y, p

    def count(self, rect, test):
        return sum(1 for _, _, p in self.pixels(rect) if test(p))

    def crop(self, rect):
        return bytes(b for _, _, p in self.pixels(rect) for b in p)


def near(colour, tolerance=40):
    return lambda p: all(abs(a - b) <= tolerance for a, b in zip(p, colour))


IS_YELLOW = lambda p: p[0] >= 231 and p[1] >= 231 and p[2] <= 24  # #FFFF00
IS_BLUE = lambda p: p[2] >= 160 and p[0] <= 90 and p[1] <= 90
IS_RED = lambda p: p[0] >= 190 and p[1] <= 90 and p[2] <= 90
IS_ORANGE = lambda p: p[0] >= 190 and 70 <= p[1] <= 190 and p[2] <= 90
IS_WHITE = lambda p: min(p) >= 235
IS_MENU_TEXT = lambda p: max(p) < 110  # menu text drawn in black
IS_GREYED_TEXT = lambda p: 130 <= min(p) and max(p) <= 190 and max(p) - min(p) <= 12


def load_picture(path):
    out = subprocess.run(["convert", path, "-alpha", "off", "-depth", "8", "ppm:-"],
                         capture_output=True, check=True).stdout
    return Image(out)


# ---------------------------------------------------------------- X server and windows


class XServer:
    """An Xvfb of our own; it picks a free display number and tells us through a pipe."""

    def __init__(self, workdir):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
             "-dpi", "96", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(workdir, "xvfb.log"), "wb"), start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + START_TIMEOUT
        with os.fdopen(read_fd, "rb", buffering=0) as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(16)
                if not chunk:
                    break
                number += chunk
        if not number.strip().isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not start (see xvfb.log)")
        self.display = ":" + number.decode().strip()

    def stop(self):
        stop_process(self.proc)


def stop_process(proc):
    if proc.poll() is not None:
        return
    try:
        os.killpg(proc.pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()


class Desktop:
    def __init__(self, display, workdir):
        self.env = dict(os.environ, DISPLAY=display)
        self.env.pop("XAUTHORITY", None)
        self.display = display
        self.workdir = workdir
        self.last = None

    def xdotool(self, *args):
        try:
            r = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                               text=True, timeout=30)
        except subprocess.TimeoutExpired:
            return ""
        return r.stdout if r.returncode == 0 else ""

    def windows(self):
        """Names of the mapped top-level windows, by window id."""
        found = {}
        for wid in self.xdotool("search", "--onlyvisible", "--name", ".").split():
            name = self.xdotool("getwindowname", wid).rstrip("\n")
            if name:
                found[int(wid)] = name
        return found

    def window(self, name):
        for wid, n in self.windows().items():
            if n == name:
                return wid
        return None

    def geometry(self, wid):
        """Position and size of a window on the screen."""
        out = self.xdotool("getwindowgeometry", "--shell", wid)
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        if not v:
            return None
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])

    def capture(self, wid):
        # A window gone before import asks the X server about it makes import wait for a
        # click that never comes (a loaded machine runs the capture late): never wait long.
        try:
            r = subprocess.run(["import", "-silent", "-window", str(wid), "-depth", "8", "ppm:-"],
                               env=self.env, capture_output=True, timeout=10)
        except subprocess.TimeoutExpired:
            return None
        if r.returncode != 0 or not r.stdout:
            return None
        self.last = r.stdout
        return Image(r.stdout)

    def keep(self, name):
        """Saves the last capture in the scratch directory, to look at after a failure."""
        if self.last:
            with open(os.path.join(self.workdir, name + ".ppm"), "wb") as f:
                f.write(self.last)

    def key(self, wid, keysym):
        self.xdotool("windowfocus", wid)
        self.xdotool("key", keysym)

    def click(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", 1)

    def close_button(self, wid):
        """What a window manager's close button sends: WM_PROTOCOLS / WM_DELETE_WINDOW."""
        x11 = ctypes.CDLL("libX11.so.6")
        c_long, c_ulong, c_int = ctypes.c_long, ctypes.c_ulong, ctypes.c_int
        c_void_p = ctypes.c_void_p

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                        ("display", c_void_p), ("window", c_ulong), ("message_type", c_ulong),
                        ("format", c_int), ("data", c_long * 5)]

        class XEvent(ctypes.Union):
            _fields_ = [("xclient", ClientMessage), ("pad", c_long * 24)]

        x11.XOpenDisplay.restype = c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = c_ulong
        x11.XInternAtom.argtypes = [c_void_p, ctypes.c_char_p, c_int]
        x11.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, ctypes.POINTER(XEvent)]
        x11.XFlush.argtypes = [c_void_p]
        x11.XCloseDisplay.argtypes = [c_void_p]
        dpy = x11.XOpenDisplay(self.display.encode())
        if not dpy:
            raise RuntimeError("cannot open display " + self.display)
        try:
            ev = XEvent()
            ev.xclient.type = 33  # ClientMessage
            ev.xclient.window = wid
            ev.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
            ev.xclient.format = 32
            ev.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
            ev.xclient.data[1] = 0  # CurrentTime
            if not x11.XSendEvent(dpy, wid, 0, 0, ctypes.byref(ev)):
                raise RuntimeError("XSendEvent failed")
            x11.XFlush(dpy)
        finally:
            x11.XCloseDisplay(dpy)


def wait_for(test, timeout=STEP_TIMEOUT):
    """Polls test() until it returns something true; that value, or None at the timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = test()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(POLL)


# ---------------------------------------------------------------- the main window's layout


class Board:
    """Board-unit rectangles of the main window as pixels of its X window."""

    def __init__(self, geometry):
        self.x, self.y, w, h = geometry
        # The field alone, or the field with the study strip beside it at the same scale.
        for width in (CLIENT_W, CLIENT_W + STRIP_W):
            self.scale = w / width
            self.menu = h - round_half_up(CLIENT_H * self.scale)
            if 10 * self.scale <= self.menu <= 40 * self.scale:
                break
        self.strip = width != CLIENT_W

    def rect(self, left, top, width, height):
        s = self.scale
        return (round_half_up(left * UNIT_X * s), self.menu + round_half_up(top * UNIT_Y * s),
                round_half_up(width * UNIT_X * s), round_half_up(height * UNIT_Y * s))

    def centre_on_screen(self, rect):
        return self.x + rect[0] + rect[2] // 2, self.y + rect[1] + rect[3] // 2

    def bottom_block(self, i):
        return self.rect(i * 930 + 380, 7800, 650, 650)

    def header_bottom(self):
        # The stage, score and gauge labels along the top cover a block that is above this.
        return self.rect(0, 530, 0, 0)[1]

    def falling_block_band(self, col):
        # Below the gauge at the top (Top 111..350 is yellow too) and above the cursor row.
        return self.rect(col * 930 + 380, 360, 650, 4000)

    def cursor(self, col):
        return self.rect(col * 930 + 570, 7400, 350, 270)

    def score(self):
        return self.rect(1768, 0, 1615, 509)

    def panel(self):
        return self.rect(488, 3180, 6964, 2751)

    def marks(self):
        # Where the correct and wrong marks show, right of the last column so that a
        # falling block never passes through it.
        right_of_columns = 7 * 930 + 380 + 650
        return self.rect(right_of_columns, 5979, 7192 + 1600 - right_of_columns, 7903 - 5979)

    def menu_bar(self):
        return (0, 0, round_half_up(CLIENT_W * self.scale), self.menu)


def round_half_up(v):
    return int(math.floor(v + 0.5))


def menu_items(img, board):
    """Horizontal extents of the menu captions, read from the bar's pixels, left to right."""
    x0, y0, w, h = board.menu_bar()
    text = lambda p: IS_MENU_TEXT(p) or IS_GREYED_TEXT(p)
    inked = [x for x in range(x0, x0 + w) if any(text(img.at(x, y)) for y in range(y0, y0 + h - 2))]
    items = []
    for x in inked:
        if items and x - items[-1][1] <= 8:
            items[-1][1] = x
        else:
            items.append([x, x])
    return [(a, b) for a, b in items]


# ---------------------------------------------------------------- sound


class Sound:
    """A WAV's samples as mono 16-bit."""

    def __init__(self, path):
        with wave.open(path, "rb") as w:
            self.rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
            raw = w.readframes(w.getnframes())
        if width != 2:
            raise ValueError(f"{path}: expected 16-bit samples, not {8 * width}-bit")
        s = array.array("h")
        s.frombytes(raw)
        if sys.byteorder == "big":
            s.byteswap()
        self.samples = s[::channels]
        self.name = os.path.basename(path)


class DiskAudio:
    """What SDL's disk driver wrote: raw frames in the format the mixer opened, which the
    game asks for as 16-bit little-endian stereo at 44100 Hz."""

    RATE, CHANNELS = 44100, 2

    def __init__(self, path):
        self.path = path

    def frames_written(self):
        try:
            return os.path.getsize(self.path) // (2 * self.CHANNELS)
        except FileNotFoundError:
            return 0

    def channels(self):
        s = array.array("h")
        with open(self.path, "rb") as f:
            s.frombytes(f.read(self.frames_written() * 2 * self.CHANNELS))
        if sys.byteorder == "big":
            s.byteswap()
        return s[0 :: self.CHANNELS], s[1 :: self.CHANNELS]

    def sounded_since(self, frame):
        if self.frames_written() <= frame:
            return False
        left, _ = self.channels()
        return any(left[frame:])

    def silent_so_far(self):
        if self.frames_written() == 0:
            return True
        left, right = self.channels()
        return not any(left) and not any(right)


def first_sound(samples, start=0):
    for i in range(start, len(samples)):
        if samples[i]:
            return i
    return None


def match(recorded, sound):
    """Best normalised correlation of `sound` with `recorded`, both starting at their first
    non-silent sample, give or take a few frames."""
    clip = sound.samples[first_sound(sound.samples) or 0 :]
    best = -1.0
    for shift in range(-8, 9):
        a = recorded[max(0, shift) :]
        b = clip[max(0, -shift) :]
        n = min(len(a), len(b))
        if n < len(clip) // 2:
            continue
        dot = sum(x * y for x, y in zip(a[:n], b[:n]))
        energy = math.sqrt(sum(x * x for x in a[:n]) * sum(y * y for y in b[:n]))
        if energy:
            best = max(best, dot / energy)
    return best


# ---------------------------------------------------------------- the run


class Checks:
    """Counts and prints the checks; the screen last captured before each failed check (or
    every check, with --keep) is saved for a look afterwards."""

    def __init__(self, keep_all):
        self.passed = self.failed = 0
        self.keep_all = keep_all
        self.desk = None

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        print(f"{'PASS' if ok else 'FAIL'}: {name}" + (f" ({detail})" if detail else ""),
              flush=True)
        if self.desk and (self.keep_all or not ok):
            self.desk.keep(f"check{self.passed + self.failed:02d}")
        return ok

    def summary(self):
        print(f"{self.passed} passed, {self.failed} failed", flush=True)


class Game:
    def __init__(self, binary, workdir, desktop, args=(), cwd=None, env_extra=None,
                 log_name="quendar.log"):
        self.log_path = os.path.join(workdir, log_name)
        self.log = open(self.log_path, "wb")
        env = dict(desktop.env, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="disk",
                   SDL_DISKAUDIOFILE=os.path.join(workdir, log_name + ".audio.raw"),
                   QUENDAR_NO_MESSAGE_BOX="1")
        # A home of its own, so that no list of the user's stands in for the test's.
        env["HOME"] = os.path.join(workdir, "home")
        for name in ("WAYLAND_DISPLAY", "XDG_DATA_HOME", "GDK_SCALE", "QT_SCALE_FACTOR"):
            env.pop(name, None)
        env.update(env_extra or {})
        env = {k: v for k, v in env.items() if v is not None}
        # For a sanitizer build: whole stacks, so that only the system libraries' own
        # leaks at exit are let off (lsan.supp) and the exit status still means something.
        here = os.path.dirname(os.path.abspath(__file__))
        env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"),
                                                     "fast_unwind_on_malloc=0"]))
        env["LSAN_OPTIONS"] = ":".join(filter(None, [
            env.get("LSAN_OPTIONS"), "suppressions=" + os.path.join(here, "lsan.supp")]))
        self.proc = subprocess.Popen([binary, *args], cwd=cwd or workdir, env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        self.audio = DiskAudio(env["SDL_DISKAUDIOFILE"])

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        stop_process(self.proc)
        self.log.close()

    def output(self):
        self.log.flush()
        with open(self.log_path, errors="replace") as f:
            return f.read()


def prepare(workdir, assets, lines):
    with open(os.path.join(workdir, "jyukugo.dat"), "wb") as f:
        f.write("".join(w + "\r\n" for w in WORDS[:lines]).encode("cp932"))
    for name in ("seikai2.wav", "matigai.wav"):
        shutil.copy(os.path.join(assets, name), workdir)


def open_main_window(c, desk, game):
    """Opening window first, the main window about two seconds later; its geometry."""
    opening = wait_for(lambda: desk.window("オープニング"), START_TIMEOUT)
    seen_opening = time.monotonic()
    if not c.check("the opening window appears first", opening and not desk.window("Quendar"),
                   "no window titled オープニング" if not opening else ""):
        return None
    geo = desk.geometry(opening)
    c.check("the opening window is 426×222", geo and geo[2] * OPENING_H == geo[3] * OPENING_W
            and geo[2] % OPENING_W == 0, f"geometry {geo}")

    def drawn():
        img = desk.capture(opening)
        return img and len({img.at(x, y) for x in range(0, img.w, 7)
                            for y in range(0, img.h, 7)}) > 8

    c.check("the opening window shows a picture", wait_for(drawn, 1.5))
    main = wait_for(lambda: desk.window("Quendar"), START_TIMEOUT)
    gap = time.monotonic() - seen_opening
    if not c.check("the main window Quendar follows", main, "" if main else "it never appeared"):
        return None
    # The opening is timed at 1986 ms from start; we may have seen it a little late.
    c.check("the main window comes about two seconds after the opening", 1.5 <= gap <= 5.0,
            f"{gap:.2f} s")
    gone = wait_for(lambda: not desk.window("オープニング"), 5.0)
    c.check("the opening window is gone", gone)
    geo = desk.geometry(main)
    board = Board(geo)
    c.check("the main window is 580 wide (and the study strip's 232 for an annotated list) "
            "and its client 566 tall under a menu bar",
            board.scale >= 1 and board.scale == int(board.scale)
            and 10 * board.scale <= board.menu <= 40 * board.scale,
            f"geometry {geo}, menu bar {board.menu} px")
    return main, board


def yellow_columns(img, board):
    counts = [img.count(board.falling_block_band(c), IS_YELLOW) for c in range(COLUMNS)]
    area = board.bottom_block(0)[2] * board.bottom_block(0)[3]
    full = [c for c, n in enumerate(counts) if n >= 0.4 * area]
    stray = [c for c, n in enumerate(counts) if 0 < n < 0.4 * area]
    return full, stray


def cursor_columns(img, board):
    return [c for c in range(COLUMNS) if img.count(board.cursor(c), IS_BLUE) >= 4]


def mark_shown(img, board):
    return img.count(board.marks(), lambda p: not IS_WHITE(p)) >= 100


def which_mark(img, board, pictures):
    """The mark on screen, good.png or bad.png, by comparing pixels right of the columns."""
    region = board.marks()
    scores = {}
    for name, box in (("good.png", board.rect(7192, 6106, 1600, 1797)),
                      ("bad.png", board.rect(7070, 5979, 1722, 1924))):
        pic = pictures[name]
        same = total = 0
        for x, y, p in img.pixels(region):
            px, py = int((x - box[0]) / board.scale), int((y - box[1]) / board.scale)
            if not (0 <= x - box[0] < box[2] and 0 <= y - box[1] < box[3]):
                continue
            if px >= pic.w or py >= pic.h:
                continue
            total += 1
            same += near(pic.at(px, py), 48)(p)
        scores[name] = same / total if total else 0.0
    best = max(scores, key=scores.get)
    return (best if scores[best] >= 0.8 else None), scores


# Each test word is one kanji twice, so the right bottom block for the yellow target is
# the one showing the same glyph: that is how the test knows the right answer.


def is_ink(p):
    # Black text, also where it blends into the yellow; red and orange text is not ink.
    return max(p[0], p[1]) < 128


def glyph(img, rect):
    """Pixels of a block more than half covered by ink, relative to the block."""
    return frozenset((x - rect[0], y - rect[1]) for x, y, p in img.pixels(rect) if is_ink(p))


def likeness(a, b):
    """Overlap of two glyphs, allowing for a pixel or two of rounding in their positions."""
    if not a or not b:
        return 0.0
    best = 0.0
    for dx in range(-2, 3):
        for dy in range(-2, 3):
            moved = {(x + dx, y + dy) for x, y in b}
            best = max(best, len(a & moved) / len(a | moved))
    return best


def bottom_glyphs(img, board):
    return [glyph(img, board.bottom_block(i)) for i in range(COLUMNS)]


def target_answer(img, board, bottoms):
    """Index of the bottom block that answers the yellow target, or None while the target
    cannot be read: hidden in part behind the labels along the top, or not there."""
    full, _ = yellow_columns(img, board)
    if len(full) != 1:
        return None
    band = board.falling_block_band(full[0])
    spots = [(x, y) for x, y, p in img.pixels(band) if IS_YELLOW(p)]
    xs, ys = [x for x, _ in spots], [y for _, y in spots]
    block = (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
    size = board.bottom_block(0)
    if block[1] < board.header_bottom() or abs(block[3] - size[3]) > 1:
        return None
    wanted = glyph(img, block)
    scores = sorted(((likeness(wanted, g), i) for i, g in enumerate(bottoms)), reverse=True)
    (best, index), (second, _) = scores[0], scores[1]
    return index if best >= 0.85 and best - second >= 0.1 else None


def fire_and_judge(c, desk, main, board, fire, fired, bottoms, game, pictures, label):
    """Fires bottom block `fired` with fire(); checks that a mark shows within about a
    second and that it is the right one for the glyphs `bottoms` of the bottom row. The
    target is read while the shot flies, when it can no longer change. Returns the mark."""
    before = desk.capture(main)
    score_before = before.crop(board.score())
    frames = game.audio.frames_written()
    started = time.monotonic()
    fire()
    flight = {"seen": False, "answer": None}

    def landed():
        img = desk.capture(main)
        if not img:
            return None
        if mark_shown(img, board):
            # A mark left from the previous shot shows until this one is fired.
            fresh = (flight["seen"] or img.crop(board.score()) != score_before
                     or game.audio.sounded_since(frames))
            return fresh and img
        # In flight: the block has left its place and no mark shows yet.
        if not glyph(img, board.bottom_block(fired)):
            flight["seen"] = True
            if flight["answer"] is None:
                flight["answer"] = target_answer(img, board, bottoms)
                desk.keep(f"in-flight-{label.replace(' ', '-')}")
        return None

    img = wait_for(landed, STEP_TIMEOUT)
    took = time.monotonic() - started
    if not c.check(f"{label}: a mark shows", img,
                   f"after {took:.2f} s" if img else "nothing within the timeout"):
        return None
    c.check(f"{label}: the result shows within a second or so", took <= 3.0, f"{took:.2f} s")
    mark, scores = which_mark(img, board, pictures)
    if not c.check(f"{label}: the mark is the correct or the wrong picture", mark,
                   f"picture match {scores['good.png']:.2f} good.png, "
                   f"{scores['bad.png']:.2f} bad.png"):
        return None
    # A wrong answer always costs points and the first answer always shows a score; a right
    # one earns twice the gauge's level, which may be nothing.
    changed = img.crop(board.score()) != score_before
    if mark == "bad.png" or before.count(board.score(), IS_ORANGE) == 0:
        c.check(f"{label}: the score changes", changed)
    else:
        print(f"     {label}: the score {'changes' if changed else 'stays (empty gauge)'}")
    right = flight["answer"]
    if not c.check(f"{label}: the target could be read while the shot flew", right is not None,
                   "" if right is not None else
                   "no single matching glyph" if flight["seen"] else "no capture in flight"):
        return mark
    expected = "good.png" if right == fired else "bad.png"
    c.check(f"{label}: the mark is right for block {fired} against the target",
            mark == expected, f"answer is block {right}, shown {mark}")
    return mark


def check_sound(c, game, from_frame, mark, sounds, label):
    """The answer sound that goes with the mark, in what the game wrote after from_frame."""
    if mark is None:
        return  # already failed: which sound belongs is unknown
    expected = sounds["seikai2.wav" if mark == "good.png" else "matigai.wav"]
    other = sounds["matigai.wav" if mark == "good.png" else "seikai2.wav"]

    def start():
        if game.audio.frames_written() <= from_frame:
            return None
        left, _ = game.audio.channels()
        at = first_sound(left, from_frame)
        return at is not None and (at,)

    found = wait_for(start, STEP_TIMEOUT)
    if not c.check(f"{label}: the game sounds after the shot", found,
                   "" if found else "only silence in the audio file"):
        return
    begin = found[0]
    need = begin + len(expected.samples) + 64
    wait_for(lambda: game.audio.frames_written() >= need, STEP_TIMEOUT)
    left, right = game.audio.channels()
    if expected.rate != DiskAudio.RATE:
        c.check(f"{label}: {expected.name} is heard", any(left[begin:]),
                f"{expected.name} is {expected.rate} Hz; checked for sound only")
        return
    got, wrong = match(left[begin:], expected), match(left[begin:], other)
    c.check(f"{label}: the sound is {expected.name}", got >= 0.98 and got > wrong,
            f"correlation {got:.3f} with {expected.name}, {wrong:.3f} with {other.name}")
    c.check(f"{label}: both channels carry it", left[begin:need] == right[begin:need])


def play(c, desk, game, assets):
    pictures = {n: load_picture(os.path.join(assets, "pictures", n))
                for n in ("good.png", "bad.png")}
    sounds = {n: Sound(os.path.join(assets, n)) for n in ("seikai2.wav", "matigai.wav")}
    opened = open_main_window(c, desk, game)
    if not opened:
        return
    main, board = opened

    def target():
        img = desk.capture(main)
        return img and yellow_columns(img, board)[0] and img

    img = wait_for(target, STEP_TIMEOUT + 5)
    full, stray = yellow_columns(img, board) if img else ([], [])
    c.check("a yellow target shows in the falling row", len(full) == 1 and not stray,
            f"yellow block in columns {full}, bits of yellow in {stray}")

    img = desk.capture(main)
    at = cursor_columns(img, board)
    c.check("the blue ↑ marker starts under column 0", at == [0], f"marker in columns {at}")
    desk.key(main, "Right")
    moved = wait_for(lambda: cursor_columns(desk.capture(main), board) == [1], STEP_TIMEOUT)
    c.check("Right moves the marker to column 1", moved,
            f"marker in columns {cursor_columns(desk.capture(main), board)}")

    # The bottom row as it stands before any mark can cover the last block.
    before = desk.capture(main)
    bottoms = bottom_glyphs(before, board)
    c.check("the bottom row shows eight characters",
            all(len(g) >= 20 for g in bottoms) and len(set(bottoms)) == COLUMNS,
            f"ink pixels {[len(g) for g in bottoms]}")
    c.check("no mark and no sound before the first shot",
            not mark_shown(before, board) and game.audio.silent_so_far())
    c.check("the score label is empty before the first shot",
            before.count(board.score(), IS_ORANGE) == 0)

    def readable():
        img = desk.capture(main)
        index = img and target_answer(img, board, bottoms)
        return index is not None and (index,)

    # Fired once the target is clear of the labels along the top, so it can be read.
    wait_for(readable, STEP_TIMEOUT + 5)
    frames = game.audio.frames_written()
    mark = fire_and_judge(c, desk, main, board, lambda: desk.key(main, "Up"), 1, bottoms, game,
                          pictures, "Up")
    if not mark:
        return
    c.check("the score shows in orange after the first shot",
            desk.capture(main).count(board.score(), IS_ORANGE) >= 10)
    check_sound(c, game, frames, mark, sounds, "Up")

    # Clicks aimed at the block that answers the target, so that a correct answer is
    # seen too; the target may move on just before a click, hence a few tries.
    for attempt in range(1, 6):
        right = wait_for(readable, STEP_TIMEOUT + 5)
        if not c.check(f"click {attempt}: a target to aim at", right):
            return
        block = right[0]
        frames = game.audio.frames_written()
        label = f"click {attempt} on block {block}"
        centre = board.centre_on_screen(board.bottom_block(block))
        mark = fire_and_judge(c, desk, main, board, lambda: desk.click(*centre), block, bottoms,
                              game, pictures, label)
        if not mark:
            return
        check_sound(c, game, frames, mark, sounds, label)
        if mark == "good.png":
            break
    c.check("an aimed click scores a correct answer", mark == "good.png")

    img = desk.capture(main)
    items = menu_items(img, board)
    if not c.check("the menu bar has two items, 終わる and 閉じる", len(items) == 2,
                   f"caption extents {items}"):
        return
    panel = board.panel()
    c.check("no red panel before 終わる", img.count(panel, IS_RED) == 0)
    desk.click(board.x + sum(items[0]) // 2, board.y + board.menu // 2)

    def red_score():
        i = desk.capture(main)
        return i and i.count(panel, IS_RED) >= 150 and i

    img = wait_for(red_score)
    red = img.count(panel, IS_RED) if img else 0
    white = img.count(panel, IS_WHITE) if img else 0
    rows = {y for _, y, p in img.pixels(panel) if IS_RED(p)} if img else set()
    tall = max(rows) - min(rows) + 1 if rows else 0
    c.check("終わる shows the score in large red digits on white",
            img and white >= 0.5 * panel[2] * panel[3] and tall >= 40 * board.scale,
            f"{red} red and {white} white pixels of {panel[2] * panel[3]}, digits {tall} px tall")

    desk.click(board.x + sum(items[1]) // 2, board.y + board.menu // 2)
    status = game.wait_exit(STEP_TIMEOUT)
    c.check("閉じる ends the game with status 0", status == 0, f"exit status {status}")
    c.check("閉じる leaves no window", wait_for(lambda: not desk.windows(), 5.0))


def wm_close(c, desk, game, assets):
    opened = open_main_window(c, desk, game)
    if not opened:
        return
    main, board = opened
    desk.key(main, "Right")
    playing = wait_for(lambda: cursor_columns(desk.capture(main), board) == [1])
    c.check("the game is under way: Right moves the marker", playing)
    desk.close_button(main)
    status = game.wait_exit(STEP_TIMEOUT)
    c.check("the close button ends the game with status 0", status == 0, f"exit status {status}")
    c.check("the close button leaves no window", wait_for(lambda: not desk.windows(), 5.0))


def no_close_lost(c, desk, game, assets):
    """Nothing the player did before holds up a close, and no close is ever dropped."""
    for how, log in (("the close button", "quendar.log"), ("SIGTERM", "sigterm.log")):
        run = game if log == "quendar.log" else Game(os.path.abspath(ARGS.game), desk.workdir,
                                                      desk, log_name=log)
        try:
            opened = open_main_window(c, desk, run)
            if not opened:
                return
            main = opened[0]
            # Without a window manager each full-screen request waits in SDL for a change
            # that never comes; 201 presses leave the window asking for full screen.
            desk.xdotool("windowfocus", main)
            desk.xdotool("key", "--repeat", 201, "--delay", 1, "F11")
            asked = time.monotonic()
            if log == "quendar.log":
                desk.close_button(main)
            else:
                run.proc.send_signal(signal.SIGTERM)
            status = run.wait_exit(STEP_TIMEOUT)
            took = time.monotonic() - asked
            c.check(f"after 201 F11 presses {how} ends the game at once", status == 0
                    and took < 3.0, f"exit status {status} after {took:.1f} s")
        finally:
            run.stop()
        wait_for(lambda: not desk.windows(), 5.0)

    # The list is read at the hand-over: a big sparse one keeps the loop busy there while
    # the close reaches the opening window, which is replaced as soon as the list is read.
    slow = os.path.join(desk.workdir, "slow.dat")
    with open(slow, "wb") as f:
        f.truncate(192 << 20)
    run = Game(os.path.abspath(ARGS.game), desk.workdir, desk, args=[slow], log_name="slow.log")
    try:
        opening = wait_for(lambda: desk.window("オープニング"), START_TIMEOUT)

        def reading():
            with open(f"/proc/{run.proc.pid}/io") as io:
                return dict(l.split(": ") for l in io.read().splitlines())["rchar"]

        busy = opening and wait_for(lambda: int(reading()) > (8 << 20), STEP_TIMEOUT)
        if c.check("the hand-over reads the slow list under the opening window",
                   busy and desk.window("オープニング") == opening):
            desk.close_button(opening)
            main_seen = False
            deadline = time.monotonic() + START_TIMEOUT
            while run.proc.poll() is None and time.monotonic() < deadline:
                main_seen = main_seen or bool(desk.window("Quendar"))
                time.sleep(POLL)
            c.check("a close sent during the hand-over ends the game; no main window opens",
                    run.proc.poll() == 0 and not main_seen,
                    f"exit status {run.proc.poll()}, main window seen: {main_seen}")
    finally:
        run.stop()


def game_over(c, desk, game, assets):
    opened = open_main_window(c, desk, game)
    if not opened:
        return
    main, board = opened
    panel = board.panel()

    def shown():
        i = desk.capture(main)
        return i and i.count(panel, IS_RED) >= 50 and i

    img = wait_for(shown)
    c.check("with five words the game is over at once: the score shows in red", img,
            f"{img.count(panel, IS_RED) if img else 0} red pixels in the panel")
    if not img:
        return
    items = menu_items(img, board)
    bar = board.menu_bar()
    c.check("the menu is greyed while the game is over",
            len(items) == 2 and img.count(bar, IS_MENU_TEXT) == 0
            and img.count(bar, IS_GREYED_TEXT) > 20,
            f"caption extents {items}, {img.count(bar, IS_MENU_TEXT)} black pixels in the bar")
    if len(items) == 2:
        desk.click(board.x + sum(items[1]) // 2, board.y + board.menu // 2)
        ended = game.wait_exit(1.5)
        c.check("a greyed 閉じる does nothing", ended is None and desk.window("Quendar"),
                f"the game ended with status {ended}" if ended is not None else "")
    desk.close_button(main)
    status = game.wait_exit(STEP_TIMEOUT)
    c.check("the close button ends the game over screen with status 0", status == 0,
            f"exit status {status}")
    c.check("the close button leaves no window", wait_for(lambda: not desk.windows(), 5.0))


def error_window(c, desk, game, assets):
    """A list that cannot be found: the game's own error window, closed by Enter."""
    win = wait_for(lambda: desk.window(ERROR_TITLE), START_TIMEOUT)
    if not c.check("a missing list brings up the error window", win,
                   f"windows {list(desk.windows().values())}"):
        return
    img = wait_for(lambda: (lambda i: i and i.count((0, 0, i.w, i.h), is_ink) > 300 and i)(
        desk.capture(win)), STEP_TIMEOUT)
    ink = img.count((0, 0, img.w, img.h), is_ink) if img else 0
    c.check("the error window shows its text", ink > 300, f"{ink} dark pixels")
    button = img and img.count((img.w - 130, img.h - 60, 130, 60), IS_BUTTON_EDGE)
    c.check("the error window has an OK button at the bottom right", button and button > 100,
            f"{button} pixels of the button's edge")
    err = game.output()
    c.check("standard error names the list and says how to go on",
            "no-such-list.dat: file not found" in err and "elementary or joyo" in err, err[:300])
    c.check("the game waits for the player to read it", game.wait_exit(1.0) is None)
    desk.key(win, "Return")
    status = game.wait_exit(STEP_TIMEOUT)
    c.check("Enter closes it and the game ends with status 1", status == 1,
            f"exit status {status}")
    c.check("no window is left", wait_for(lambda: not desk.windows(), 5.0))


def desktop_exec(entry):
    """The Exec line of the entry and of each action, split as a launcher splits them (no
    field codes or quoting are used), and the keys of the main group."""
    groups, group = {}, None
    for line in open(entry, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith("["):
            group = line.strip("[]")
            groups[group] = {}
        elif "=" in line and group:
            key, value = line.split("=", 1)
            groups[group][key] = value
    main = groups["Desktop Entry"]
    actions = {a: groups[f"Desktop Action {a}"]["Exec"].split()
               for a in filter(None, main.get("Actions", "").split(";"))}
    return main, main["Exec"].split(), actions


def installed(c, desk, game, assets):
    """Installs the build into a staging root and starts the game from its desktop entry and
    actions as a launcher does: from a directory without any list, by the Exec line alone."""
    work = desk.workdir
    root = os.path.join(work, "root")
    prefix = ""
    with open(os.path.join(ARGS.build, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith("CMAKE_INSTALL_PREFIX:"):
                prefix = line.split("=", 1)[1].strip()
    r = subprocess.run(["cmake", "--install", ARGS.build], env=dict(os.environ, DESTDIR=root),
                       capture_output=True, text=True)
    if not c.check("cmake --install into a staging root", r.returncode == 0, r.stderr[-300:]):
        return
    data = os.path.join(root + prefix, "share", "quendar")
    main, command, actions = desktop_exec(
        os.path.join(root + prefix, "share", "applications", "io.github.quendar.Quendar.desktop"))
    c.check("the entry sets no working directory", "Path" not in main, str(main.get("Path")))
    c.check("the entry has the actions elementary, joyo and practice",
            sorted(actions) == ["elementary", "joyo", "practice"], str(sorted(actions)))
    if sorted(actions) != ["elementary", "joyo", "practice"]:
        return
    # The launcher runs the staged program: the Exec path lies under the staging root.
    launch = lambda cmd: (root + cmd[0], cmd[1:])
    empty = os.path.join(work, "empty")
    os.makedirs(empty)
    home = os.path.join(work, "home")

    # The graded lists are swapped for ones the test can tell apart on screen.
    with open(os.path.join(data, "jyukugo-elementary.dat"), "wb") as f:
        f.write("".join(w + "\r\n" for w in WORDS[:5]).encode("cp932"))
    with open(os.path.join(data, "jyukugo-joyo.dat"), "wb") as f:
        f.write(("山川\r\n" * 2001).encode("cp932"))

    binary, args = launch(command)
    run = Game(binary, work, desk, args, cwd=empty, log_name="menu.log")
    try:
        opened = open_main_window(c, desk, run)
        if opened:
            main_win, board = opened
            classed = desk.xdotool("search", "--classname", "io.github.quendar.Quendar").split()
            c.check("the window's class is the desktop entry's id", str(main_win) in classed,
                    f"windows of that class: {classed}")
            img = desk.capture(main_win)
            c.check("the menu entry plays the shipped default list",
                    img and len(bottom_glyphs(img, board)[0]) >= 20
                    and img.count(board.panel(), IS_RED) == 0)
            frames = run.audio.frames_written()
            desk.key(main_win, "Up")
            c.check("a shot sounds the installed sound file",
                    wait_for(lambda: run.audio.sounded_since(frames), STEP_TIMEOUT)
                    and "quendar: sound" not in run.output(), run.output()[-300:])
            desk.close_button(main_win)
            c.check("closing it ends the game with status 0", run.wait_exit(STEP_TIMEOUT) == 0)
    finally:
        run.stop()
    wait_for(lambda: not desk.windows(), 5.0)

    binary, args = launch(actions["elementary"])
    run = Game(binary, work, desk, args, cwd=empty, log_name="elementary.log")
    try:
        opened = open_main_window(c, desk, run)
        red = opened and wait_for(lambda: desk.capture(opened[0]).count(
            opened[1].panel(), IS_RED) >= 50)
        c.check("the elementary action plays the elementary list (five words: over at once)",
                red)
    finally:
        run.stop()
    wait_for(lambda: not desk.windows(), 5.0)

    binary, args = launch(actions["joyo"])
    run = Game(binary, work, desk, args, cwd=empty, log_name="joyo.log")
    try:
        status = run.wait_exit(START_TIMEOUT)
        err = run.output()
        c.check("the joyo action reads the installed Jōyō list (2001 lines: refused by name)",
                status == 1 and os.path.join(data, "jyukugo-joyo.dat") + ": has more than 2000"
                in err, f"exit {status}: {err[-300:]}")
    finally:
        run.stop()

    # The run played from the menu above is in the history; the practice action plays the
    # compounds of the default list that are due or never met.
    history = os.path.join(home, ".local", "share", "quendar", "history.tsv")
    with open(history, encoding="utf-8") as f:
        kept = f.read().splitlines()
    c.check("the run played from the menu is kept in the history",
            kept[:1] == ["# quendar history 1"] and len(kept) >= 2
            and kept[1].endswith("\tjyukugo.dat"), str(kept[:3]))
    binary, args = launch(actions["practice"])
    run = Game(binary, work, desk, args, cwd=empty, log_name="practice.log")
    try:
        opened = open_main_window(c, desk, run)
        c.check("the practice action plays a practice list",
                opened and len(bottom_glyphs(desk.capture(opened[0]), opened[1])[0]) >= 20,
                run.output()[-300:])
    finally:
        run.stop()
    wait_for(lambda: not desk.windows(), 5.0)

    # A list in the XDG data directory comes before the installed one.
    os.makedirs(os.path.join(home, ".local", "share", "quendar"), exist_ok=True)
    with open(os.path.join(home, ".local", "share", "quendar", "jyukugo.dat"), "wb") as f:
        f.write("".join(w + "\r\n" for w in WORDS[:5]).encode("cp932"))
    binary, args = launch(command)
    run = Game(binary, work, desk, args, cwd=empty, log_name="xdg.log")
    try:
        opened = open_main_window(c, desk, run)
        red = opened and wait_for(lambda: desk.capture(opened[0]).count(
            opened[1].panel(), IS_RED) >= 50)
        c.check("a list in ~/.local/share/quendar comes before the shipped one", red)
    finally:
        run.stop()


IS_READING = near((0x8A, 0x3A, 0x1A), 50)
IS_STRIP_INK = lambda p: max(p) < 80


def study(c, desk, game, assets):
    """Each compound's reading is 1 to 6 kana long, so the width of the reading drawn in the
    strip tells which compound the strip shows; the review file says which was matched."""
    main = wait_for(lambda: desk.window("Quendar"), START_TIMEOUT)
    if not c.check("the main window appears", main):
        return
    x, y, w, h = desk.geometry(main)
    board = Board((x, y, w, h))
    s = board.scale
    c.check("the window is the field and the strip beside it, at one scale",
            board.strip and s >= 1 and s == int(s), f"geometry {(x, y, w, h)}")
    strip = (round_half_up(CLIENT_W * s), board.menu, round_half_up(STRIP_W * s), h - board.menu)
    big = (strip[0] + round(12 * s), board.menu + round(10 * s), round(200 * s), round(60 * s))
    reading = (strip[0] + round(12 * s), board.menu + round(74 * s), round(200 * s), round(24 * s))
    paper = near((0xFA, 0xF7, 0xEF), 8)
    # Drawn: the strip's paper, and the hint before any match in place of a compound.
    c.check("the strip is drawn beside the field",
            wait_for(lambda: (lambda i: i and i.count(strip, paper) > strip[2] * strip[3] // 2)(
                desk.capture(main))))
    shown = None
    for shot in range(40):
        img = desk.capture(main)
        if img and img.count(big, IS_STRIP_INK) > 40 and img.count(big, paper) > 100:
            shown = img
            break
        col = shot % COLUMNS
        desk.click(*board.centre_on_screen(board.bottom_block(col)))
        time.sleep(0.9)
    if not c.check("a match puts its compound large in the strip", shown):
        return
    desk.key(main, "F2")
    c.check("F2 hides the strip: the window shrinks to the field",
            wait_for(lambda: desk.geometry(main)[2] == round_half_up(CLIENT_W * s)))
    desk.key(main, "F2")
    c.check("F2 shows it again", wait_for(lambda: desk.geometry(main)[2] == w))
    items = menu_items(desk.capture(main), board)
    desk.click(board.x + sum(items[0]) // 2, board.y + board.menu // 2)
    review = os.path.join(desk.workdir, "review.tsv")
    if not c.check("終わる writes the review file", wait_for(lambda: os.path.exists(review))):
        return
    with open(review, encoding="utf-8-sig") as f:
        rows = [line.rstrip("\r\n").split("\t") for line in f]
    headers, cards = read_anki(os.path.join(desk.workdir, "anki.txt"))
    by_word = {r[0]: r for r in rows}
    c.check("the Anki file names Basic, its deck and the tags column, and holds a card per row",
            headers.get("notetype") == "Basic" and headers.get("deck") == "Quendar"
            and headers.get("separator") == "tab" and headers.get("tags column") == "3"
            and headers.get("columns") == "Front\tBack\tTags" and len(cards) == len(rows),
            f"{headers} {len(cards)} cards for {len(rows)} rows")
    def tag(result):
        return ("not-matched" if result.startswith("not matched") else "matched-after-misses"
                if result.startswith("matched after") else "matched" if result == "matched"
                else "not-reached")
    c.check("each card has the compound in front, reading and meaning behind, the result as a tag",
            cards and all(len(k) == 3 and k[0] in by_word
                          and k[1] == by_word[k[0]][1] + "\n" + by_word[k[0]][2]
                          and k[2] == "quendar::" + tag(by_word[k[0]][4]) for k in cards)
            and any(HOSTILE in k[1] for k in cards), f"{[k[0] + ' ' + k[2] for k in cards]}")
    matched = [r for r in rows if r[4].startswith("matched")]
    ranks = [0 if r[4].startswith("not matched") else 3 if r[4] == "not reached" else 2
             for r in rows]
    c.check("the review has every dealt compound with five columns (the accent empty): the "
            "misses, the match, then those never the target",
            len(rows) >= 8 and all(len(r) == 5 and r[3] == "" for r in rows) and len(matched) == 1
            and ranks == sorted(ranks), f"{rows}")
    xs = [px for px, _, p in shown.pixels(reading) if IS_READING(p)]
    width = max(xs) - min(xs) + 1 if xs else 0
    kana = len(matched[0][1]) if matched else 0
    c.check("the strip shows the matched compound's reading",
            kana and abs(width - 16 * kana * s) <= 6 * s,
            f"{width} px of reading ink for {kana} kana at 16 px")
    # The review's groups in their inks: not matched in red, matched in green (a first shot
    # that hits leaves no miss, and the compounds never the target are grey).
    missed, hit = near((0xB0, 0x28, 0x18), 50), near((0x1E, 0x6A, 0x34), 50)
    img = wait_for(lambda: (lambda i: i and i.count(strip, missed) + i.count(strip, hit) > 200
                            and i)(desk.capture(main)))
    c.check("at the end the strip turns into the review, its groups in their inks", img)
    # A click on the review's first row, then Ctrl+C: the row is on the clipboard.
    desk.click(x + strip[0] + round(100 * s), y + board.menu + round((64 + 20 + 15) * s))
    time.sleep(0.3)
    desk.key(main, "ctrl+c")
    first = rows[0][:3] if rows else []
    clip = wait_for(lambda: (lambda r: r.returncode == 0 and r.stdout)(subprocess.run(
        ["xclip", "-selection", "clipboard", "-o"], env=desk.env, capture_output=True,
        text=True, timeout=5)))
    c.check("a click on a review row and Ctrl+C copy compound, reading and meaning",
            clip == "\t".join(first), f"{clip!r}")
    # The same click opened the row's kanji card over the list (white, on the strip's paper);
    # a click on the field beside it closes it and goes no further.
    white = near((0xFF, 0xFF, 0xFF), 3)
    card = (strip[0] + round(8 * s), board.menu + round(70 * s), round(200 * s), round(300 * s))
    def card_share():
        img = desk.capture(main)
        return img.count(card, white) / (card[2] * card[3]) if img else -1
    c.check("the click opened the row's kanji card over the review",
            wait_for(lambda: card_share() > 0.5))
    desk.click(x + round(290 * s), y + board.menu + round(300 * s))
    c.check("a click on the field beside the card closes it",
            wait_for(lambda: 0 <= card_share() < 0.1))
    desk.close_button(main)
    c.check("the close button ends the game with status 0", game.wait_exit(STEP_TIMEOUT) == 0)


def review_hangup(c, desk, game, assets):
    """The review replaces the file it names: its mode stays, a hard link keeps the old one."""
    review = os.path.join(desk.workdir, "review.tsv")
    if not open_main_window(c, desk, game):
        return
    game.proc.send_signal(signal.SIGHUP)
    status = game.wait_exit(STEP_TIMEOUT)
    c.check("SIGHUP ends the game as SIGTERM does, with status 0", status == 0, f"{status}")
    with open(review, encoding="utf-8-sig") as f:
        rows = [line.rstrip("\r\n").split("\t") for line in f]
    c.check("the review of the run is written on a hang-up", len(rows) >= 8
            and all(len(r) == 5 and (r[4] == "not reached" or r[4].startswith("not matched"))
                    for r in rows), f"{rows[:3]}")
    mode = os.stat(review).st_mode & 0o777
    c.check("the review file keeps its mode 0600", mode == 0o600, f"{mode:o}")
    with open(os.path.join(desk.workdir, "old-review.tsv")) as f:
        c.check("a hard link to it keeps the old review", f.read() == "old\n")


def prepare_review(workdir):
    review = os.path.join(workdir, "review.tsv")
    with open(review, "w") as f:
        f.write("old\n")
    os.chmod(review, 0o600)
    os.link(review, os.path.join(workdir, "old-review.tsv"))


def voice(c, desk, game, assets):
    """The voice back end logs (QUENDAR_VOICE_LOG) each cue and reading as it starts and
    ends; matches are made by clicking blocks until the log shows enough of them."""
    main = wait_for(lambda: desk.window("Quendar"), START_TIMEOUT)
    if not c.check("the main window appears", main):
        return
    board = Board(desk.geometry(main))
    log = os.path.join(desk.workdir, "voice.log")

    def events():
        with open(log) as f:
            return [line.split()[1:] for line in f if line.strip()]

    def play_until(test, shots=60):
        for shot in range(shots):
            if test(events()):
                return True
            desk.click(*board.centre_on_screen(board.bottom_block(shot % COLUMNS)))
            time.sleep(0.7)
        return wait_for(lambda: test(events()), 3)

    spoken = lambda ev: sum(e[0] == "voice-start" for e in ev)
    c.check("matches are spoken", play_until(lambda ev: spoken(ev) >= 2), f"{events()}")
    ev = events()
    # Overlap: a reading starting while a cue sounds, or a cue starting over a reading
    # that is not cut at once (the cut is logged right after the cue's start).
    order, cue_on, voice_on = [e[0] for e in ev], False, False
    overlaps = []
    for i, what in enumerate(order):
        if what == "voice-start" and cue_on or (
                what == "cue-start" and voice_on and order[i + 1:i + 2] != ["voice-stop"]):
            overlaps.append(i)
        cue_on = {"cue-start": True, "cue-end": False}.get(what, cue_on)
        voice_on = {"voice-start": True, "voice-end": False, "voice-stop": False}.get(
            what, voice_on)
    first = order.index("voice-start") if "voice-start" in order else -1
    c.check("a match requests the chime, then the reading once the chime has ended, "
            "never over it", first > 1 and order[first - 2:first] == ["cue-start", "cue-end"]
            and not overlaps, f"{ev}")
    desk.key(main, "F3")
    before = len(events())
    matched = play_until(lambda ev: ev[before:].count(["cue-end"]) >= 3)
    c.check("with F3 the voice is off: matches and misses sound, nothing is spoken",
            matched and not any(e[0] == "voice-start" for e in events()[before:]),
            f"{events()[before:]}")
    desk.key(main, "F3")
    # A click on the large compound in the strip says it again.
    x, y = board.x + round_half_up(CLIENT_W * board.scale), board.y + board.menu
    before = len(events())
    desk.click(x + round(100 * board.scale), y + round(40 * board.scale))
    c.check("F3 again, then a click on the strip's compound, speaks it again",
            wait_for(lambda: any(e[0] == "voice-start" for e in events()[before:])),
            f"{events()[before:]}")
    desk.close_button(main)  # with a reading's chunk loaded: freed before the mixer closes
    status = game.wait_exit(STEP_TIMEOUT)
    c.check("closed, the game exits with status 0 (no leak under the sanitizers)", status == 0,
            f"exit status {status}")
    c.check("nothing is wrong with the pack", "readings" not in game.output(), game.output())


def prepare_voice(workdir, assets):
    """The shipped list's first compounds, which have recordings."""
    with open(os.path.join(assets, "jyukugo.dat"), "rb") as f:
        lines = f.read().split(b"\r\n")[:48]
    with open(os.path.join(workdir, "jyukugo.dat"), "wb") as f:
        f.write(b"".join(line + b"\r\n" for line in lines))


# A meaning no file may split or misread: a quote, markup, a leading hash, a long tail.
HOSTILE = '#1 "say <b>cheese</b>"; ' + "x" * 300


def prepare_study(workdir, assets, lines):
    with open(os.path.join(workdir, "jyukugo.dat"), "wb") as f:
        f.write("".join(f"{w}\t{'あいうえおか'[:i % 6 + 1]}\t{HOSTILE if i % 2 else f'meaning {i}'}\r\n"
                        for i, w in enumerate(WORDS[:lines])).encode("cp932"))


def read_anki(path):
    """The cards as Anki's text import reads them: header lines of #key:value first, then
    TAB-separated fields in its CSV quoting."""
    import csv
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    lines = text.split("\n")
    headers = {}
    while lines and lines[0].startswith("#"):
        key, _, value = lines.pop(0)[1:].partition(":")
        headers[key] = value
    rows = list(csv.reader(io.StringIO("\n".join(lines)), delimiter="\t", quotechar='"'))
    return headers, [r for r in rows if r]


SCENARIOS = {"play": (play, len(WORDS)), "wm-close": (wm_close, len(WORDS)),
             "game-over": (game_over, 5), "error-window": (error_window, 0),
             "no-close-lost": (no_close_lost, len(WORDS)), "installed": (installed, 0),
             "study": (study, len(WORDS)), "review-hangup": (review_hangup, len(WORDS)),
             "voice": (voice, len(WORDS))}
# The scenarios that start the game themselves, or with other arguments.
GAME_ARGS = {"error-window": ["no-such-list.dat"],
             "study": ["--review", "review.tsv", "--anki", "anki.txt", "--lang", "en"],
             "review-hangup": ["--review", "review.tsv"], "voice": ["--lang", "en"]}
ERROR_TITLE = "Quendar: cannot start"
IS_BUTTON_EDGE = lambda p: p[2] >= 150 and p[0] <= 90 and 90 <= p[1] <= 130  # #3A6EA5


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--game", required=True, help="the quendar binary")
    parser.add_argument("--assets", required=True,
                        help="directory of the shipped sounds and pictures")
    parser.add_argument("--build", help="the build tree, for the installed scenario")
    parser.add_argument("--keep", action="store_true", help="keep the scratch directory")
    parser.add_argument("scenario", choices=SCENARIOS)
    args = parser.parse_args()
    global ARGS
    ARGS = args

    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        print(f"SKIP: {', '.join(missing)} not installed (xvfb, xdotool, imagemagick)")
        return 77
    if not os.access(args.game, os.X_OK):
        print(f"FAIL: {args.game}: no such program")
        return 1

    # ctest's timeout sends SIGTERM: unwind so that Xvfb and the game are stopped.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    run, lines = SCENARIOS[args.scenario]
    workdir = tempfile.mkdtemp(prefix=f"quendar-e2e-{args.scenario}-")
    c = Checks(args.keep)
    xserver = game = None
    started = time.monotonic()
    try:
        prepare(workdir, args.assets, lines)
        if args.scenario == "study":
            prepare_study(workdir, args.assets, lines)
        if args.scenario == "review-hangup":
            prepare_review(workdir)
        if args.scenario == "voice":
            prepare_voice(workdir, args.assets)
        xserver = XServer(workdir)
        desk = Desktop(xserver.display, workdir)
        c.desk = desk
        if args.scenario == "installed":
            run(c, desk, None, args.assets)
        else:
            env = {"QUENDAR_NO_MESSAGE_BOX": None} if args.scenario == "error-window" else {}
            if args.scenario == "voice":
                env["QUENDAR_VOICE_LOG"] = os.path.join(workdir, "voice.log")
            game = Game(os.path.abspath(args.game), workdir, desk,
                        GAME_ARGS.get(args.scenario, ()), env_extra=env)
            run(c, desk, game, args.assets)
    except Exception as e:  # a broken harness is a failure, not a pass
        c.check("the run completes", False, f"{type(e).__name__}: {e}")
    finally:
        if game:
            game.stop()
        if xserver:
            xserver.stop()
    took = f"     {args.scenario} took {time.monotonic() - started:.1f} s"
    print(f"{took}; files in {workdir}" if c.failed or args.keep else took)
    if c.failed:
        log = os.path.join(workdir, "quendar.log")
        if os.path.exists(log):
            sys.stdout.write("     game output:\n" + open(log, errors="replace").read())
    elif not args.keep:
        shutil.rmtree(workdir, ignore_errors=True)
    c.summary()
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
