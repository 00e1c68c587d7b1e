// The map of places: the world drawn from the page's own outlines with no request to anywhere,
// the photos' positions as clusters where they belong, a cluster showing its photos on the wall
// (and the filter cleared again), zooming in to split a cluster, and a photo's spot in its info
// panel. The wall is written by the real kestova-cli from real JPEGs whose positions and dates
// exiv2 writes.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open } from './harness.mjs';

const cli = process.env.KESTOVA_CLI;
const photos = process.env.KESTOVA_SHARED_PHOTOS || fileURLToPath(new URL('../../../shared/photos', import.meta.url));

const rome = [41.8986, 12.4769], tivoli = [41.9632, 12.7961], paris = [48.8584, 2.2945], sydney = [-33.8568, 151.2153];
// Newest first, as the wall shows them.
const shots = [
  ['Roma 1.jpg', rome], ['Roma 2.jpg', rome], ['Roma 3.jpg', rome], ['Tivoli.jpg', tivoli],
  ['Paris 1.jpg', paris], ['Paris 2.jpg', paris], ['Sydney.jpg', sydney], ['Home 1.jpg', null], ['Home 2.jpg', null],
];

// Degrees as EXIF writes them: three rationals, and the side of the equator or meridian apart.
const rational = (v) => {
  const a = Math.abs(v), d = Math.floor(a), m = Math.floor((a - d) * 60), s = Math.round(((a - d) * 60 - m) * 60 * 100);
  return `${d}/1 ${m}/1 ${s}/100`;
};
function makeSource() {
  const home = mkdtempSync(join(tmpdir(), 'kestova-places-'));
  const source = join(home, 'Pictures');
  mkdirSync(join(source, '2023'), { recursive: true });
  shots.forEach(([name, at], i) => {
    const file = join(source, '2023', name);
    copyFileSync(join(photos, i % 2 ? 'cameras/Canon_40D.jpg' : 'cameras/Nikon_D70.jpg'), file);
    const set = [`set Exif.Photo.DateTimeOriginal 2023:06:${String(28 - i).padStart(2, '0')} 12:00:00`];
    if (at) {
      set.push(`set Exif.GPSInfo.GPSLatitudeRef ${at[0] < 0 ? 'S' : 'N'}`, `set Exif.GPSInfo.GPSLatitude ${rational(at[0])}`,
        `set Exif.GPSInfo.GPSLongitudeRef ${at[1] < 0 ? 'W' : 'E'}`, `set Exif.GPSInfo.GPSLongitude ${rational(at[1])}`);
    }
    execFileSync('exiv2', set.flatMap((m) => ['-M', m]).concat(file));
  });
  execFileSync(cli, ['build', source], {
    env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' },
    stdio: 'ignore',
  });
  const folder = `${pathToFileURL(join(source, '_Photo Gallery')).href}/`;
  return { source, folder, url: `${folder}index.html` };
}

let browser, wall;
before(async () => { browser = await launch(); wall = cli && makeSource(); });
after(async () => { await browser?.close(); });

// The dots on the map: count and the middle of each, on screen, largest first.
const dots = (page) => page.$$eval('#places .dot', (ds) => ds.map((d) => {
  const r = d.getBoundingClientRect();
  return { n: Number(d.dataset.count), x: r.left + r.width / 2, y: r.top + r.height / 2 };
}).sort((a, b) => b.n - a.n || a.x - b.x));
const mercator = (lat) => Math.log(Math.tan(Math.PI / 4 + lat * Math.PI / 360));
async function openPlaces(page) {
  await page.click('#places-open');
  await page.waitForSelector('#places[open][data-state="ready"]');
}
const count = (page, text) => page.waitForFunction((t) => document.body.dataset.state === 'ready'
  && document.getElementById('count').textContent === t, text);

describe('the map of places', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  test('clusters where the photos were taken; one shows its photos on the wall until the filter is cleared', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await page.waitForFunction(() => document.body.dataset.originals);
    const before = record.requests.length;
    await openPlaces(page);
    assert.equal(await page.textContent('#places .status'), '7 photos with a place');
    const [romeDot, parisDot, sydneyDot] = await dots(page);
    assert.deepEqual([romeDot.n, parisDot.n, sydneyDot.n], [4, 2, 1]);
    // East and west as the longitudes go, north and south as the web's maps stretch them.
    const perDegree = (sydneyDot.x - parisDot.x) / (sydney[1] - paris[1]);
    assert.ok(Math.abs((romeDot.x - parisDot.x) / perDegree - (12.56 - paris[1])) < 1.5, 'Rome east of Paris');
    const perUnit = (sydneyDot.y - parisDot.y) / (mercator(paris[0]) - mercator(sydney[0]));
    assert.ok(Math.abs((romeDot.y - parisDot.y) / perUnit - (mercator(paris[0]) - mercator(41.92))) < 0.03, 'Rome south of Paris');
    // Nothing was asked of anywhere but the wall's own folder (its details) meanwhile.
    assert.deepEqual(record.requests.slice(before).filter((u) => !u.startsWith(wall.folder)), []);

    await page.mouse.click(romeDot.x, romeDot.y);
    await count(page, '4 of 9 photos');
    assert.equal(await page.isVisible('#places'), false);
    assert.deepEqual(await page.$$eval('.tile', (ts) => ts.map((t) => t.dataset.name)), ['Roma 1.jpg', 'Roma 2.jpg', 'Roma 3.jpg', 'Tivoli.jpg']);
    assert.match(await page.textContent('#place-filter'), /^Near /);
    await page.click('#place-filter');
    await count(page, '9 photos');
    assert.equal(await page.isVisible('#place-filter'), false);

    // Zoomed in on Rome, Tivoli's photo has a dot of its own.
    await openPlaces(page);
    for (let i = 0; i < 6; i++) {
      const at = (await dots(page))[0];
      const zoom = await page.getAttribute('#places', 'data-zoom');
      await page.mouse.move(at.x, at.y);
      await page.mouse.wheel(0, -300);
      await page.waitForFunction((z) => document.getElementById('places').dataset.zoom !== z, zoom);
    }
    assert.deepEqual((await dots(page)).map((d) => d.n), [3, 1]);
    const three = (await dots(page)).find((d) => d.n === 3);
    await page.mouse.click(three.x, three.y);
    await count(page, '3 of 9 photos');
    assertQuiet(record);
    await context.close();
  });

  test('the info panel shows a photo\u2019s spot on a small map, and none for a photo without a place', async () => {
    const { context, page, record } = await open(browser, wall.url);
    for (const [name, shown] of [['Paris 1.jpg', true], ['Home 1.jpg', false]]) {
      await page.click(`.tile[data-name="${name}"]`);
      await page.waitForSelector('#viewer[open]');
      if (await page.isHidden('#info')) await page.keyboard.press('i');
      await page.waitForFunction((n) => document.querySelector('#info .name').textContent === n, name);
      await page.waitForFunction((s) => { const m = document.querySelector('#info .spot-map'); return s ? m && !m.hidden : !m || m.hidden; }, shown);
      if (shown) assert.match(await page.getAttribute('#info .spot-map', 'aria-label'), /48\.86°, 2\.29°/);
      await page.keyboard.press('Escape');
      await page.waitForFunction(() => !document.getElementById('viewer').open);
    }
    assertQuiet(record);
    await context.close();
  });
});
