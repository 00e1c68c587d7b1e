// Dates as the photos have them: a day or a year found in a folder or file name is shown as
// that, not as an invented time; and the search finds photos by their dates.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, headings, open, tileNames } from './harness.mjs';
import { civil, entry, makeWall } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const tall = { width: 1280, height: 2600 };
// As the engine writes them: newest first; a year alone stored as 15 June 12:00, a day from the
// path at 12:00 exactly.
const photos = [
  entry('2019/Rome/IMG_0101.jpg', civil(2019, 8, 2, 17, 45)),
  entry('2019-07-15 Garden/IMG_0102.jpg', civil(2019, 7, 15, 12)),
  entry('2019/Rome/scan_1.jpg', civil(2019, 6, 15, 12)),
  entry('2019/Rome/IMG_0103.jpg', civil(2019, 6, 15, 9, 5)),
  entry('Summer 2019/scan_2.jpg', civil(2019, 6, 15, 12)),
  // A camera that said noon exactly, in a folder without a date: a clock time like any other.
  entry('Camera/IMG_0104.jpg', civil(2019, 3, 3, 12)),
  entry('2015/Paris/IMG_0001.jpg', civil(2015, 6, 15, 12)),
  entry('2015/Paris/IMG_0002.jpg', civil(2015, 5, 1, 10)),
];

const caption = (page) => page.evaluate(() => document.querySelector('#viewer .when').textContent);
async function openPhoto(page, name) {
  await page.click(`.tile[data-name="${name}"]`);
  await page.waitForSelector('#viewer[open]');
  const text = await caption(page);
  await page.keyboard.press('Escape');
  return text;
}

describe('dates from paths', () => {
  const wall = makeWall(photos);

  test('a year alone has a section of its own after the year\u2019s months', async () => {
    const { context, page, record } = await open(browser, wall.url, { viewport: tall });
    assert.deepEqual(await headings(page), ['August 2019|1 photo', 'July 2019|1 photo', 'June 2019|1 photo',
      'March 2019|1 photo', '2019|2 photos', 'May 2015|1 photo', '2015|1 photo']);
    assert.deepEqual(await tileNames(page), ['IMG_0101.jpg', 'IMG_0102.jpg', 'IMG_0103.jpg', 'IMG_0104.jpg',
      'scan_1.jpg', 'scan_2.jpg', 'IMG_0002.jpg', 'IMG_0001.jpg']);
    assert.deepEqual(await page.$$eval('#scrubber .year', (ys) => ys.map((y) => y.textContent)), []);
    assertQuiet(record);
    await context.close();
  });

  test('captions say what the date is and where it came from', async () => {
    const { context, page, record } = await open(browser, wall.url, { viewport: tall });
    assert.equal(await openPhoto(page, 'scan_1.jpg'), '2019 date from folder name');
    assert.equal(await openPhoto(page, 'IMG_0102.jpg'), 'Monday, July 15, 2019 date from folder name');
    assert.equal(await openPhoto(page, 'IMG_0104.jpg'), 'Sunday, March 3, 2019 at\u00a012:00\u00a0PM');
    assert.equal(await openPhoto(page, 'IMG_0101.jpg'), 'Friday, August 2, 2019 at\u00a05:45\u00a0PM');
    assert.equal(await page.$eval('.tile[data-name="scan_2.jpg"] img', (i) => i.alt), 'scan_2.jpg, 2019');
    assertQuiet(record);
    await context.close();
  });
});

describe('searching by date', () => {
  const wall = makeWall(photos);
  for (const [query, expected] of [
    ['June 2019', ['IMG_0103.jpg']],
    ['2015', ['IMG_0002.jpg', 'IMG_0001.jpg']],
    ['july', ['IMG_0102.jpg']],
    ['rome 2019', ['IMG_0101.jpg', 'IMG_0103.jpg', 'scan_1.jpg']],
  ]) {
    test(`"${query}" finds the photos of that date or with it in their path`, async () => {
      const { context, page } = await open(browser, `${wall.url}#q=${encodeURIComponent(query)}`, { viewport: tall });
      assert.deepEqual(await tileNames(page), expected);
      await context.close();
    });
  }
});
