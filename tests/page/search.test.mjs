// The search narrows with every word: words match where a word starts, numbers whole, quotes make
// a phrase, a path finds its folder, dates in the forms people write them find their day, month
// or year in English and German, the kinds of photo by their names, and cameras and places once
// the photos' details have arrived; its best matches (the folder, then the day) are named first. The wall is the real program's, of generated camera
// files; a second, written as the program writes it, holds raw and JPEG pairs.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open, whenReady } from './harness.mjs';
import { buildLibrary, cli, libraryPhotos, phone, rome, within } from './library.mjs';
import { civil, entry, makeWall } from './wall.mjs';

const photos = libraryPhotos();
let browser, wall;
before(async () => {
  browser = await launch();
  if (cli) wall = buildLibrary(photos);
});
after(async () => { await browser?.close(); });

const inFolder = (folder) => photos.filter((p) => p.rel.startsWith(`${folder}/`));
const ofKind = (kind) => photos.filter((p) => p.kind === kind);
// The count line of a search that finds these photos, in English.
const whole = '221 photos and 2 videos';
function countLine(found) {
  const videos = found.filter((p) => p.kind === 'video').length, stills = found.length - videos;
  const some = [stills ? `${stills} photo${stills === 1 ? '' : 's'}` : '', videos ? `${videos} video${videos === 1 ? '' : 's'}` : ''].filter(Boolean).join(' and ');
  return `${some || '0 photos'} of ${whole}`;
}

// Types a search and waits for the wall to show its result.
async function search(page, query) {
  await page.fill('#search', query);
  await page.waitForFunction((q) => document.body.dataset.state === 'ready' && decodeURIComponent(location.hash.slice(3)) === q, query);
  return page.textContent('#count');
}

const dayTwo = inFolder('2019/2019-07-12 Italy/Day 2');
const birthday = inFolder('2012/2012-06-23 Birthday 12');
const mayEighth = within(photos, [2021, 5, 8]);
const byPhone = photos.filter((p) => p.camera === phone);
const inRome = photos.filter((p) => p.gps === rome);
// [query, the photos it finds]
const english = [
  // Words narrow, and match where words start: "Day" is not inside "Birthday", 2 not inside 12.
  ['Day 2', dayTwo],
  ['Italy Day 2', dayTwo],
  ['italy', inFolder('2019/2019-07-12 Italy')],
  ['"Day 2"', dayTwo],
  ['"italy day"', []],
  ['Italy/Day 2', dayTwo],
  ['2019-07-12 Italy/Day 5', inFolder('2019/2019-07-12 Italy/Day 5')],
  ['birth', birthday],
  ['road trip 12', []],
  // Dates in every form, a day, a month, a year.
  ['2021-05-08', mayEighth],
  ['June 23, 2012', birthday],
  ['23 June 2012', birthday],
  ['23.6.2012', birthday],
  ['6/23/2012', birthday],
  ['23. Juni 2012', birthday],
  ['June 2012', birthday],
  ['Juni 2012', birthday],
  ['2012', birthday],
  ['July 2019', within(photos, [2019, 7])],
  ['2021-05', within(photos, [2021, 5])],
  ['italy 14 July 2019', within(photos, [2019, 7, 14])],
  ['May 8', mayEighth],
  // Kinds.
  ['video', ofKind('video')],
  ['live', ofKind('live')],
  ['panorama', ofKind('panorama')],
  ['picnic panorama', ofKind('panorama')],
];

describe('the search', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  test('every word, phrase, path, date and kind narrows to what it names', async () => {
    const { context, page, record } = await open(browser, wall.url);
    const seen = [];
    for (const [query, found] of english) seen.push([query, await search(page, query)]);
    assert.deepEqual(seen, english.map(([query, found]) => [query, countLine(found)]));
    assertQuiet(record);
    await context.close();
  });

  test('in German: German month names and date forms, German kind words, English ones too', async () => {
    const { context, page } = await open(browser, wall.url, { locale: 'de-DE' });
    const plural = (n, one, many) => `${n} ${n === 1 ? one : many}`;
    const germanCount = (found) => {
      const videos = found.filter((p) => p.kind === 'video').length, stills = found.length - videos;
      const some = [stills ? plural(stills, 'Foto', 'Fotos') : '', videos ? plural(videos, 'Video', 'Videos') : ''].filter(Boolean).join(' und ');
      return `${some} von 221 Fotos und 2 Videos`;
    };
    const table = [
      ['23. Juni 2012', birthday], ['23.6.2012', birthday], ['Juni 2012', birthday], ['June 23, 2012', birthday],
      ['2021-05-08', mayEighth], ['Mai 2021', within(photos, [2021, 5])],
      ['Panorama', ofKind('panorama')], ['Live', ofKind('live')], ['Video', ofKind('video')],
    ];
    const seen = [];
    for (const [query] of table) seen.push([query, await search(page, query)]);
    assert.deepEqual(seen, table.map(([query, found]) => [query, germanCount(found)]));
    await context.close();
  });

  test('camera and place names are found once the photos\u2019 details have arrived', async () => {
    const { context, page, record } = await open(browser, wall.url);
    // Nothing of the details is read while the wall opens.
    assert.deepEqual(record.requests.filter((u) => u.endsWith('-details.js')), []);
    const table = [
      ['iphone', byPhone], ['iPhone 12 Pro', byPhone], ['"iphone 12"', byPhone], ['canon day 2', dayTwo],
      ['Lazio', inRome], ['Lazio italy', inRome], ['Celio', inRome], ['Rome 2019', []],
    ];
    const seen = [];
    for (const [query, found] of table) {
      await page.fill('#search', query);
      // The details arrive after the first search: its result follows them.
      await page.waitForFunction(([q, count]) => document.body.dataset.state === 'ready' && decodeURIComponent(location.hash.slice(3)) === q
        && document.getElementById('count').textContent === count, [query, countLine(found)]).catch(() => {});
      seen.push([query, await page.textContent('#count')]);
    }
    assert.deepEqual(seen, table.map(([query, found]) => [query, countLine(found)]));
    assert.ok(record.requests.some((u) => u.endsWith('-details.js')));
    assertQuiet(record);
    await context.close();
  });

  test('a German page finds a place by its country\u2019s German name', async () => {
    const { context, page } = await open(browser, wall.url, { locale: 'de-DE' });
    await page.fill('#search', 'Italien');
    await page.waitForFunction(() => document.body.dataset.state === 'ready' && /^14 Fotos von/.test(document.getElementById('count').textContent));
    await context.close();
  });

  test('the best matches come first: the folder whose name matches, then the day; the address keeps the search', async () => {
    const { context, page } = await open(browser, wall.url);
    await search(page, 'italy');
    const best = await page.$$eval('#best-line button', (bs) => bs.map((b) => [b.className, b.textContent]));
    assert.deepEqual(best, [['folder', '2019 \u203a 2019-07-12 Italy (70)'], ['day', 'Tuesday, July 16, 2019 (14)']]);
    await search(page, 'Italy Day 2');
    assert.deepEqual(await page.$$eval('#best-line button', (bs) => bs.map((b) => b.textContent)), ['2019 \u203a 2019-07-12 Italy \u203a Day 2 (14)']);
    // A best match brings its photos to the top of the screen.
    await search(page, 'italy');
    await page.click('#best-line button.day');
    await page.waitForFunction(() => document.activeElement?.classList.contains('tile'));
    assert.match(await page.evaluate(() => document.activeElement.title), /Italy\/Day 5\//);
    await page.reload();
    await whenReady(page);
    assert.equal(await page.inputValue('#search'), 'italy');
    assert.equal(await page.textContent('#count'), countLine(inFolder('2019/2019-07-12 Italy')));
    // No search, no best matches.
    await search(page, '');
    assert.equal(await page.isHidden('#best-line'), true);
    await context.close();
  });
});

describe('the search in raw and JPEG pairs', () => {
  const entries = [
    entry('2024/Alps/IMG_1.JPG', civil(2024, 8, 2, 18, 1)), entry('2024/Alps/IMG_1.CR2', civil(2024, 8, 2, 18, 1)),
    entry('2024/Alps/IMG_2.JPG', civil(2024, 8, 2, 18, 2)),
    entry('2024/Alps/IMG_3.NEF', civil(2024, 8, 2, 18, 3)),
    entry('2024/Alps/raw notes/IMG_4.JPG', civil(2024, 8, 2, 18, 4)),
  ];
  const rawWall = makeWall(entries);
  test('"raw" finds the photos shot in raw, paired or alone, and a folder named so', async () => {
    const { context, page } = await open(browser, rawWall.url);
    const pair = ' (a raw and JPEG pair shown once)';
    for (const [query, count] of [['raw', `3 of 4 photos${pair}`], ['RAW', `3 of 4 photos${pair}`], ['cr2', `1 of 4 photos${pair}`]]) {
      assert.equal(await search(page, query), count, query);
    }
    await context.close();
  });
});
