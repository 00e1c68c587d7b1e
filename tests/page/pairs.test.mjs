// A raw file and a JPEG of the same name in the same folder are one photo: one tile, the JPEG,
// with the raw file offered in the viewer and the count saying so.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, headings, open, tileNames } from './harness.mjs';
import { civil, entry, insideSource, makeWall } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const entries = [
  entry('2024/Alps/IMG_1.JPG', civil(2024, 8, 3, 9, 30)),
  entry('2024/Alps/IMG_1.CR2', civil(2024, 8, 3, 9, 30)),
  // Case differs between the two names: still one photo taken twice.
  entry('2024/Alps/dsc_2.NEF', civil(2024, 8, 3, 9, 20)),
  entry('2024/Alps/DSC_2.jpeg', civil(2024, 8, 3, 9, 20)),
  // Same name, other folder: two photos.
  entry('2024/Alps/IMG_3.jpg', civil(2024, 8, 2, 18)),
  entry('2024/Alps/raw/IMG_3.CR2', civil(2024, 8, 2, 18)),
  // A raw file alone, and a raw file beside a PNG of its name: shown as they are.
  entry('2024/Alps/IMG_4.ARW', civil(2024, 8, 1, 7)),
  entry('2024/Alps/IMG_5.DNG', civil(2024, 7, 30, 7)),
  entry('2024/Alps/IMG_5.png', civil(2024, 7, 30, 7)),
];
const tall = { width: 1280, height: 2000 };

describe('raw and JPEG pairs', () => {
  const source = insideSource('Pictures');
  const wall = makeWall(entries, source);

  test('one tile for each pair, the JPEG; the count and the folder menu count photos once', async () => {
    const { context, page, record } = await open(browser, wall.url, { viewport: tall });
    assert.deepEqual(await tileNames(page), ['IMG_1.JPG', 'DSC_2.jpeg', 'IMG_3.jpg', 'IMG_3.CR2', 'IMG_4.ARW', 'IMG_5.DNG', 'IMG_5.png']);
    assert.equal(await page.textContent('#count'), '7 photos (2 raw and JPEG pairs shown once)');
    assert.deepEqual(await headings(page), ['August 2024|5 photos', 'July 2024|2 photos']);
    const options = await page.$$eval('#folder option', (os) => os.map((o) => o.textContent));
    assert.deepEqual(options, ['All folders (7)', '2024 (7)', '2024 \u203a Alps (7)', '2024 \u203a Alps \u203a raw (1)']);
    // The raw file's name finds its JPEG.
    await page.fill('#search', 'cr2');
    await page.waitForFunction(() => document.getElementById('count').textContent.startsWith('2 of'));
    assert.deepEqual(await tileNames(page), ['IMG_1.JPG', 'IMG_3.CR2']);
    assertQuiet(record);
    await context.close();
  });

  test('the viewer offers the raw file of a pair, and nothing for a photo alone', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: tall });
    await page.click('.tile[data-name="IMG_1.JPG"]');
    const raw = () => page.$eval('#viewer .raw', (a) => ({ hidden: a.hidden, text: a.textContent, href: a.getAttribute('href') }));
    assert.deepEqual(await raw(), { hidden: false, text: 'Raw file (CR2)', href: `file://${source.root}/2024/Alps/IMG_1.CR2` });
    await page.keyboard.press('ArrowRight');
    assert.deepEqual(await raw(), { hidden: false, text: 'Raw file (NEF)', href: `file://${source.root}/2024/Alps/dsc_2.NEF` });
    await page.keyboard.press('ArrowRight');
    assert.equal((await raw()).hidden, true);
    await context.close();
  });
});
