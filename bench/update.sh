#!/usr/bin/env bash
# No-op update benchmark: kestova-cli build over an unchanged tree it has built before, against a
# find that lists the same tree and stats each file, warm, median of several runs. Also checks
# that the update left the wall's files byte for byte as they were, and prints the update's peak
# memory and bench_update's breakdown of its steps.
#   bench/update.sh [BUILD_DIR] [PHOTOS=100000] [DIR=/tmp/kestova-update-bench]
# The tree and its wall are bench_update's (tiny files with photo names, thumbnails pre-filled),
# made once per count and kept.
set -euo pipefail
build=${1:-build}
photos=${2:-100000}
base=${3:-/tmp/kestova-update-bench}
cli="$build/main/cli/kestova-cli"
breakdown="$build/bench/bench_update"
runs=7
src="$base/src"
wall="$src/_Photo Gallery"
work=$(mktemp -d /tmp/kestova-update-run.XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" # keep the user's recent walls out of it

for tool in "$cli" "$breakdown"; do
  [ -x "$tool" ] || { echo "missing $tool: build kestova-cli and bench_update first" >&2; exit 1; }
done

# Makes the tree when missing and prints the breakdown of the update's steps.
"$breakdown" "$photos" "$base" > "$work/breakdown.txt" || true
# The first build of the command line's own wall (its title is the folder's name) settles it.
"$cli" build "$src" > /dev/null 2>&1

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timeit() {
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
wallFiles() { (cd "$wall" && find . -path ./thumbs -prune -o -type f ! -name '.lock' -print0 | sort -z | xargs -0 sha256sum); }

find "$src" -printf '%s %T@\n' > /dev/null # warm
wallFiles > "$work/before.txt"
find_times=(); update_times=()
for _ in $(seq $runs); do
  find_times+=("$(timeit find "$src" -printf '%s %T@\n')")
  update_times+=("$(timeit "$cli" build "$src" 2>/dev/null)")
done
wallFiles > "$work/after.txt"
/usr/bin/time -v "$cli" build "$src" > /dev/null 2> "$work/time.txt"

f=$(printf '%s\n' "${find_times[@]}" | median)
u=$(printf '%s\n' "${update_times[@]}" | median)
files=$(find "$src" -type f | wc -l)
printf 'tree: %d files (%d photos)\n' "$files" "$photos"
printf "find -printf '%%s %%T@' (stat each): %.3f s   (runs: %s)\n" "$f" "${find_times[*]}"
printf 'kestova-cli build, no-op update:   %.3f s   (runs: %s)\n' "$u" "${update_times[*]}"
printf 'update / find:                     %.2fx (goal at most 0.80x)\n' "$(echo "$u / $f" | bc -l)"
printf 'peak resident memory:              %.0f MB\n' \
  "$(awk '/Maximum resident set size/ {print $NF / 1024}' "$work/time.txt")"
if cmp -s "$work/before.txt" "$work/after.txt"; then
  echo "wall's files after the updates: byte-identical ($(wc -l < "$work/before.txt") files)"
else
  echo "wall's files after the updates: CHANGED"
  diff "$work/before.txt" "$work/after.txt" | head -10
fi
echo "breakdown (bench_update, in one process):"
sed -n '/^photos/,$p' "$work/breakdown.txt" | sed 's/^/  /'
cmp -s "$work/before.txt" "$work/after.txt"
