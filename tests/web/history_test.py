#!/usr/bin/python3
"""The learner's history in the page, in headless Chromium, against the desktop's
quendar-progress reading the same files.

  keep     a run played and ended: its lines in IndexedDB as the desktop writes them; the
           export read by quendar-progress --import; the same file imported (nothing added),
           a desktop-made file merged in time order, a word list refused with its line;
           the Practice button's due count and the practice run dealing the due compounds
  phone    390 x 844: the progress view's chart and counts against quendar-progress, nothing
           wider than the screen, and axe-core's verdict on the open view
  refused  a browser whose IndexedDB refuses: one message, and the game plays on

Usage: history_test.py --web DIR --progress QUENDAR_PROGRESS --assets DIR --axe AXE_MIN_JS SCENARIO
Exit status 77 (skipped) when Chromium, chromedriver or Selenium is missing.
"""
import argparse
import calendar
import os
import re
import subprocess
import sys
import tempfile
import time

import study_view_test as sv
import web_test as w
from web_test import By, check, poll

HEADER = "# quendar history 1"
DAY = 86400
READ_STORE = """const done = arguments[0];
  const r = indexedDB.open('quendar');
  r.onsuccess = () => { const g = r.result.transaction('lines').objectStore('lines').getAll();
                        g.onsuccess = () => done(g.result.map((b) => new TextDecoder().decode(b))); };"""


def stamp(t):
    return time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(t))


def compounds(assets):
    with open(os.path.join(assets, "jyukugo.dat"), "rb") as f:
        return [line[:2] for line in f.read().decode("cp932").split("\r\n") if line]


def desktop_file(args, tmp, lines):
    """A history written by the desktop's own code: quendar-progress importing `lines`."""
    src, made = os.path.join(tmp, "src.tsv"), os.path.join(tmp, "desktop-history.tsv")
    with open(src, "w", encoding="utf-8") as f:
        f.write(HEADER + "\n" + "".join(f"{stamp(t)}\t{c}\t{g}\tjyukugo.dat\n" for t, c, g in lines))
    progress(args, "--import", src, "--history", made)
    return made


def progress(args, *more):
    r = subprocess.run([args.progress, *more], capture_output=True, text=True)
    check(r.returncode == 0, f"quendar-progress {more}: {r.stderr}")
    return r.stdout


def summary(args, history):
    """The desktop's counts for the default list now: met, learning, known, due, per day."""
    out = progress(args, "--history", history, "--now", stamp(time.time()),
                   os.path.join(args.assets, "jyukugo.dat"))
    n = lambda what: int(re.search(what + r"\s+(\d+)", out).group(1))
    return {"learning": n("learning"), "known": n("known"), "due": n("due now"),
            "never": n("never met"), "days": re.search(r"next 7 days: (.*)", out).group(1).split()}


def stored(d):
    return d.execute_async_script(READ_STORE)


def import_file(d, path):
    before = d.find_element(By.ID, "progress-message").get_attribute("textContent")
    d.find_element(By.ID, "import").send_keys(path)
    return poll("the import's answer", lambda: (lambda m: m != before and m)(
        d.find_element(By.ID, "progress-message").get_attribute("textContent")))


def open_view(d):
    d.find_element(By.ID, "progress-open").click()
    poll("the progress view", lambda: d.find_element(By.ID, "progress-view").is_displayed())


def play_and_end(d):
    """Matches one compound as match_target aims, then 終わる; returns the study record."""
    poll("the main window", lambda: (w.form1(d) or {}).get("visible"))
    matched = lambda: any(x["matched"] for x in w.snap(d)["study"]["entries"])
    poll("a match", lambda: matched() or (w.match_target(d) and time.sleep(0.8)) or matched(),
         timeout=40)
    owaru = next(s for s in d.execute_script("return window.quendar.menuSlots()") if s["name"] == "owaru")
    w.click_canvas(d, owaru["x"] + owaru["w"] / 2, owaru["y"] + owaru["h"] / 2)
    return poll("the run to end", lambda: (lambda s: s["study"]["ended"] and s["study"])(w.snap(d)))


def scenario_keep(d, url, args, tmp):
    d.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": tmp})
    d.get(url)
    w.ready(d)
    began = int(time.time())
    study = play_and_end(d)
    # One line per targeted compound with its worst grade, as the desktop writes a run.
    rank = {"again": 0, "hard": 1, "good": 2}
    want = {}
    for e in study["entries"]:
        if e["targeted"]:
            g = "again" if not e["matched"] else "hard" if e["wrong"] else "good"
            want[e["word"]] = min(want.get(e["word"], g), g, key=rank.get)
    blocks = poll("the run's lines in IndexedDB", lambda: stored(d))
    run = [line.split("\t") for line in blocks[0].splitlines()]
    check(len(blocks) == 1 and {c: g for _, c, g, _ in run} == want and len(run) == len(want)
          and all(l == "jyukugo.dat" and began - 1 <= calendar.timegm(time.strptime(t, "%Y-%m-%dT%H:%M:%SZ"))
                  <= time.time() + 1 for t, _, _, l in run), f"stored {blocks} for {want}")

    open_view(d)
    exported = os.path.join(tmp, "quendar-history.tsv")
    d.find_element(By.ID, "export").click()
    poll("the export", lambda: os.path.exists(exported) and os.path.getsize(exported))
    text = open(exported, encoding="utf-8").read()
    check(text == HEADER + "\n" + blocks[0], f"the export reads {text!r}")
    out = progress(args, "--import", exported, "--history", os.path.join(tmp, "desk.tsv"))
    check(f"imported {len(run)} line" in out, f"quendar-progress --import: {out}")
    said = import_file(d, exported)
    check("0 lines added" in said and len(stored(d)) == 1, f"the same file again: {said}")

    # Older runs from the desktop: 60 compounds forgotten a month ago, 5 matched 10 days ago.
    words = [c for c in compounds(args.assets) if c not in want]
    now = time.time()
    older = [(now - 30 * DAY, c, "again") for c in words[:60]] + \
            [(now - 10 * DAY, c, "good") for c in words[60:65]]
    said = import_file(d, desktop_file(args, tmp, older))
    check("65 lines added" in said and len(stored(d)) == 2, f"a desktop file: {said}")
    os.remove(exported)
    d.find_element(By.ID, "export").click()
    merged = poll("the second export", lambda: os.path.exists(exported) and open(exported, encoding="utf-8").read())
    times = [line.split("\t")[0] for line in merged.splitlines()[1:]]
    check(times == sorted(times) and len(times) == 65 + len(run), f"the merge reads {merged[:300]!r}")

    with open(os.path.join(tmp, "list.txt"), "w", encoding="utf-8") as f:
        f.write("学校\tがっこう\tschool\n" * 10)
    said = import_file(d, os.path.join(tmp, "list.txt"))
    check("line 1" in said and "nothing was imported" in said and len(stored(d)) == 2,
          f"a word list imported: {said}")

    # The due count is the desktop's for the same lines, and practice deals only those due.
    desk = summary(args, exported)
    d.find_element(By.ID, "progress-close").click()
    poll("Practice with the desktop's due count",
         lambda: d.find_element(By.ID, "practice").text == f"Practice · {desk['due']} due")
    due = {line[:2] for line in progress(args, "--practice", "48", "--history", exported, "--now",
                                         stamp(time.time()), os.path.join(args.assets, "jyukugo.dat"))
           .lstrip("\ufeff").splitlines()}
    check(desk["due"] >= 48 and due <= {c for _, c, _ in older}, f"the desktop's practice: {due}")
    d.find_element(By.ID, "practice").click()
    dealt = poll("the practice run's first deal", lambda: (lambda s: s and s["study"]["entries"]
                 and not s["study"]["ended"] and {e["word"] for e in s["study"]["entries"]})(w.snap(d)))
    check(len(dealt) == 8 and dealt <= due and not d.find_element(By.ID, "message").is_displayed(),
          f"the practice run dealt {dealt}, not of {due}, or a message came with it")
    # The page closed in the middle of the run: its lines so far are kept, for the shipped list.
    poll("a target in the practice run", lambda: any(e["targeted"] for e in w.snap(d)["study"]["entries"]), timeout=20)
    d.get("about:blank")
    d.get(url)
    w.ready(d)
    last = poll("the closed run's lines", lambda: (lambda b: len(b) == 3 and b[2])(stored(d)))
    check({line.split("\t")[1] for line in last.splitlines()} <= dealt and last.endswith("\tjyukugo.dat\n"),
          f"the closed run left {last!r}")


def scenario_phone(d, url, args, tmp):
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
    d.get(url)
    w.ready(d)
    now = time.time()
    # 20 compounds reviewed well for months (known by now), 30 met once last week.
    words = compounds(args.assets)
    lines = [(now - k * DAY, c, "good") for k in (80, 70, 50, 20) for c in words[:20]] + \
            [(now - 6 * DAY, c, g) for c, g in zip(words[20:50], ["good", "hard", "again"] * 10)]
    made = desktop_file(args, tmp, lines)
    open_view(d)
    import_file(d, made)
    desk = summary(args, made)
    counts = poll("the counts", lambda: (lambda t: f"{desk['known']} known" in t and t)(
        d.find_element(By.ID, "progress-counts").text))
    check(f"{desk['learning']} learning, {desk['never']} never met. Due now: {desk['due']}." in counts,
          f"the page says {counts!r}, the desktop {desk}")
    due = d.find_element(By.ID, "progress-due").text.rstrip(".").split(": ")[1].split()
    check(len(due) == 14 and due[:7] == desk["days"], f"due per day {due}, the desktop's {desk['days']}")
    chart = d.execute_script("""const s = document.getElementById('chart'), b = s.getBoundingClientRect();
      return {w: b.width, right: b.right, title: s.querySelector('title').textContent,
              desc: s.querySelector('desc').textContent, label: s.getAttribute('aria-labelledby'),
              bars: s.querySelectorAll('rect.bar').length, known: s.querySelector('.known').getAttribute('points'),
              wide: document.documentElement.scrollWidth};""")
    check(chart["label"] == "chart-title" and chart["title"] and 300 <= chart["w"] and chart["right"] <= 390
          and chart["wide"] <= 390, f"the chart on a phone: {chart}")
    check(f"known went from 0 to {desk['known']}" in chart["desc"]
          and chart["bars"] == sum(1 for n in due if n != "0"), f"the chart says {chart}")
    heights = [float(p.split(",")[1]) for p in chart["known"].split()[:90]]
    check(heights[0] > heights[-1], f"the known band does not rise: {chart['known'][:200]}")
    check(d.execute_script("return document.querySelector('#lists [aria-pressed]:not([data-list])')") is None,
          "Practice is announced as a toggle")
    sv.axe(d, args.axe, "390 x 844, the progress view")


def scenario_refused(d, url, args, tmp):
    d.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
      Object.defineProperty(window, 'indexedDB', {get() { throw new DOMException('refused', 'SecurityError'); }});"""})
    d.get(url)
    w.ready(d)
    said = poll("the one message", lambda: d.find_element(By.ID, "message").is_displayed()
                and d.find_element(By.ID, "message").text)
    check("cannot be kept" in said and "refused" in said, f"the page says {said!r}")
    play_and_end(d)
    check(d.find_element(By.ID, "message").text == said, "a second message, or none")
    check(d.find_element(By.ID, "practice").text == "Practice · 0 due", "no count without storage")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--web", required=True)
    p.add_argument("--progress", required=True)
    p.add_argument("--assets", required=True)
    p.add_argument("--axe", required=True)
    p.add_argument("scenario", choices=["keep", "phone", "refused"])
    args = p.parse_args()

    def scenario(d, url):
        with tempfile.TemporaryDirectory() as tmp:
            d.execute_cdp_cmd("Emulation.setUserAgentOverride", {"userAgent": "Mozilla/5.0", "acceptLanguage": "en-GB"})
            globals()["scenario_" + args.scenario](d, url, args, tmp)

    return w.run_page(args.web, scenario)


if __name__ == "__main__":
    sys.exit(main())
