#!/usr/bin/python3
"""The page's offline copy when storage runs short and when a new build comes, and its
faces on a slow server, in headless Chromium (helpers from web_test.py).

  full-storage  an origin allowed 8 MiB keeps the offline copy but has no room for the
                full faces; a player's own list still plays, online
  two-tabs      a new build is offered in two tabs; once one tab has reloaded into it,
                "Reload" in the other loads that one into it too
  held-faces    while the Mincho slices are held back by the server, the main window is
                dealt but not drawn; once they come, it is drawn, after its slices

Usage: storage_test.py --web DIR SCENARIO
Exit status 77 (skipped) when Chromium, chromedriver or Selenium is missing.
"""
import argparse
import os
import re
import sys
import tempfile
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from web_test import (By, Quiet, check, form1, poll, ready, run_page, serve,  # noqa: E402
                      snap)

# Settles once a service worker controls the page.
WORKER_ACTIVE = ("const done = arguments[0];"
                 "(function go() { navigator.serviceWorker.controller ? done(true) : setTimeout(go, 20); })();")


class HoldingSlices(Quiet):
    """Answers a Mincho slice only while `release` is set."""
    release = threading.Event()

    def do_GET(self):
        if "quendar-mincho-" in self.path:
            self.release.wait(60)
        super().do_GET()


def scenario_full_storage(d, url, web):
    d.execute_cdp_cmd("Storage.overrideQuotaForOrigin",
                      {"origin": url.rstrip("/"), "quotaSize": 8 << 20})
    d.get(url)
    ready(d)
    check(d.execute_async_script(WORKER_ACTIVE), "the service worker does not control the page")
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "mine.txt")
        with open(path, "wb") as f:
            f.write("".join(f"{a}{b}\r\n" for a, b in zip("山川海空花鳥風月雪雨", "水火木金土日本人")
                            ).encode("cp932"))
        d.find_element(By.ID, "own").send_keys(path)
        poll("the own list's main window", lambda: (form1(d) or {}).get("visible")
             or d.find_element(By.ID, "message").text, timeout=60)
    message = d.find_element(By.ID, "message")
    check(not message.is_displayed(), f"the page says {message.text!r}")
    check(form1(d)["vars"]["wordCount"] == 8, "the game did not read the own list")
    kept = d.execute_async_script(
        "const done = arguments[0]; caches.keys().then(async (names) => {"
        "  for (const n of names) if (await (await caches.open(n)).match('fonts/ipam.ttf'))"
        "    return done(true);"
        "  done(false); });")
    check(not kept, "the full Mincho face fitted in the storage: the quota was not short")


def scenario_two_tabs(d, url, web):
    tabs = []
    for _ in range(2):
        if tabs:
            d.switch_to.new_window("tab")
        d.get(url)
        ready(d)
        check(d.execute_async_script(WORKER_ACTIVE), "the service worker does not control the page")
        tabs.append(d.current_window_handle)
    # A new build on the server: a worker of another version.
    sw = os.path.join(web, "sw.js")
    text = open(sw, encoding="utf-8").read()
    os.remove(sw)  # a link into the build: replace it, never write through it
    with open(sw, "w", encoding="utf-8") as f:
        f.write(re.sub(r'^const VERSION = "([^"]*)";$', r'const VERSION = "\1-next";', text,
                       count=1, flags=re.M))
    d.execute_async_script(
        "navigator.serviceWorker.getRegistration().then(r => r.update()).then(arguments[0])")
    for tab in tabs:
        d.switch_to.window(tab)
        poll("the new build's offer", lambda: d.find_element(By.ID, "update").is_displayed(), 30)
        d.execute_script("window.beforeReload = true")
    for n, tab in enumerate(tabs):
        d.switch_to.window(tab)
        d.find_element(By.ID, "reload").click()
        poll(f"tab {n + 1} to reload", lambda: d.execute_script("return !window.beforeReload"), 15)
        ready(d)
        check(not d.find_element(By.ID, "update").is_displayed(), f"tab {n + 1} still offers the build")
        check(d.execute_async_script(
            "const done = arguments[0]; navigator.serviceWorker.getRegistration()"
            ".then(r => done(r.active === navigator.serviceWorker.controller && !r.waiting))"),
            f"tab {n + 1} is not under the new build")


def scenario_held_faces(d, url, web):
    HoldingSlices.release.clear()
    d.get(url)
    poll("the hand-over", lambda: (snap(d) or {}).get("windows", {}).get("Form1"), 30)
    timeline = d.execute_script("return window.quendar.timeline")
    check([w["window"] for w in timeline] == ["オープニング"], f"drawn before the Mincho slices came: {timeline}")
    HoldingSlices.release.set()
    poll("the main window", lambda: d.execute_script("return window.quendar.timeline.length > 1"))
    captions = "".join(e.get("Caption", "") for e in form1(d)["elements"].values())
    late = d.execute_async_script(
        "const [captions, answer] = arguments, q = window.quendar;"
        "const main = q.runStartedAt + q.timeline[1].t;"
        "const done = performance.getEntriesByType('resource')"
        "  .filter(e => e.responseEnd <= main).map(e => new URL(e.name).pathname.slice(1));"
        "import('./fonts/mincho-slices.js').then(m => answer(m.MINCHO_SLICES"
        "  .filter(s => [...captions].some(c => s.chars.includes(c)) && !done.includes(s.file))"
        "  .map(s => s.file)));", captions)
    check(not late, f"the main window was drawn before {late} came")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--web", required=True)
    p.add_argument("scenario", choices=["full-storage", "two-tabs", "held-faces"])
    args = p.parse_args()
    with tempfile.TemporaryDirectory() as root:
        # The build as it is, linked, so a test may put a file of a newer build in place.
        for name in os.listdir(args.web):
            os.symlink(os.path.join(os.path.abspath(args.web), name), os.path.join(root, name))
        HoldingSlices.release.set()

        def scenario(d, url):
            try:
                globals()["scenario_" + args.scenario.replace("-", "_")](d, url, root)
            finally:
                HoldingSlices.release.set()  # no request is left waiting when the browser quits

        return run_page(args.web, scenario, server=serve(root, HoldingSlices))


if __name__ == "__main__":
    sys.exit(main())
