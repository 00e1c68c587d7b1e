// The viewer's info panel and its slideshow.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { open, phone } from './harness.mjs';
import { civil, entry, insideSource, makeWall } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const entries = [
  entry('2023/Summer/IMG_1.jpg', civil(2023, 9, 27, 10, 45), 4032, 3024),
  entry('2023/Summer/IMG_20230702_0003.HEIC', civil(2023, 7, 2, 12), 3024, 4032),
  entry('2019/Rome/IMG_7.jpg', civil(2019, 6, 15, 12), 0, 0),
  entry('top.jpg', civil(2018, 1, 1, 9)),
];
const source = insideSource('Pictures');
const wall = makeWall(entries, source);
// The values the panel shows: rows with nothing known are hidden.
const info = (page) => page.$$eval('#info dd', (dds) => dds.filter((d) => !d.closest('.detail-row[hidden]')).map((d) => d.textContent));

describe('info panel', () => {
  test('i shows the name, folder, pixel size, date and where the date came from, and the original', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.click('.tile[data-pos="0"]');
    assert.equal(await page.isHidden('#info'), true);
    await page.keyboard.press('i');
    assert.equal(await page.isVisible('#info'), true);
    assert.equal(await page.getAttribute('#viewer .info-button', 'aria-expanded'), 'true');
    const [name, folder, size, date, origin, original] = await info(page);
    assert.deepEqual([name, folder, size, origin, original], ['IMG_1.jpg', '2023/Summer', '4,032 \u00d7 3,024 pixels (12.2 MP)',
      'The camera (saved in the photo)', `${source.root}/2023/Summer/IMG_1.jpg`]);
    assert.match(date, /^Wednesday, September 27, 2023 at/);
    assert.equal(await page.getAttribute('#info a', 'href'), `file://${source.root}/2023/Summer/IMG_1.jpg`);
    // The photo makes room for the panel.
    const stage = await page.locator('#viewer .stage').boundingBox();
    const panel = await page.locator('#info').boundingBox();
    assert.ok(stage.x + stage.width <= panel.x + 1);

    // The panel follows the photo.
    await page.keyboard.press('ArrowRight');
    let shown = await info(page);
    assert.equal(shown[2], '3,024 \u00d7 4,032 pixels (12.2 MP)');
    assert.equal(shown[3], 'Sunday, July 2, 2023');
    assert.equal(shown[4], 'The file name');
    await page.keyboard.press('ArrowRight');
    shown = await info(page);
    assert.deepEqual([shown[2], shown[3], shown[4]], ['Unknown', '2019', 'The folder name \u201c2019\u201d']);
    await page.keyboard.press('ArrowRight');
    assert.equal((await info(page))[1], 'Not in a subfolder');

    await page.keyboard.press('i');
    assert.equal(await page.isHidden('#info'), true);
    await context.close();
  });

  test('on a phone the panel rises from the bottom', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: phone });
    await page.click('.tile[data-pos="0"]');
    await page.click('#viewer .info-button');
    const panel = await page.locator('#info').boundingBox();
    assert.equal(Math.round(panel.x), 0);
    assert.equal(Math.round(panel.width), phone.width);
    assert.equal(Math.round(panel.y + panel.height), phone.height);
    await page.click('#info .info-close');
    assert.equal(await page.isHidden('#info'), true);
    await context.close();
  });
});

describe('slideshow', () => {
  test('space starts it, a photo every five seconds counted from each photo, any touch stops it, it ends at the last photo', async () => {
    const { context, page } = await open(browser, wall.url, { before: (p) => p.clock.install() });
    await page.clock.pauseAt(Date.now() + 1000);
    await page.click('.tile[data-pos="0"]');
    const position = () => page.$eval('#viewer .position', (p) => p.textContent);
    await page.keyboard.press(' ');
    assert.equal(await page.getAttribute('#viewer .play', 'aria-pressed'), 'true');
    assert.equal(await page.getAttribute('#viewer .play', 'aria-label'), 'Stop slideshow (space)');
    await page.clock.runFor(4999);
    assert.equal(await position(), '1 of 4');
    await page.clock.runFor(1);
    assert.equal(await position(), '2 of 4');
    await page.clock.runFor(5000);
    assert.equal(await position(), '3 of 4');
    // Asked for reduced motion: no fade between photos.
    assert.equal(await page.$eval('#viewer', (v) => v.classList.contains('fading')), false);
    // A click on the photo stops the show.
    const box = await page.locator('#viewer .stage').boundingBox();
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    assert.equal(await page.getAttribute('#viewer .play', 'aria-pressed'), 'false');
    await page.clock.runFor(20000);
    assert.equal(await position(), '3 of 4');
    // The button starts it again; after the last photo it stops by itself.
    await page.click('#viewer .play');
    await page.clock.runFor(5000);
    assert.equal(await position(), '4 of 4');
    await page.clock.runFor(5000);
    assert.equal(await page.getAttribute('#viewer .play', 'aria-pressed'), 'false');
    await context.close();
  });

  test('without reduced motion the photos fade into each other', async () => {
    const { context, page } = await open(browser, wall.url, { reducedMotion: 'no-preference' });
    await page.click('.tile[data-pos="0"]');
    await page.keyboard.press(' ');
    assert.equal(await page.$eval('#viewer', (v) => v.classList.contains('fading')), true);
    await page.keyboard.press('Escape');
    await context.close();
  });
});
