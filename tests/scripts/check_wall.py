#!/usr/bin/env python3
"""Checks a wall's folder, for scripts/kill-test and the tests.

  check_wall.py after-kill OUT PID TEMPLATE   prints "<records> <temporary files> <present|absent>"
  check_wall.py final OUT REF_OUT FINAL_JSON REF_JSON
  check_wall.py partial OUT RUN_JSON          a stopped run: its wall, cache and summary agree
  check_wall.py wall OUT                      a written wall: its files whole, its pieces those of manifest.js

Exits 1 with the problem on standard output when the folder is not as it must be.
"""
import datetime
import hashlib
import json
import os
import re
import sys

# The positions of a wall entry, from the schema the engine and the page are built from.
SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "schema", "wall-schema.json")
with open(SCHEMA, encoding="utf-8") as schema_file:
    _schema = json.load(schema_file)
POSITIONS = _schema["entry"]["positions"]
PLAIN_LENGTH = _schema["entry"]["plainLength"]
REL = POSITIONS.index("rel")
WALL_DATA = _schema["wallData"]
COLUMNS = WALL_DATA["pieceColumns"]

# Whole-file writes go through ".<name>.<pid>.XXXXXX"; a thumbnail through ".<key>.<pid>.<thread>.tmp".
WRITE_TEMP = re.compile(r"^\.(\.cache\.json|manifest\.js|state\.js|wall\.js|index\.html|\.inflight)\.(\d+)\.[A-Za-z0-9]{6}$")
# The pieces of the wall's data, data/GENERATION-N.js, their details GENERATION-N-details.js,
# and their temporary files.
PIECE = re.compile(r"^([0-9a-f]{16})-(0|[1-9][0-9]*)(-details)?\.js$")
PIECE_TEMP = re.compile(r"^\.[0-9a-f]{16}-\d+(-details)?\.js\.\d+\.[A-Za-z0-9]{6}$")
DETAILS_START = "kestovaDetails('"
# The details' columns with a value for every entry, and those listing only some.
DETAILS_COLUMNS = ("size", "camera", "lens", "place")
DETAILS_SPARSE = {"exposure": 6, "geo": 3}
GENERATION = re.compile(r"^[0-9a-f]{16}$")
INDEX_START = "window.KESTOVA_WALL="
PIECE_START, PIECE_END = "kestovaPiece('", "');"
THUMB_TEMP = re.compile(r"^\.[0-9a-f]{16}\.\d+\.\d+\.tmp$")
THUMB = re.compile(r"^[0-9a-f]{16}\.jpg$")
FINAL_NAMES = {"index.html", "manifest.js", "state.js", "wall.js", ".cache.json", ".settings.json", ".inflight", ".lock", "thumbs", "previews", "full", "videos", "data"}
# The playable copies of videos, videos/KK/KEY.mp4.
COPY = re.compile(r"^[0-9a-f]{16}\.mp4$")
# The folders of JPEGs named by key: thumbnails (and video posters), the large previews (and a
# portable wall's copies), and a portable wall's full-size copies.
JPEG_FOLDERS = ("thumbs", "previews", "full")


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


def read_text(out, name):
    """The UTF-8 text of the wall's file name, or None when there is none."""
    path = os.path.join(out, name)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read().decode("utf-8")


def read_manifest(out):
    """manifest.js as (title, root, photos), or None when there is none."""
    text = read_text(out, "manifest.js")
    if text is None:
        return None
    lines = text.split("\n")
    if len(lines) != 3 or not lines[0].startswith("window.GALLERY_TITLE=") \
            or not lines[1].startswith("window.GALLERY_ROOT=") \
            or not lines[2].startswith("window.PHOTOS=") or not text.endswith("];"):
        fail("manifest.js is not whole")
    try:
        title = json.loads(lines[0][len("window.GALLERY_TITLE="):-1])
        root = json.loads(lines[1][len("window.GALLERY_ROOT="):-1])
        return title, root, json.loads(lines[2][len("window.PHOTOS="):-1])
    except ValueError as e:
        fail(f"manifest.js has a broken photo list ({e})")


def read_photos(out):
    manifest = read_manifest(out)
    return None if manifest is None else manifest[2]


def month_of(seconds):
    """A date's month as "YYYY-MM", its seconds read as UTC."""
    day = datetime.date(1970, 1, 1) + datetime.timedelta(days=seconds // 86400)
    return f"{day.year:04d}-{day.month:02d}"


def first_of(rel):
    """The first folder of rel, leading slashes skipped; the whole rel when it has none."""
    rest = rel.lstrip("/")
    return rel if not rest else rest.split("/", 1)[0]


def read_index(out):
    """wall.js's object, checked in itself; None when there is none."""
    text = read_text(out, "wall.js")
    if text is None:
        return None
    if not text.startswith(INDEX_START) or not text.endswith(";") or "\n" in text:
        fail("wall.js is not whole")
    try:
        index = json.loads(text[len(INDEX_START):-1])
    except ValueError as e:
        fail(f"wall.js is not a JSON object ({e})")
    if not isinstance(index, dict):
        fail("wall.js holds no object")
    if index.get("format") != WALL_DATA["format"] or index.get("version") != WALL_DATA["version"]:
        fail(f"wall.js names format {index.get('format')!r} version {index.get('version')!r}")
    generation = index.get("generation")
    if not isinstance(generation, str) or not GENERATION.match(generation):
        fail(f"wall.js has no generation of 16 hexadecimal digits: {generation!r}")
    pieces = index.get("pieces")
    if not isinstance(pieces, list):
        fail("wall.js names no list of pieces")
    for n, piece in enumerate(pieces):
        if piece.get("file") != f"data/{generation}-{n}.js":
            fail(f"wall.js: piece {n} is {piece.get('file')!r}")
    if index.get("photos") != sum(p.get("photos", 0) for p in pieces):
        fail(f"wall.js: {index.get('photos')} photos, its pieces hold {sum(p.get('photos', 0) for p in pieces)}")
    months = index.get("months")
    if not isinstance(months, list) or index.get("undated", -1) + sum(m[1] for m in months) != index["photos"]:
        fail("wall.js: the months and the undated do not add up to its photos")
    if [m[0] for m in months] != sorted({m[0] for m in months}, reverse=True):
        fail("wall.js: the months are not newest first, each once")
    return index


def unquote_piece(text, file, start=PIECE_START):
    """The JSON text of a piece's script."""
    if not text.startswith(start) or not text.endswith(PIECE_END) or "\n" in text:
        fail(f"{file} is not whole")
    inner = text[len(start):-len(PIECE_END)]
    # Every backslash escapes the character after it, a backslash or a quote; a bare quote
    # would end the script's string early.
    bare = re.sub(r"\\[\\']", "", inner)
    if "'" in bare or "\\" in bare:
        fail(f"{file}: a quote or a backslash stands unescaped")
    return re.sub(r"\\([\\'])", r"\1", inner)


def read_piece_script(out, index, n, file, start, what, columns):
    """The object of piece n's script `file` (a piece or its details): whole, of the index's
    generation and number, with a value of every entry in each of its full columns."""
    path = os.path.join(out, file)
    if not os.path.isfile(path):
        fail(f"wall.js names {file}, which is missing")
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    try:
        piece = json.loads(unquote_piece(text, file, start))
    except ValueError as e:
        fail(f"{file} is no JSON object ({e})")
    if piece.get("generation") != index["generation"] or piece.get("piece") != n:
        fail(f"{file} is {what} {piece.get('piece')!r} of generation {piece.get('generation')!r}")
    count = index["pieces"][n]["photos"]
    for column in columns:
        if not isinstance(piece.get(column), list) or len(piece[column]) != count:
            fail(f"{file}: column {column} has not {count} values")
    return piece


def read_piece(out, index, n):
    """The entries of the index's piece n, as manifest.js would list them."""
    meta = index["pieces"][n]
    piece = read_piece_script(out, index, n, meta["file"], PIECE_START, "piece", COLUMNS)
    count = meta["photos"]
    dirs = piece.get("dirs")
    if not isinstance(dirs, list) or not all(d == "" or d.endswith("/") for d in dirs) or len(set(dirs)) != len(dirs):
        fail(f"{meta['file']}: dirs are not folders, each once")
    entries = []
    for i in range(count):
        row = {c: piece[c][i] for c in COLUMNS}
        if not (0 <= row["dir"] < len(dirs)):
            fail(f"{meta['file']}: entry {i} names folder {row['dir']} of {len(dirs)}")
        row["rel"] = dirs[row["dir"]] + row["name"]
        row["first"] = first_of(row["rel"])
        entries.append([row[p] for p in POSITIONS[:PLAIN_LENGTH]])
    places = [m[0] for m in piece.get("media", [])]
    if places != sorted(set(places)) or not all(0 <= i < count for i in places):
        fail(f"{meta['file']}: media names entries out of order or out of range")
    for m in piece.get("media", []):
        if len(m) < 2 or not m[1]:
            fail(f"{meta['file']}: media {m!r} has no flags")
        entries[m[0]].extend(m[1:])
    if count and (meta["newest"] != entries[0][POSITIONS.index("date")] or meta["oldest"] != entries[-1][POSITIONS.index("date")]):
        fail(f"wall.js: the newest and oldest of {meta['file']} are not its first and last entries' dates")
    return entries


def check_details(out, index, n):
    """The details of the index's piece n, when it names them: whole, of its generation, with a
    value of every entry in each full column and indexes into their tables."""
    meta = index["pieces"][n]
    if "details" not in meta:
        return
    file = meta["details"]
    if file != meta["file"][:-3] + "-details.js":
        fail(f"wall.js: the details of {meta['file']} are named {file!r}")
    details = read_piece_script(out, index, n, file, DETAILS_START, "the details of piece", DETAILS_COLUMNS)
    count = meta["photos"]
    for column, table in (("camera", "cameras"), ("lens", "lenses"), ("place", "places")):
        if not all(isinstance(i, int) and -1 <= i < len(details.get(table, [])) for i in details[column]):
            fail(f"{file}: {column} names a {table} entry that is not there")
    for column, length in DETAILS_SPARSE.items():
        rows = details.get(column)
        if not isinstance(rows, list) or not all(isinstance(r, list) and len(r) == length and 0 <= r[0] < count for r in rows):
            fail(f"{file}: {column} is not a list of [i, …] of {length} values")


def read_pieces(out, index):
    """All entries of the index's pieces, in order."""
    for n in range(len(index["pieces"])):
        check_details(out, index, n)
    return [e for n in range(len(index["pieces"])) for e in read_piece(out, index, n)]


def check_data_folder(out, index, strays_allowed):
    """The data folder holds the index's pieces, and after a kill also other generations' pieces
    and temporary files; returns the temporary files."""
    data = os.path.join(out, "data")
    named = {f[len("data/"):] for p in (index or {}).get("pieces", []) for f in (p["file"], p.get("details", p["file"]))}
    if not os.path.isdir(data) or os.path.islink(data):
        if named or os.path.lexists(data):
            fail("data is missing or no folder")
        return []
    temps = []
    for name in os.listdir(data):
        if name in named:
            continue
        if PIECE_TEMP.match(name) and strays_allowed:
            temps.append(f"data/{name}")
        elif not (PIECE.match(name) and strays_allowed):
            fail(f"unexpected file in data: {name!r}")
    return temps


def check_wall(out):
    """A wall as a finished write leaves it: an index, its pieces alone in data/, and their entries
    those of manifest.js in order."""
    manifest, index = read_manifest(out), read_index(out)
    if manifest is None or index is None:
        fail("manifest.js or wall.js is missing")
    title, root, photos = manifest
    if index.get("title") != title or index.get("root") != root:
        fail("wall.js's title or root is not manifest.js's")
    entries = read_pieces(out, index)
    if entries != photos:
        at = next((i for i, (a, b) in enumerate(zip(entries, photos)) if a != b), min(len(entries), len(photos)))
        fail(f"the pieces' entries differ from manifest.js's at {at}: "
             f"{entries[at] if at < len(entries) else None!r} against {photos[at] if at < len(photos) else None!r}")
    date = POSITIONS.index("date")
    months = {}
    for e in photos:
        if e[date]:
            months[month_of(e[date])] = months.get(month_of(e[date]), 0) + 1
    if index["months"] != sorted(([m, n] for m, n in months.items()), reverse=True) \
            or index["undated"] != sum(1 for e in photos if not e[date]):
        fail("wall.js's months or undated are not those of its entries")
    check_data_folder(out, index, strays_allowed=False)
    return index


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
    copies = os.path.join(out, "videos")
    for sub in os.listdir(copies) if os.path.isdir(copies) else []:
        folder = os.path.join(copies, sub)
        if not re.match(r"^[0-9a-f]{2}$", sub) or not os.path.isdir(folder):
            fail(f"unexpected entry in videos: {sub!r}")
        for name in os.listdir(folder):
            if THUMB_TEMP.match(name):
                temps.append(f"videos/{sub}/{name}")
            elif not COPY.match(name):
                fail(f"unexpected file in videos: {sub}/{name!r}")
            elif not whole_mp4(os.path.join(folder, name)):
                fail(f"half-written copy videos/{sub}/{name}")
    return temps


def whole_mp4(path):
    """An MP4 whose boxes fill the file exactly, its index (moov) before its frames (mdat)."""
    with open(path, "rb") as f:
        data = f.read()
    boxes, at = [], 0
    while at + 8 <= len(data):
        size = int.from_bytes(data[at:at + 4], "big")
        if size == 1 and at + 16 <= len(data):
            size = int.from_bytes(data[at + 8:at + 16], "big")
        if size < 8:
            return False
        boxes.append(data[at + 4:at + 8])
        at += size
    return at == len(data) and boxes[:1] == [b"ftyp"] and b"moov" in boxes and b"mdat" in boxes \
        and boxes.index(b"moov") < boxes.index(b"mdat")


def copies_of(out):
    root = os.path.join(out, "videos")
    return sorted(f"{sub}/{name}" for sub in (os.listdir(root) if os.path.isdir(root) else [])
                  for name in os.listdir(os.path.join(root, sub)))


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
    # Whenever a run is killed, the index names whole pieces of its own generation; pieces of
    # other generations (written before an index that never came, or not yet removed) and
    # temporary files may lie beside them.
    index = read_index(out)
    if index is not None:
        read_pieces(out, index)
    temps += check_data_folder(out, index, strays_allowed=True)
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
    index, ref_index = check_wall(out), check_wall(ref_out)
    for key in ("photos", "undated", "months"):
        if index[key] != ref_index[key]:
            fail(f"wall.js {key} differs from that of an uninterrupted run")
    if [{**p, "file": None} for p in index["pieces"]] != [{**p, "file": None} for p in ref_index["pieces"]]:
        fail("wall.js's pieces differ from those of an uninterrupted run")
    if thumbs_of(out) != thumbs_of(ref_out):
        fail("the thumbnails or previews differ from those of an uninterrupted run")
    if copies_of(out) != copies_of(ref_out):
        fail("the videos' playable copies differ from those of an uninterrupted run")
    with open(final_json) as a, open(ref_json) as b:
        got, want = json.load(a), json.load(b)
    for key in ("photos", "videos", "found", "duplicates", "unreadable", "undated", "partial"):
        if got.get(key) != want.get(key):
            fail(f"summary {key}: {got.get(key)} after the kills, {want.get(key)} uninterrupted")


def partial(out, run_json):
    cache = read_cache(out) or {}
    photos = read_photos(out) or []
    check_wall(out)
    with open(run_json) as f:
        summary = json.load(f)
    # The wall's entries are its photos, its videos and the raw files shown with their JPEGs.
    entries = summary.get("photos", 0) + summary.get("videos", 0) + summary.get("rawPairs", 0)
    if entries != len(photos):
        fail(f"the summary says {entries} photos and videos, the wall has {len(photos)}")
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
    elif len(sys.argv) == 3 and sys.argv[1] == "wall":
        check_wall(sys.argv[2])
    else:
        print(__doc__)
        sys.exit(2)
