#!/usr/bin/env python3
"""Every bad word list we tried, run through the game's own engine (quendar-sim), and the
game binary without a display. Each row must end in a clear message or in a playable
game, never in a crash or a hang. Usage: bad_input_test.py QUENDAR_SIM [QUENDAR]"""
import os
import shutil
import subprocess
import sys
import tempfile

SIM = os.path.abspath(sys.argv[1])
GAME = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
WORDS = ["山川", "学校", "電車", "時間", "天気", "宿題", "代表", "能力", "表示", "予定"]
passed = failed = 0


def sjis(words):
    return b"".join(w.encode("cp932") + b"\r\n" for w in words)


def run_sim(setup, script="start Form1\nwait 3000\nkey 38\nwait 700\nsnapshot\n", timeout=120):
    d = tempfile.mkdtemp(prefix="quendar-bad-")
    try:
        setup(d)
        p = subprocess.run([SIM], input=script.encode(), cwd=d, capture_output=True, timeout=timeout)
        return p.returncode, p.stdout.decode(errors="replace"), p.stderr.decode(errors="replace")
    finally:
        os.chmod(d, 0o700)
        shutil.rmtree(d, ignore_errors=True)


def row(name, setup, status, needle, stream="err", script=None, max_err=None):
    global passed, failed
    try:
        code, out, err = run_sim(setup, **({"script": script} if script else {}))
    except subprocess.TimeoutExpired:
        code, out, err = "timeout", "", ""
    text = err if stream == "err" else out
    ok = code == status and needle in text and (max_err is None or len(err) <= max_err)
    if ok:
        passed += 1
    else:
        failed += 1
        print(f"FAIL {name}: exit {code}, wanted {status} with {needle!r}\n  out: {out[:300]}\n  err: {err[:300]}")


def write(name, data):
    def setup(d):
        with open(os.path.join(d, name), "wb") as f:
            f.write(data)
    return setup


def playable(words_read):
    return f'"wordCount":{words_read}'


row("missing", lambda d: None, 1, "jyukugo.dat: file not found")
row("directory", lambda d: os.mkdir(os.path.join(d, "jyukugo.dat")), 1, "jyukugo.dat: is a directory")
if os.geteuid() != 0:
    def unreadable(d):
        write("jyukugo.dat", sjis(WORDS))(d)
        os.chmod(os.path.join(d, "jyukugo.dat"), 0)
    row("unreadable", unreadable, 1, "jyukugo.dat: cannot be opened")
row("empty: game over at once", write("jyukugo.dat", b""), 0, '"Label7":{"Caption":"0"', "out")
row("7 lines: game over at once", write("jyukugo.dat", sjis(WORDS[:7])), 0, '"enabled":false', "out")
row("2000 lines", write("jyukugo.dat", sjis(WORDS * 200)), 0, playable(2000), "out")
row("2001 lines", write("jyukugo.dat", sjis(WORDS * 200 + ["山川"])), 1, "more than 2000 lines")


def sparse_gigabyte(d):
    with open(os.path.join(d, "jyukugo.dat"), "wb") as f:
        f.truncate(1 << 30)  # one line of a billion NUL bytes, without using the disk


def many_lines_gigabyte(d):
    with open(os.path.join(d, "jyukugo.dat"), "wb") as f:
        f.write(sjis(WORDS) * 300)
        f.truncate(1 << 30)


row("1 GB file of one line", sparse_gigabyte, 0, playable(1), "out")
row("1 GB file of many lines", many_lines_gigabyte, 1, "more than 2000 lines")
row("one line of 100 MB", write("jyukugo.dat", "漢".encode("cp932") * (50 << 20)), 0, playable(1), "out")
row("random binary", write("jyukugo.dat", bytes((i * 7919 + 13) % 256 for i in range(200000))), 0,
    '"exited":false', "out")
row("invalid Shift-JIS", write("jyukugo.dat", b"\x81\xff\x88\r\n" * 20 + sjis(WORDS)), 0, playable(30), "out")
row("UTF-8 without BOM", write("jyukugo.dat", "\r\n".join(WORDS).encode()), 0, '"Caption":"', "out")
row("UTF-8 with BOM", write("jyukugo.dat", b"\xef\xbb\xbf" + "\r\n".join(WORDS).encode()), 0,
    playable(10), "out")
row("UTF-16 (read as bytes: plays, with odd characters)",
    write("jyukugo.dat", "\r\n".join(WORDS).encode("utf-16")), 0, '"exited":false', "out")
row("LF line ends in a Shift-JIS list: one entry, game over, and why",
    write("jyukugo.dat", "\n".join(WORDS).encode("cp932")), 0,
    "jyukugo.dat: 1 line (its lines end with LF alone")
row("UTF-8 with LF line ends: a line each", write("jyukugo.dat", "\n".join(WORDS).encode()), 0,
    playable(10), "out")
row("LF line ends: one entry, game over", write("jyukugo.dat", "\n".join(WORDS).encode("cp932")), 0,
    '"enabled":false', "out")


def link_to(target):
    return lambda d: os.symlink(target, os.path.join(d, "jyukugo.dat"))


# Each of these once read or blocked forever.
row("a link to /dev/zero", link_to("/dev/zero"), 1, "jyukugo.dat: is a character device, not a word list")
row("a named pipe", lambda d: os.mkfifo(os.path.join(d, "jyukugo.dat")), 1,
    "jyukugo.dat: is a named pipe, not a word list file")
row("a malformed word of 10 MB in the script", write("jyukugo.dat", sjis(WORDS)), 2,
    "line 2: the line is longer than 4096", script="start Form1\nset " + "x" * (10 << 20) + " 1\n",
    max_err=200)
row("screenshot to a named pipe: refused at once", lambda d: (write("jyukugo.dat", sjis(WORDS))(d),
    os.mkfifo(os.path.join(d, "shot.png"))), 1, "shot.png: it is a named pipe, not a picture file",
    script="start Form1\nscreenshot shot.png\n")
row("set roundNo 0: refused, never a hang", write("jyukugo.dat", sjis(WORDS[:8])), 2,
    "line 2: 'roundNo' takes values from 1", script="start Form1\nset roundNo 0\nwait 120000\n")


def with_bad_sounds(kind):
    def setup(d):
        write("jyukugo.dat", sjis(WORDS))(d)
        for name in ("seikai2.wav", "matigai.wav"):
            path = os.path.join(d, name)
            if kind == "empty":
                open(path, "wb").close()
            elif kind == "truncated":
                open(path, "wb").write(b"RIFF\x24\x08\x00\x00WAVEfmt ")
            elif kind == "not wav":
                open(path, "wb").write(b"this is not a sound")
    return setup


for kind in ("missing", "empty", "truncated", "not wav"):
    row(f"sound files {kind}: play goes on", with_bad_sounds(kind), 0, '"sounds":[{"t":', "out")

# A directory as the script is a usage error, not an uncaught read failure.
p = subprocess.run([SIM, tempfile.gettempdir()], capture_output=True, timeout=60)
if p.returncode == 2 and b"is a directory, not a script\nusage: quendar-sim" in p.stderr:
    passed += 1
else:
    failed += 1
    print("FAIL a directory as the script:", p.returncode, p.stderr[:300])

if GAME:
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    d = tempfile.mkdtemp(prefix="quendar-bad-")
    write("jyukugo.dat", sjis(WORDS))(d)
    try:
        p = subprocess.run([GAME], cwd=d, env=env, capture_output=True, timeout=60)
        ok = p.returncode == 1 and p.stderr.count(b"\n") >= 1 and b"display" in p.stderr.lower()
    except subprocess.TimeoutExpired:
        ok, p = False, None
    shutil.rmtree(d, ignore_errors=True)
    if ok:
        passed += 1
    else:
        failed += 1
        print("FAIL no display:", p and (p.returncode, p.stderr[:300]))


# `quendar --review` refused at start-up (exit 2), every file left as it was: the list being
# played however it is named or found, a sound, and an existing review where the temporary
# file cannot be created (a read-only file system from a mount namespace of our own).
RO_FS = ["unshare", "-rm", "sh", "-c", "mount -t tmpfs tmpfs ro && echo old > ro/r.tsv && "
         'mount -o remount,ro ro && exec "$@"', "sh"]
REVIEW_ROWS = [
    ("", "--review jyukugo.dat", "jyukugo.dat: is the word list being played (jyukugo.dat); the review would replace it"),
    ("mkdir sub", "--review sub/../keep.dat keep.dat", "sub/../keep.dat: is the word list being played (keep.dat)"),
    ("ln keep.dat r.tsv", "--list keep.dat --review r.tsv", "r.tsv: is the word list being played (keep.dat)"),
    ("ln -s jyukugo.dat r.tsv", "--review r.tsv", "r.tsv: is the word list being played (jyukugo.dat)"),
    ("mkdir -p x/quendar && mv jyukugo.dat x/quendar", "--review x/quendar/jyukugo.dat",
     "is the word list being played (DIR/x/quendar/jyukugo.dat)"),
    ("echo RIFF > matigai.wav", "--review matigai.wav", "matigai.wav: is the sound matigai.wav")]
if os.geteuid() != 0:  # root writes in any folder
    REVIEW_ROWS.append(("mkdir ro && echo old > ro/r.tsv && chmod 555 ro", "--review ro/r.tsv",
                        "ro/r.tsv: cannot create a file in the folder ro"))
if subprocess.run(["unshare", "-rm", "true"], capture_output=True).returncode == 0:
    REVIEW_ROWS.append(("mkdir ro", "--review ro/r.tsv", "ro/r.tsv: cannot create a file in the folder ro "
                        "(the review is written there and renamed over ro/r.tsv): Read-only file system", RO_FS))


def snapshot_files(d):
    return {os.path.join(p, f): open(os.path.join(p, f), "rb").read() for p, _, fs in os.walk(d) for f in fs}


for setup, args, needle, *wrap in REVIEW_ROWS if GAME else []:
    d = tempfile.mkdtemp(prefix="quendar-review-")
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    env.update(HOME=os.path.join(d, "home"), XDG_DATA_HOME=os.path.join(d, "x"))
    write("jyukugo.dat", sjis(WORDS))(d)
    write("keep.dat", sjis(WORDS))(d)
    subprocess.run(setup, shell=True, cwd=d, check=True)
    before = snapshot_files(d)
    p = subprocess.run([*(wrap[0] if wrap else []), GAME, *args.split()], cwd=d, env=env,
                       capture_output=True, timeout=60)
    if p.returncode == 2 and needle.replace("DIR", d).encode() in p.stderr and snapshot_files(d) == before:
        passed += 1
    else:
        failed += 1
        print(f"FAIL quendar {args} after {setup!r}: exit {p.returncode}, {p.stderr[:300]!r}")
    subprocess.run(["chmod", "-R", "u+w", d])
    shutil.rmtree(d, ignore_errors=True)

print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
