#!/usr/bin/env bash
# Previews and videos, measured on material made here:
#   [KESTOVA_SHARED_PHOTOS=DIR] bench/media.sh [BUILD_DIR]
# 1. bench_preview on the real HEIF of ../shared/photos and on 12-megapixel HEIC and TIFF photos
#    made from its real phone photo: extra CPU per photo, bytes against the original, sharpness.
# 2. bench_media on 1080p and 4K clips in H.264 and HEVC (5 s, the first second black), with a
#    12-megapixel JPEG and HEIC as the baseline of a photo's thumbnail.
# 3. bench_copy on 1080p and 4K HEVC clips as a phone records them (10 s at 30 frames, moving
#    pictures with a noise grain, sound): time of the playable copy against the clip's length,
#    and its bytes against the original's.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
photos=${KESTOVA_SHARED_PHOTOS:-$here/../shared/photos}  # a checkout elsewhere names the folder
work=$(mktemp -d /tmp/kestova-bench-media-XXXXXX)
trap 'rm -rf "$work"' EXIT

phone=$photos/cameras/iphone_hdr_NO.jpg   # 3264x2448, a real phone photo
vips copy "$phone" "$work/phone-8mp.heic[Q=80]"
vips resize "$phone" "$work/12mp.v" 1.2255  # 4000x3000
vips copy "$work/12mp.v" "$work/phone-12mp.heic[Q=80]"
vips copy "$work/12mp.v" "$work/phone-12mp.tif"
vips copy "$work/12mp.v" "$work/phone-12mp-lzw.tif[compression=lzw]"
vips copy "$work/12mp.v" "$work/phone-12mp.jpg[Q=90]"
echo "== previews"
"$build/bench/bench_preview" "$photos/heif/samplefilehub.heif" "$work/phone-8mp.heic" "$work/phone-12mp.heic" \
  "$work/phone-12mp.tif" "$work/phone-12mp-lzw.tif"

echo "== videos (and a 12 MP photo for the baseline)"
ff="ffmpeg -nostdin -v error -y"
for size in 1920x1080 3840x2160; do
  for codec in libx264 libx265; do
    name=$work/clip-${size}-${codec}.mp4
    $ff -f lavfi -i "color=black:s=$size:d=1:r=30" -f lavfi -i "testsrc2=s=$size:d=4:r=30" \
      -filter_complex '[0][1]concat=n=2:v=1' -c:v $codec -preset fast -pix_fmt yuv420p \
      $([ $codec = libx265 ] && echo "-tag:v hvc1 -x265-params log-level=none") "$name"
  done
done
"$build/bench/bench_media" "$work/phone-12mp.jpg" "$work/phone-12mp.heic" "$work"/clip-*.mp4

echo "== playable copies of HEVC videos"
for size in 1920x1080 3840x2160; do
  rate=$([ $size = 1920x1080 ] && echo 16M || echo 45M)  # an iPhone's HEVC at 1080p30 and 4K30
  $ff -f lavfi -i "testsrc2=s=$size:d=10:r=30,noise=alls=12:allf=t" -f lavfi -i "sine=f=440:d=10" \
    -c:v libx265 -tag:v hvc1 -pix_fmt yuv420p -preset ultrafast -b:v $rate -x265-params log-level=none \
    -c:a aac "$work/phone-$size-hevc.mov"
done
"$build/bench/bench_copy" "$work/phone-1920x1080-hevc.mov" 10 "$work/phone-3840x2160-hevc.mov" 10
