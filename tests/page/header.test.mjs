// The header's controls on a phone, and the tiles' placeholders while thumbnails load.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { open, phone } from './harness.mjs';
import { makeWall, synthetic } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const wall = makeWall(synthetic(3000));

// The relative luminance of a CSS rgb() colour, and the contrast ratio of two.
function luminance(rgb) {
  const [r, g, b] = rgb.match(/\d+(\.\d+)?/g).slice(0, 3).map((c) => {
    const v = Number(c) / 255;
    return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
  });
  return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}
const contrast = (a, b) => {
  const [x, y] = [luminance(a), luminance(b)].sort((p, q) => q - p);
  return (x + 0.05) / (y + 0.05);
};

describe('header on a phone', () => {
  for (const colorScheme of ['light', 'dark']) {
    test(`the folder menu and the search fit side by side, the menu's text whole (${colorScheme})`, async () => {
      const { context, page } = await open(browser, wall.url, { viewport: phone, colorScheme });
      const boxes = await page.evaluate(() => ['#folder', '#search'].map((s) => {
        const e = document.querySelector(s);
        const b = e.getBoundingClientRect();
        return { left: b.left, right: b.right, top: b.top, width: b.width };
      }));
      const [folder, search] = boxes;
      assert.equal(folder.top, search.top);
      assert.ok(folder.left >= 0 && search.right <= phone.width, JSON.stringify(boxes));
      assert.ok(folder.right <= search.left);
      // "All folders (3,000)" in full: the text the closed menu shows is no wider than the menu.
      const fits = await page.evaluate(() => {
        const select = document.getElementById('folder');
        const style = getComputedStyle(select);
        const context = document.createElement('canvas').getContext('2d');
        context.font = `${style.fontSize} ${style.fontFamily}`;
        const text = context.measureText(select.options[select.selectedIndex].text).width;
        // Padding on both sides and room for the arrow.
        return { text, room: select.clientWidth - 2 * parseFloat(style.paddingLeft) - 16 };
      });
      assert.ok(fits.text <= fits.room, JSON.stringify(fits));
      await context.close();
    });
  }
});

describe('the focused photo', () => {
  for (const colorScheme of ['light', 'dark']) {
    test(`its ring stands out from the page and the tiles, above its neighbours (${colorScheme})`, async () => {
      const { context, page } = await open(browser, wall.url, { colorScheme });
      while (!(await page.evaluate(() => document.activeElement.classList.contains('tile')))) await page.keyboard.press('Tab');
      await page.keyboard.press('ArrowDown');
      await page.keyboard.press('ArrowRight');
      const ring = await page.evaluate(() => {
        const tile = document.activeElement, style = getComputedStyle(tile);
        const others = (e) => [...e.parentNode.children].filter((c) => c !== e).map((c) => Number(getComputedStyle(c).zIndex) || 0);
        return {
          width: parseFloat(style.outlineWidth), offset: parseFloat(style.outlineOffset), colour: style.outlineColor, style: style.outlineStyle,
          page: getComputedStyle(document.body).backgroundColor,
          tiles: [...new Set(getComputedStyle(tile).backgroundImage.match(/rgb\([^)]*\)/g))],
          above: Number(style.zIndex) > Math.max(...others(tile)) && Number(getComputedStyle(tile.parentNode).zIndex) > Math.max(...others(tile.parentNode)),
        };
      });
      assert.equal(ring.style, 'solid');
      assert.ok(ring.width >= 3 && ring.offset >= 2, JSON.stringify(ring));
      assert.ok(ring.above, 'the ring is drawn over the neighbouring tiles and rows');
      for (const against of [ring.page, ...ring.tiles]) {
        assert.ok(contrast(ring.colour, against) >= 3, `${ring.colour} on ${against}: ${contrast(ring.colour, against).toFixed(2)}`);
      }
      await context.close();
    });
  }
});

describe('placeholders', () => {
  for (const colorScheme of ['light', 'dark']) {
    test(`during a fast sweep, tiles still loading are soft and close to the page's colour (${colorScheme})`, async () => {
      const { context, page } = await open(browser, wall.url, { colorScheme });
      const looks = await page.evaluate(async () => {
        const frame = () => new Promise((r) => requestAnimationFrame(r));
        // The tiles whose thumbnails wait for the sweep to end.
        let waiting = [];
        for (let i = 0; i < 40 && waiting.length < 6; i++) {
          scrollBy(0, 3 * innerHeight);
          await frame();
          waiting = [...document.querySelectorAll('.tile img[data-src]')].map((img) => img.parentNode);
        }
        const page = getComputedStyle(document.body).backgroundColor;
        return { page, tiles: waiting.slice(0, 6).map((t) => getComputedStyle(t).backgroundImage) };
      });
      assert.equal(looks.tiles.length, 6);
      assert.ok(looks.tiles.every((t) => t.startsWith('linear-gradient(')), looks.tiles.join('\n'));
      // Not one flat colour from tile to tile, yet every tone close to the page's own.
      assert.ok(new Set(looks.tiles).size > 1);
      for (const tile of looks.tiles) {
        for (const colour of tile.match(/rgb\([^)]*\)/g)) {
          const ratio = contrast(colour, looks.page);
          assert.ok(ratio < 1.25, `${colour} on ${looks.page}: ${ratio.toFixed(2)}`);
        }
      }
      await context.close();
    });
  }
});
