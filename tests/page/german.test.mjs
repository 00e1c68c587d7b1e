// The wall in German, as a browser set to German opens it: every state of the page speaks
// German (no English text left anywhere on screen or in a label), and counts, dates and month
// names are German too, including what the search and "go to a date" understand.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, symlinkSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { moduleValue, pageStrings } from '../../tools/join-page.mjs';
import { launch } from './browser.mjs';
import { assertQuiet, headings, open } from './harness.mjs';
import { civil, entry, key, makeWall, mediaFlags, synthetic } from './wall.mjs';

const sharedPhotos = fileURLToPath(new URL('../../../shared/photos', import.meta.url));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const english = pageStrings();
const german = moduleValue('strings-de.js', 'germanStrings');

// One pattern per English text that German says otherwise: its words, with each {field}
// standing for something, not inside a longer word ("Info" is not found in "Infos").
const escape = (s) => s.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
const englishTexts = Object.entries(english).flatMap(([name, entry]) => {
  const forms = typeof entry === 'string' ? [[entry, german[name]]] : Object.keys(entry).map((k) => [entry[k], german[name][k]]);
  return forms.filter(([en, de]) => en !== de && /\p{L}{3,}/u.test(en.replace(/\{\w+\}/g, '')))
    .map(([en]) => ({ name, text: en, pattern: new RegExp(`(?<!\\p{L})${en.split(/\{\w+\}/).map(escape).join('.+?').replace(/^(\.\+\?)+|(\.\+\?)+$/g, '.+?')}(?!\\p{L})`, 'u') }));
});

// Every text the page shows or tells a screen reader, hidden or not (a hidden one shows later):
// text, labels, titles, placeholders, alternative texts and the timeline's spoken value.
const pageTexts = (page) => page.evaluate(() => {
  const found = [document.title];
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let n = walker.nextNode(); n; n = walker.nextNode()) {
    if (!n.parentElement.closest('script, style, noscript') && n.textContent.trim()) found.push(n.textContent.trim());
  }
  for (const e of document.querySelectorAll('*')) {
    for (const a of ['aria-label', 'title', 'placeholder', 'alt', 'aria-valuetext', 'data-missing']) if (e.getAttribute(a)) found.push(e.getAttribute(a));
  }
  return found;
});
async function assertGerman(page, state) {
  const texts = await pageTexts(page);
  const left = englishTexts.flatMap((t) => texts.filter((s) => t.pattern.test(s)).map((s) => `${t.name}: "${s}"`));
  assert.deepEqual(left, [], `English in ${state}`);
  return texts;
}
const same = (s) => s.replace(/\u00a0|\u202f/g, ' ');

// The originals: two camera files, and a phone's clips made by ffmpeg now (without ffmpeg the
// viewer's tests of them are skipped).
const hasFfmpeg = (() => {
  try { execFileSync('ffmpeg', ['-version'], { stdio: 'ignore' }); return true; } catch { return false; }
})();
const source = mkdtempSync(join(tmpdir(), 'kestova-german-source-'));
symlinkSync(join(sharedPhotos, 'cameras'), join(source, 'cameras'));
if (hasFfmpeg) {
  mkdirSync(join(source, 'Handy'));
  const clip = (name, seconds, codec) => execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-y', '-f', 'lavfi', '-i', `testsrc2=s=320x180:d=${seconds}:r=15`,
    '-c:v', codec, '-pix_fmt', 'yuv420p', ...(codec === 'libx265' ? ['-tag:v', 'hvc1', '-x265-params', 'log-level=none'] : []), join(source, 'Handy', name)]);
  clip('VID_1.mp4', 2, 'libx264');
  clip('VID_2.mp4', 1, 'libx265');
  clip('IMG_3.MOV', 1, 'libx264');
  execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-y', '-f', 'lavfi', '-i', 'testsrc2=s=320x180', '-frames:v', '1', join(source, 'Handy', 'IMG_3.jpg')]);
}

// 1,204 entries: two camera files whose originals the page finds, a phone's two videos and a
// live photo, then many more photos.
const { isVideo, isLive } = mediaFlags;
const june = entry('cameras/Canon_40D.jpg', civil(2019, 6, 15, 14, 3), 4032, 3024);
const video = [...entry('Handy/VID_1.mp4', civil(2025, 2, 12, 18), 320, 180), isVideo, 2000, 'h264'];
const entries = [
  entry('cameras/iphone_hdr_NO.jpg', civil(2025, 3, 1, 9, 30), 3264, 2448),
  video,
  [...entry('Handy/VID_2.mp4', civil(2025, 2, 11, 18), 320, 180), isVideo, 1000, 'hevc'],
  [...entry('Handy/IMG_3.jpg', civil(2025, 2, 10, 18), 320, 180), isLive, 1000, 'h264', 'Handy/IMG_3.MOV'],
  ...synthetic(1198).map((e) => (e[4] ? [e[0], e[1], e[2], e[3], Math.min(e[4], civil(2024, 12, 31)), e[5], e[6]] : e)),
  june,
  entry('2019/2019-06-15 Garda/lake.jpg', civil(2019, 6, 15, 12)),
];
const sorted = entries.slice().sort((a, b) => (b[4] || -Infinity) - (a[4] || -Infinity));
const de = { locale: 'de-DE', viewport: { width: 1440, height: 900 } };

describe('the wall in German', () => {
  const wall = makeWall(sorted, { title: 'Sommer am Gardasee', root: source });

  test('wall, folder menu, timeline, On this day, search and an empty filter', async () => {
    const { context, page, record } = await open(browser, wall.url, {
      ...de, before: (p) => p.clock.setFixedTime(new Date('2025-06-15T10:00:00Z')),
    });
    assert.equal(await page.getAttribute('html', 'lang'), 'de');
    assert.equal(await page.textContent('#count'), '1.202 Fotos und 2 Videos');
    assert.equal(await page.getAttribute('#search', 'placeholder'), 'Name oder Datum');
    assert.equal(await page.getAttribute('#folder', 'aria-label'), 'Fotos aus Ordner zeigen');
    const options = await page.$$eval('#folder option', (os) => os.map((o) => o.textContent));
    assert.equal(options[0], 'Alle Ordner (1.204)');
    assert.ok(options.includes('In keinem Unterordner (93)') || options.some((o) => /^In keinem Unterordner \(\d+\)$/.test(o)), options.join('|'));
    const first = (await headings(page))[0];
    assert.equal(first, 'März 2025|1 Foto');
    assert.equal((await headings(page))[1], 'Februar 2025|1 Foto und 2 Videos');
    assert.match(await page.getAttribute(`.tile[data-name="VID_1.mp4"] img`, 'alt'), /^VID_1\.mp4, 12\.02\.2025, Video, 0:02$/);
    assert.match(await page.getAttribute(`.tile[data-name="IMG_3.jpg"] img`, 'alt'), /, Live-Foto$/);
    assert.match(await page.textContent('#today'), /^An diesem Tag: [\d.]+ Fotos?$/);
    assert.match(await page.getAttribute('#today', 'title'), /^Fotos vom 15\. Juni aus (einem früheren Jahr|\d+ früheren Jahren)$/);
    assert.match(await page.getAttribute('#scrubber', 'aria-valuetext'), /^(Januar|Februar|März|April|Mai|Juni|Juli|August|September|Oktober|November|Dezember) \d{4}$/);
    await assertGerman(page, 'the wall');

    await page.click('#today');
    await page.waitForFunction(() => location.hash === '#day=06-15' && document.body.dataset.state === 'ready');
    assert.equal(await page.getAttribute('#today', 'aria-pressed'), 'true');
    await assertGerman(page, 'On this day');
    await page.click('#today');
    await page.waitForFunction(() => location.hash === '' && document.body.dataset.state === 'ready');

    // The search knows German month names; so does the list of sections it leaves.
    await page.fill('#search', 'Juni 2019');
    await page.waitForFunction(() => document.getElementById('count').textContent.includes(' von '));
    const found = await headings(page);
    assert.ok(found.length > 0);
    assert.deepEqual([...new Set(found.map((h) => h.split('|')[0]))], ['Juni 2019']);
    assert.match(await page.textContent('#count'), /^\d+ Fotos? von 1\.202 Fotos und 2 Videos$/);
    assert.ok((await page.$$eval('.tile img', (is) => is.map((i) => i.alt))).includes('Canon_40D.jpg, 15.06.2019'));

    await page.fill('#search', 'zzzz');
    await page.waitForFunction(() => document.getElementById('message').textContent !== '');
    assert.equal(await page.textContent('#message'), 'Kein Foto passt zu diesem Filter.Alle Fotos zeigen');
    await assertGerman(page, 'an empty filter result');
    await page.click('#message button');
    await page.waitForFunction(() => document.getElementById('count').textContent === '1.202 Fotos und 2 Videos');

    await page.selectOption('#folder', 'cameras');
    await page.waitForFunction(() => document.getElementById('count').textContent === '2 Fotos von 1.202 Fotos und 2 Videos');
    await assertGerman(page, 'a folder');
    assertQuiet(record);
    await context.close();
  });

  test('shortcuts and going to a date', async () => {
    const { context, page, record } = await open(browser, wall.url, de);
    await page.keyboard.press('?');
    await page.waitForSelector('#help[open]');
    const keys = await page.$$eval('#help kbd', (ks) => ks.map((k) => k.textContent));
    for (const k of ['Eingabe', 'Bild\u00a0\u2191', 'Bild\u00a0\u2193', 'Pos1', 'Ende', 'Leertaste', 'Esc']) assert.ok(keys.includes(k), k);
    assert.equal(await page.textContent('#help h2'), 'Tastenkürzel');
    await assertGerman(page, 'the shortcut help');
    await page.keyboard.press('Escape');

    await page.keyboard.press('g');
    await page.waitForSelector('#goto[open]');
    await page.fill('#goto-when', 'Sommer');
    await page.press('#goto-when', 'Enter');
    assert.equal(await page.textContent('#goto .hint'), 'Geben Sie ein Jahr oder einen Monat mit Jahr ein und drücken Sie die Eingabetaste.');
    await page.fill('#goto-when', '1950');
    await page.press('#goto-when', 'Enter');
    assert.equal(await page.textContent('#goto .hint'), 'Aus dieser Zeit enthält die Wand keine Fotos.');
    await assertGerman(page, 'going to a date');
    await page.fill('#goto-when', 'Juni 2019');
    await page.press('#goto-when', 'Enter');
    await page.waitForFunction(() => !document.getElementById('goto').open);
    await page.waitForFunction(() => [...document.querySelectorAll('.month h2')].some((h) => h.textContent === 'Juni 2019' && h.getBoundingClientRect().top >= 0 && h.getBoundingClientRect().top < innerHeight));
    assertQuiet(record);
    await context.close();
  });

  test('the viewer: caption, info, slideshow, zoom', async () => {
    const { context, page, record } = await open(browser, `${wall.url}#photo=${key(june[1])}`, de);
    await page.waitForSelector('#viewer[open] .full.loaded');
    assert.equal(same(await page.textContent('#viewer .when')), 'Samstag, 15. Juni 2019 um 14:03');
    assert.match(await page.textContent('#viewer .position'), /^\d+ von 1\.204$/);
    assert.equal(await page.textContent('#viewer .original'), 'Original öffnen');
    await assertGerman(page, 'the viewer');

    await page.keyboard.press('i');
    await page.waitForSelector('#info:not([hidden])');
    assert.equal(await page.textContent('#info .size'), '4.032 × 3.024 Pixel (12,2 MP)');
    assert.equal(await page.textContent('#info .origin'), 'Der Kamera (im Foto gespeichert)');
    assert.equal(await page.textContent('#info .folder'), 'cameras');
    await assertGerman(page, 'the info panel');
    await page.keyboard.press('i');

    await page.keyboard.press('+');
    await page.waitForSelector('#viewer .stage.zoomed');
    await assertGerman(page, 'a zoomed photo');
    await page.keyboard.press('0');

    await page.click('#viewer .play');
    assert.equal(await page.getAttribute('#viewer .play', 'aria-label'), 'Diashow beenden (Leertaste)');
    await assertGerman(page, 'the slideshow');
    await page.click('#viewer .play');
    assert.equal(await page.getAttribute('#viewer .play', 'aria-label'), 'Diashow starten (Leertaste)');

    // A photo dated by its folder says so.
    await page.click('#viewer .next');
    await page.waitForFunction(() => document.querySelector('#viewer .when').textContent.includes('Ordnernamen'));
    assert.equal(same(await page.textContent('#viewer .when')), 'Samstag, 15. Juni 2019 Datum aus dem Ordnernamen');
    assertQuiet(record);
    await context.close();
  });

  test('a video playing, a video this browser cannot play, a live photo and their info', { skip: hasFfmpeg ? false : 'ffmpeg is not installed' }, async () => {
    const { context, page, record } = await open(browser, `${wall.url}#photo=${key(video[1])}`, de);
    await page.waitForSelector('#viewer[open] .movie:not([hidden])');
    assert.match(same(await page.textContent('#viewer .when')), /^Mittwoch, 12\. Februar 2025 um 18:00 Video, 0:02$/);
    // Opened from the address, it plays at once, muted, with the button for its sound.
    await page.waitForFunction(() => document.querySelector('#viewer .movie').currentTime > 0.3, null, { timeout: 20000 });
    assert.equal(await page.textContent('#viewer .unmute'), 'Ton an');
    await assertGerman(page, 'a video playing');
    await page.keyboard.press('i');
    await page.waitForSelector('#info:not([hidden])');
    assert.deepEqual(await page.$$eval('#info .media-rows > *', (es) => es.map((e) => e.textContent)), ['Länge', '0:02', 'Videoformat', 'H.264']);
    await assertGerman(page, 'a video\u2019s info panel');

    await page.keyboard.press('ArrowRight');
    await page.waitForFunction(() => document.querySelector('#viewer .path').textContent.endsWith('VID_2.mp4'));
    assert.equal(await page.textContent('#viewer .note'), 'Dieser Browser kann diese Art Video (HEVC (H.265)) nicht abspielen; öffnen Sie das Original, um es mit einem anderen Programm abzuspielen.');
    await assertGerman(page, 'a video this browser cannot play');

    await page.keyboard.press('ArrowRight');
    await page.waitForFunction(() => document.querySelector('#viewer .path').textContent.endsWith('IMG_3.jpg'));
    assert.equal(await page.textContent('#viewer .motion'), 'Bewegungsclip (MOV)');
    assert.equal(await page.getAttribute('#viewer .live-button', 'aria-label'), 'Bewegung abspielen (p)');
    assert.deepEqual(await page.$$eval('#info .media-rows dd', (es) => es.map((e) => e.textContent)), ['0:01', 'H.264']);
    await assertGerman(page, 'a live photo and its info');
    await page.keyboard.press('p');
    await page.waitForSelector('#viewer .stage.moving');
    await assertGerman(page, 'a live photo\u2019s motion');

    await page.keyboard.press('Escape');
    await page.keyboard.press('Escape');
    await page.keyboard.press('?');
    await page.waitForSelector('#help[open]');
    const list = await page.$$eval('#help dt', (ds) => ds.map((d) => `${d.textContent.trim()}: ${d.nextElementSibling.textContent}`));
    assert.ok(list.includes('p: In einem Video: abspielen oder anhalten; in einem Live-Foto: seine Bewegung abspielen'), list.join(' | '));
    assertQuiet(record);
    await context.close();
  });

  test('originals that cannot be found, and a manifest missing or unreadable', async () => {
    const away = makeWall([june, entry('2019/IMG_2.HEIC', civil(2019, 5, 2, 8))], { title: 'Weg' });
    const { context, page } = await open(browser, `${away.url}#photo=${key(june[1])}`, de);
    await page.waitForFunction(() => document.body.dataset.originals === 'missing');
    await page.waitForSelector('#viewer[open]');
    assert.match(await page.textContent('#viewer .note'), /^Die Originalfotos sind von hier aus nicht zu finden/);
    await page.keyboard.press('i');
    assert.equal(await page.textContent('#info .link'), 'Von hier aus nicht gefunden');
    await assertGerman(page, 'originals not found');
    await page.keyboard.press('ArrowRight');
    await assertGerman(page, 'a photo only a preview shows');
    await context.close();

    for (const [manifest, start] of [[null, 'Die Fotoliste dieser Wand (manifest.js) fehlt.'], ['window.PHOTOS = [;', 'Die Fotoliste dieser Wand (manifest.js) ist nicht lesbar.']]) {
      const broken = makeWall([], { manifest });
      const opened = await open(browser, broken.url, { ...de, waitFor: 'failed' });
      assert.ok((await opened.page.textContent('#message')).startsWith(start));
      assert.equal(await opened.page.title(), 'Fotos');
      await assertGerman(opened.page, `manifest ${manifest === null ? 'missing' : 'unreadable'}`);
      await opened.context.close();
    }
  });

  test('an Austrian browser reads German with its own month names; a French one English with French dates', async () => {
    const small = makeWall([entry('a/IMG_1.jpg', civil(2020, 1, 5, 10))]);
    const at = await open(browser, small.url, { locale: 'de-AT' });
    assert.deepEqual(await headings(at.page), ['Jänner 2020|1 Foto']);
    await at.context.close();
    const fr = await open(browser, small.url, { locale: 'fr-FR' });
    assert.deepEqual(await headings(fr.page), ['janvier 2020|1 photo']);
    assert.equal(await fr.page.getAttribute('#search', 'placeholder'), 'Search names and dates');
    await fr.context.close();
  });
});

describe('the wall in English', () => {
  test('reads as it always did, and its search finds English month names', async () => {
    const wall = makeWall([entry('a/IMG_1.jpg', civil(2019, 6, 15, 14, 3)), entry('a/IMG_2.jpg', civil(2018, 1, 2))]);
    const { context, page } = await open(browser, wall.url, { locale: 'en-US' });
    assert.equal(await page.getAttribute('html', 'lang'), 'en');
    await page.fill('#search', 'June 2019');
    await page.waitForFunction(() => document.getElementById('count').textContent === '1 of 2 photos');
    assert.deepEqual(await headings(page), ['June 2019|1 photo']);
    await context.close();
  });
});
