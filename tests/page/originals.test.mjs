// Originals that follow their folder: a wall inside its photos' folder still shows the originals
// after the folder was renamed or moved; a wall copied away alone says it cannot find them and
// offers no link that leads nowhere.
import assert from 'node:assert/strict';
import { copyFileSync, cpSync, mkdirSync, mkdtempSync, renameSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open } from './harness.mjs';
import { civil, entry, makeWall } from './wall.mjs';

const sharedPhotos = fileURLToPath(new URL('../../../shared/photos', import.meta.url));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// A photos' folder with two real camera JPEGs (one with a raw file beside it) and its wall in
// the default place directly inside it.
function sourceWithWall() {
  const home = mkdtempSync(join(tmpdir(), 'kestova-originals-'));
  const source = join(home, 'Pictures 2008');
  mkdirSync(join(source, '2008', 'Trip'), { recursive: true });
  copyFileSync(join(sharedPhotos, 'cameras/Canon_40D.jpg'), join(source, '2008/Trip/IMG_1.jpg'));
  copyFileSync(join(sharedPhotos, 'cameras/Nikon_D70.jpg'), join(source, '2008/Trip/IMG_2.jpg'));
  copyFileSync(join(sharedPhotos, 'cameras/Nikon_D70.jpg'), join(source, '2008/Trip/IMG_2.NEF'));
  const entries = [
    entry('2008/Trip/IMG_1.jpg', civil(2008, 5, 30, 15, 56), 100, 68),
    entry('2008/Trip/IMG_2.jpg', civil(2008, 5, 29, 10, 0), 100, 66),
    entry('2008/Trip/IMG_2.NEF', civil(2008, 5, 29, 10, 0), 100, 66),
  ];
  const wallDir = join(source, '_Photo Gallery');
  makeWall(entries, { root: source, dir: wallDir });
  return { home, source };
}

const viewerLinks = (page) => page.evaluate(() => {
  const v = document.getElementById('viewer');
  const link = (a) => (a.hidden ? null : a.getAttribute('href'));
  return {
    original: link(v.querySelector('.original')),
    raw: link(v.querySelector('.raw')),
    full: v.querySelector('.full').getAttribute('src'),
    note: v.querySelector('.note').textContent,
    info: v.querySelector('#info .link').getAttribute('href'),
    infoText: v.querySelector('#info .link').textContent,
  };
});
const originalsState = (page) => page.waitForFunction(() => document.body.dataset.originals).then((h) => h.jsonValue());

describe('originals', () => {
  test('follow the folder when it is renamed and moved with its wall inside', async () => {
    const { home, source } = sourceWithWall();
    const moved = join(home, 'Backup drive', 'Fotos \u00e4lter');
    mkdirSync(join(home, 'Backup drive'));
    renameSync(source, moved);
    const { context, page, record } = await open(browser, `file://${encodeURI(moved)}/_Photo%20Gallery/index.html`);
    assert.equal(await originalsState(page), 'moved');
    assert.equal(await page.textContent('#source'), moved);
    await page.click('.tile[data-pos="1"]');
    await page.waitForSelector('#viewer .full.loaded');
    assert.equal(await page.$eval('#viewer .full', (i) => i.naturalWidth), 100);
    await page.keyboard.press('i');
    const shown = await viewerLinks(page);
    const address = `file://${encodeURI(moved)}/2008/Trip`;
    assert.deepEqual(shown, {
      original: `${address}/IMG_2.jpg`, raw: `${address}/IMG_2.NEF`, full: `${address}/IMG_2.jpg`, note: '',
      info: `${address}/IMG_2.jpg`, infoText: `${moved}/2008/Trip/IMG_2.jpg`,
    });
    assertQuiet(record);
    await context.close();
  });

  test('a wall copied away from its photos says so and links to nothing', async () => {
    const { home, source } = sourceWithWall();
    const copy = join(home, 'USB stick', 'Wall');
    cpSync(join(source, '_Photo Gallery'), copy, { recursive: true });
    renameSync(source, join(home, 'gone'));
    const { context, page, record } = await open(browser, `file://${encodeURI(copy)}/index.html`);
    assert.equal(await originalsState(page), 'missing');
    // The header still names where the photos were.
    assert.equal(await page.textContent('#source'), source);
    await page.click('.tile[data-pos="1"]');
    await page.keyboard.press('i');
    assert.deepEqual(await viewerLinks(page), {
      original: null, raw: null, full: null,
      note: 'The original photos cannot be found from here: their folder has moved, or its drive is not connected. Open this wall from inside that folder to see them in full.',
      info: null, infoText: 'Not found from here',
    });
    // The thumbnail stands in.
    assert.equal(await page.isVisible('#viewer .thumb'), true);
    // Tab goes round the controls that are left, none of them a dead link.
    const stops = [];
    for (let i = 0; i < 8; i++) {
      await page.keyboard.press('Tab');
      stops.push(await page.evaluate(() => document.activeElement.tagName));
    }
    assert.ok(!stops.includes('A'), stops.join(' '));
    assertQuiet(record);
    await context.close();
  });

  test('a wall written away from its photos (a read-only source) keeps the stored folder', async () => {
    const real = [entry('cameras/Canon_40D.jpg', civil(2008, 5, 30, 15, 56, 1), 100, 68)];
    const { context, page } = await open(browser, makeWall(real, { root: sharedPhotos }).url);
    assert.equal(await originalsState(page), 'stored');
    await page.click('.tile');
    await page.waitForSelector('#viewer .full.loaded');
    assert.equal((await viewerLinks(page)).original, `file://${sharedPhotos}/cameras/Canon_40D.jpg`);
    await context.close();
  });
});
