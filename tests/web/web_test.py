#!/usr/bin/python3
"""The browser edition in a real headless Chromium, served from build/web on 127.0.0.1.

  play         the opening, the main window about two seconds later, Right, Up, a click,
               the menu's 終わる and 閉じる, and "play again"
  bad-list     a player's own list that the game cannot use shows the desktop's message
               on the page, and the page stays usable; the last of two quick choices wins
  same-engine  seeded scripts through window.quendar.run and through quendar-sim give
               identical snapshots, on the default list, a chosen one and a big own file;
               a script of millions of characters, and one with a NUL byte
  screenshot   the canvas's drawing of the main window matches quendar-sim's screenshot
  installable  Chromium finds nothing that keeps it from installing the page as an app
  offline      after one visit, with the network off and the server gone, the page
               reloads, reaches the main window and a shot scores
  page         the study panel shows a matched compound's reading, F2 hides it, the review
               follows 終わる; keys reach the game only from the canvas; both languages
  phone        a 390 x 844 touch screen: the game fills the width, nothing scrolls, a tap
               fires, the menu's commands are large enough and do what the menu does

Usage: web_test.py --web DIR --sim QUENDAR_SIM --assets DIR SCENARIO
Exit status 77 (skipped) when Chromium, chromedriver or Selenium is missing.
"""
import argparse
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    webdriver = None

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(root, handler=None):
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(handler or Quiet, directory=root))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def browser():
    o = Options()
    for a in ("--headless=new", "--no-sandbox", "--window-size=1000,800",
              "--autoplay-policy=no-user-gesture-required", "--disable-gpu"):
        o.add_argument(a)
    o.binary_location = CHROMIUM
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=o)


def poll(what, check, timeout=15.0):
    """Polls `check` until it returns something true; fails after `timeout` seconds."""
    end = time.monotonic() + timeout
    while True:
        got = check()
        if got:
            return got
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)


def ready(d):
    d.execute_async_script("window.quendar.ready.then(arguments[0])")


def snap(d):
    return d.execute_script("return window.quendar.snapshot()")


def form1(d):
    s = snap(d)
    return s and s["windows"].get("Form1")


def click_canvas(d, x, y):
    """A real press and release at backing-store pixel (x, y) of the canvas."""
    canvas = d.find_element(By.ID, "screen")
    ratio = d.execute_script(
        "const c = arguments[0]; return c.getBoundingClientRect().width / c.width;", canvas)
    size = canvas.size
    ActionChains(d).move_to_element_with_offset(
        canvas, x * ratio - size["width"] / 2, y * ratio - size["height"] / 2).click().perform()


def check(cond, what):
    if not cond:
        raise AssertionError(what)


def run_page(web, scenario, check_log=True, server=None):
    """Runs `scenario(d, url)` in a fresh headless Chromium against `web` served on loopback
    (by `server` when the scenario needs its own, shut down here too), as every browser
    test's main does: 77 without Chromium, 1 on a failed check (or, with `check_log`, an
    error the page logged) or without the build, 0 otherwise."""
    if webdriver is None or not os.access(CHROMIUM, os.X_OK) or not os.access(CHROMEDRIVER, os.X_OK):
        print("skipped: chromium, chromium-driver or python3-selenium is missing")
        return 77
    if not os.path.exists(os.path.join(web, "quendar-engine.wasm")):
        print(f"{web}: the browser edition is not built (cmake --build --preset web)")
        return 1
    server = server or serve(web)
    d = browser()
    try:
        scenario(d, f"http://127.0.0.1:{server.server_port}/")
        severe = [e["message"] for e in d.get_log("browser") if e["level"] == "SEVERE"]
        check(not (check_log and severe), f"the page logged errors: {severe}")
    except AssertionError as e:
        print(f"FAIL: {e}")
        return 1
    finally:
        d.quit()
        server.shutdown()
    print("ok")
    return 0


# ---- play ------------------------------------------------------------------------------

def scenario_play(d, url, args):
    d.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 2})
    d.get(url)
    ready(d)
    first = snap(d)
    check(first["windows"]["cright"] and first["windows"]["cright"]["visible"],
          "the opening window is not shown first")
    poll("a first frame of the opening", lambda: d.execute_script("return window.quendar.firstFrameAt"))
    shown = poll("the main window", lambda: (form1(d) or {}).get("visible") and snap(d))
    check(shown["windows"]["cright"] is None, "the opening is still loaded beside the main window")
    check(1986 <= shown["t"] < 6000, f"main window at {shown['t']} ms, expected shortly after 1986")

    body = d.find_element(By.TAG_NAME, "body")
    before = form1(d)["vars"]["cursorCol"]
    arrow = lambda: [k for k, e in form1(d)["elements"].items()
                     if k.startswith("Label8(") and e["Visible"]]
    ActionChains(d).send_keys(Keys.ARROW_RIGHT).perform()
    poll("Right to move the blue arrow", lambda: form1(d)["vars"]["cursorCol"] == before + 1)
    check(arrow() == [f"Label8({before + 1})"], f"the arrow shown is {arrow()}")
    check(d.execute_script("return window.scrollY") == 0, "the arrow key scrolled the page")

    sounds = len(snap(d)["sounds"])
    ActionChains(d).send_keys(Keys.ARROW_UP).perform()
    def marked():
        f = form1(d)
        e = f["elements"]
        return f["vars"]["score"] != 0 and (e["Picture2"]["Visible"] or e["Picture3"]["Visible"])
    poll("Up to fire, a mark and a new score", marked)
    check(len(snap(d)["sounds"]) > sounds, "firing requested no sound")

    # A click on a bottom block fires it: press and release through the canvas.
    f = form1(d)
    col = next(i for i in range(8) if not f["vars"]["columnDone"][i])
    slots = d.execute_script("return window.quendar.menuSlots()")
    score, sounds = f["vars"]["score"], len(snap(d)["sounds"])
    click_canvas(d, *d.execute_script("return window.quendar.elementCentre('Label2', arguments[0])", col))
    poll("a click on a bottom block to fire it",
         lambda: (lambda f: f["vars"]["shotCol"] == col and f["elements"]["Timer2"]["Enabled"]
                  or f["vars"]["score"] != score)(form1(d)), timeout=5)
    poll("the clicked block's shot to land", lambda: len(snap(d)["sounds"]) > sounds)

    # A tap is a click too.
    f = form1(d)
    col = next(i for i in reversed(range(8)) if not f["vars"]["columnDone"][i])
    x, y = d.execute_script("return window.quendar.elementCentre('Label2', arguments[0])", col)
    left, top, ratio = d.execute_script(
        "const c = document.getElementById('screen'), b = c.getBoundingClientRect();"
        "return [b.left, b.top, b.width / c.width];")
    for kind, points in (("touchStart", [{"x": left + x * ratio, "y": top + y * ratio}]),
                         ("touchEnd", [])):
        d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})
    poll("a tap on a bottom block to fire it",
         lambda: (lambda f: f["vars"]["shotCol"] == col and f["elements"]["Timer2"]["Enabled"])(
             form1(d)), timeout=5)

    owaru = next(s for s in slots if s["name"] == "owaru")
    click_canvas(d, owaru["x"] + owaru["w"] / 2, owaru["y"] + owaru["h"] / 2)
    panel = poll("終わる to show the score panel",
                 lambda: (lambda e: e["BackStyle"] == 1 and e["Caption"] != "" and e)(
                     form1(d)["elements"]["Label7"]))
    check(panel["Caption"] == str(form1(d)["vars"]["score"]), f"the panel shows {panel['Caption']}")
    check(not form1(d)["elements"]["Timer1"]["Enabled"], "the game goes on after 終わる")

    tojiru = next(s for s in slots if s["name"] == "tojiru")
    click_canvas(d, tojiru["x"] + tojiru["w"] / 2, tojiru["y"] + tojiru["h"] / 2)
    poll("閉じる to end the program and say so",
         lambda: d.find_element(By.ID, "ended").is_displayed())
    check(not d.find_element(By.ID, "screen").is_displayed(), "the closed window stays on the page")
    d.find_element(By.ID, "again").click()
    poll("play again to start the opening", lambda: (snap(d) or {}).get("windows", {}).get("cright"))


# ---- bad-list ----------------------------------------------------------------------------

def scenario_bad_list(d, url, args):
    d.get(url)
    ready(d)
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "my-list.txt")
        with open(path, "wb") as f:
            f.write("山川\r\n".encode("cp932") * 2001)
        d.find_element(By.ID, "own").send_keys(path)
        message = poll("the list's message on the page",
                       lambda: d.find_element(By.ID, "message").is_displayed()
                       and d.find_element(By.ID, "message").text)
    check(message.startswith("my-list.txt: has more than 2000 lines"), f"the page says {message!r}")
    check(d.execute_script("return window.quendar.snapshot()") is None,
          "a run goes on with a list the game refuses")
    check(not d.find_element(By.ID, "screen").is_displayed(), "the stopped game stays on the page")
    d.find_element(By.CSS_SELECTOR, "button[data-list='jyukugo-joyo.dat']").click()
    poll("another list to start a new run", lambda: (snap(d) or {}).get("windows", {}).get("cright"))
    check(not d.find_element(By.ID, "message").is_displayed(), "the old message stays")

    # Too short to play: the game's notice on the page, under the player's name for it.
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "short.txt")
        with open(path, "wb") as f:
            f.write("山川\n海辺\n".encode("cp932"))
        d.find_element(By.ID, "own").send_keys(path)
        message = poll("the short list's notice", lambda: d.find_element(By.ID, "message").is_displayed()
                       and d.find_element(By.ID, "message").text, timeout=10)
    check(message.startswith("short.txt: 1 line (its lines end with LF alone"), f"the page says {message!r}")

    # Two choices in quick succession: a big own list still being read, then a shipped
    # one. The second wins, and nothing of the first shows up later.
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "big.txt")
        with open(path, "wb") as f:
            for _ in range(20):
                f.write("山川".encode("cp932") + b"x" * (3 << 20) + b"\r\n")
        d.find_element(By.ID, "own").send_keys(path)
        d.find_element(By.CSS_SELECTOR, "button[data-list='jyukugo-elementary.dat']").click()
        poll("the second choice to start its game", lambda: (snap(d) or {}).get("windows", {}).get("cright"))
        poll("the second choice's main window", lambda: (form1(d) or {}).get("visible"), timeout=10)
    f = form1(d)
    with open(os.path.join(args.assets, "jyukugo-elementary.dat"), "rb") as lst:
        lines = lst.read().count(b"\r\n")
    check(f["vars"]["wordCount"] == lines, f"the game read {f['vars']['wordCount']} compounds, not Elementary's")
    check(d.find_element(By.CSS_SELECTOR, "button[data-list='jyukugo-elementary.dat']")
          .get_attribute("aria-pressed") == "true", "the second choice is not the one lit")
    check(not d.find_element(By.ID, "message").is_displayed(), "a message shows after the second choice")


# ---- installable, offline ----------------------------------------------------------------

def scenario_installable(d, url, args):
    d.get(url)
    ready(d)
    errors = d.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"]
    check(not errors, f"Chromium will not install the page: {errors}")


def scenario_offline(d, url, args, server):
    d.get(url)
    ready(d)
    worker = d.execute_async_script(
        "const done = arguments[0]; navigator.serviceWorker.ready.then(r => { const w = r.active;"
        "  if (w.state === 'activated') done(w.state);"
        "  else w.addEventListener('statechange', () => w.state === 'activated' && done(w.state)); });")
    check(worker == "activated", f"the service worker is {worker}")
    # No network at all: the browser is offline and the server is gone.
    d.execute_cdp_cmd("Network.enable", {})
    d.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
    server.shutdown()
    server.server_close()
    d.get(url)
    ready(d)
    poll("the main window offline", lambda: (form1(d) or {}).get("visible"))
    # Aim at the target: the bottom block of its compound shares its index.
    for _ in range(5):
        f = form1(d)
        sounds = len(snap(d)["sounds"])
        click_canvas(d, *d.execute_script("return window.quendar.elementCentre('Label2', arguments[0])",
                                          f["vars"]["targetCol"]))
        poll("the shot to be judged", lambda: len(snap(d)["sounds"]) > sounds)
        if form1(d)["vars"]["score"] > 0:
            return
    raise AssertionError("no shot scored offline")


# ---- same-engine ---------------------------------------------------------------------------

SCRIPTS = {
    "opening": "seed 3\nstart\nsnapshot\nwait 300\nsnapshot\nwait 1686\nsnapshot\nwait 1\nsnapshot\n",
    "play": "seed 11\nstart Form1\nwait 560\nkey 39\nkey 39\nkey 38\nwait 700\nsnapshot\n"
            "click Label2(3)\nwait 900\nsnapshot\nkey 37\nkey 13\nwait 3000\nsnapshot\n"
            "click-at 200 420\nwait 500\nsnapshot\nmenu owaru\nsnapshot\n",
    "long": "seed 5\nstart Form1\nset score 32760\nset bonusLevel 10\n"
            + "key 38\nwait 250\nkey 39\nwait 250\n" * 60 + "snapshot\nwait 60000\nsnapshot\n"
            "menu tojiru\nsnapshot\nwait 10\nkey 38\nsnapshot\n",
}


def run_in_page(d, script):
    return d.execute_async_script(
        "const done = arguments[1];"
        "window.quendar.run(arguments[0]).then(s => done({ok: s, error: s.error}),"
        " e => done({err: e.message}));",
        script)


def run_sim(args, script, cwd):
    r = subprocess.run([args.sim], input=script.encode(), cwd=cwd, capture_output=True, timeout=120)
    return [json.loads(line) for line in r.stdout.decode().splitlines()], r.returncode


def scenario_same_engine(d, url, args):
    d.get(url + "?test")
    ready(d)
    compared = 0
    with tempfile.TemporaryDirectory() as tmp:
        for chosen in ("jyukugo.dat", "jyukugo-elementary.dat"):
            if chosen != "jyukugo.dat":
                d.find_element(By.CSS_SELECTOR, f"button[data-list='{chosen}']").click()
            shutil.copy(os.path.join(args.assets, chosen), os.path.join(tmp, "jyukugo.dat"))
            for name, script in SCRIPTS.items():
                page = run_in_page(d, script)
                check("ok" in page, f"{name}: the page refused the script: {page}")
                sim, status = run_sim(args, script, tmp)
                check(status == 0, f"{name}: quendar-sim exit status {status}")
                check(len(sim) == script.count("snapshot"), f"{name}: quendar-sim printed {len(sim)}")
                for i, (a, b) in enumerate(zip(page["ok"], sim)):
                    if a != b:
                        diff = [k for k in b["windows"].get("Form1", {}) or {}
                                if (a["windows"].get("Form1") or {}).get(k) != b["windows"]["Form1"][k]]
                        raise AssertionError(f"{chosen} {name} snapshot {i}: page and quendar-sim "
                                             f"differ (t {a['t']} / {b['t']}; {diff})")
                check(len(page["ok"]) == len(sim), f"{name}: {len(page['ok'])} snapshots")
                # The learner layer's record is part of what must agree, readings and all.
                study = sim[-1].get("study", {})
                check(name == "opening" or any(e["reading"] and e["meaning"]
                                               for e in study.get("entries", [])),
                      f"{name}: the study record carries no readings: {study}")
                compared += len(sim)
    # A malformed line is an Error naming its line, as quendar-sim names it, even when a NUL
    # byte is in it; a script far over the engine's stack runs whole, and the hook stays
    # usable after both.
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copy(os.path.join(args.assets, "jyukugo-elementary.dat"), os.path.join(tmp, "jyukugo.dat"))
        for script in ("seed 1\nstart\nwait soon\n", "seed 1\nstart\nwa\0it 5\nsnapshot\n"):
            bad = run_in_page(d, script)
            r = subprocess.run([args.sim], input=script.encode(), cwd=tmp, capture_output=True)
            check(r.returncode == 2 and "err" in bad and bad["err"] == r.stderr.decode().strip(),
                  f"{script!r}: the page says {bad}, quendar-sim {r.stderr.decode()!r}")
        long = "seed 2\nstart Form1\n" + "key 39\n" * 200000 + "snapshot\n"
        page = run_in_page(d, long)
        sim, _ = run_sim(args, long, tmp)
        check(len(long) > 1400000 and page.get("ok") == sim, f"a long script: {str(page)[:200]}")
        check(run_in_page(d, "start\nsnapshot\n").get("ok"), "the hook fails after a long script")

        # A big own file is read as the desktop reads it: 20 lines of 1.5 MB, longer than
        # any limit of a line, and the same list with a 2001st line, refused.
        path = os.path.join(tmp, "jyukugo.dat")
        with open(path, "wb") as f:
            for i in range(20):
                f.write(chr(0x4E00 + i).encode("cp932", "replace") + "川".encode("cp932")
                        + b"y" * (3 << 19) + b"\r\n")
        d.find_element(By.ID, "own").send_keys(path)
        script = "seed 4\nstart Form1\nwait 600\nsnapshot\n"
        page = run_in_page(d, script)
        sim, _ = run_sim(args, script, tmp)
        check(page.get("ok") == sim and sim[0]["windows"]["Form1"]["vars"]["wordCount"] == 20,
              "a big own list reads differently in the page")
        with open(path, "ab") as f:
            f.write("山川\r\n".encode("cp932") * 1981)
        d.find_element(By.ID, "own").send_keys(path)
        page = run_in_page(d, script)
        r = subprocess.run([args.sim], input=script.encode(), cwd=tmp, capture_output=True)
        check(r.returncode == 1 and page.get("error") == r.stderr.decode().strip()
              and "has more than 2000 lines" in page["error"], f"a 2001-line own list: {page}")
    print(f"{compared} snapshots identical")


# ---- screenshot ------------------------------------------------------------------------------

# The two screens rasterise the same glyphs with different anti-aliasing, hinting and
# synthetic bold (the desktop's FreeType through SDL_ttf, the browser's Skia), so glyph
# edges and stroke widths differ by a pixel or two. A pixel therefore counts as wrong only
# when no pixel within NEIGHBOURHOOD pixels of it in the other picture has its colour
# (within CHANNEL_TOLERANCE per channel): that forgives edges and strokes but not a block,
# a picture or a line of text out of place, a wrong colour or a missing element (one
# 43 x 43 block alone is about 0.5 % of the window).
CHANNEL_TOLERANCE = 96
NEIGHBOURHOOD = 2
MAX_WRONG = 0.001

COMPARE_JS = """
const [a, b, done] = arguments;
const load = (src) => new Promise((ok, no) => { const i = new Image(); i.onload = () => ok(i);
  i.onerror = no; i.src = src; });
Promise.all([load(a), load(b)]).then(([x, y]) => {
  if (x.width !== y.width || x.height !== y.height)
    return done({size: [x.width, x.height, y.width, y.height]});
  const w = x.width, h = x.height;
  const px = (img) => { const c = document.createElement('canvas'); c.width = w; c.height = h;
    const g = c.getContext('2d'); g.drawImage(img, 0, 0); return g.getImageData(0, 0, w, h).data; };
  const p = px(x), q = px(y);
  const near = (u, i, v, j) => Math.max(Math.abs(u[i] - v[j]), Math.abs(u[i+1] - v[j+1]),
                                        Math.abs(u[i+2] - v[j+2])) <= %d;
  const R = %d;
  let wrong = 0, exact = 0;
  for (const [u, v] of [[p, q], [q, p]]) {
    for (let yy = 0; yy < h; yy++) for (let xx = 0; xx < w; xx++) {
      const i = (yy * w + xx) * 4;
      if (near(u, i, v, i)) { exact++; continue; }
      let found = false;
      for (let dy = -R; dy <= R && !found; dy++) for (let dx = -R; dx <= R && !found; dx++) {
        const X = xx + dx, Y = yy + dy;
        if (X >= 0 && Y >= 0 && X < w && Y < h) found = near(u, i, v, (Y * w + X) * 4);
      }
      if (!found) wrong++;
    }
  }
  done({wrong, total: 2 * w * h, inexact: 2 * w * h - exact});
}, (e) => done({error: String(e)}));
""" % (CHANNEL_TOLERANCE, NEIGHBOURHOOD)


def scenario_screenshot(d, url, args):
    d.get(url + "?test")
    ready(d)
    script = ("seed 11\nstart Form1\nwait 560\nkey 39\nkey 38\nwait 2000\nkey 39\nkey 39\n"
              "wait 400\nscreenshot main.png\n")
    page = run_in_page(d, script)
    check("ok" in page, f"the page refused the script: {page}")
    canvas_png = d.execute_script("return window.quendar.screenshots['main.png']")
    check(canvas_png, "the page took no screenshot")
    out = os.environ.get("QUENDAR_WEB_SCREENSHOT")
    if out:
        with open(out, "wb") as f:
            f.write(base64.b64decode(canvas_png.split(",", 1)[1]))
    # The same moment from quendar-sim, and, to show the comparison can fail, a moment
    # with the arrow one column on and the blocks a second lower.
    sims = []
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copy(os.path.join(args.assets, "jyukugo.dat"), tmp)
        for extra in ("", "key 39\nwait 1000\n"):
            sim_script = script.replace("screenshot main.png", f"{extra}screenshot {tmp}/sim.png")
            r = subprocess.run([args.sim], input=sim_script.encode(), cwd=tmp, capture_output=True)
            check(r.returncode == 0, "quendar-sim: " + r.stderr.decode())
            with open(os.path.join(tmp, "sim.png"), "rb") as f:
                sims.append("data:image/png;base64," + base64.b64encode(f.read()).decode())
    later = d.execute_async_script(COMPARE_JS, canvas_png, sims[1])
    check(later.get("wrong", 0) / later.get("total", 1) > MAX_WRONG,
          f"a later moment passes for the same picture: {later}")
    result = d.execute_async_script(COMPARE_JS, canvas_png, sims[0])
    check("wrong" in result, f"the screenshots cannot be compared: {result}")
    share = result["wrong"] / result["total"]
    print(f"{result['inexact'] / result['total']:.2%} of the pixels differ in anti-aliasing; "
          f"{result['wrong']} ({share:.3%}) have no match within {NEIGHBOURHOOD} pixels")
    check(share <= MAX_WRONG, f"{share:.3%} of the pixels are wrong, more than {MAX_WRONG:.1%}")


# ---- page ------------------------------------------------------------------------------

def match_target(d):
    """Clicks the bottom block that completes the target's compound; returns its entry."""
    s = snap(d)
    f = s["windows"]["Form1"]
    e = f["elements"]
    tops = [e[f"Label1({i})"]["Caption"] for i in range(8)
            if e[f"Label1({i})"]["Visible"] and e[f"Label1({i})"]["BackColor"] == "#FFFF00"]
    deal = max((x["deal"] for x in s["study"]["entries"]), default=0)
    entry = next((x for x in s["study"]["entries"] if tops and x["deal"] == deal
                  and not x["matched"] and x["word"][0] == tops[0]), None)
    col = entry and next((j for j in range(8) if e[f"Label2({j})"]["Visible"]
                          and e[f"Label2({j})"]["Caption"] == entry["word"][1]), None)
    if col is None:
        return None
    click_canvas(d, *d.execute_script("return window.quendar.elementCentre('Label2', arguments[0])", col))
    return entry


def study_text(d):
    panel = d.find_element(By.ID, "study")
    return panel.is_displayed() and panel.text


def scenario_page(d, url, args):
    d.execute_cdp_cmd("Emulation.setUserAgentOverride", {"userAgent": "Mozilla/5.0", "acceptLanguage": "en-GB"})
    d.get(url)
    ready(d)
    poll("the main window", lambda: (form1(d) or {}).get("visible"))
    check("Matched compounds show here" in poll("the panel's hint", lambda: study_text(d)),
          "the panel shows no hint before a match")
    # The target may move on between reading it and the click: aim again until a match lands.
    matched = lambda: next((x for x in snap(d)["study"]["entries"] if x["matched"]), None)

    def aim():
        if not matched() and match_target(d):
            time.sleep(0.8)  # a shot flies for 550 ms
        return matched()

    entry = poll("a match", aim, timeout=40)
    text = poll("the matched compound in the panel",
                lambda: entry["word"] in (study_text(d) or "") and study_text(d))
    check(entry["reading"] and entry["reading"] in text and entry["meaning"][:20] in text,
          f"the panel shows {text!r} for {entry}")
    check("JMdict/EDICT" in text and "https://www.edrdg.org/edrdg/licence.html" in text,
          "no credit beside the meanings")

    # F2 hides the panel: the engine's learner layer takes it, as on the desktop.
    ActionChains(d).send_keys(Keys.F2).perform()
    poll("F2 to hide the panel", lambda: not d.find_element(By.ID, "study").is_displayed())
    check(snap(d)["study"]["shown"] is False, "the study record is still shown after F2")
    ActionChains(d).send_keys(Keys.F2).perform()
    poll("F2 to show it again", lambda: study_text(d))

    # 終わる: the review of every compound dealt, the missed ones first.
    owaru = next(s for s in d.execute_script("return window.quendar.menuSlots()") if s["name"] == "owaru")
    click_canvas(d, owaru["x"] + owaru["w"] / 2, owaru["y"] + owaru["h"] / 2)
    review = poll("the review", lambda: "Review of this run" in (study_text(d) or "") and study_text(d))
    # The match under its group, before the compounds never the target.
    at = review.index(entry["word"])
    check(review.index("Matched (") < at and ("Not reached" not in review
                                              or at < review.index("Not reached")),
          f"the review reads {review!r}")
    check(d.find_element(By.ID, "anki").is_displayed(), "no download in the review")
    d.find_element(By.ID, "again-these").click()
    # Seven or more missed: either a new game on them, or the word that a round needs eight.
    again = poll("play these again", lambda: d.find_element(By.ID, "message").is_displayed()
                 and d.find_element(By.ID, "message").text
                 or (snap(d) or {}).get("windows", {}).get("cright") and "started")
    check(again == "started" or "eight" in again, f"play these again: {again!r}")

    # Keys reach the game only from the canvas: Enter on a focused button is the button's.
    d.find_element(By.CSS_SELECTOR, "button[data-list='jyukugo-joyo.dat']").send_keys(Keys.ENTER)
    poll("Enter on a list button to choose it", lambda: d.find_element(
        By.CSS_SELECTOR, "button[data-list='jyukugo-joyo.dat']").get_attribute("aria-pressed") == "true")

    # The page's words in both languages, the lang attribute with them.
    lang = lambda: d.execute_script("return document.documentElement.lang")
    check(lang() == "en" and d.find_element(By.ID, "again").get_attribute("textContent") == "Play again",
          "the page is not in English for an English browser")
    d.find_element(By.ID, "language").click()
    check(lang() == "ja" and d.find_element(By.ID, "again").get_attribute("textContent") == "もう一度遊ぶ",
          "the switch does not turn the page Japanese")
    d.refresh()
    ready(d)
    check(lang() == "ja", "the language chosen is not remembered")
    check(d.find_element(By.CSS_SELECTOR, "button[data-list='jyukugo-joyo.dat']")
          .get_attribute("aria-pressed") == "true", "the last shipped list is not remembered")
    stored = d.execute_script("return Object.keys(localStorage).sort()")
    check(set(stored) <= {"quendar.language", "quendar.list", "quendar.sound"}, f"stored: {stored}")


# ---- phone -----------------------------------------------------------------------------

def scenario_phone(d, url, args):
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
    d.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    d.get(url)
    ready(d)
    poll("the main window", lambda: (form1(d) or {}).get("visible"))
    box = lambda sel: d.execute_script(
        "const r = document.querySelector(arguments[0]).getBoundingClientRect();"
        "return {left: r.left, top: r.top, width: r.width, height: r.height};", sel)
    poll("the game to fill the width", lambda: box("#screen")["width"] >= 389)
    page = d.execute_script("const e = document.scrollingElement;"
                            "return [e.scrollWidth, e.scrollHeight, innerWidth, innerHeight];")
    check(page[0] <= page[2] and page[1] <= page[3], f"the page scrolls: {page}")
    study = box("#study")
    check(study["top"] >= box("#screen")["top"] + box("#screen")["height"] - 1 and study["height"] > 0,
          f"the study panel is not under the game: {study}")

    # A tap on a bottom block fires it: the shot flies and is judged, with its sound.
    sounds = len(snap(d)["sounds"])
    f = form1(d)
    col = next(i for i in range(8) if not f["vars"]["columnDone"][i])
    x, y = d.execute_script("return window.quendar.elementCentre('Label2', arguments[0])", col)
    c = box("#screen")
    ratio = c["width"] / d.execute_script("return document.getElementById('screen').width")
    for kind, points in (("touchStart", [{"x": c["left"] + x * ratio, "y": c["top"] + y * ratio}]),
                         ("touchEnd", [])):
        d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})
    poll("a tap to fire", lambda: (lambda s: s["windows"]["Form1"]["vars"]["shotCol"] == col
                                   and len(s["sounds"]) > sounds)(snap(d)), timeout=5)

    check(poll("the screen kept awake", lambda: d.execute_script("return window.quendar.awake()")),
          "the screen is not kept awake during a game")
    # The menu's commands as buttons a thumb can hit, doing what the menu does.
    for name in ("owaru", "tojiru"):
        b = box(f"#commands button[data-menu='{name}']")
        check(b["height"] >= 44, f"{name} is {b['height']} px tall")
    b = box("#commands button[data-menu='owaru']")
    for kind, points in (("touchStart", [{"x": b["left"] + 10, "y": b["top"] + 10}]), ("touchEnd", [])):
        d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})
    poll("終わる to show the score", lambda: not form1(d)["elements"]["Timer1"]["Enabled"]
         and form1(d)["elements"]["Label7"]["Caption"] == str(form1(d)["vars"]["score"]))
    poll("the screen let go once the game ended", lambda: not d.execute_script("return window.quendar.awake()"))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--web", required=True)
    p.add_argument("--sim", required=True)
    p.add_argument("--assets", required=True)
    p.add_argument("scenario", choices=["play", "bad-list", "same-engine", "screenshot",
                                        "installable", "offline", "page", "phone"])
    args = p.parse_args()
    server = serve(args.web)
    scenario = globals()["scenario_" + args.scenario.replace("-", "_")]
    if args.scenario == "offline":
        return run_page(args.web, lambda d, url: scenario(d, url, args, server), server=server)
    return run_page(args.web, lambda d, url: scenario(d, url, args), server=server)


if __name__ == "__main__":
    sys.exit(main())
