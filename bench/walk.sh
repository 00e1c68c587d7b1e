#!/usr/bin/env bash
# Walk benchmark: kestova-cli scan against find over the same warm tree of 100,000 files.
#   bench/walk.sh [BUILD_DIR] [TREE_DIR]
# The tree (a few thousand folders, about 30% photo names, plus a node_modules and a .git full
# of files) is generated once and kept.
set -euo pipefail
build=${1:-build}
tree=${2:-/tmp/kestova-walk-tree}
cli="$build/main/cli/kestova-cli"
runs=7

if [ ! -f "$tree/.done" ]; then
  echo "generating $tree ..."
  rm -rf "$tree"
  python3 - "$tree" <<'PY'
import os, sys, random
root = sys.argv[1]
random.seed(7)
photo = ["jpg", "JPG", "heic", "png", "CR2"]
other = ["txt", "xml", "json", "mp4", "mov", "pdf", "dat", "ini"]
count = 0
def touch(path, size):
    with open(path, "wb") as f:
        f.write(b"x" * size)
# user folders: 2,500 folders of 28 files, 30% photos
for d in range(2500):
    folder = os.path.join(root, f"year{2000 + d % 25}", f"event{d:04d}")
    os.makedirs(folder, exist_ok=True)
    for i in range(28):
        if random.random() < 0.30:
            name = f"IMG_{i:04d}.{random.choice(photo)}"
        else:
            name = f"file{i:04d}.{random.choice(other)}"
        touch(os.path.join(folder, name), random.randint(0, 64))
        count += 1
# junk: node_modules and .git, 15,000 files each
for junk in ("project/node_modules", "project/.git/objects"):
    for d in range(300):
        folder = os.path.join(root, junk, f"pkg{d:03d}")
        os.makedirs(folder, exist_ok=True)
        for i in range(50):
            touch(os.path.join(folder, f"f{i}.jpg" if i % 3 == 0 else f"f{i}.js"), 8)
            count += 1
print(count, "files")
PY
  touch "$tree/.done"
fi

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timeit() {
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

# Warm the tree into the page cache.
find "$tree" -type f -printf '%s %T@ %p\n' > /dev/null
"$cli" scan "$tree" > /dev/null

find_times=(); scan_times=(); plain_times=()
for _ in $(seq $runs); do
  find_times+=("$(timeit find "$tree" -type f -printf '%s %T@ %p\n')")
  plain_times+=("$(timeit find "$tree" -type f)")
  scan_times+=("$(timeit "$cli" scan "$tree")")
done
f=$(printf '%s\n' "${find_times[@]}" | median)
p=$(printf '%s\n' "${plain_times[@]}" | median)
s=$(printf '%s\n' "${scan_times[@]}" | median)
photos=$("$cli" scan "$tree" | wc -l)
files=$(find "$tree" -type f | wc -l)
printf 'tree: %d files, %d listed as photos by scan\n' "$files" "$photos"
printf 'find -printf (stat each): %.3f s\nfind (no stat):           %.3f s\nkestova-cli scan:         %.3f s\n' "$f" "$p" "$s"
printf 'scan / find-with-stat:    %.2fx (goal at most 0.80x)\n' "$(echo "$s / $f" | bc -l)"
