#!/usr/bin/python3
"""The study panel in headless Chromium: what it shows is the engine's study view, word for
word from the one table, in English and Japanese; a screen reader hears each match; its text
can be selected; hostile fields keep to their row; axe-core finds no serious or critical
violation on a desktop-sized page and on a phone.

  desktop  1280 x 800: a match, the view against the panel in both languages, the review
  phone    390 x 844 touch screen, an own list of hostile fields, the review on a phone

Usage: study_view_test.py --web DIR --axe AXE_MIN_JS SCENARIO
Exit status 77 (skipped) when Chromium, chromedriver or Selenium is missing.
"""
import argparse
import json
import os
import re
import sys
import tempfile
import time

import web_test as w
from web_test import By, check, poll

# Markup, a right-to-left override, a stack of combining marks and a 10 000-character field.
HOSTILE = ["<b>bold</b><img src=x onerror=alert(1)>", "\u202eevil\u202c right", "a" + "\u0301" * 60,
           "m" * 10000]


def table(web):
    """The words the build wrote for the page, as the engine's table has them."""
    text = open(os.path.join(web, "js", "words-table.js"), encoding="utf-8").read()
    return json.loads(re.search(r"= (\{.*\});", text, re.S).group(1))


def say(words, text):
    w_ = words.get(text["key"], text["key"])
    return re.sub(r"\{(\d)\}", lambda m: str(text["args"][int(m.group(1))]), w_)


def panel(d):
    """The panel's text as the page shows it: fields by row, headings, counts."""
    return d.execute_script("""
      const b = document.getElementById('study-body');
      const f = (e, s) => { const x = e.querySelector(s); return x ? x.textContent : ''; };
      const row = (li) => [f(li, '.word'), f(li, '.reading'), f(li, '.mark'), f(li, '.meaning')];
      const last = b.querySelector('.last');
      return {last: last && row(last), count: f(b, '.count'), title: f(b, 'h2'),
              headings: [...b.querySelectorAll('h3')].map((h) => h.textContent),
              rows: [...b.querySelectorAll('li')].map(row)};""")


def expected(words, v):
    row = lambda r: [r["word"], r["reading"], r["mark"], r["meaning"]]
    if v["mode"] == "play":
        return {"last": [v["last"]["word"], v["last"]["reading"], "", v["last"]["meaning"]],
                "count": say(words, v["heading"]) if v["older"] else "", "title": "",
                "headings": [], "rows": [row(r) for r in v["older"]]}
    return {"last": None, "count": say(words, v["summary"]), "title": say(words, v["heading"]),
            "headings": [f"{words[g['title']]} ({len(g['rows'])})" for g in v["groups"]],
            "rows": [row(r) for g in v["groups"] for r in g["rows"]]}


def agrees(d, words):
    v = d.execute_script("return window.quendar.studyView()")
    want = expected(words, v)
    got = poll("the panel to show the view", lambda: panel(d) == want and panel(d), timeout=5) \
        if panel(d) != want else panel(d)
    return v, got


def axe(d, path, where):
    d.execute_script(open(path, encoding="utf-8").read())
    result = d.execute_async_script(
        "axe.run(document, {resultTypes: ['violations']}).then((r) => arguments[0](r.violations))")
    bad = [f"{v['id']} ({v['impact']}): {v['nodes'][0]['html'][:80]}" for v in result
           if v["impact"] in ("serious", "critical")]
    check(not bad, f"axe-core at {where}: {bad}")


def match(d):
    matched = lambda: sum(x["matched"] for x in w.snap(d)["study"]["entries"])
    before = matched()

    def aim():
        if matched() == before and w.match_target(d):
            time.sleep(0.8)
        return matched() > before
    poll("a match", aim, timeout=40)


def end_run(d):
    owaru = next(s for s in d.execute_script("return window.quendar.menuSlots()")
                 if s["name"] == "owaru")
    w.click_canvas(d, owaru["x"] + owaru["w"] / 2, owaru["y"] + owaru["h"] / 2)
    poll("the review", lambda: d.execute_script("return window.quendar.studyView().mode") == "review")


def scenario_desktop(d, url, args):
    words = table(args.web)
    d.set_window_size(1280, 800)
    d.execute_cdp_cmd("Emulation.setUserAgentOverride", {"userAgent": "Mozilla/5.0", "acceptLanguage": "en-GB"})
    d.get(url)
    w.ready(d)
    poll("the main window", lambda: (w.form1(d) or {}).get("visible"))
    match(d)
    match(d)
    v, got = agrees(d, words["en"])
    last = v["last"]
    said = d.execute_script("return document.getElementById('announce').textContent")
    check(said == f"{last['word']}, {last['reading']}, {last['meaning']}",
          f"the live region says {said!r} after {last}")
    check(d.execute_script("return document.querySelector('#study .last .word').lang") == "ja",
          "the compound carries no lang=ja")
    # The panel's words can be chosen; the page around them cannot.
    select = "return getComputedStyle(document.querySelector(arguments[0])).userSelect"
    check(d.execute_script(select, "#study .last .meaning") == "text"
          and d.execute_script(select, "#stage") == "none", "the panel's text cannot be selected")
    d.execute_script("""const r = document.createRange();
      r.selectNodeContents(document.querySelector('#study .last'));
      getSelection().removeAllRanges(); getSelection().addRange(r);""")
    chosen = d.execute_script("return getSelection().toString()")
    check(last["word"] in chosen and last["meaning"] in chosen, f"selected {chosen!r}")
    end_run(d)
    v, got = agrees(d, words["en"])
    check(got["title"] == "Review of this run" and got["rows"], f"the review reads {got}")
    axe(d, args.axe, "1280 x 800, English review")
    d.find_element(By.ID, "language").click()
    v, got = agrees(d, words["ja"])
    check(got["title"] == words["ja"]["review"], f"the Japanese review reads {got['title']!r}")
    axe(d, args.axe, "1280 x 800, Japanese review")


def scenario_phone(d, url, args):
    words = table(args.web)
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 390, "height": 844, "deviceScaleFactor": 2, "mobile": True})
    d.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    d.execute_cdp_cmd("Emulation.setUserAgentOverride", {"userAgent": "Mozilla/5.0", "acceptLanguage": "ja"})
    d.get(url)
    # Stored settings that are names of the objects' own machinery count as nothing stored.
    d.execute_script("""for (const [k, v] of [['language', '__proto__'], ['sound', 'constructor'],
                          ['list', 'toString']]) localStorage.setItem('quendar.' + k, v);""")
    d.refresh()
    w.ready(d)
    check(d.execute_script("return [document.documentElement.lang, "
                           "document.getElementById('again').textContent]") == ["ja", "もう一度遊ぶ"],
          "bad stored settings blanked the page's words")
    poll("the main window", lambda: (w.form1(d) or {}).get("visible"))
    # An own list of eight lines, each with a hostile meaning: a round deals all eight, so the
    # review always holds every kind (from a longer list a deal could miss the long one).
    kanji = "山川田畑空海花草木森雨雪風雲火水金土日月年人手足目耳口心力"
    with tempfile.NamedTemporaryFile("w", suffix=".txt", encoding="utf-8", delete=False) as f:
        f.write("\ufeff" + "".join(f"{kanji[i]}{kanji[(i + 7) % len(kanji)]}\t"
                                    f"{'よ' * (1 + i % 3)}\t{HOSTILE[i % len(HOSTILE)]}\r\n"
                                    for i in range(8)))
    d.find_element(By.ID, "own").send_keys(f.name)
    own = lambda e: any(h.startswith(e["meaning"][:8]) for h in HOSTILE)  # the reader cuts long lines
    poll("the own list's game", lambda: (w.form1(d) or {}).get("visible")
         and w.snap(d)["study"]["entries"] and own(w.snap(d)["study"]["entries"][0]), timeout=40)
    width = d.execute_script("return document.getElementById('study').getBoundingClientRect().width")
    match(d)
    match(d)
    end_run(d)
    v, got = agrees(d, words["ja"])
    geometry = d.execute_script("""
      const rows = [...document.querySelectorAll('#study li')];
      return {heights: rows.map((r) => r.getBoundingClientRect().height),
              width: document.getElementById('study').getBoundingClientRect().width,
              scrollW: document.getElementById('study').scrollWidth,
              clientW: document.getElementById('study').clientWidth,
              markup: document.querySelectorAll('#study b, #study img').length,
              pageW: document.documentElement.scrollWidth};""")
    check(geometry["markup"] == 0, "markup in a meaning became elements")
    check(max(geometry["heights"]) - min(geometry["heights"]) <= 2,
          f"a hostile field changed its row's height: {geometry['heights']}")
    check(abs(geometry["width"] - width) < 1 and geometry["scrollW"] <= geometry["clientW"]
          and geometry["pageW"] <= 390, f"a hostile field widened the panel or page: {geometry}")
    # The longest field (as long as the reader keeps a line) is whole in its row and tooltip.
    longest = d.execute_script("""const m = [...document.querySelectorAll('#study li .meaning')]
      .sort((a, b) => b.textContent.length - a.textContent.length)[0];
      return [m.textContent.length, m.title === m.textContent, m.scrollWidth > m.clientWidth];""")
    check(longest[0] > 4000 and longest[1] and longest[2], f"the long field: {longest}")
    check(d.find_element(By.ID, "anki").is_displayed(), "the review lost its buttons")
    tall = d.execute_script("return [...document.querySelectorAll('#study-actions button')]"
                            ".map((b) => b.getBoundingClientRect().height)")
    check(tall and min(tall) >= 44, f"the panel's buttons are {tall} px tall on a touch screen")
    axe(d, args.axe, "390 x 844, Japanese review of hostile fields")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--web", required=True)
    p.add_argument("--axe", required=True)
    p.add_argument("scenario", choices=["desktop", "phone"])
    args = p.parse_args()
    scenario = globals()["scenario_" + args.scenario]
    return w.run_page(args.web, lambda d, url: scenario(d, url, args), check_log=False)

if __name__ == "__main__":
    sys.exit(main())
