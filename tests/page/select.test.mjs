// Choosing photos on the wall and taking them along: checks on tiles and month headings, shift
// for a range, the keyboard, Escape; downloading the originals, copying their paths, and the
// viewer's download. The wall is written by the real kestova-cli from real JPEGs whose dates
// exiv2 sets, in a photos' folder on disk, with the wall in its default place inside it.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { once } from 'node:events';
import { copyFileSync, mkdirSync, mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open, touchPhone } from './harness.mjs';

const cli = process.env.KESTOVA_CLI;
const photos = process.env.KESTOVA_SHARED_PHOTOS || fileURLToPath(new URL('../../../shared/photos', import.meta.url));

// Five photos of May 2019 and three of March 2019, newest first as the wall shows them.
const may = [31, 25, 20, 12, 3].map((d) => ({ rel: `2019/May/IMG_05${String(d).padStart(2, '0')}.jpg`, when: `2019:05:${String(d).padStart(2, '0')} 12:00:00` }));
const march = [28, 14, 2].map((d) => ({ rel: `2019/March/IMG_03${String(d).padStart(2, '0')}.jpg`, when: `2019:03:${String(d).padStart(2, '0')} 12:00:00` }));
const shots = [...may, ...march];

function makeSource() {
  const home = mkdtempSync(join(tmpdir(), 'kestova-select-'));
  const source = join(home, 'Pictures');
  shots.forEach(({ rel, when }, i) => {
    const file = join(source, rel);
    mkdirSync(join(file, '..'), { recursive: true });
    copyFileSync(join(photos, i % 2 ? 'cameras/Canon_40D.jpg' : 'cameras/Nikon_D70.jpg'), file);
    execFileSync('exiv2', ['-M', `set Exif.Photo.DateTimeOriginal ${when}`, file]);
  });
  execFileSync(cli, ['build', source], {
    env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' },
    stdio: 'ignore',
  });
  return { source, url: `file://${source}/_Photo%20Gallery/index.html` };
}

// python3 -m http.server on a free port of 127.0.0.1; resolves once it says which.
async function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', folder, '0'], { stdio: ['ignore', 'pipe', 'ignore'] });
  let said = '';
  const port = await new Promise((resolve, reject) => {
    server.stdout.on('data', (d) => {
      said += d;
      const m = said.match(/port (\d+)/);
      if (m) resolve(m[1]);
    });
    server.on('exit', (code) => reject(new Error(`http.server ended (${code})`)));
  });
  server.stdout.resume();
  return { origin: `http://127.0.0.1:${port}`, stop: async () => { if (server.exitCode === null) { server.kill(); await once(server, 'exit'); } } };
}

let browser, wall;
before(async () => { browser = await launch(); wall = cli && makeSource(); });
after(async () => { await browser?.close(); });

const chosen = (page) => page.$$eval('.tile.chosen', (ts) => ts.map((t) => t.dataset.name));
const barCount = (page) => page.evaluate(() => (document.getElementById('selection').hidden ? null : document.querySelector('#selection .count').textContent));
const names = (list) => list.map((s) => s.rel.slice(s.rel.lastIndexOf('/') + 1));
const tile = (name) => `.tile[data-name="${name}"]`;
// A click on a tile's check, in its top right corner.
async function clickCheck(page, name, modifiers) {
  const box = await page.locator(tile(name)).boundingBox();
  await page.mouse.move(box.x + box.width - 15, box.y + 15);
  if (modifiers) await page.keyboard.down('Shift');
  await page.mouse.click(box.x + box.width - 15, box.y + 15);
  if (modifiers) await page.keyboard.up('Shift');
}

describe('choosing photos', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  test('checks, shift for a range, a month at once, Escape; the count follows', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await page.waitForFunction(() => document.body.dataset.originals === 'stored');
    const steps = [
      // [what is done, chosen tiles after it, the bar's count]
      ['check the second', async () => clickCheck(page, 'IMG_0525.jpg'), ['IMG_0525.jpg'], '1 chosen'],
      // While choosing, a click anywhere on a tile chooses rather than opens; shift chooses from
      // the photo clicked last.
      ['click the fourth', async () => page.click(tile('IMG_0512.jpg')), ['IMG_0525.jpg', 'IMG_0512.jpg'], '2 chosen'],
      ['shift-click into March', async () => page.click(tile('IMG_0328.jpg'), { modifiers: ['Shift'] }),
        ['IMG_0525.jpg', 'IMG_0512.jpg', 'IMG_0503.jpg', 'IMG_0328.jpg'], '4 chosen'],
      ['the check on March', async () => page.click('.month:has(h2:text("March 2019")) .section-check'),
        ['IMG_0525.jpg', 'IMG_0512.jpg', 'IMG_0503.jpg', ...names(march)], '6 chosen'],
      ['the check on March again', async () => page.click('.month:has(h2:text("March 2019")) .section-check'),
        ['IMG_0525.jpg', 'IMG_0512.jpg', 'IMG_0503.jpg'], '3 chosen'],
      ['the check on May', async () => page.click('.month:has(h2:text("May 2019")) .section-check'), names(may), '5 chosen'],
      ['Escape', async () => page.keyboard.press('Escape'), [], null],
    ];
    for (const [what, act, tiles, count] of steps) {
      await act();
      assert.deepEqual(await chosen(page), tiles, what);
      assert.equal(await barCount(page), count, what);
    }
    assert.equal(await page.$eval('.month:has(h2:text("May 2019")) .section-check', (c) => c.getAttribute('aria-pressed')), 'false');
    // Nothing chosen: a click opens the photo again.
    await page.click(tile('IMG_0520.jpg'));
    await page.waitForSelector('#viewer[open]');
    assertQuiet(record);
    await context.close();
  });

  test('the keyboard: Space chooses the focused photo, shift and arrows choose on the way; the choice outlives a new layout', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await page.focus(tile('IMG_0531.jpg'));
    await page.keyboard.press('Space');
    assert.deepEqual(await chosen(page), ['IMG_0531.jpg']);
    assert.equal(await page.evaluate(() => document.getElementById('viewer').open), false);
    await page.keyboard.press('Shift+ArrowRight');
    await page.keyboard.press('Shift+ArrowRight');
    assert.deepEqual(await chosen(page), ['IMG_0531.jpg', 'IMG_0525.jpg', 'IMG_0520.jpg']);
    assert.equal(await page.evaluate(() => document.activeElement.dataset.name), 'IMG_0520.jpg');
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('Space');
    assert.equal(await barCount(page), '4 chosen');
    // A new width lays every row out anew; the same photos stay chosen.
    await page.setViewportSize({ width: 700, height: 800 });
    await page.waitForFunction(() => document.body.dataset.state === 'ready' && document.querySelectorAll('.tile').length === 8);
    // (Should this ever differ, the message shows each tile as position:name, chosen ones starred.)
    const tiles = await page.$$eval('.tile', (ts) => ts.map((t) => `${t.dataset.pos}:${t.dataset.name}${t.classList.contains('chosen') ? '*' : ''}`).join(' '));
    assert.deepEqual(await chosen(page), ['IMG_0531.jpg', 'IMG_0525.jpg', 'IMG_0520.jpg', 'IMG_0512.jpg'], tiles);
    assertQuiet(record);
    await context.close();
  });

  test('a long press on a touch screen chooses without opening the photo', async () => {
    const { context, page, record } = await open(browser, wall.url, touchPhone);
    const box = await page.locator(tile('IMG_0520.jpg')).boundingBox();
    const cdp = await context.newCDPSession(page);
    const point = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point] });
    await page.waitForFunction(() => document.body.dataset.chosen === '1');
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    assert.deepEqual(await chosen(page), ['IMG_0520.jpg']);
    assert.equal(await page.evaluate(() => document.getElementById('viewer').open), false);
    // Then a tap chooses another.
    await page.tap(tile('IMG_0531.jpg'));
    assert.deepEqual(await chosen(page), ['IMG_0531.jpg', 'IMG_0520.jpg']);
    assertQuiet(record);
    await context.close();
  });
});

describe('taking the chosen photos along', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  test('copy paths puts each original\u2019s absolute path on the clipboard, one a line', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    await page.waitForFunction(() => document.body.dataset.originals === 'stored');
    await clickCheck(page, 'IMG_0531.jpg');
    await page.click(tile('IMG_0328.jpg'));
    await page.click('#selection .copy');
    await page.waitForFunction(() => /Copied/.test(document.querySelector('#selection .note').textContent));
    const text = await page.evaluate(() => navigator.clipboard.readText());
    assert.equal(text, `${wall.source}/2019/May/IMG_0531.jpg\n${wall.source}/2019/March/IMG_0328.jpg\n`);
    assert.equal(await page.textContent('#selection .note'), 'Copied the paths of 2 originals, one a line.');
    assertQuiet(record);
    await context.close();
  });

  test('from disk the bar offers no download: Chromium would open the photo in place of the wall', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await page.waitForFunction(() => document.body.dataset.originals === 'stored');
    await clickCheck(page, 'IMG_0531.jpg');
    assert.deepEqual(await page.$$eval('#selection button', (bs) => bs.filter((b) => !b.hidden).map((b) => b.textContent)), ['\u00d7', 'Copy paths']);
    await page.keyboard.press('Escape');
    await page.click(tile('IMG_0512.jpg'));
    await page.waitForSelector('#viewer[open]');
    assert.equal(await page.isVisible('#viewer .download'), false);
    assert.equal(await page.isVisible('#viewer .original'), true);
    assertQuiet(record);
    await context.close();
  });

  test('over the web, download saves each chosen original under its name; the viewer downloads the photo it shows', async () => {
    const server = await serve(wall.source);
    try {
      const { context, page, record } = await open(browser, `${server.origin}/_Photo%20Gallery/index.html`);
      await page.waitForFunction(() => document.body.dataset.originals === 'moved');
      const saved = [];
      let allThree;
      const three = new Promise((resolve) => { allThree = resolve; });
      page.on('download', (d) => { saved.push(d); if (saved.length === 3) allThree(); });
      await clickCheck(page, 'IMG_0531.jpg');
      await page.click(tile('IMG_0525.jpg'));
      await page.click(tile('IMG_0302.jpg'));
      await page.click('#selection .download');
      await three;
      assert.equal(await page.textContent('#selection .note'), 'Downloading 3 originals; the browser may ask once whether this page may download several files.');
      // (Chromium starts them side by side, in any order.)
      assert.deepEqual(saved.map((d) => [d.suggestedFilename(), d.url()]).sort(),
        [['IMG_0302.jpg', 'March/IMG_0302.jpg'], ['IMG_0525.jpg', 'May/IMG_0525.jpg'], ['IMG_0531.jpg', 'May/IMG_0531.jpg']]
          .map(([name, rel]) => [name, `${server.origin}/2019/${rel}`]));
      await page.keyboard.press('Escape');
      await page.click(tile('IMG_0512.jpg'));
      await page.waitForSelector('#viewer[open]');
      const one = page.waitForEvent('download');
      await page.click('#viewer .download');
      assert.equal((await one).suggestedFilename(), 'IMG_0512.jpg');
      assert.equal(await page.evaluate(() => document.getElementById('viewer').open), true);
      assertQuiet(record, server.origin);
      await context.close();
    } finally {
      await server.stop();
    }
  });
});
