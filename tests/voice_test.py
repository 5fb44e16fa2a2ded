#!/usr/bin/env python3
"""Checks the recorded readings in assets/voice/ against the shipped lists: every
compound of the three lists has a recording of its own reading, or is named in
tools/wordlists/voice-overrides.txt as having none; the index and the pack agree
byte for byte; every recording is one Ogg Opus stream of 0.2 to 2 s; the pack
decodes with opusdec to exactly the sum of those lengths; the whole stays under
4 MB.  Usage: tests/voice_test.py [ASSETS_DIR]"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "assets")
OVERRIDES = os.path.join(HERE, "tools", "wordlists", "voice-overrides.txt")
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL: " + msg)


def ogg_pages(data):
    """(header type, granule, serial, payload) of each page; raises on a broken page."""
    pos = 0
    while pos < len(data):
        if data[pos:pos + 4] != b"OggS":
            raise ValueError(f"no Ogg page at byte {pos}")
        htype, granule, serial = struct.unpack_from("<BqI", data, pos + 5)
        nseg = data[pos + 26]
        size = sum(data[pos + 27:pos + 27 + nseg])
        start = pos + 27 + nseg
        if start + size > len(data):
            raise ValueError(f"page at byte {pos} runs past the end")
        yield htype, granule, serial, data[start:start + size]
        pos = start + size


def seconds(ogg):
    """Length of a single Ogg Opus stream, from its last granule and its pre-skip."""
    pages = list(ogg_pages(ogg))
    if not pages[0][3].startswith(b"OpusHead") or pages[0][3][9] != 1:
        raise ValueError("not a mono Ogg Opus stream")
    if len({serial for _, _, serial, _ in pages}) != 1 or not pages[-1][0] & 4:
        raise ValueError("not exactly one complete stream")
    pre_skip = struct.unpack_from("<H", pages[0][3], 10)[0]
    return (pages[-1][1] - pre_skip) / 48000


def shipped():
    words = {}
    for name in ("jyukugo.dat", "jyukugo-elementary.dat", "jyukugo-joyo.dat"):
        with open(os.path.join(ASSETS, name), encoding="cp932", newline="") as f:
            for line in f.read().split("\r\n")[:-1]:
                cols = line.split("\t")
                words[cols[0]] = cols[1]
    return words


def main():
    words = shipped()
    named = set()
    with open(OVERRIDES, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"^(\S+)\s+\S+\s*#", line)
            if m and not line.startswith("#"):
                named.add(m.group(1))
    with open(os.path.join(ASSETS, "voice", "readings.opus"), "rb") as f:
        pack = f.read()
    with open(os.path.join(ASSETS, "voice", "readings.tsv"), encoding="utf-8") as f:
        index = [line.rstrip("\n").split("\t") for line in f]

    total, end, recorded = 0.0, 0, set()
    for n, (word, reading, offset, length) in enumerate(index, 1):
        where = f"readings.tsv:{n}: {word}"
        offset, length = int(offset), int(length)
        if offset != end:
            fail(f"{where}: starts at byte {offset}, the one before ends at {end}")
        end = offset + length
        if words.get(word) != reading:
            fail(f"{where}: {reading} is not the reading the lists give ({words.get(word)})")
        try:
            length_s = seconds(pack[offset:end])
        except (ValueError, IndexError, struct.error) as e:
            fail(f"{where}: {e}")
            continue
        if not 0.2 <= length_s <= 2.0:
            fail(f"{where}: lasts {length_s:.2f} s, not 0.2 to 2 s")
        total += length_s
        recorded.add(word)
    if end != len(pack):
        fail(f"readings.opus is {len(pack)} bytes but the index ends at {end}")
    for word in sorted(set(words) - recorded - named):
        fail(f"{word} ({words[word]}) has no recording and is not in voice-overrides.txt")
    for word in sorted(recorded & named):
        with open(OVERRIDES, encoding="utf-8") as f:
            if re.search(rf"^{word}\s+-\s", f.read(), re.M):
                fail(f"{word} is recorded although voice-overrides.txt says it has none")
    if len(pack) > 4 * 1000 * 1000:
        fail(f"readings.opus is {len(pack)} bytes, over 4 MB")

    # The whole pack is a chained Ogg Opus file: one opusdec run decodes every recording.
    if not shutil.which("opusdec"):
        fail("opusdec not found (apt-get install opus-tools)")
    else:
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "all.raw")
            # A name without .wav gets raw 16-bit mono samples, so their count is the length.
            run = subprocess.run(["opusdec", "--quiet", "--rate", "48000",
                                  os.path.join(ASSETS, "voice", "readings.opus"), out],
                                 capture_output=True, text=True)
            decoded = os.path.getsize(out) / 2 / 48000 if os.path.exists(out) else 0
            if run.returncode != 0 or abs(decoded - total) > 0.001 * len(index) + 0.01:
                fail(f"opusdec gave {decoded:.2f} s for {total:.2f} s of recordings "
                     f"(exit {run.returncode}) {run.stderr.strip()[:200]}")

    print(f"{len(index)} recordings, {total:.0f} s, {len(pack)} bytes; "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
