#!/usr/bin/env bash
# Time-left benchmark: replays the runs recorded in bench/estimate/ through the estimates and
# prints their error against the truth at 10 %, 50 % and 90 % of each run.
#   bench/estimate.sh [BUILD_DIR]            replay the kept recordings
#   bench/estimate.sh [BUILD_DIR] --record   record them anew on this machine first
# Recording makes a photo library of several kinds from the real phone photo of
# ../shared/photos (JPEGs of 3, 8 and 12 megapixels, 12-megapixel HEICs and PNGs, the small
# camera JPEGs, 1080p H.264 and 4K HEVC clips; no camera raw, for want of a raw file to make them
# from) in SET_DIR, and processes each scenario as a build does.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
record=${2:-}
photos=${KESTOVA_SHARED_PHOTOS:-$here/../shared/photos}
set_dir=${SET_DIR:-/tmp/kestova-estimate-set}
kept=$here/bench/estimate
bench=$build/bench/bench_estimate
[ -x "$bench" ] || { echo "missing $bench: build bench_estimate first" >&2; exit 1; }

make_set() {
  rm -rf "$set_dir"
  local base=$set_dir/base
  mkdir -p "$base"
  local phone=$photos/cameras/iphone_hdr_NO.jpg   # 3264x2448
  # Four pictures of each size, so that neighbours are not the same file.
  cp "$phone" "$base/p1.jpg"
  vips flip "$phone" "$base/p2.jpg[Q=92]" horizontal
  vips flip "$phone" "$base/p3.jpg[Q=92]" vertical
  vips rot "$phone" "$base/p4.jpg[Q=92]" d180
  for i in 1 2 3 4; do
    vips resize "$base/p$i.jpg" "$base/l$i.v" 1.2255             # 12 MP
    vips resize "$base/p$i.jpg" "$base/s$i.v" 0.6                # 3 MP
    vips copy "$base/l$i.v" "$base/l$i.jpg[Q=90]"
    vips copy "$base/s$i.v" "$base/s$i.jpg[Q=85]"
    vips copy "$base/l$i.v" "$base/l$i.heic[Q=80]"
    vips copy "$base/l$i.v" "$base/l$i.png"
  done
  local ff="ffmpeg -nostdin -v error -y"
  $ff -f lavfi -i "testsrc2=s=1920x1080:d=8:r=30" -c:v libx264 -preset fast -pix_fmt yuv420p "$base/hd.mp4"
  $ff -f lavfi -i "testsrc2=s=1920x1080:d=40:r=30" -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$base/hd-long.mp4"
  $ff -f lavfi -i "testsrc2=s=3840x2160:d=4:r=30" -c:v libx265 -preset ultrafast -tag:v hvc1 \
    -x265-params log-level=none -pix_fmt yuv420p "$base/uhd.mov"

  # place DIR COUNT SOURCE... : COUNT files in DIR, hard links to the sources in turn.
  place() {
    local dir=$set_dir/$1 count=$2; shift 2
    local sources=("$@") n
    mkdir -p "$dir"
    for n in $(seq 1 "$count"); do
      local src=${sources[$(( (n - 1) % ${#sources[@]} ))]}
      ln "$base/$src" "$dir/IMG_$(printf %04d "$n")_$src"
    done
  }
  local cameras=("$photos"/cameras/*.jpg)
  mkdir -p "$set_dir/library/2012"
  for c in "${cameras[@]}"; do for n in 1 2 3 4; do cp "$c" "$set_dir/library/2012/$n-$(basename "$c")"; done; done
  place library/2014 40 p1.jpg p2.jpg p3.jpg p4.jpg s1.jpg
  place library/2017 60 l1.jpg l2.jpg s3.jpg l4.jpg
  place library/2017/scans 6 l1.png l2.png l3.png
  place library/2017/clips 4 hd.mp4 hd-long.mp4
  place library/2019 40 l1.jpg p2.jpg l3.jpg
  place library/2019/phone 12 l1.heic l2.heic l3.heic l4.heic
  place library/2019/clips 3 hd.mp4 uhd.mov
  place library/2022 24 l1.heic l2.heic l3.heic l4.heic
  place library/2022/edits 20 l4.jpg s2.jpg
  place library/2022/clips 2 uhd.mov
  # A phone changed from JPEG to HEIC; the oldest first.
  place switch/2016 200 l1.jpg l2.jpg l3.jpg l4.jpg p1.jpg
  place switch/2021 30 l1.heic l2.heic l3.heic l4.heic
  # The slow photos first, then many quick ones (a run resumed after a stop among the HEICs).
  place resume/2021 20 l1.heic l2.heic l3.heic l4.heic
  place resume/2022 240 s1.jpg s2.jpg s3.jpg p4.jpg
  touch "$set_dir/.done"
}

if [ "$record" = --record ]; then
  [ -f "$set_dir/.done" ] || make_set
  out=$(mktemp -d /tmp/kestova-estimate-out.XXXXXX)
  trap 'rm -rf "$out"' EXIT
  mkdir -p "$kept"
  "$bench" record "$set_dir/library" "$out" >"$kept/library-walk-order.tsv"
  "$bench" record "$set_dir/library" "$out" --by-name >"$kept/library-oldest-first.tsv"
  "$bench" record "$set_dir/switch" "$out" --by-name >"$kept/jpeg-then-heic.tsv"
  "$bench" record "$set_dir/resume" "$out" --by-name >"$kept/heic-then-jpeg.tsv"
fi
"$bench" replay "$kept"/*.tsv
