// A wall of 200,000 photos: taller than browsers let an element be, yet every month reachable,
// with a DOM that stays small while it scrolls.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, desktop, domSize, forgetScrolls, noteScrolls, open, phone, scrollHandled, sweep, topHeading, visibleNames } from './harness.mjs';
import { makeWall, synthetic } from './wall.mjs';

const n = 200000;
const entries = synthetic(n);
// Thumbnails at both ends only: writing 200,000 files would take longer than the tests.
const wall = makeWall(entries, { thumbs: (e, i) => i < 3000 || i >= n - 3000 });
const monthName = new Intl.DateTimeFormat('en-US', { year: 'numeric', month: 'long', timeZone: 'UTC' });
const months = [...new Set(entries.map((e) => (e[4] ? monthName.format(new Date(e[4] * 1000)) : 'No date')))];
const lastName = entries[n - 1][1].split('/').pop();
// Each day as the timeline names it, with its heading in the wall.
const dayName = new Intl.DateTimeFormat('en-US', { weekday: 'long', day: 'numeric', month: 'long', year: 'numeric', timeZone: 'UTC' });
const dayHeading = new Intl.DateTimeFormat('en-US', { weekday: 'long', day: 'numeric', month: 'long', timeZone: 'UTC' });
const days = new Map(entries.filter((e) => e[4]).map((e) => [dayName.format(new Date(e[4] * 1000)), dayHeading.format(new Date(e[4] * 1000))]));
// The day heading at the top of the wall's part of the screen, if one is there.
const topDay = (page) => page.evaluate(() => {
  const top = document.getElementById('top').getBoundingClientRect().bottom;
  // (Under its month's heading, when it is the month's first day.)
  for (let y = top + 2; y < top + 100; y += 4) {
    const day = document.elementFromPoint(60, y)?.closest('.group')?.querySelector('.day');
    if (day) return day.textContent;
  }
  return null;
});
// Elements in the page besides the wall's own (header, timeline, viewer) are a few dozen; a
// screen of rows is a few hundred.
const domBound = 1200;

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function scrubberBox(page) {
  const box = await page.locator('#scrubber .track').boundingBox();
  return { x: box.x + box.width / 2, top: box.y, bottom: box.y + box.height };
}

for (const [name, viewport] of [['desktop', desktop], ['phone', phone]]) {
  describe(`200,000 photos on a ${name}`, () => {
    test('scrolling from top to bottom keeps the DOM small, never shows a hole and ends at the last photo', async () => {
      const { context, page, record } = await open(browser, wall.url, { viewport });
      assert.equal(await page.textContent('#count'), '200,000 photos');
      // The page itself stays under the browsers' height limits.
      assert.ok(await page.evaluate(() => document.documentElement.scrollHeight) <= 6001000);
      const result = await sweep(page, 40000);
      assert.deepEqual(result.holes, []);
      assert.ok(result.most < domBound, `${result.most} elements`);
      assert.ok(result.steps > 20);
      assert.ok((await visibleNames(page)).includes(lastName));
      assertQuiet(record);
      await context.close();
    });

    test('dragging the timeline to its end reaches the last photo; a click jumps to the month named on hover', async () => {
      const { context, page } = await open(browser, wall.url, { viewport });
      const s = await scrubberBox(page);
      await page.mouse.move(s.x, (s.top + s.bottom) / 2);
      // A month, or in a month of many photos a day of it.
      const hovered = await page.textContent('#scrubber .bubble');
      assert.ok(months.includes(hovered) || days.has(hovered), hovered);
      await page.mouse.down();
      let most = 0;
      for (let i = 0; i <= 20; i++) {
        await page.mouse.move(s.x, s.top + ((s.bottom - s.top) * i) / 20);
        most = Math.max(most, await domSize(page));
      }
      assert.equal(await page.textContent('#scrubber .bubble'), 'No date');
      await page.mouse.up();
      assert.ok(most < domBound, `${most} elements`);
      assert.ok((await visibleNames(page)).includes(lastName));
      await page.mouse.move(s.x, (s.top + s.bottom) / 2);
      const target = await page.textContent('#scrubber .bubble');
      // The jump is a scroll: on a busy machine it may still be on its way when the click returns.
      await noteScrolls(page);
      await page.mouse.down();
      await page.mouse.up();
      await scrollHandled(page);
      assert.equal(days.has(target) ? await topDay(page) : await topHeading(page), days.get(target) ?? target);
      await context.close();
    });
  });
}

describe('200,000 photos: thumbnails during a sweep', () => {
  // Each thumbnail started and left behind costs the browser's next garbage collection time,
  // enough to stall a sweep on a slow machine, whose frames come far apart.
  test('a sweep of slow frames starts no thumbnail until it calms down; then the screen comes first', async () => {
    // The sweep rule counts the distance scrolled in a window of the page's time, so the page's
    // clock is the test's: each frame of the sweep comes 150 ms after the one before however busy
    // the machine is, and the calm after it lasts exactly as long as the test says.
    const { context, page, record } = await open(browser, wall.url, { viewport: desktop, before: (p) => p.clock.install() });
    await page.clock.pauseAt(await page.evaluate(() => Date.now()) + 1000);
    await page.evaluate(() => {
      const layer = document.getElementById('layer');
      const top = document.getElementById('top').getBoundingClientRect().bottom;
      const onScreen = (img) => {
        const r = img.parentNode.getBoundingClientRect();
        return r.bottom > top && r.top < innerHeight;
      };
      const watch = { started: [], sweeping: true, onScreen };
      const note = (records) => {
        for (const m of records) {
          if (m.target.hasAttribute('src')) watch.started.push({ during: watch.sweeping, onScreen: onScreen(m.target) });
        }
      };
      watch.observer = new MutationObserver(note);
      watch.observer.observe(layer, { subtree: true, attributeFilter: ['src'] });
      watch.flush = () => note(watch.observer.takeRecords());
      window.sweepWatch = watch;
    });
    for (let i = 0; i < 12; i++) {
      // The page has taken the scroll once its scroll event has been dispatched.
      await page.evaluate(() => new Promise((done) => {
        addEventListener('scroll', () => done(), { once: true });
        scrollBy(0, 3 * innerHeight);
      }));
      await page.clock.runFor(150);
    }
    await page.evaluate(() => { sweepWatch.flush(); sweepWatch.sweeping = false; });
    await page.clock.runFor(1500);
    const result = await page.evaluate(() => {
      sweepWatch.flush();
      sweepWatch.observer.disconnect();
      const tiles = [...document.querySelectorAll('#layer .tile img')];
      return {
        started: sweepWatch.started,
        waiting: tiles.filter((img) => img.hasAttribute('data-src')).length,
        shown: tiles.filter((img) => sweepWatch.onScreen(img)).every((img) => img.hasAttribute('src')),
        around: tiles.filter((img) => !sweepWatch.onScreen(img)).length,
      };
    });
    assert.equal(result.started.filter((s) => s.during).length, 0);
    assert.ok(result.shown && result.waiting === 0, JSON.stringify(result));
    // Every thumbnail of the screen before any of the rows around it.
    const firstAround = result.started.findIndex((s) => !s.onScreen);
    assert.ok(result.around > 0 && firstAround > 0);
    assert.ok(result.started.slice(firstAround).every((s) => !s.onScreen), JSON.stringify(result.started));
    assertQuiet(record);
    await context.close();
  });
});

describe('200,000 photos: every month is reachable', () => {
  test('the timeline walks every month in order with the keyboard', async () => {
    const { context, page } = await open(browser, wall.url);
    assert.equal(months.length > 100, true);
    await page.focus('#scrubber');
    const seen = [await topHeading(page)];
    for (let i = 1; i < months.length; i++) {
      await page.keyboard.press('ArrowDown');
      seen.push(await topHeading(page));
    }
    assert.deepEqual(seen, months);
    // The timeline follows on the scroll event, which a busy machine may still be delivering.
    await page.waitForFunction(() => document.getElementById('scrubber').getAttribute('aria-valuetext') === 'No date');
    await page.keyboard.press('Home');
    assert.equal(await topHeading(page), months[0]);
    await page.keyboard.press('PageDown');
    assert.equal(await topHeading(page), 'December 2023');
    await page.keyboard.press('End');
    // On a busy machine the scroll event of the keys before may still be on its way.
    await page.waitForFunction(() => document.getElementById('scrubber').getAttribute('aria-valuetext') === 'No date');
    assert.equal(await topHeading(page), 'No date');
    await context.close();
  });

  test('resizing the window keeps the photos on screen', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.focus('#scrubber');
    await noteScrolls(page);
    for (let i = 0; i < 60; i++) await page.keyboard.press('ArrowDown');
    await scrollHandled(page);
    await forgetScrolls(page);
    await page.mouse.wheel(0, 500);
    await scrollHandled(page);
    const before = await visibleNames(page);
    for (const size of [{ width: 900, height: 700 }, phone, desktop]) {
      await page.setViewportSize(size);
      // Laid out again for the new width: the rows end at the new right edge.
      await page.waitForFunction((width) => document.body.dataset.state === 'ready'
        && Math.abs(Math.max(...[...document.querySelectorAll('.tile')].map((t) => t.getBoundingClientRect().right)) - width) < 60, size.width);
      const now = await visibleNames(page);
      assert.ok(now.includes(before[0]), `${before[0]} still on screen at ${size.width}px`);
    }
    await context.close();
  });
});
