// A portable wall copied away from its photos: the viewer shows each photo's screen-size copy
// from the wall, sharp, and says that the full original is elsewhere. The wall is written by the
// real kestova-cli from real camera files.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync, cpSync, mkdirSync, mkdtempSync, renameSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open } from './harness.mjs';

const cli = process.env.KESTOVA_CLI;
const photos = process.env.KESTOVA_SHARED_PHOTOS || fileURLToPath(new URL('../../../shared/photos', import.meta.url));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// The photos' folder, its portable wall in the default place inside it, and that wall copied to
// a stick while the photos' folder is gone.
function copiedPortableWall() {
  const home = mkdtempSync(join(tmpdir(), 'kestova-portable-'));
  const source = join(home, 'Photos');
  mkdirSync(join(source, '2015'), { recursive: true });
  copyFileSync(join(photos, 'cameras/iphone_hdr_NO.jpg'), join(source, '2015/phone.jpg'));
  copyFileSync(join(photos, 'orientation/Portrait_6.jpg'), join(source, '2015/portrait.jpg'));
  // A large HEIC, made from a real photo: the shared one is smaller than a preview.
  execFileSync('vips', ['copy', join(photos, 'cameras/iphone_hdr_NO.jpg'), `${join(source, '2015/phone.heic')}[Q=60]`]);
  execFileSync(cli, ['build', source, '--portable'], {
    env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' },
    stdio: 'ignore',
  });
  const copy = join(home, 'USB stick', 'Wall');
  cpSync(join(source, '_Photo Gallery'), copy, { recursive: true });
  renameSync(source, join(home, 'gone'));
  return copy;
}

const viewerState = (page) => page.evaluate(() => {
  const v = document.getElementById('viewer');
  const full = v.querySelector('.full');
  return {
    full: full.getAttribute('src'),
    width: full.naturalWidth,
    height: full.naturalHeight,
    note: v.querySelector('.note').textContent,
    info: v.querySelector('#info .link').textContent,
    original: !v.querySelector('.original').hidden,
  };
});

describe('a portable wall copied away from its photos', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  const cases = [
    { locale: 'en-US', name: 'phone.jpg', width: 1600, height: 1200,
      note: 'A screen-size copy kept in the wall; the full original is elsewhere.',
      info: 'Elsewhere: the wall holds a screen-size copy' },
    { locale: 'de-DE', name: 'portrait.jpg', width: 1067, height: 1600,
      note: 'Eine Kopie in Bildschirmgr\u00f6\u00dfe aus der Wand; das Original in voller Gr\u00f6\u00dfe liegt woanders.',
      info: 'Woanders: die Wand enth\u00e4lt eine Kopie in Bildschirmgr\u00f6\u00dfe' },
  ];
  let wall;
  before(() => { wall = copiedPortableWall(); });

  for (const c of cases) {
    test(`shows the wall's sharp copy of ${c.name} and says the original is elsewhere (${c.locale})`, async () => {
      const { context, page, record } = await open(browser, `file://${encodeURI(wall)}/index.html`, { locale: c.locale });
      await page.waitForFunction(() => document.body.dataset.originals === 'missing');
      const pos = await page.$$eval('.tile', (ts, n) => ts.find((t) => t.dataset.name === n)?.dataset.pos, c.name);
      await page.click(`.tile[data-pos="${pos}"]`);
      await page.waitForSelector('#viewer .full.loaded');
      await page.keyboard.press('i');
      const shown = await viewerState(page);
      assert.match(shown.full, /^previews\/[0-9a-f]{2}\/[0-9a-f]{16}\.jpg$/);
      assert.deepEqual({ ...shown, full: undefined }, {
        full: undefined, width: c.width, height: c.height, note: c.note, info: c.info, original: false,
      });
      assertQuiet(record);
      await context.close();
    });
  }

  test('a HEIC zoomed in past its preview shows its full-size copy, fetched only then', async () => {
    const { context, page, record } = await open(browser, `file://${encodeURI(wall)}/index.html`);
    const pos = await page.$$eval('.tile', (ts) => ts.find((t) => t.dataset.name === 'phone.heic')?.dataset.pos);
    await page.click(`.tile[data-pos="${pos}"]`);
    await page.waitForSelector('#viewer .full.loaded');
    const large = () => page.$eval('#viewer .full', (i) => ({ src: i.getAttribute('src').split('/')[0], width: i.naturalWidth }));
    assert.deepEqual(await large(), { src: 'previews', width: 1600 });
    const fetchedFull = () => record.requests.filter((u) => u.includes('/full/')).length;
    assert.equal(fetchedFull(), 0, 'not fetched before the zoom needs it');
    for (let i = 0; i < 3; i++) await page.keyboard.press('+');
    await page.waitForFunction(() => {
      const image = document.querySelector('#viewer .full');
      return image.getAttribute('src').startsWith('full/') && image.complete && image.naturalWidth === 3264;
    });
    assert.deepEqual(await large(), { src: 'full', width: 3264 });
    // Away from its photos the note says so; it never calls the full-size copy a preview.
    assert.doesNotMatch(await page.textContent('#viewer .note'), /its preview/);
    assert.equal(fetchedFull(), 1);
    assertQuiet(record);
    await context.close();
  });
});
