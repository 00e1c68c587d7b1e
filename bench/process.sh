#!/usr/bin/env bash
# Photo processing benchmark: Indexer::process on 2 threads against vipsthumbnail (two
# processes, half the files each) and the decode floor (djpeg -scale 1/8, two at a time), over
# the same warm files. Prints photos per second and peak resident memory side by side.
#   bench/process.sh [BUILD_DIR] [SET_DIR]
# The set (120 camera-sized JPEGs with EXIF, 4000x3000 and 3-4 MB each, plus 4 PNG and 4 HEIC
# made from them) is generated once and kept in SET_DIR.
set -euo pipefail
build=${1:-build}
set_dir=${2:-/tmp/kestova-process-bench}
bench="$build/bench/bench_process"
samples="$build/tools/make-samples/kestova-make-samples"
count=120
runs=3
work=$(mktemp -d /tmp/kestova-process-run.XXXXXX)
trap 'rm -rf "$work"' EXIT

for tool in "$bench" "$samples"; do
  [ -x "$tool" ] || { echo "missing $tool: build bench_process and kestova-make-samples first" >&2; exit 1; }
done
for tool in vipsthumbnail djpeg heif-enc vips /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup" >&2; exit 1; }
done

if [ ! -f "$set_dir/.done" ]; then
  echo "generating $set_dir ..."
  rm -rf "$set_dir"
  mkdir -p "$set_dir/jpeg" "$set_dir/png" "$set_dir/heic"
  "$samples" --bench-photos "$count" "$set_dir/jpeg" >/dev/null
  mapfile -t firsts < <(find "$set_dir/jpeg" -maxdepth 1 -name '*.JPG' | sort | head -4)
  for f in "${firsts[@]}"; do
    name=$(basename "$f" .JPG)
    vips copy "$f" "$set_dir/png/$name.png"
    heif-enc -q 50 "$f" -o "$set_dir/heic/$name.heic" >/dev/null
  done
  touch "$set_dir/.done"
fi

# Peak resident memory in MB and CPU seconds (user + system) from GNU time's report. CPU time
# per photo does not depend on what else the shared machine is doing; photos per second does.
peak_mb() { awk -F': ' '/Maximum resident set size/ {printf "%.0f", $2 / 1024}' "$1"; }
cpu_s() { awk -F': ' '/User time|System time/ {t += $2} END {printf "%.3f", t}' "$@"; }
per_photo_ms() { awk -v t="$1" -v n="$2" 'BEGIN {printf "%.1f", 1000 * t / n}'; }
lowest() { printf '%s\n' "$@" | sort -g | head -1; }
now() { date +%s.%N; }
rate() { awk -v n="$1" -v a="$2" -v b="$3" 'BEGIN {printf "%.1f", n / (b - a)}'; }
best() { printf '%s\n' "$@" | sort -g | tail -1; }

# Ours: bench_process on 2 threads; its own clock excludes start-up and the directory listing.
# With "workers" the photos are decoded in worker processes, as a run does; their CPU time
# counts too (GNU time adds the children it waited for).
ours() { # DIR [workers] -> "rate cpu_ms peak"
  local rates=() cpus=() peak=0 r n
  n=$(find "$1" -maxdepth 1 -type f ! -name '.*' | wc -l)
  for _ in $(seq $runs); do
    /usr/bin/time -v -o "$work/ours.time" "$bench" "$1" "$work/ours" 2 ${2:-} >"$work/ours.out"
    rates+=("$(sed -n 's/.*photos_per_second=\([0-9.]*\).*/\1/p' "$work/ours.out")")
    cpus+=("$(per_photo_ms "$(cpu_s "$work/ours.time")" "$n")")
    r=$(peak_mb "$work/ours.time"); [ "$r" -gt "$peak" ] && peak=$r
  done
  echo "$(best "${rates[@]}") $(lowest "${cpus[@]}") $peak"
}

# vipsthumbnail: two processes, each given half the files, so libvips starts once per process.
vipsthumbs() { # DIR -> "rate cpu_ms peak"
  local files n half rates=() cpus=() peak=0 r a b
  mapfile -t files < <(find "$1" -maxdepth 1 -type f ! -name '.*' | sort)
  n=${#files[@]}; half=$(( (n + 1) / 2 ))
  mkdir -p "$work/vt"
  for _ in $(seq $runs); do
    a=$(now)
    /usr/bin/time -v -o "$work/vt1.time" vipsthumbnail -s 420 -o "$work/vt/%s.jpg[Q=55,strip]" "${files[@]:0:half}" &
    /usr/bin/time -v -o "$work/vt2.time" vipsthumbnail -s 420 -o "$work/vt/%s.jpg[Q=55,strip]" "${files[@]:half}" &
    wait
    b=$(now)
    rates+=("$(rate "$n" "$a" "$b")")
    cpus+=("$(per_photo_ms "$(cpu_s "$work/vt1.time" "$work/vt2.time")" "$n")")
    for t in "$work/vt1.time" "$work/vt2.time"; do r=$(peak_mb "$t"); [ "$r" -gt "$peak" ] && peak=$r; done
  done
  echo "$(best "${rates[@]}") $(lowest "${cpus[@]}") $peak"
}

# djpeg over every file, two at a time; extra arguments go to djpeg.
djpegs() { # DIR ARGS... -> "rate cpu_ms"
  local dir=$1; shift
  local files rates=() cpus=() a b
  mapfile -t files < <(find "$dir" -maxdepth 1 -type f ! -name '.*' | sort)
  for _ in $(seq $runs); do
    a=$(now)
    printf '%s\0' "${files[@]}" >"$work/files"
    /usr/bin/time -v -o "$work/djpeg.time" xargs -0 -P2 -n1 -a "$work/files" djpeg "$@" -outfile /dev/null
    b=$(now)
    rates+=("$(rate "${#files[@]}" "$a" "$b")")
    cpus+=("$(per_photo_ms "$(cpu_s "$work/djpeg.time")" "${#files[@]}")")
  done
  echo "$(best "${rates[@]}") $(lowest "${cpus[@]}")"
}

# Warm the page cache so that the disk is out of the comparison.
cat "$set_dir"/jpeg/* "$set_dir"/png/* "$set_dir"/heic/* >/dev/null

jpegs=$(find "$set_dir/jpeg" -maxdepth 1 -type f ! -name '.*' | wc -l)
avg_mb=$(du -sm "$set_dir/jpeg" | awk -v n="$jpegs" '{printf "%.1f", $1 / n}')
echo "set: $jpegs JPEGs 4000x3000 (avg ${avg_mb} MB), $(ls "$set_dir/png" | wc -l) PNG, $(ls "$set_dir/heic" | wc -l) HEIC; best of $runs runs; 2 workers"
echo

read -r ours_rate ours_cpu ours_peak < <(ours "$set_dir/jpeg")
read -r iso_rate iso_cpu iso_peak < <(ours "$set_dir/jpeg" workers)
read -r vt_rate vt_cpu vt_peak < <(vipsthumbs "$set_dir/jpeg")
read -r floor_rate floor_cpu < <(djpegs "$set_dir/jpeg" -scale 1/8)
read -r full_rate full_cpu < <(djpegs "$set_dir/jpeg")
row() { printf '%-40s %10s %14s %14s\n' "$@"; }
row "JPEG 12 MP" "photos/s" "CPU ms/photo" "peak RSS MB"
row "kestova process, 2 threads" "$ours_rate" "$ours_cpu" "$ours_peak"
row "kestova, 2 worker processes" "$iso_rate" "$iso_cpu" "$iso_peak"
row "(a) vipsthumbnail -s 420 Q=55, 2 procs" "$vt_rate" "$vt_cpu" "$vt_peak each"
row "(b) djpeg -scale 1/8, 2 at a time" "$floor_rate" "$floor_cpu" "-"
row "    djpeg full decode, 2 at a time" "$full_rate" "$full_cpu" "-"
awk -v o="$ours_rate" -v a="$vt_rate" -v b="$floor_rate" -v oc="$ours_cpu" -v ac="$vt_cpu" -v bc="$floor_cpu" 'BEGIN {
  printf "throughput vs (a): %.2fx by the clock, %.2fx by CPU time (goal >= 1.0)\n", o / a, ac / oc
  printf "time vs (b):       %.2fx by the clock, %.2fx by CPU time (moonshot <= 1.25)\n", b / o, oc / bc }'
awk -v o="$ours_rate" -v w="$iso_rate" -v oc="$ours_cpu" -v wc="$iso_cpu" 'BEGIN {
  printf "workers vs in process: %.2fx the time by the clock, %.2fx by CPU time (goal <= 1.05)\n", o / w, wc / oc }'
echo

for kind in png heic; do
  read -r o_rate o_cpu o_peak < <(ours "$set_dir/$kind")
  read -r v_rate v_cpu v_peak < <(vipsthumbs "$set_dir/$kind")
  row "${kind^^} 12 MP" "photos/s" "CPU ms/photo" "peak RSS MB"
  row "kestova process, 2 threads" "$o_rate" "$o_cpu" "$o_peak"
  row "vipsthumbnail, 2 procs" "$v_rate" "$v_cpu" "$v_peak each"
  echo
done
