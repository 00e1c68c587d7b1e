#!/usr/bin/env python3
"""Checks a wall's folder for scripts/kill-test.

  check_wall.py after-kill OUT PID TEMPLATE   prints "<records> <temporary files> <present|absent>"
  check_wall.py final OUT REF_OUT FINAL_JSON REF_JSON
  check_wall.py partial OUT RUN_JSON          a stopped run: its wall, cache and summary agree

Exits 1 with the problem on standard output when the folder is not as it must be.
"""
import hashlib
import json
import os
import re
import sys

# The positions of a wall entry, from the schema the engine and the page are built from.
SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "schema", "wall-schema.json")
with open(SCHEMA, encoding="utf-8") as schema_file:
    POSITIONS = json.load(schema_file)["entry"]["positions"]
REL = POSITIONS.index("rel")

# Whole-file writes go through ".<name>.<pid>.XXXXXX"; a thumbnail through ".<key>.<pid>.<thread>.tmp".
WRITE_TEMP = re.compile(r"^\.(\.cache\.json|manifest\.js|state\.js|index\.html|\.inflight)\.(\d+)\.[A-Za-z0-9]{6}$")
THUMB_TEMP = re.compile(r"^\.[0-9a-f]{16}\.\d+\.\d+\.tmp$")
THUMB = re.compile(r"^[0-9a-f]{16}\.jpg$")
FINAL_NAMES = {"index.html", "manifest.js", "state.js", ".cache.json", ".inflight", ".lock", "thumbs", "previews"}
# The folders of JPEGs named by key: thumbnails (and video posters), and the large previews.
JPEG_FOLDERS = ("thumbs", "previews")


def fail(message):
    print(message)
    sys.exit(1)


def read_cache(out):
    path = os.path.join(out, ".cache.json")
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        data = f.read()
    try:
        cache = json.loads(data.decode("utf-8"))
    except (UnicodeDecodeError, ValueError) as e:
        fail(f".cache.json is not valid JSON ({e}); {len(data)} bytes")
    if not isinstance(cache, dict) or not all(isinstance(v, list) for v in cache.values()):
        fail(".cache.json is not an object of arrays")
    return cache


def read_photos(out):
    path = os.path.join(out, "manifest.js")
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    lines = text.split("\n")
    if len(lines) != 3 or not lines[0].startswith("window.GALLERY_TITLE=") \
            or not lines[1].startswith("window.GALLERY_ROOT=") \
            or not lines[2].startswith("window.PHOTOS=") or not text.endswith("];"):
        fail("manifest.js is not whole")
    try:
        return json.loads(lines[2][len("window.PHOTOS="):-1])
    except ValueError as e:
        fail(f"manifest.js has a broken photo list ({e})")


def check_folder(out, template):
    """Whole files under final names; returns the temporary files found."""
    temps = []
    for name in os.listdir(out):
        if name in FINAL_NAMES:
            continue
        if WRITE_TEMP.match(name):
            temps.append(name)
            continue
        fail(f"unexpected file in the wall: {name!r}")
    if template and os.path.exists(os.path.join(out, "index.html")):
        with open(os.path.join(out, "index.html"), "rb") as a, open(template, "rb") as b:
            if a.read() != b.read():
                fail("index.html is not the template")
    for kind in JPEG_FOLDERS:
        jpegs = os.path.join(out, kind)
        if not os.path.isdir(jpegs):
            continue
        for sub in os.listdir(jpegs):
            folder = os.path.join(jpegs, sub)
            if not re.match(r"^[0-9a-f]{2}$", sub) or not os.path.isdir(folder):
                fail(f"unexpected entry in {kind}: {sub!r}")
            for name in os.listdir(folder):
                path = os.path.join(folder, name)
                if THUMB_TEMP.match(name):
                    temps.append(f"{kind}/{sub}/{name}")
                    continue
                if not THUMB.match(name):
                    fail(f"unexpected file in {kind}: {sub}/{name!r}")
                with open(path, "rb") as f:
                    data = f.read()
                if len(data) < 4 or data[:2] != b"\xff\xd8" or data[-2:] != b"\xff\xd9":
                    fail(f"half-written JPEG {kind}/{sub}/{name} ({len(data)} bytes)")
    return temps


# A record's last two positions are the file's status change time and inode as the walk saw
# them (see CacheRecord.h): a copy of the same tree has others.
STAMP_POSITION = 10


def without_stamps(cache):
    return None if cache is None else {rel: record[:STAMP_POSITION] for rel, record in cache.items()}


def thumbs_of(out):
    found = {}
    for kind in JPEG_FOLDERS:
        root = os.path.join(out, kind)
        if not os.path.isdir(root):
            continue
        for sub in sorted(os.listdir(root)):
            for name in os.listdir(os.path.join(root, sub)):
                with open(os.path.join(root, sub, name), "rb") as f:
                    found[f"{kind}/{sub}/{name}"] = hashlib.md5(f.read()).hexdigest()
    return found


def after_kill(out, pid, template):
    if not os.path.isdir(out):
        print("0 0 absent")
        return
    temps = check_folder(out, template)
    cache = read_cache(out)
    read_photos(out)
    print(f"{0 if cache is None else len(cache)} {len(temps)} {'absent' if cache is None else 'present'}")


def final(out, ref_out, final_json, ref_json):
    temps = check_folder(out, None)
    if temps:
        fail(f"temporary files left after the final run: {temps}")
    if os.path.exists(os.path.join(out, ".inflight")):
        fail("the journal of photos in flight is left after a finished run")
    if without_stamps(read_cache(out)) != without_stamps(read_cache(ref_out)):
        fail("the cache differs from that of an uninterrupted run")
    if read_photos(out) != read_photos(ref_out):
        fail("the wall's photo list differs from that of an uninterrupted run")
    if thumbs_of(out) != thumbs_of(ref_out):
        fail("the thumbnails or previews differ from those of an uninterrupted run")
    with open(final_json) as a, open(ref_json) as b:
        got, want = json.load(a), json.load(b)
    for key in ("photos", "videos", "found", "duplicates", "unreadable", "undated", "partial"):
        if got.get(key) != want.get(key):
            fail(f"summary {key}: {got.get(key)} after the kills, {want.get(key)} uninterrupted")


def partial(out, run_json):
    cache = read_cache(out) or {}
    photos = read_photos(out) or []
    with open(run_json) as f:
        summary = json.load(f)
    if summary.get("photos") != len(photos):
        fail(f"the summary says {summary.get('photos')} photos, the wall has {len(photos)}")
    missing = [p[REL] for p in photos if p[REL] not in cache]
    if missing:
        fail(f"photos on the wall without a record: {missing[:3]}")
    if os.path.exists(os.path.join(out, ".inflight")):
        with open(os.path.join(out, ".inflight")) as f:
            if any(line.startswith("S ") for line in f):
                fail("a stopped run left photos in flight in its journal")


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "after-kill":
        after_kill(sys.argv[2], int(sys.argv[3]), sys.argv[4])
    elif len(sys.argv) == 4 and sys.argv[1] == "partial":
        partial(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 6 and sys.argv[1] == "final":
        final(*sys.argv[2:6])
    else:
        print(__doc__)
        sys.exit(2)
