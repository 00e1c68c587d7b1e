// Month sections, their order and headings, the header, and the justified rows.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, desktop, headings, open, phone, tileNames } from './harness.mjs';
import { civil, entry, makeWall, synthetic } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// Newest first, undated last, as the engine writes them. The clock times sit near month ends so
// that reading them in the viewer's time zone instead of UTC would move them.
const ten = [
  entry('2023/Summer/IMG_0001.jpg', civil(2023, 7, 4, 10, 0), 4000, 3000),
  entry('2023/Summer/IMG_0002.jpg', civil(2023, 7, 1, 0, 30), 3000, 4000),
  entry('2023/June/IMG_0003.jpg', civil(2023, 6, 30, 23, 59), 0, 0),
  entry('2023/Jan/a.png', civil(2023, 1, 15)),
  entry('2022/NYE/b.jpg', civil(2022, 12, 31, 23, 59, 59)),
  entry('IMG_root.jpg', civil(2019, 5, 5, 12)),
  entry('Old/scan 1969.jpg', civil(1969, 12, 31, 23)),
  entry('Scans/x1.jpg', 0),
  entry('Scans/x2.jpg', 0),
  entry('misc.jpg', 0),
];
const tenHeadings = ['July 2023|2 photos', 'June 2023|1 photo', 'January 2023|1 photo', 'December 2022|1 photo',
  'May 2019|1 photo', 'December 1969|1 photo', 'No date|3 photos'];
const names = ten.map((e) => e[1].split('/').pop());
// Tall enough that the whole small wall is in the DOM at once.
const tall = { width: 1280, height: 2600 };

describe('month sections', () => {
  const wall = makeWall(ten, { title: 'Summer & more', root: '/home/ana/Pictures' });

  for (const timezoneId of ['UTC', 'America/Los_Angeles', 'Pacific/Kiritimati']) {
    test(`newest month first, undated last, dates read as UTC (viewer in ${timezoneId})`, async () => {
      const { context, page, record } = await open(browser, wall.url, { timezoneId, viewport: tall });
      assert.deepEqual(await headings(page), tenHeadings);
      assert.deepEqual(await tileNames(page), names);
      assertQuiet(record);
      await context.close();
    });
  }

  test('small months share a line, each photo under its own month\u2019s heading', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: tall });
    const layout = await page.evaluate(() => ({
      headings: [...document.querySelectorAll('.month')].map((m) => {
        const b = m.getBoundingClientRect();
        return { label: m.querySelector('h2').textContent, top: b.top, left: b.left };
      }),
      tiles: [...document.querySelectorAll('.tile')].map((t) => {
        const b = t.getBoundingClientRect();
        return { pos: Number(t.dataset.pos), top: b.top, left: b.left };
      }),
    }));
    const byLabel = Object.fromEntries(layout.headings.map((h) => [h.label, h]));
    assert.equal(byLabel['July 2023'].top, byLabel['June 2023'].top);
    // The heading of a tile is the nearest one above it that starts at or left of it.
    const expected = ['July 2023', 'July 2023', 'June 2023', 'January 2023', 'December 2022', 'May 2019', 'December 1969', 'No date', 'No date', 'No date'];
    for (const t of layout.tiles) {
      const above = layout.headings.filter((h) => h.top < t.top && h.left <= t.left + 1)
        .sort((x, y) => y.top - x.top || y.left - x.left)[0];
      assert.equal(above.label, expected[t.pos], `photo ${t.pos}`);
    }
    // Arrow keys walk across months that share a line.
    await page.focus('.tile[data-pos="1"]');
    await page.keyboard.press('ArrowRight');
    assert.equal(await page.evaluate(() => document.activeElement.dataset.pos), '2');
    await context.close();
  });

  test('headings and counts follow the browser locale', async () => {
    const { context, page } = await open(browser, wall.url, { locale: 'de-DE', viewport: tall });
    assert.deepEqual((await headings(page)).slice(0, 3), ['Juli 2023|2 Fotos', 'Juni 2023|1 Foto', 'Januar 2023|1 Foto']);
    await context.close();
  });

  test('a manifest out of order is shown newest first all the same', async () => {
    const shuffled = [ten[8], ten[3], ten[0], ten[6], ten[7], ten[1], ten[9], ten[5], ten[4], ten[2]];
    const { context, page } = await open(browser, makeWall(shuffled).url, { viewport: tall });
    assert.deepEqual((await headings(page)).map((h) => h.split('|')[0]),
      ['July 2023', 'June 2023', 'January 2023', 'December 2022', 'May 2019', 'December 1969', 'No date']);
    const order = await tileNames(page);
    assert.deepEqual(order.slice(0, 7), names.slice(0, 7));
    assert.deepEqual(new Set(order.slice(7)), new Set(names.slice(7)));
    await context.close();
  });

  test('header: title, count and source folder; tiles say name and date', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: tall });
    assert.equal(await page.textContent('#title'), 'Summer & more');
    assert.equal(await page.title(), 'Summer & more');
    assert.equal(await page.textContent('#count'), '10 photos');
    assert.equal(await page.textContent('#source'), '/home/ana/Pictures');
    const alts = await page.$$eval('.tile img', (is) => is.map((i) => i.alt));
    assert.deepEqual(alts.slice(0, 3), ['IMG_0001.jpg, Jul 4, 2023', 'IMG_0002.jpg, Jul 1, 2023', 'IMG_0003.jpg, Jun 30, 2023']);
    assert.equal(alts[9], 'misc.jpg, No date');
    assert.equal(await page.$eval('.tile', (t) => t.tabIndex), 0);
    await context.close();
  });

  test('count with the locale\u2019s grouping', async () => {
    const big = makeWall(synthetic(10000), { thumbs: () => false });
    for (const [locale, text] of [['en-US', '10,000 photos'], ['de-DE', '10.000 Fotos'], ['fr-FR', '10\u202f000 photos']]) {
      const { context, page } = await open(browser, big.url, { locale });
      assert.equal(await page.textContent('#count'), text);
      await context.close();
    }
  });

  test('an empty wall says so', async () => {
    const { context, page, record } = await open(browser, makeWall([]).url);
    assert.equal(await page.textContent('#message'), 'This wall has no photos yet.');
    assert.equal(await page.textContent('#count'), '0 photos');
    assert.equal(await page.$$eval('.tile, .month', (e) => e.length), 0);
    assert.equal(await page.isHidden('#scrubber'), true);
    assert.equal(await page.isHidden('#folder'), true);
    assertQuiet(record);
    await context.close();
  });
});

describe('justified rows', () => {
  const entries = synthetic(2000);
  const wall = makeWall(entries, { thumbs: (e, i) => i !== 3 });

  // Tiles per row: [left, right, width, height, position] in screen pixels, grouped by row.
  // (A row that starts a trip or a day holds its heading too.)
  const rows = (page) => page.$$eval('.row', (rs) => rs.map((r) => [...r.querySelectorAll('.tile')].map((t) => {
    const b = t.getBoundingClientRect();
    return [b.left, b.right, b.width, b.height, Number(t.dataset.pos)];
  })));
  const shape = (e) => (e[2] > 0 && e[3] > 0 ? Math.min(8, Math.max(0.2, e[2] / e[3])) : 1);

  for (const [name, viewport, gap, target] of [['desktop', desktop, 4, 210], ['phone', phone, 2, 110]]) {
    test(`${name}: rows fill the width with even gaps and keep each photo's shape`, async () => {
      const { context, page } = await open(browser, wall.url, { viewport });
      const all = await rows(page);
      assert.ok(all.length >= 4);
      const right = Math.max(...all.flat().map((t) => t[1]));
      // A row that reaches the right edge is full; every full row ends at the same pixel.
      const full = all.filter((r) => Math.abs(r[r.length - 1][1] - right) < 0.5);
      assert.ok(full.length >= all.length / 2);
      for (const r of all) {
        for (let i = 1; i < r.length; i++) assert.equal(r[i][0] - r[i - 1][1], gap);
        assert.ok(new Set(r.map((t) => t[3])).size === 1, 'one height per row');
      }
      for (const r of full) assert.ok(Math.abs(r[0][3] - target) < target * 0.5, `height ${r[0][3]} near ${target}`);
      // Each tile has its photo's shape, within the rounding of a pixel or two (shapes cycle
      // through landscape, portrait, wide, square and unknown in synthetic()).
      for (const t of all.flat()) {
        const want = shape(entries[t[4]]);
        assert.ok(Math.abs(t[2] / t[3] - want) < 2.5 / t[3], `photo ${t[4]}: ${t[2] / t[3]} vs ${want}`);
      }
      await context.close();
    });
  }

  test('a photo of unknown size is square; a missing thumbnail leaves a neutral tile with the name', async () => {
    const { context, page } = await open(browser, wall.url);
    // synthetic(): the sixth shape is 0 x 0.
    const unknown = entries.findIndex((e) => e[2] === 0);
    const box = await page.locator(`.tile[data-pos="${unknown}"]`).boundingBox();
    assert.ok(Math.abs(box.width - box.height) <= 1, `${box.width} x ${box.height}`);
    const missing = page.locator('.tile[data-pos="3"]');
    await page.waitForFunction(() => document.querySelector('.tile[data-pos="3"]').classList.contains('missing'));
    assert.equal(await missing.evaluate((t) => getComputedStyle(t, '::after').content), `"${entries[3][1].split('/').pop()}"`);
    const loaded = await page.locator('.tile[data-pos="2"] img.loaded').count();
    assert.equal(loaded, 1);
    await context.close();
  });
});
