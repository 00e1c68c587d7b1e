#!/usr/bin/env bash
# First-build benchmark: the whole job (kestova-cli build: walk, metadata, thumbnails, cache,
# dating, manifest) against vipsthumbnail alone (size 420, Q=55, two processes given half the
# files each) over the same warm set of camera-sized JPEGs.
#   bench/build.sh [BUILD_DIR] [SET_DIR]
# The set is the processing benchmark's (120 JPEGs of 4000x3000, 3-4 MB each), made once.
set -euo pipefail
build=${1:-build}
set_dir=${2:-/tmp/kestova-process-bench}
cli="$build/main/cli/kestova-cli"
samples="$build/tools/make-samples/kestova-make-samples"
runs=3
work=$(mktemp -d /tmp/kestova-build-run.XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" # keep the user's recent walls out of it

for tool in "$cli" "$samples"; do
  [ -x "$tool" ] || { echo "missing $tool: build kestova-cli and kestova-make-samples first" >&2; exit 1; }
done
command -v vipsthumbnail >/dev/null || { echo "missing vipsthumbnail: run scripts/setup" >&2; exit 1; }

if [ ! -d "$set_dir/jpeg" ]; then
  echo "generating $set_dir/jpeg ..."
  mkdir -p "$set_dir/jpeg"
  "$samples" --bench-photos 120 "$set_dir/jpeg" >/dev/null
fi
src="$set_dir/jpeg"
mapfile -t files < <(find "$src" -maxdepth 1 -type f -name '*.JPG' | sort)
n=${#files[@]}
half=$(( (n + 1) / 2 ))
cat "${files[@]}" > /dev/null # warm

now() { date +%s.%N; }
rate() { awk -v n="$n" -v a="$1" -v b="$2" 'BEGIN {printf "%.1f", n / (b - a)}'; }
best() { printf '%s\n' "$@" | sort -g | tail -1; }

ours=(); theirs=()
for _ in $(seq $runs); do
  rm -rf "$work/wall" "$work/vt"; mkdir -p "$work/vt"
  a=$(now)
  "$cli" build "$src" --out "$work/wall" --json > "$work/summary.json"
  b=$(now)
  ours+=("$(rate "$a" "$b")")

  a=$(now)
  vipsthumbnail -s 420 -o "$work/vt/%s.jpg[Q=55]" "${files[@]:0:half}" &
  vipsthumbnail -s 420 -o "$work/vt/%s.jpg[Q=55]" "${files[@]:half}" &
  wait
  b=$(now)
  theirs+=("$(rate "$a" "$b")")
done
o=$(best "${ours[@]}"); t=$(best "${theirs[@]}")
echo "photos: $n ($(cat "$work/summary.json"))"
echo "kestova-cli build (whole job):         $o photos/s"
echo "vipsthumbnail, 2 processes (baseline): $t photos/s"
awk -v o="$o" -v t="$t" 'BEGIN {printf "ratio: %.2fx of vipsthumbnail (goal at least 1.20x)\n", o / t}'
