#!/usr/bin/python3
"""The review's kanji card on a 390 x 844 touch screen: after 終わる a tap on a compound opens
both kanji with kanji.tsv's meanings; the stroke order face is fetched then, once; Escape,
Enter, the backdrop and the button close and open it; the game is untouched.
Usage: kanji_card_test.py --web DIR --assets DIR --axe AXE_MIN_JS  (77: no Chromium)"""
import argparse
import os
import sys
import time

import study_view_test as sv
import web_test as w
from web_test import ActionChains, Keys, check, poll

FETCHED = "return performance.getEntriesByType('resource').filter((e) => e.name.includes('kanji-strokes')).length"


def tap(d, selector=None, at=(4, 4)):
    b = selector and d.execute_script(
        "return document.querySelector(arguments[0]).getBoundingClientRect().toJSON()", selector)
    at = (b["x"] + b["width"] / 2, b["y"] + b["height"] / 2) if b else at
    for kind, points in (("touchStart", [{"x": at[0], "y": at[1]}]), ("touchEnd", [])):
        d.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})
    return b and b["height"]


def card(d):
    return d.execute_script("""const c = document.getElementById('kanji-card'), q = (e, s) => e.querySelector(s);
      return c && c.open && {focus: document.activeElement.className, credit: q(c, '.credit').textContent,
        title: document.getElementById(c.getAttribute('aria-labelledby')).textContent,
        kanji: [...c.querySelectorAll('.kanji')].map((k) => [q(k, '.glyph').textContent,
          q(k, '.glyph').lang, q(k, '.meanings').textContent])};""")


def settled(d):
    """The game as the engine holds it, once it holds still (the page's clock goes on)."""
    s = {k: v for k, v in w.snap(d).items() if k != "t"}
    time.sleep(0.5)
    return s == {k: v for k, v in w.snap(d).items() if k != "t"} and s


def scenario(d, url, args):
    lines = open(os.path.join(args.assets, "kanji.tsv"), encoding="utf-8").read().splitlines()
    table = dict(line.split("\t") for line in lines if not line.startswith("#"))
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {"width": 390, "height": 844, "deviceScaleFactor": 2, "mobile": True})
    d.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    d.get(url)
    w.ready(d)
    poll("the main window", lambda: (w.form1(d) or {}).get("visible"))
    sv.match(d)
    tap(d, "#commands button[data-menu='owaru']")
    poll("the review", lambda: d.execute_script("return window.quendar.studyView().mode") == "review"
         and d.execute_script("return document.querySelectorAll('#study-body li').length"))
    before = poll("the ended game to hold still", lambda: settled(d))
    check(d.execute_script(FETCHED) == 0, "the stroke order face came before any card")

    # The last row of the review, scrolled into the panel and tapped.
    word = d.execute_script("""const li = [...document.querySelectorAll('#study-body li')].pop();
      li.scrollIntoView({block: 'center'}); li.id = 'last-row'; return li.querySelector('.word').textContent;""")
    tap(d, "#last-row")
    got = poll("the card", lambda: card(d))
    want = [[k, "ja", table[k]] for k in word]
    check(got["kanji"] == want and word in got["title"] and "KANJIDIC2" in got["credit"]
          and "KanjiStrokeOrders" in got["credit"], f"the card of {word} shows {got}")
    poll("the stroke order face", lambda: d.execute_script(
        "return document.getElementById('kanji-card').classList.contains('strokes-in')"
        " && document.fonts.check('140px QuendarKanjiStrokes', arguments[0])", word))
    sv.axe(d, args.axe, "the kanji card on a phone")

    # Escape closes it and the row has the focus again; Enter on it opens the card anew.
    ActionChains(d).send_keys(Keys.ESCAPE).perform()
    poll("Escape to close the card", lambda: not card(d))
    check(d.execute_script("return document.activeElement.querySelector('.word').textContent") == word,
          "the focus did not go back to the row")
    ActionChains(d).send_keys(Keys.ENTER).perform()
    poll("Enter on the row to open the card", lambda: (card(d) or {}).get("focus") == "close")
    tap(d)  # on the backdrop
    poll("a tap outside to close the card", lambda: not card(d))
    ActionChains(d).send_keys(Keys.ENTER).perform()
    poll("the card again", lambda: card(d))
    check(tap(d, "#kanji-card .close") >= 44, "the card's button is under 44 px tall")
    poll("the card's button to close it", lambda: not card(d))
    check(d.execute_script(FETCHED) == 1, "the stroke order face was fetched more than once")
    check(settled(d) == before, "opening and closing the card changed the game")


def main():
    p = argparse.ArgumentParser()
    for a in ("--web", "--assets", "--axe"):
        p.add_argument(a, required=True)
    args = p.parse_args()
    return w.run_page(args.web, lambda d, url: scenario(d, url, args))

if __name__ == "__main__":
    sys.exit(main())
