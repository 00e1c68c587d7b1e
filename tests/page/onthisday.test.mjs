// "On this day": an entry under the title when the wall holds photos of today's date in earlier
// years, which shows only them and, pressed again, the whole wall.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, headings, tileNames, whenReady } from './harness.mjs';
import { civil, entry, makeWall } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const entries = [
  entry('2025/Summer/today.jpg', civil(2025, 7, 4, 9)),
  entry('2025/Summer/yesterday.jpg', civil(2025, 7, 3, 18)),
  entry('2023/Fourth/IMG_1.jpg', civil(2023, 7, 4, 23, 59)),
  entry('2023/Fourth/IMG_2.jpg', civil(2023, 7, 4, 0, 0)),
  entry('2023/Fourth/IMG_3.jpg', civil(2023, 7, 5, 0, 0)),
  // Dated by its folder: a day without a time, still that day.
  entry('2019/2019-07-04 Lake/lake.jpg', civil(2019, 7, 4, 12)),
  // A year alone is no day.
  entry('2018/old.jpg', civil(2018, 6, 15, 12)),
  entry('Scans/x.jpg', 0),
];

// A browser whose clock says 4 July 2025, 10:00 in the viewer's time zone.
async function openOn(url, time, options = {}) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 1600 }, locale: 'en-US', timezoneId: 'UTC', reducedMotion: 'reduce', ...options });
  const page = await context.newPage();
  const record = { requests: [], errors: [], dialogs: [] };
  page.on('request', (r) => record.requests.push(r.url()));
  page.on('pageerror', (e) => record.errors.push(e.message));
  await page.clock.setFixedTime(new Date(time));
  await page.goto(url);
  await whenReady(page);
  return { context, page, record };
}

describe('on this day', () => {
  const wall = makeWall(entries);

  test('the entry counts today\u2019s photos of earlier years and shows them, then the whole wall', async () => {
    const { context, page, record } = await openOn(wall.url, '2025-07-04T10:00:00Z');
    assert.equal(await page.isVisible('#today'), true);
    assert.equal(await page.textContent('#today'), 'On this day: 3 photos');
    assert.equal(await page.getAttribute('#today', 'title'), 'Photos taken on July 4 in 2 earlier years');
    assert.equal(await page.getAttribute('#today', 'aria-pressed'), 'false');

    await page.click('#today');
    await page.waitForFunction(() => location.hash === '#day=07-04' && document.body.dataset.state === 'ready');
    assert.deepEqual(await tileNames(page), ['IMG_1.jpg', 'IMG_2.jpg', 'lake.jpg']);
    assert.deepEqual(await headings(page), ['July 2023|2 photos', 'July 2019|1 photo']);
    assert.equal(await page.textContent('#count'), '3 of 8 photos');
    assert.equal(await page.getAttribute('#today', 'aria-pressed'), 'true');
    // Reload keeps it; pressed again, the whole wall; Back brings the day's photos again.
    await page.reload();
    await whenReady(page);
    assert.equal(await page.textContent('#count'), '3 of 8 photos');
    await page.click('#today');
    await page.waitForFunction(() => location.hash === '' && document.body.dataset.state === 'ready');
    assert.equal(await page.textContent('#count'), '8 photos');
    await page.goBack();
    await page.waitForFunction(() => document.getElementById('count').textContent === '3 of 8 photos');
    assertQuiet(record);
    await context.close();
  });

  test('today is the viewer\u2019s own date, and a day without earlier photos shows no entry', async () => {
    // 02:00 UTC on 4 July is still 3 July in Los Angeles, and the only photo of 3 July is this
    // year's: no entry.
    const west = await openOn(wall.url, '2025-07-04T02:00:00Z', { timezoneId: 'America/Los_Angeles' });
    assert.equal(await west.page.isVisible('#today'), false);
    await west.context.close();
    const later = await openOn(wall.url, '2026-07-03T10:00:00Z');
    assert.equal(await later.page.textContent('#today'), 'On this day: 1 photo');
    assert.equal(await later.page.getAttribute('#today', 'title'), 'Photos taken on July 3 in an earlier year');
    await later.context.close();
  });
});
