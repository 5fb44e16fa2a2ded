#!/usr/bin/python3
"""One decoder for every shell, and it is the browser's: lists that hold every Shift-JIS byte
pair (lead 0x81-0xFC, trail 0x00-0xFF, a line each) and every single byte, each followed
by 亜亜, are dealt until no round is left through window.quendar.run in headless Chromium
and through quendar-sim. The snapshots must be identical, and the compounds dealt must be
the first two characters of each line as Chromium's own TextDecoder("shift_jis") reads it:
how many U+FFFD a sequence gives and whether its trail byte is read again both show there.

Usage: decoder_test.py --web DIR --sim QUENDAR_SIM
"""
import argparse
import base64
import collections
import os
import re
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import web_test  # noqa: E402

# A deal lasts about a minute of play: five hours deal every line of a list.
SCRIPT = "seed 9\nstart Form1\n" + "wait 3600000\n" * 5 + "snapshot\n"
PER_LIST = 1900  # sequences per list; a CR among them ends a line of its own
TAIL = "亜亜".encode("cp932")


def lists():
    seqs = [bytes([lead, trail]) for lead in range(0x81, 0xFD) for trail in range(256)]
    seqs += [bytes([b]) for b in range(256)]
    for start in range(0, len(seqs), PER_LIST):
        data = b"".join(s + TAIL + b"\r\n" for s in seqs[start:start + PER_LIST])
        # Lines end at CR or CR LF, as the game splits a Shift-JIS list; as many lines as
        # whole rounds take, so that the last deal leaves none undealt.
        for kanji in "一二三四五六七":
            if len(re.split(rb"\r\n|\r", data)[:-1]) % 8:
                data += ("亜" + kanji + "\r\n").encode("cp932")
        yield start, data, re.split(rb"\r\n|\r", data)[:-1]


def text_decoder(d, lines):
    return d.execute_script(
        "const dec = new TextDecoder('shift_jis');"
        "return arguments[0].map(b => dec.decode(Uint8Array.from(atob(b), c => c.charCodeAt(0))));",
        [base64.b64encode(line).decode() for line in lines])


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--web", required=True)
    p.add_argument("--sim", required=True)
    args = p.parse_args()

    def scenario(d, url):
        dealt = 0
        d.get(url + "?test")
        web_test.ready(d)
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "jyukugo.dat")
            for start, data, lines in lists():
                with open(path, "wb") as f:
                    f.write(data)
                d.find_element(web_test.By.ID, "own").send_keys(path)
                page = web_test.run_in_page(d, SCRIPT)
                sim, status = web_test.run_sim(args, SCRIPT, tmp)
                web_test.check(status == 0 and "ok" in page, f"list {start}: exit {status}, {page}")
                web_test.check(page["ok"] == sim, f"list {start}: page and quendar-sim differ")
                got = collections.Counter(e["word"] for e in sim[0]["study"]["entries"])
                want = collections.Counter(t[:2] for t in text_decoder(d, lines))
                web_test.check(got == want, f"list {start}: dealt {sorted((got - want).items())[:5]}"
                               f" where TextDecoder reads {sorted((want - got).items())[:5]}")
                dealt += len(lines)
        print(f"{dealt} lines dealt alike by the page, quendar-sim and TextDecoder")

    return web_test.run_page(args.web, scenario, check_log=False)


if __name__ == "__main__":
    sys.exit(main())
