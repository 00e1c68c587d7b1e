// Tiles are not drawn larger than their thumbnails' pixels at the screen's pixel ratio where the
// photos allow it (thumbnails are at most 420 pixels on their long side).
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open, whenReady } from './harness.mjs';
import { civil, entry, makeWall } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// 4:3 camera photos (thumbnails 420 x 315) with a 2:1 panorama (420 x 210) every seventh photo.
const entries = Array.from({ length: 60 }, (_, i) => i % 7 === 3
  ? entry(`2024/Coast/PANO_${i}.jpg`, civil(2024, 5, 20, 12, 59 - i), 8000, 4000)
  : entry(`2024/Coast/IMG_${i}.jpg`, civil(2024, 5, 20, 12, 59 - i), 4032, 3024));
const wall = makeWall(entries);
const thumbHeight = (name) => (name.startsWith('PANO') ? 210 : 315);

// The tiles on screen: their names, drawn heights and the largest enlargement among them.
const tiles = (page) => page.$$eval('.tile', (ts) => ts.map((t) => {
  const b = t.getBoundingClientRect();
  return { name: t.dataset.name, width: b.width, height: b.height, ratio: devicePixelRatio };
}));
const enlargement = (t) => (t.ratio * t.height) / thumbHeight(t.name);

describe('sharp tiles', () => {
  test('at a pixel ratio of 1 no row is taller than a panorama\u2019s thumbnail', async () => {
    const { context, page, record } = await open(browser, wall.url, { viewport: { width: 1440, height: 2400 } });
    const shown = await tiles(page);
    assert.ok(shown.length >= 50);
    assert.deepEqual(shown.filter((t) => enlargement(t) > 1.005).map((t) => `${t.name} ${t.width}x${t.height}`), []);
    assertQuiet(record);
    await context.close();
  });

  test('at 2 rows are lower, and moving to a screen of another ratio lays the wall out again', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: { width: 1440, height: 2400 }, deviceScaleFactor: 2 });
    const shown = await tiles(page);
    assert.equal(shown[0].ratio, 2);
    const camera = shown.filter((t) => t.name.startsWith('IMG'));
    assert.deepEqual(camera.filter((t) => enlargement(t) > 1.005).map((t) => `${t.name} ${t.width}x${t.height}`), []);
    // A panorama's 210 pixels make 105 px, lower than rows go (60% of the 210 px target): it is
    // enlarged, but its row is no taller than a camera photo's allows.
    const panoramas = shown.filter((t) => t.name.startsWith('PANO'));
    assert.deepEqual(panoramas.filter((t) => t.height > 157 || t.height < 110).map((t) => `${t.name} ${t.width}x${t.height}`), []);
    // Same width, ratio 1: the rows go back to the target height of about 210 px. (Headless
    // Chromium changes the ratio without the events a real move to another screen brings, so
    // the test sends the resize.)
    const cdp = await context.newCDPSession(page);
    await page.evaluate(() => { document.body.dataset.state = 'changing'; });
    await cdp.send('Emulation.setDeviceMetricsOverride', { width: 1440, height: 2400, deviceScaleFactor: 1, mobile: false });
    await page.evaluate(() => dispatchEvent(new Event('resize')));
    await whenReady(page);
    const again = await tiles(page);
    assert.equal(again[0].ratio, 1);
    assert.ok(Math.max(...again.map((t) => t.height)) > Math.max(...shown.map((t) => t.height)) + 30);
    assert.deepEqual(again.filter((t) => enlargement(t) > 1.005).map((t) => t.name), []);
    assert.equal(await page.textContent('#count'), '60 photos');
    await context.close();
  });
});
