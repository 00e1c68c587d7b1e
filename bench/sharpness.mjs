#!/usr/bin/env node
// How much the wall enlarges its thumbnails: for every tile of a 3,000-photo wall of the shapes
// cameras and phones make (thumbnails at most 420 pixels on their long side), the factor by
// which its thumbnail is drawn larger than its pixels, at a pixel ratio of 1 and 2 on a desktop
// window and 3 on a phone. 1 or less is sharp.
//
// Usage: node bench/sharpness.mjs [TEMPLATE ...]   (default: the page the build joined)
// Each template is measured on the same wall, so that two versions of the page can be compared.
import { copyFileSync, mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch } from '../tests/page/browser.mjs';
import { civil, entry, manifestText, template } from '../tests/page/wall.mjs';
import { readSchema } from '../tools/wall-schema.mjs';

const side = readSchema().thumbSize;

// Shapes and how common they are: camera and phone photos both ways up, 3:2 and 16:9, squares,
// panoramas, and small old images.
const shapes = [
  [40, 4032, 3024], [18, 3024, 4032], [14, 6000, 4000], [4, 4000, 6000], [8, 1920, 1080],
  [3, 1080, 1920], [4, 2000, 2000], [2, 9000, 3000], [1, 16000, 2600], [3, 640, 480], [3, 1200, 1600],
];
function wallEntries(n) {
  const weights = shapes.reduce((sum, s) => sum + s[0], 0);
  let seed = 12345;
  const random = () => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed / 2147483648; };
  const entries = [];
  const end = civil(2024, 12, 31, 20);
  for (let i = 0; i < n; i++) {
    let pick = random() * weights, shape = shapes[0];
    for (const s of shapes) { pick -= s[0]; if (pick < 0) { shape = s; break; } }
    // 15 years, photos in bursts of a few a day.
    const date = end - Math.floor(i / 4) * 86400 * 1.8 - (i % 4) * 600;
    const year = new Date(date * 1000).getUTCFullYear();
    entries.push(entry(`${year}/Album ${i >> 7}/IMG_${i}.jpg`, date, shape[1], shape[2]));
  }
  return entries;
}
// The engine's rule: scaled so that neither side exceeds the schema's thumbnail size, never enlarged.
function thumbSize(w, h) {
  const longest = Math.max(w, h);
  return longest > side ? [Math.round((w * side) / longest), Math.round((h * side) / longest)] : [w, h];
}

const entries = wallEntries(3000);
const thumbs = Object.fromEntries(entries.map((e) => [e[1], thumbSize(e[2], e[3])]));
const dir = mkdtempSync(join(tmpdir(), 'kestova-sharpness-'));
writeFileSync(join(dir, 'manifest.js'), manifestText('Sharpness', '/home/ana/Pictures', entries));

// Scrolls through the whole wall a screen at a time; returns each tile's enlargement once.
const measure = (page, thumbs) => page.evaluate(async (thumbs) => {
  const frame = () => new Promise((r) => requestAnimationFrame(r));
  const seen = new Map();
  let last = -1;
  while (scrollY !== last) {
    last = scrollY;
    for (const tile of document.querySelectorAll('.tile')) {
      if (seen.has(tile.dataset.pos)) continue;
      const b = tile.getBoundingClientRect();
      const [w, h] = thumbs[tile.title];
      // Drawn to cover the tile: the larger of the two scales.
      seen.set(tile.dataset.pos, [devicePixelRatio * Math.max(b.width / w, b.height / h), b.height]);
    }
    scrollBy(0, innerHeight * 0.8);
    await frame();
    await frame();
  }
  return [...seen.values()];
}, thumbs);

const screens = [
  { name: 'desktop 1440x900 at 1x', viewport: { width: 1440, height: 900 }, deviceScaleFactor: 1 },
  { name: 'desktop 1440x900 at 2x', viewport: { width: 1440, height: 900 }, deviceScaleFactor: 2 },
  { name: 'phone 390x844 at 3x', viewport: { width: 390, height: 844 }, deviceScaleFactor: 3 },
];
const quantile = (xs, q) => xs[Math.min(xs.length - 1, Math.floor(q * xs.length))];
const templates = process.argv.slice(2);
const browser = await launch();
for (const file of templates.length ? templates : [template]) {
  copyFileSync(file, join(dir, 'index.html'));
  console.log(file);
  for (const screen of screens) {
    const context = await browser.newContext({ viewport: screen.viewport, deviceScaleFactor: screen.deviceScaleFactor });
    const page = await context.newPage();
    await page.goto(`file://${dir}/index.html`);
    await page.waitForSelector('body[data-state="ready"]');
    const tiles = await measure(page, thumbs);
    const factors = tiles.map((t) => t[0]).sort((a, b) => a - b);
    const heights = tiles.map((t) => t[1]).sort((a, b) => a - b);
    const enlarged = factors.filter((f) => f > 1.01).length;
    console.log(`  ${screen.name}: ${factors.length} tiles, median enlargement ${quantile(factors, 0.5).toFixed(2)}, ` +
      `90th percentile ${quantile(factors, 0.9).toFixed(2)}, largest ${factors.at(-1).toFixed(2)}; ` +
      `${(100 * enlarged / factors.length).toFixed(1)}% enlarged by more than 1%; median tile height ${quantile(heights, 0.5).toFixed(0)} px`);
    await context.close();
  }
}
await browser.close();
