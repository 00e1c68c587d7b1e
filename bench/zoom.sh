#!/usr/bin/env bash
# What each way of zooming sharp into a photo that browsers cannot show costs: for each photo
# given (default: a HEIC and a TIFF made from the shared phone photo, and the shared HEIF), the
# CPU seconds its decode and preview take, and beside them the extra CPU and bytes of a full-size
# JPEG (quality 80 and 90), a full-size WebP and a libvips tiled pyramid (dzsave); then, in
# headless Chromium at 1280x800, the time from asking until the pixels at 100% at the centre are
# the full-resolution ones: the one JPEG against the visible tiles of the pyramid's top level.
#   bench/zoom.sh [PHOTO…]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photos=("$@")
if [ ${#photos[@]} -eq 0 ]; then
  vips copy "$here/../shared/photos/cameras/iphone_hdr_NO.jpg" "$work/phone.heic[Q=50]"
  vips copy "$here/../shared/photos/cameras/iphone_hdr_NO.jpg" "$work/phone.tif"
  photos=("$work/phone.heic" "$work/phone.tif" "$here/../shared/photos/heif/samplefilehub.heif")
fi
cpu() { /usr/bin/time -f "%U %S" "$@" 2>&1 >/dev/null | tail -1 | awk '{print $1 + $2}'; }
median() { sort -n | sed -n 2p; }
thrice() { for _ in 1 2 3; do cpu "$@"; done | median; }
for photo in "${photos[@]}"; do
  d="$work/$(basename "$photo").d"; mkdir -p "$d"; cd "$d"
  vips copy "$photo" full.v
  decode=$(thrice vips copy "$photo" again.v)
  preview=$(thrice vips thumbnail full.v preview.jpg[Q=80,strip] 1600 --size down)
  jpeg=$(thrice vips jpegsave full.v full.jpg --Q 80 --strip --optimize-coding)
  jpeg90=$(thrice vips jpegsave full.v full90.jpg --Q 90 --strip --optimize-coding)
  webp=$(thrice vips webpsave full.v full.webp --Q 80 --strip)
  pyramid=$(for _ in 1 2 3; do rm -rf t_files t.dzi; cpu vips dzsave full.v t --suffix '.jpg[Q=80,strip,optimize_coding]'; done | median)
  size() { stat -c %s "$1"; }
  echo "$(basename "$photo") $(vipsheader -f width full.v)x$(vipsheader -f height full.v): original $(size "$photo") B;" \
    "decode ${decode} s, preview ${preview} s $(size preview.jpg) B"
  echo "  full JPEG q80 +${jpeg} s $(size full.jpg) B; q90 +${jpeg90} s $(size full90.jpg) B; WebP q80 +${webp} s $(size full.webp) B"
  echo "  pyramid +${pyramid} s $(du -sb t_files | cut -f1) B in $(find t_files -type f | wc -l) files"
  rm -f full.v again.v
  W=$(vipsheader -f width full.jpg) H=$(vipsheader -f height full.jpg) node --input-type=module -e "
    import { chromium } from '$here/tests/page/node_modules/playwright-core/index.mjs';
    const W = +process.env.W, H = +process.env.H, T = 254, vw = 1280, vh = 800;
    const level = Math.ceil(Math.log2(Math.max(W, H)));
    const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox', '--disable-gpu'] });
    const times = { 'full JPEG': [], 'pyramid tiles': [] };
    for (let run = 0; run < 5; run++) for (const kind of Object.keys(times)) {
      const context = await browser.newContext({ viewport: { width: vw, height: vh } });
      const page = await context.newPage();
      await page.goto('file://$d/preview.jpg');
      times[kind].push(await page.evaluate(async ({ kind, W, H, T, vw, vh, level }) => {
        const t0 = performance.now(), urls = [];
        if (kind === 'full JPEG') urls.push('full.jpg');
        else for (let r = Math.floor((H - vh) / 2 / T); r <= Math.floor((H + vh) / 2 / T); r++)
          for (let c = Math.floor((W - vw) / 2 / T); c <= Math.floor((W + vw) / 2 / T); c++) urls.push('t_files/' + level + '/' + c + '_' + r + '.jpg');
        await Promise.all(urls.map((u) => { const i = new Image(); i.src = u; document.body.append(i); return i.decode().catch(() => {}); }));
        await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
        return performance.now() - t0;
      }, { kind, W, H, T, vw, vh, level }));
      await context.close();
    }
    await browser.close();
    for (const [kind, t] of Object.entries(times)) console.log('  to sharp at 100%, ' + kind + ': median ' + t.sort((a, b) => a - b)[2].toFixed(0) + ' ms of 5');
  "
done
