#!/usr/bin/python3
"""The page's spoken readings in headless Chromium (helpers from web_test.py).

  speak    a match is spoken once its chime has ended; the recordings are fetched after the
           first frame and the sounds; the Voice switch silences it; a click on the compound
           in the panel says it again
  offline  after one visit, with the network off and the server gone, a match is spoken

Usage: voice_test.py --web DIR SCENARIO (77 when Chromium or Selenium is missing)
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from web_test import (By, check, form1, match_target, poll, ready, run_page,  # noqa: E402
                      serve)

LOG = "return window.Module.quendarVoice.log"


def match_spoken(d):
    """Matches the target until a match lands; returns its entry and the log entries of its
    chime and its reading."""
    def aim():
        before = len(d.execute_script(LOG))
        entry = match_target(d)
        if not entry:
            return None
        time.sleep(0.8)  # a shot flies for 550 ms
        new = d.execute_script(LOG)[before:]
        chime = next((e for e in new if e.get("name") == "seikai2.wav"), None)
        return chime and (entry, chime, new)

    entry, chime, _ = poll("a match", aim, timeout=40)
    voice = poll("the reading", lambda: next((e for e in d.execute_script(LOG)
                                              if e["what"] == "voice" and e["at"] >= chime["at"]), None))
    return entry, chime, voice


def start(d, url):
    d.get(url)
    ready(d)
    poll("the main window", lambda: (form1(d) or {}).get("visible"))
    poll("the recordings", lambda: d.execute_script("return window.Module.quendarVoice.index !== null"))


def scenario_speak(d, url):
    start(d, url)
    entry, chime, voice = match_spoken(d)
    check(voice["word"] == entry["word"] and voice["decoded"],
          f"{voice} spoken for the match of {entry['word']}")
    # Starts when the chime ends: scheduled on the audio clock, so not a moment before, and
    # the chime was asked for first.
    log = d.execute_script(LOG)
    check(log.index(chime) < log.index(voice) and voice["at"] >= chime["ends"] - 1e-6,
          f"the reading at {voice['at']} and the chime {chime}")
    timing = d.execute_script(
        "const t = {}; for (const e of performance.getEntriesByType('resource'))"
        "  t[new URL(e.name).pathname.slice(1)] = [e.startTime, e.responseEnd];"
        "return [t, window.quendar.firstFrameAt];")
    res, first = timing
    check(all(res["voice/" + f][0] >= max(first, res["seikai2.wav"][1], res["matigai.wav"][1])
              for f in ("readings.tsv", "readings.opus")),
          f"the recordings are fetched after the first frame ({first}) and the sounds: {res}")

    # The Voice switch: a match sounds its chime and nothing is said.
    d.find_element(By.ID, "voice").click()
    check(d.find_element(By.ID, "voice").get_attribute("aria-pressed") == "false", "the switch is on")
    before = len(d.execute_script(LOG))
    poll("a second match", lambda: any(e.get("name") == "seikai2.wav"
                                       for e in d.execute_script(LOG)[before:])
         or (match_target(d) and time.sleep(0.8)), timeout=40)
    time.sleep(1.5)
    said = [e for e in d.execute_script(LOG)[before:] if e["what"] == "voice"]
    check(not said, f"with the voice off the page said {said}")
    check(d.execute_script("return localStorage.getItem('quendar.voice')") == "off",
          "the switch is not remembered")

    # On again: a click on the compound in the panel says it.
    d.find_element(By.ID, "voice").click()
    before = len(d.execute_script(LOG))
    d.find_element(By.CSS_SELECTOR, "#study-body .last .word").click()
    said = poll("the clicked compound", lambda: [e for e in d.execute_script(LOG)[before:]
                                                 if e["what"] == "voice"])
    shown = d.find_element(By.CSS_SELECTOR, "#study-body .last .word").text
    check(said[0]["word"] == shown, f"clicked {shown}, said {said}")


def scenario_offline(d, url, server):
    start(d, url)
    poll("the worker in control", lambda: d.execute_script(
        "return navigator.serviceWorker.controller !== null"))
    d.execute_cdp_cmd("Network.enable", {})
    d.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
    server.shutdown()
    server.server_close()
    start(d, url)
    entry, _, voice = match_spoken(d)
    check(voice["word"] == entry["word"] and voice["decoded"], f"offline: {voice} for {entry}")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--web", required=True)
    p.add_argument("scenario", choices=["speak", "offline"])
    args = p.parse_args()
    server = serve(args.web)
    if args.scenario == "offline":
        return run_page(args.web, lambda d, url: scenario_offline(d, url, server), False, server)
    return run_page(args.web, scenario_speak, check_log=False, server=server)


if __name__ == "__main__":
    sys.exit(main())
