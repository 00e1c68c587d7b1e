// The wall's data in pieces: the page reads the index and its pieces, and never manifest.js
// when they are there; a wall of manifest.js alone opens as before; a broken or hostile index or
// piece shows what it can and runs nothing; a reload returns to the place in the wall.
import assert from 'node:assert/strict';
import { existsSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open, topHeading, whenReady } from './harness.mjs';
import { civil, entry, makeWall, synthetic, writeWallData } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const count = (page) => page.textContent('#count');
const requested = (record, name) => record.requests.filter((u) => u.endsWith(name));
const fmt = new Intl.NumberFormat('en-US');

describe('a wall in pieces', () => {
  const entries = synthetic(12000);
  const wall = makeWall(entries, { perPiece: 2500 });

  test('opens from its index and pieces without asking for manifest.js, all of it', async () => {
    const { context, page, record } = await open(browser, wall.url);
    assert.equal(await count(page), `${fmt.format(entries.length)} photos`);
    assert.deepEqual(requested(record, 'manifest.js'), []);
    assert.equal(record.requests.filter((u) => /\/data\/[0-9a-f]{16}-\d+\.js$/.test(u)).length, 5);
    // The oldest photos, from the last piece, are on the wall.
    await page.focus('#scrubber');
    await page.keyboard.press('End');
    await page.waitForFunction(() => document.getElementById('scrubber').getAttribute('aria-valuetext') === 'No date');
    // The search sees every piece.
    await page.fill('#search', entries.at(-1)[1].split('/').pop());
    await page.waitForFunction(() => / of /.test(document.getElementById('count').textContent));
    assert.match(await count(page), /^1 of /);
    assertQuiet(record);
    await context.close();
  });

  test('a reload returns to the place in the wall', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.mouse.move(400, 400);
    for (let i = 0; i < 12; i++) await page.mouse.wheel(0, 3000);
    await page.waitForFunction(() => history.state && history.state.place);
    const place = await page.evaluate(() => history.state.place.key);
    const heading = await topHeading(page);
    await page.reload();
    await whenReady(page);
    assert.equal(await page.evaluate(() => history.state.place.key), place);
    assert.equal(await topHeading(page), heading);
    await context.close();
  });

  test('keeps working when an update replaces its pieces, and shows the new wall after a reload', async () => {
    const dir = makeWall(entries.slice(0, 6000), { perPiece: 2500 }).dir;
    const url = `file://${dir}/index.html`;
    const { context, page, record } = await open(browser, url);
    const old = JSON.parse(readFileSync(join(dir, 'wall.js'), 'utf8').slice('window.KESTOVA_WALL='.length, -1));
    writeWallData(dir, 'Test wall', '/home/ana/Pictures', entries, { perPiece: 2500, generation: '00000000000000b2' });
    for (const piece of old.pieces) rmSync(join(dir, piece.file));
    await page.fill('#search', 'Trip 3');
    await page.waitForFunction(() => / of 6,000 photos$/.test(document.getElementById('count').textContent));
    await page.click('.tile[data-pos="0"]');
    await page.waitForSelector('#viewer:not([hidden])');
    await page.keyboard.press('Escape');
    await page.fill('#search', '');
    await page.waitForFunction(() => location.hash === '');
    await page.reload();
    await whenReady(page);
    assert.equal(await count(page), `${fmt.format(entries.length)} photos`);
    assertQuiet(record);
    await context.close();
  });
});

test('a wall with only manifest.js opens as before', async () => {
  const entries = synthetic(300);
  const wall = makeWall(entries, { pieces: false });
  const { context, page, record } = await open(browser, wall.url);
  assert.equal(await count(page), '300 photos');
  assert.equal(requested(record, 'manifest.js').length, 1);
  assertQuiet(record);
  await context.close();
});

// Each case changes a good wall of three pieces of 100 and says what the page then shows.
describe('a broken or hostile index or piece', () => {
  const attack = '<img src=x onerror="window.pwned=1">';
  const entries = Array.from({ length: 300 }, (_, i) => entry(i === 5 ? `2023/${attack}.jpg` : `2023/${String(i).padStart(3, '0')}.jpg`, civil(2023, 12, 1) - i * 3600));
  const indexOf = (dir) => JSON.parse(readFileSync(join(dir, 'wall.js'), 'utf8').slice('window.KESTOVA_WALL='.length, -1));
  const writeIndex = (dir, index) => writeFileSync(join(dir, 'wall.js'), `window.KESTOVA_WALL=${JSON.stringify(index)};`);
  const pieceFile = (dir, n) => join(dir, indexOf(dir).pieces[n].file);
  const cases = [
    { name: 'a piece is missing', change: (dir) => rmSync(pieceFile(dir, 1)), photos: '200 photos', problem: true },
    { name: 'a piece is not a piece', change: (dir) => writeFileSync(pieceFile(dir, 1), "kestovaPiece('{not json');"), photos: '200 photos', problem: true },
    { name: 'a piece of another generation', change: (dir) => writeFileSync(pieceFile(dir, 2), readFileSync(pieceFile(dir, 2), 'utf8').replace(/00000000000000a1/g, '00000000000000ff')), photos: '200 photos', problem: true },
    { name: 'a piece named outside the wall\u2019s data', change: (dir) => { const i = indexOf(dir); i.pieces[2].file = '../evil.js'; writeIndex(dir, i); writeFileSync(join(dir, '..', 'evil.js'), 'window.pwned = 2;'); }, photos: '200 photos', problem: true, never: 'evil.js' },
    { name: 'counts larger than the pieces hold', change: (dir) => { const i = indexOf(dir); i.pieces[0].photos = 250; i.photos = 450; writeIndex(dir, i); }, photos: '300 photos' },
    { name: 'counts smaller than the pieces hold', change: (dir) => { const i = indexOf(dir); i.pieces[0].photos = 10; writeIndex(dir, i); }, photos: '210 photos' },
    { name: 'counts that are not counts', change: (dir) => { const i = indexOf(dir); i.pieces[1].photos = -5; i.pieces[2].photos = 'many'; i.photos = 1e12; writeIndex(dir, i); }, photos: '100 photos', problem: true },
    { name: 'pieces out of order', change: (dir) => { const a = readFileSync(pieceFile(dir, 0), 'utf8'), c = readFileSync(pieceFile(dir, 2), 'utf8'); writeFileSync(pieceFile(dir, 0), c.replace('"piece":2', '"piece":0')); writeFileSync(pieceFile(dir, 2), a.replace('"piece":0', '"piece":2')); }, photos: '300 photos', first: '000.jpg' },
    { name: 'an index of an unknown version', change: (dir) => { const i = indexOf(dir); i.version = 99; writeIndex(dir, i); }, photos: '300 photos', manifest: true },
    { name: 'an index that is not one', change: (dir) => writeFileSync(join(dir, 'wall.js'), 'window.KESTOVA_WALL=[1,2];'), photos: '300 photos', manifest: true },
  ];
  for (const c of cases) {
    test(c.name, async () => {
      const wall = makeWall(entries, { perPiece: 100, title: attack });
      c.change(wall.dir);
      const { context, page, record } = await open(browser, wall.url);
      assert.equal(await count(page), c.photos);
      assert.equal(requested(record, 'manifest.js').length, c.manifest ? 1 : 0);
      assert.equal(await page.isVisible('#unfinished'), Boolean(c.problem));
      if (c.first) assert.equal(await page.getAttribute('.tile[data-pos="0"]', 'data-name'), c.first);
      if (c.never) assert.deepEqual(requested(record, c.never), []);
      assert.equal(await page.textContent('#title'), attack);
      assert.equal(await page.evaluate(() => window.pwned), undefined);
      assertQuiet(record);
      await context.close();
    });
  }
});

test('the wall the program writes opens from its pieces', { skip: !process.env.KESTOVA_CLI || !existsSync(process.env.KESTOVA_CLI ?? '') }, async () => {
  const { execFileSync } = await import('node:child_process');
  const { mkdtempSync, cpSync } = await import('node:fs');
  const { tmpdir } = await import('node:os');
  const source = mkdtempSync(join(tmpdir(), 'kestova-pieces-'));
  cpSync(join(process.env.KESTOVA_SHARED_PHOTOS, 'orientation'), join(source, 'orientation'), { recursive: true });
  const out = join(source, '_Photo Gallery');
  execFileSync(process.env.KESTOVA_CLI, ['build', source, '--out', out], { env: { ...process.env, XDG_CONFIG_HOME: join(source, '.config') } });
  const { context, page, record } = await open(browser, `file://${out}/index.html`);
  assert.match(await count(page), /^\d+ photos$/);
  assert.deepEqual(requested(record, 'manifest.js'), []);
  assert.ok(requested(record, 'wall.js').length === 1);
  assertQuiet(record);
  await context.close();
});
