// The info panel's details of a photo (camera, lens, exposure, focal length, file size, place and
// coordinates), in English and in German, from a wall the real kestova-cli wrote of photos whose
// EXIF is written here by exiv2. The details are loaded when the panel opens, not before.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open, phone } from './harness.mjs';

const cli = process.env.KESTOVA_CLI;

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// Two photos: one with everything a phone writes, taken in Rome; one with nothing.
function detailedWall() {
  const home = mkdtempSync(join(tmpdir(), 'kestova-details-'));
  const source = join(home, 'Photos');
  mkdirSync(source);
  const jpeg = (name, colour, dateTaken, tags) => {
    const file = join(source, name);
    execFileSync('ffmpeg', ['-loglevel', 'error', '-f', 'lavfi', '-i', `color=c=${colour}:s=640x480`, '-frames:v', '1', file]);
    const all = [`Exif.Photo.DateTimeOriginal ${dateTaken}`, ...tags];
    execFileSync('exiv2', [...all.flatMap((t) => ['-M', `set ${t}`]), file]);
    return file;
  };
  const rome = jpeg('rome.jpg', 'teal', '2024:05:02 10:00:00', [
    'Exif.Image.Make Apple', 'Exif.Image.Model iPhone 12 Pro', 'Exif.Photo.LensModel iPhone 12 Pro back camera 4.2mm f/1.6',
    'Exif.Photo.ExposureTime 1/125', 'Exif.Photo.FNumber 28/10', 'Exif.Photo.ISOSpeedRatings 100',
    'Exif.Photo.FocalLength 42/10', 'Exif.Photo.FocalLengthIn35mmFilm 26',
    'Exif.GPSInfo.GPSLatitude 41/1 53/1 30948/1000', 'Exif.GPSInfo.GPSLatitudeRef N',
    'Exif.GPSInfo.GPSLongitude 12/1 30/1 40788/1000', 'Exif.GPSInfo.GPSLongitudeRef E',
  ]);
  jpeg('plain.jpg', 'gray', '2024:05:01 10:00:00', []);
  const out = join(home, 'wall');
  execFileSync(cli, ['build', source, '--out', out], {
    env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' },
    stdio: 'ignore',
  });
  return { url: `file://${out}/index.html`, size: statSync(rome).size };
}

const rows = (page) => page.$$eval('#info .detail-row', (rs) => rs.filter((r) => !r.hidden)
  .map((r) => `${r.querySelector('dt').textContent}: ${r.querySelector('dd').textContent}`));
const detailsAsked = (record) => record.requests.filter((u) => u.endsWith('-details.js')).length;

describe('the info panel names the camera, exposure, size and place', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  const wall = cli ? detailedWall() : null;
  const cases = [
    { locale: 'en-US', size: (n) => `${(n / 1000).toLocaleString('en-US', { maximumFractionDigits: 1 })} KB`, expected: [
      'Camera: Apple iPhone 12 Pro', 'Lens: iPhone 12 Pro back camera 4.2mm f/1.6', 'Exposure: 1/125 s \u00b7 \u0192/2.8 \u00b7 ISO 100',
      'Focal length: 4.2 mm (26 mm equiv.)', 'File size: SIZE', 'Place: Rome, Lazio, Italy', 'Coordinates: 41.89193\u00b0 N, 12.51133\u00b0 E'] },
    { locale: 'de-DE', size: (n) => `${(n / 1000).toLocaleString('de-DE', { maximumFractionDigits: 1 })} KB`, expected: [
      'Kamera: Apple iPhone 12 Pro', 'Objektiv: iPhone 12 Pro back camera 4.2mm f/1.6', 'Belichtung: 1/125 s \u00b7 \u0192/2,8 \u00b7 ISO 100',
      'Brennweite: 4,2 mm (entspricht 26 mm KB)', 'Dateigr\u00f6\u00dfe: SIZE', 'Ort: Rome, Lazio, Italien', 'Koordinaten: 41,89193\u00b0 N, 12,51133\u00b0 O'] },
  ];
  for (const c of cases) {
    test(`in ${c.locale}, loaded only once the panel opens, and hidden where nothing is known`, async () => {
      const { context, page, record } = await open(browser, wall.url, { locale: c.locale });
      await page.click('.tile[data-pos="0"]');
      assert.equal(detailsAsked(record), 0, 'no details before the panel opens');
      await page.keyboard.press('i');
      const expected = c.expected.map((line) => line.replace('SIZE', c.size(wall.size)));
      await page.waitForFunction((n) => [...document.querySelectorAll('#info .detail-row')].filter((r) => !r.hidden).length === n, expected.length);
      assert.deepEqual(await rows(page), expected);
      // The next photo has nothing but its size; the same details file serves it.
      await page.keyboard.press('ArrowRight');
      const plain = await rows(page);
      assert.equal(plain.length, 1);
      assert.match(plain[0], /^(File size|Dateigr\u00f6\u00dfe): \d/);
      assert.equal(detailsAsked(record), 1);
      assertQuiet(record);
      await context.close();
    });
  }

  test('on a phone the rows fit the panel', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: phone });
    await page.click('.tile[data-pos="0"]');
    await page.click('#viewer .info-button');
    await page.waitForFunction(() => !document.querySelector('#info .detail-row[data-detail="place"]').hidden);
    const width = await page.$eval('#info', (p) => p.scrollWidth <= p.clientWidth);
    assert.equal(width, true);
    await context.close();
  });
});
