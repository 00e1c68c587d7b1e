// The wall on a phone: a pinch changes the size of the photos instead of zooming the page, a
// swipe down puts the viewer away, the header's texts fit the narrowest phones, and the timeline
// starts under the header.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, noteScrolls, open, scrollHandled, touchPhone } from './harness.mjs';
import { civil, entry, makeWall, synthetic } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const wall = makeWall(synthetic(3000));
// With raw and JPEG pairs, the count is at its longest.
const pairs = makeWall([...synthetic(1200), ...Array.from({ length: 12 }, (_, i) => [
  entry(`2025/Alps/IMG_${i}.JPG`, civil(2025, 1, 20, 12, i)), entry(`2025/Alps/IMG_${i}.CR2`, civil(2025, 1, 20, 12, i))]).flat()]
  .sort((a, b) => b[4] - a[4]));

// Fingers on the screen through the browser's own touch input: each step is [x, y] per finger.
async function touch(page, steps) {
  const cdp = await page.context().newCDPSession(page);
  const points = (at) => at.map(([x, y], id) => ({ x, y, id }));
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(steps[0]) });
  for (const at of steps.slice(1)) await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: points(at) });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await cdp.detach();
}
// Two fingers from `from` pixels apart to `to` pixels apart, about the point (x, y).
const pinch = (x, y, from, to, moves = 8) => Array.from({ length: moves + 1 }, (_, i) => {
  const half = (from + (to - from) * (i / moves)) / 2;
  return [[x - half, y], [x + half, y]];
});
// How many photos the screen shows, and how many the fullest row on it holds (a row that ends
// where a trip begins holds fewer).
const onScreen = (page) => page.evaluate(() => {
  const tiles = [...document.querySelectorAll('.tile')].filter((t) => { const b = t.getBoundingClientRect(); return b.top >= 0 && b.bottom <= innerHeight; });
  const rows = new Map();
  for (const t of tiles) rows.set(t.getBoundingClientRect().top, (rows.get(t.getBoundingClientRect().top) || 0) + 1);
  return { screen: tiles.length, row: Math.max(...rows.values()) };
});

describe('a pinch on the wall', () => {
  // [what, fingers from and to (px apart), density after, fewer or more photos on screen and in a row]
  const pinches = [
    ['apart: larger photos, fewer to a row', 80, 130, '1.4', (after, before) => after.screen < before.screen && after.row <= before.row],
    ['together: smaller photos, more to a row', 200, 130, '0.7', (after, before) => after.screen > before.screen && after.row >= before.row],
    ['far apart: larger still, up to the largest', 60, 250, '2', (after, before) => after.screen < before.screen && after.row < before.row],
  ];
  for (const [what, from, to, density, expected] of pinches) {
    test(what, async () => {
      const { context, page, record } = await open(browser, wall.url, touchPhone);
      const before = await onScreen(page);
      await touch(page, pinch(190, 500, from, to));
      await page.waitForSelector(`body[data-density="${density}"][data-state="ready"]`);
      const after = await onScreen(page);
      assert.ok(expected(after, before), `${JSON.stringify(before)} photos, then ${JSON.stringify(after)}`);
      // The page itself is not zoomed (which would only blow the thumbnails up).
      assert.equal(await page.evaluate(() => visualViewport.scale), 1);
      assertQuiet(record);
      await context.close();
    });
  }
});

describe('the viewer on a phone', () => {
  test('a swipe down closes it; a swipe sideways steps', async () => {
    const { context, page } = await open(browser, wall.url, touchPhone);
    await page.tap('.tile[data-pos="2"]');
    await page.waitForSelector('#viewer[open]');
    await touch(page, [[[195, 400]], [[100, 410]], [[40, 412]]]);
    assert.equal(await page.textContent('#viewer .position'), '4 of 3,000');
    await touch(page, [[[195, 300]], [[198, 380]], [[200, 520]]]);
    await page.waitForFunction(() => !document.getElementById('viewer').open);
    assert.equal(await page.evaluate(() => document.activeElement.dataset.pos), '3');
    await context.close();
  });
});

describe('the header on the narrowest phones', () => {
  for (const width of [360, 375, 390]) {
    for (const locale of ['en-US', 'de-DE']) {
      test(`${width} px, ${locale}: the count, the folder menu and the search's hint are whole; the timeline starts under the header`, async () => {
        const { context, page } = await open(browser, pairs.url, { ...touchPhone, viewport: { width, height: 800 }, locale, deviceScaleFactor: width === 390 ? 3 : 2 });
        const fit = await page.evaluate(() => {
          // The room for a control's text, and the width of the text it shows, in its font.
          const room = (e, text, extra = 0) => {
            const style = getComputedStyle(e);
            const span = document.createElement('span');
            span.style.cssText = `position:absolute;white-space:pre;font:${style.font};letter-spacing:${style.letterSpacing}`;
            span.textContent = text;
            document.body.appendChild(span);
            const width = span.getBoundingClientRect().width;
            span.remove();
            return { text, width, room: e.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight) - extra };
          };
          const select = document.getElementById('folder'), search = document.getElementById('search');
          const count = document.getElementById('count'), meta = document.getElementById('meta');
          const metaBox = meta.getBoundingClientRect();
          return {
            folder: room(select, select.options[select.selectedIndex].text, 16),
            hint: room(search, search.placeholder),
            count: { text: count.textContent, inside: [...count.getClientRects()].every((r) => r.left >= metaBox.left - 0.5 && r.right <= metaBox.right + 0.5 && r.bottom <= metaBox.bottom + 0.5) },
            overflow: document.documentElement.scrollWidth - innerWidth,
            header: document.getElementById('top').getBoundingClientRect().bottom,
            timeline: document.getElementById('scrubber').getBoundingClientRect().top,
          };
        });
        for (const part of [fit.folder, fit.hint]) assert.ok(part.width <= part.room, JSON.stringify(part));
        assert.match(fit.count.text, /\(12 /);
        assert.ok(fit.count.inside, `the count is cut: ${fit.count.text}`);
        assert.equal(fit.overflow, 0);
        assert.ok(fit.timeline >= fit.header - 0.5, JSON.stringify(fit));
        await context.close();
      });
    }
  }

  test('the timeline stays under the header as its lines come and go', async () => {
    // A link to a photo the wall does not hold adds a line under the title.
    const { context, page } = await open(browser, `${wall.url}#photo=0123456789abcdef`, touchPhone);
    await page.waitForSelector('#link-note:not([hidden])');
    const under = () => page.evaluate(() => document.getElementById('scrubber').getBoundingClientRect().top
      - document.getElementById('top').getBoundingClientRect().bottom);
    await page.waitForFunction(() => document.getElementById('scrubber').getBoundingClientRect().top >= document.getElementById('top').getBoundingClientRect().bottom - 0.5);
    // Scrolled down, the header leaves and the timeline keeps its place; back up, the header returns above it.
    await noteScrolls(page);
    await page.evaluate(() => scrollTo(0, 3000));
    await scrollHandled(page, 3000);
    await page.evaluate(() => scrollTo(0, 2500));
    await scrollHandled(page, 2500);
    await page.waitForFunction(() => getComputedStyle(document.getElementById('top')).transform === 'none');
    assert.ok(await under() >= -0.5);
    await context.close();
  });
});
