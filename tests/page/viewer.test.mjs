// The viewer: opening, stepping and closing by keyboard, mouse and swipe; the address of the
// original; the fragment that makes reload and Back work.
import assert from 'node:assert/strict';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open, whenReady } from './harness.mjs';
import { civil, entry, insideSource, makeWall } from './wall.mjs';

const sharedPhotos = fileURLToPath(new URL('../../../shared/photos', import.meta.url));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// The wall lies inside its photos' folder, which lacks the photos themselves.
const source = insideSource('Bilder 2023/Ünï');
const entries = [
  entry('2023/Summer/IMG 0001 #1.jpg', civil(2023, 7, 4, 10, 0)),
  // A file name that was not UTF-8: byte 0xE9 arrives as the lone surrogate U+DCE9.
  entry('2023/Summer/caf\udce9.jpg', civil(2023, 7, 3, 9, 15)),
  // Dated by its file name: a day without a time of day.
  entry('2023/Summer/IMG_20230702_0003.HEIC', civil(2023, 7, 2, 12)),
  entry('2023/Summer/100%20.png', civil(2023, 7, 1, 8)),
  ...[5, 6, 7, 8, 9, 10].map((i) => entry(`2023/June/IMG_${i}.jpg`, civil(2023, 6, 30 - i, 12))),
];
const wall = makeWall(entries, source);
const encodedRoot = `file://${source.root.replace('Bilder 2023/Ünï', 'Bilder%202023/%C3%9Cn%C3%AF')}`;

const state = (page) => page.evaluate(() => {
  const v = document.getElementById('viewer');
  return {
    open: v.open,
    when: v.querySelector('.when').textContent,
    path: v.querySelector('.path').textContent,
    position: v.querySelector('.position').textContent,
    original: v.querySelector('.original').getAttribute('href'),
    full: v.querySelector('.full').getAttribute('src'),
    thumb: v.querySelector('.thumb').getAttribute('src'),
    note: v.querySelector('.note').textContent,
    hash: location.hash,
  };
});
const thumb = (e) => `thumbs/${e[0].slice(0, 2)}/${e[0]}.jpg`;

describe('viewer', () => {
  test('Enter opens, arrows step, Escape closes and gives focus back', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await page.focus('.tile[data-pos="0"]');
    await page.keyboard.press('Enter');
    // This original is not there: the viewer says so and keeps the preview.
    await page.waitForFunction(() => document.querySelector('#viewer .note').textContent !== '');
    assert.equal(await page.isHidden('#viewer .full'), true);
    assert.equal(await page.isVisible('#viewer .thumb'), true);
    const historyLength = await page.evaluate(() => history.length);
    assert.deepEqual(await state(page), {
      open: true,
      when: 'Tuesday, July 4, 2023 at\u00a010:00\u00a0AM',
      path: '2023/Summer/IMG 0001 #1.jpg',
      position: '1 of 10',
      original: `${encodedRoot}/2023/Summer/IMG%200001%20%231.jpg`,
      full: `${encodedRoot}/2023/Summer/IMG%200001%20%231.jpg`,
      thumb: thumb(entries[0]),
      note: 'The original file could not be opened here; it may have moved or its drive may be offline.',
      hash: `#photo=${entries[0][0]}`,
    });
    assert.equal(await page.isDisabled('#viewer .prev'), true);

    await page.keyboard.press('ArrowRight');
    const second = await state(page);
    assert.equal(second.path, '2023/Summer/caf\ufffd.jpg');
    assert.equal(second.original, `${encodedRoot}/2023/Summer/caf%E9.jpg`);
    assert.equal(second.position, '2 of 10');
    assert.equal(second.hash, `#photo=${entries[1][0]}`);

    await page.keyboard.press('ArrowRight');
    const heic = await state(page);
    assert.equal(heic.full, null);
    assert.equal(heic.thumb, thumb(entries[2]));
    assert.equal(heic.original, `${encodedRoot}/2023/Summer/IMG_20230702_0003.HEIC`);
    assert.equal(heic.note, 'This browser cannot show this kind of file; this is its preview.');
    assert.equal(heic.when, 'Sunday, July 2, 2023 date from file name');

    await page.keyboard.press('ArrowRight');
    assert.equal((await state(page)).original, `${encodedRoot}/2023/Summer/100%2520.png`);
    // Stepping replaces the history entry rather than adding one per photo.
    assert.equal(await page.evaluate(() => history.length), historyLength);

    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    assert.equal((await state(page)).position, '1 of 10');

    await page.keyboard.press('Escape');
    const closed = await state(page);
    assert.equal(closed.open, false);
    assert.equal(closed.hash, '');
    assert.equal(await page.evaluate(() => document.activeElement.dataset.pos), '0');
    // The neighbours were fetched ahead; everything stayed on this computer.
    assert.ok(record.requests.some((u) => u.endsWith(`/${entries[4][0]}.jpg`)));
    assertQuiet(record);
    await context.close();
  });

  test('Back closes the viewer, Forward opens it again, reload keeps it open', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.click('.tile[data-pos="5"]');
    assert.equal((await state(page)).position, '6 of 10');
    await page.goBack();
    await page.waitForFunction(() => !document.getElementById('viewer').open);
    assert.equal((await state(page)).hash, '');
    await page.goForward();
    await page.waitForFunction(() => document.getElementById('viewer').open);
    assert.equal((await state(page)).position, '6 of 10');
    await page.reload();
    await whenReady(page);
    const after = await state(page);
    assert.equal(after.open, true);
    assert.equal(after.position, '6 of 10');
    assert.equal(after.hash, `#photo=${entries[5][0]}`);
    // Closing a viewer that the page did not open itself stays on the page.
    await page.click('#viewer .close');
    assert.equal((await state(page)).open, false);
    assert.equal(page.url(), wall.url);
    await context.close();
  });

  test('buttons and swipes step; the last photo has no next', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.click('.tile[data-pos="7"]');
    await page.click('#viewer .next');
    assert.equal((await state(page)).position, '9 of 10');
    const box = await page.locator('#viewer .stage').boundingBox();
    const y = box.y + box.height / 2;
    await page.mouse.move(box.x + box.width * 0.7, y);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width * 0.3, y, { steps: 4 });
    await page.mouse.up();
    assert.equal((await state(page)).position, '10 of 10');
    assert.equal(await page.isDisabled('#viewer .next'), true);
    await page.keyboard.press('ArrowRight');
    assert.equal((await state(page)).position, '10 of 10');
    await page.mouse.move(box.x + box.width * 0.3, y);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width * 0.7, y, { steps: 4 });
    await page.mouse.up();
    assert.equal((await state(page)).position, '9 of 10');
    await context.close();
  });

  test('shows the original photo where the browser can, from its folder on disk', async () => {
    const real = [entry('cameras/Canon_40D.jpg', civil(2008, 5, 30, 15, 56, 1), 100, 68)];
    const { context, page, record } = await open(browser, makeWall(real, { root: sharedPhotos }).url);
    await page.click('.tile');
    await page.waitForSelector('#viewer .full.loaded');
    assert.equal(await page.$eval('#viewer .full', (i) => i.naturalWidth), 100);
    assert.equal((await state(page)).original, `file://${sharedPhotos}/cameras/Canon_40D.jpg`);
    assertQuiet(record);
    await context.close();
  });

  // A link names a photo by its key: one the wall does not hold, or holds but the link's own
  // filter leaves out, says so in the page's language; one in a piece still to arrive opens then.
  const links = [
    ['an unknown photo', 'en-US', '#photo=0123456789abcdef', 'The photo this link leads to is not on this wall.'],
    ['an unknown photo', 'de-DE', '#photo=0123456789abcdef', 'Das Foto, zu dem dieser Link f\u00fchrt, ist nicht auf dieser Wand.'],
    ['a photo the filter leaves out', 'en-US', `#folder=2023%2FJune&photo=${entries[0][0]}`, 'The photo this link leads to is not among the photos shown.'],
    ['a photo in the last piece', 'en-US', `#photo=${entries[9][0]}`, null],
  ];
  for (const [what, locale, hash, note] of links) {
    test(`a link to ${what} (${locale})`, async () => {
      const pieces = makeWall(entries, { ...source, dir: undefined, perPiece: 3 });
      const { context, page, record } = await open(browser, pieces.url + hash, { locale });
      if (note) {
        await page.waitForSelector('#link-note:not([hidden])');
        assert.equal(await page.textContent('#link-note'), note);
        assert.equal((await state(page)).open, false);
      } else {
        await page.waitForFunction(() => document.getElementById('viewer').open);
        assert.equal((await state(page)).position, '10 of 10');
        assert.equal(await page.isHidden('#link-note'), true);
      }
      assertQuiet(record);
      await context.close();
    });
  }
});
