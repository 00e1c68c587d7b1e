// Videos, live photos and previews on the wall and in the viewer, with real clips made by
// ffmpeg at test time (the tests skip where ffmpeg is missing).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, desktop, open, phone } from './harness.mjs';
import { civil, entry, key, makeWall, mediaFlags } from './wall.mjs';

const hasFfmpeg = (() => {
  try { execFileSync('ffmpeg', ['-version'], { stdio: 'ignore' }); return true; } catch { return false; }
})();
const skip = hasFfmpeg ? false : 'ffmpeg is not installed';

const { hasPreview, isVideo, isLive, clipInWall } = mediaFlags;
const media = (e, ...extra) => [...e, ...extra];

let browser, wall, root;
const files = {};
before(async () => {
  if (!hasFfmpeg) return;
  browser = await launch();
  root = mkdtempSync(join(tmpdir(), 'kestova-media-source-'));
  const ff = (...args) => execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-y', ...args]);
  const clip = (rel, seconds, codec) => {
    mkdirSync(join(root, rel, '..'), { recursive: true });
    ff('-f', 'lavfi', '-i', `testsrc2=s=320x180:d=${seconds}:r=15`, '-c:v', codec, '-pix_fmt', 'yuv420p',
      ...(codec === 'libx265' ? ['-tag:v', 'hvc1', '-x265-params', 'log-level=none'] : []), join(root, rel));
  };
  clip('2024/Beach/VID_1.mp4', 2, 'libx264');
  clip('2024/Beach/VID_2.mp4', 1, 'libx265');
  clip('2024/Beach/IMG_3.MOV', 1, 'libx264');
  clip('2024/Beach/IMG_4.MOV', 1, 'libx265');
  ff('-f', 'lavfi', '-i', 'testsrc2=s=320x180', '-frames:v', '1', join(root, '2024/Beach/IMG_3.jpg'));
  const entries = [
    media(entry('2024/Beach/VID_1.mp4', civil(2024, 7, 6, 12), 320, 180), isVideo, 2000, 'h264'),
    media(entry('2024/Beach/VID_2.mp4', civil(2024, 7, 5, 12), 320, 180), hasPreview | isVideo, 1000, 'hevc'),
    media(entry('2024/Beach/IMG_3.jpg', civil(2024, 7, 4, 12), 320, 180), isLive, 1000, 'h264', '2024/Beach/IMG_3.MOV'),
    media(entry('2024/Beach/IMG_4.HEIC', civil(2024, 7, 3, 12), 320, 180), hasPreview | isLive, 1000, 'hevc', '2024/Beach/IMG_4.MOV'),
    media(entry('2024/Beach/IMG_5.HEIC', civil(2024, 7, 2, 12), 640, 480), hasPreview),
    entry('2024/Beach/IMG_6.jpg', civil(2024, 7, 1, 12), 320, 180),
    media(entry('2023/VID_7.webm', civil(2023, 1, 1, 12), 320, 180), isVideo, 75000, 'vp9'),
  ];
  wall = makeWall(entries, { root });
  // The preview of IMG_5.HEIC: larger than its thumbnail.
  const writePreview = (key, size) => {
    const previews = join(wall.dir, 'previews', key.slice(0, 2));
    mkdirSync(previews, { recursive: true });
    ff('-f', 'lavfi', '-i', `color=c=red:s=${size}`, '-frames:v', '1', join(previews, `${key}.jpg`));
    return `previews/${key.slice(0, 2)}/${key}.jpg`;
  };
  files.preview = writePreview(entries[4][0], '640x480');
  // The HEVC video's poster frame, large.
  files.poster = writePreview(entries[1][0], '640x360');
});
after(async () => { await browser?.close(); });

const viewerState = (page) => page.evaluate(() => {
  const v = document.getElementById('viewer');
  const movie = v.querySelector('.movie');
  return {
    when: v.querySelector('.when').textContent,
    note: v.querySelector('.note').textContent,
    full: v.querySelector('.full').getAttribute('src'),
    movie: movie.hidden ? null : movie.getAttribute('src'),
    controls: movie.controls,
    live: !v.querySelector('.live-button').hidden,
    motion: v.querySelector('.motion').hidden ? null : v.querySelector('.motion').textContent,
    original: v.querySelector('.original').getAttribute('href'),
  };
});
const openAt = async (page, pos) => {
  await page.click(`.tile[data-pos="${pos}"]`);
  await page.waitForSelector('#viewer[open]');
};
const fileUrl = (rel) => `file://${root}/${rel}`;
// The viewer's sentence is there to be read: on a phone it wraps instead of ending in "…".
const noteIsWhole = (page) => page.$eval('#viewer .note', (n) => n.scrollWidth <= n.clientWidth);

describe('videos and live photos on the wall', { skip }, () => {
  test('a video is its poster with a play mark and its length, a live photo is marked, counts say videos apart', async () => {
    const { context, page, record } = await open(browser, wall.url);
    const marks = await page.$$eval('.tile', (ts) => ts.map((t) => [t.dataset.name, t.querySelector('span')?.className ?? '', t.querySelector('span')?.textContent ?? '']));
    assert.deepEqual(marks, [
      ['VID_1.mp4', 'video-mark', '0:02'], ['VID_2.mp4', 'video-mark', '0:01'], ['IMG_3.jpg', 'live-mark', 'Live'],
      ['IMG_4.HEIC', 'live-mark', 'Live'], ['IMG_5.HEIC', '', ''], ['IMG_6.jpg', '', ''], ['VID_7.webm', 'video-mark', '1:15'],
    ]);
    assert.match(await page.getAttribute('.tile[data-pos="0"] img', 'alt'), /^VID_1\.mp4, .*, video, 0:02$/);
    assert.match(await page.getAttribute('.tile[data-pos="2"] img', 'alt'), /, live photo$/);
    // Live photos are photos; their clips are not counted.
    assert.equal(await page.textContent('#count'), '4 photos and 3 videos');
    const months = await page.$$eval('.month', (ms) => ms.map((m) => m.textContent));
    assert.deepEqual(months, ['July 20244 photos and 2 videos', 'January 20231 video']);
    await page.fill('#search', 'IMG_');
    await page.waitForFunction(() => document.body.dataset.state === 'ready' && document.querySelectorAll('.tile').length === 4);
    assert.equal(await page.textContent('#count'), '4 photos of 4 photos and 3 videos');
    assertQuiet(record);
    await context.close();
  });
});

describe('videos in the viewer', { skip }, () => {
  test('an H.264 video plays its original with the browser\u2019s player, shows its length and is not zoomed', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await openAt(page, 0);
    const state = await viewerState(page);
    assert.equal(state.movie, fileUrl('2024/Beach/VID_1.mp4'));
    assert.equal(state.controls, true);
    assert.equal(state.full, null);
    assert.equal(state.note, '');
    assert.match(state.when, / Video, 0:02$/);
    assert.equal(state.original, fileUrl('2024/Beach/VID_1.mp4'));
    // Opened by a click, it plays at once, with its sound.
    await page.waitForFunction(() => document.querySelector('#viewer .movie').currentTime > 0.3, null, { timeout: 20000 });
    assert.deepEqual(await page.evaluate(() => [document.querySelector('#viewer .movie').muted, document.querySelector('#viewer .unmute').hidden]), [false, true]);
    // The picture is the video's, placed over the photo's box.
    const box = await page.locator('#viewer .movie').boundingBox();
    const stage = await page.locator('#viewer .stage').boundingBox();
    assert.ok(Math.abs(box.width / box.height - 16 / 9) < 0.02, `${box.width}x${box.height}`);
    assert.ok(box.width <= stage.width + 1 && box.height <= stage.height + 1);
    await page.keyboard.press('p');
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .movie').paused), true);
    await page.keyboard.press('p');
    await page.waitForFunction(() => !document.querySelector('#viewer .movie').paused);
    await page.keyboard.press('p');
    await page.keyboard.press('+');
    await page.locator('#viewer .stage').dblclick({ position: { x: 20, y: 20 } });
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .stage').classList.contains('zoomed')), false);
    await page.keyboard.press('i');
    const info = await page.$$eval('#info .media-rows dd', (dds) => dds.map((d) => d.textContent));
    assert.deepEqual(info, ['0:02', 'H.264']);
    // With the player focused, as after a click on its controls, the arrows still step.
    await page.focus('#viewer .movie');
    await page.keyboard.press('ArrowRight');
    assert.match(await page.textContent('#viewer .path'), /VID_2\.mp4/);
    await page.keyboard.press('ArrowLeft');
    assert.match(await page.textContent('#viewer .path'), /VID_1\.mp4/);
    await page.focus('#viewer .movie');
    // Stepping on to a plain photo (past the other video and the live photos, whose motion has
    // rows of its own) stops the video and hides the rows.
    for (let step = 0; step < 5; step++) await page.keyboard.press('ArrowRight');
    assert.match(await page.textContent('#viewer .path'), /IMG_6\.jpg/);
    assert.equal(await page.isHidden('#info .media-rows'), true);
    assert.equal(await page.isHidden('#viewer .movie'), true);
    assertQuiet(record);
    await context.close();
  });

  test('a video opened from a link, without a click, plays muted, and its button turns the sound on', async () => {
    const { context, page, record } = await open(browser, `${wall.url}#photo=${key('2024/Beach/VID_1.mp4')}`);
    await page.waitForFunction(() => document.querySelector('#viewer .movie').currentTime > 0.3, null, { timeout: 20000 });
    assert.deepEqual(await page.evaluate(() => [document.querySelector('#viewer .movie').muted, document.querySelector('#viewer .unmute').hidden]), [true, false]);
    assert.equal(await page.textContent('#viewer .unmute'), 'Sound on');
    await page.click('#viewer .unmute');
    assert.deepEqual(await page.evaluate(() => [document.querySelector('#viewer .movie').muted, document.querySelector('#viewer .movie').paused]), [false, false]);
    assert.equal(await page.isHidden('#viewer .unmute'), true);
    // On to a photo, the button goes with the video.
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowRight');
    assert.equal(await page.isHidden('#viewer .unmute'), true);
    assertQuiet(record);
    await context.close();
  });

  test('an HEVC video stays its poster with the original\u2019s link and a sentence; a missing video says so', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await openAt(page, 1);
    const state = await viewerState(page);
    assert.equal(state.movie, null);
    // Its large poster, not the thumbnail blown up; and no word of previews.
    await page.waitForSelector('#viewer .full.loaded');
    assert.equal(state.full, files.poster);
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .full').naturalWidth), 640);
    assert.equal(state.note, 'This browser cannot play this kind of video (HEVC (H.265)); open the original to play it with another program.');
    assert.equal(state.original, fileUrl('2024/Beach/VID_2.mp4'));
    await page.setViewportSize(phone);
    assert.equal(await noteIsWhole(page), true);
    await page.setViewportSize(desktop);
    await page.keyboard.press('Escape');
    // Escape goes back in the history; the viewer closes when the browser has done so.
    await page.waitForFunction(() => !document.getElementById('viewer').open);
    // VP9 in WebM plays in Chromium; this one's file is not there.
    await openAt(page, 6);
    await page.waitForFunction(() => document.querySelector('#viewer .note').textContent !== '');
    assert.equal((await viewerState(page)).note, 'The video could not be opened here; it may have moved or its drive may be offline.');
    // Without a large poster, the thumbnail stands for it.
    assert.equal((await viewerState(page)).full, null);
    assert.equal(await page.isVisible('#viewer .thumb'), true);
    assert.equal(await page.isHidden('#viewer .movie'), true);
    assertQuiet(record);
    await context.close();
  });

  test('a live photo is its still; p and its button play the motion once, muted, and the still returns', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await openAt(page, 2);
    let state = await viewerState(page);
    assert.equal(state.live, true);
    assert.equal(state.movie, null);
    assert.equal(state.motion, 'Motion clip (MOV)');
    await page.keyboard.press('p');
    state = await viewerState(page);
    assert.equal(state.movie, fileUrl('2024/Beach/IMG_3.MOV'));
    assert.equal(state.controls, false);
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .movie').muted), true);
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .stage').classList.contains('moving')), true);
    await page.waitForFunction(() => document.querySelector('#viewer .movie').hidden, null, { timeout: 20000 });
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .stage').classList.contains('moving')), false);
    // The still, its original here.
    assert.equal(await page.isVisible('#viewer .full'), true);
    await page.click('#viewer .live-button');
    assert.equal((await viewerState(page)).movie, fileUrl('2024/Beach/IMG_3.MOV'));
    await page.waitForFunction(() => document.querySelector('#viewer .movie').hidden, null, { timeout: 20000 });

    // An HEVC motion cannot play here: the still stays and the sentence says why.
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('p');
    state = await viewerState(page);
    assert.equal(state.movie, null);
    assert.equal(state.note, 'This browser cannot play this live photo\u2019s motion (HEVC (H.265)); open its motion clip to play it with another program.');
    assertQuiet(record);
    await context.close();
  });

  test('p is in the shortcut list of a wall with videos only', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.keyboard.press('?');
    const list = await page.$$eval('#help dt', (ds) => ds.map((d) => `${d.textContent.trim()}: ${d.nextElementSibling.textContent}`));
    assert.ok(list.includes('p: In a video: play or pause; in a live photo: play its motion'), list.join(' | '));
    await context.close();
    const plain = await open(browser, makeWall([entry('a.jpg', civil(2020, 1, 1))]).url);
    await plain.page.keyboard.press('?');
    assert.equal((await plain.page.$$eval('#help dt', (ds) => ds.map((d) => d.textContent.trim()))).includes('p'), false);
    await plain.context.close();
  });

  test('the slideshow passes over videos', async () => {
    const { context, page } = await open(browser, wall.url, { before: (p) => p.clock.install() });
    // The page's clock runs on from its install while the wall loads: pause ahead of its own time.
    await page.clock.pauseAt(await page.evaluate(() => Date.now()) + 1000);
    await openAt(page, 5);
    // From IMG_6.jpg the only one after it is a video: nothing to show next.
    await page.keyboard.press(' ');
    assert.equal(await page.getAttribute('#viewer .play', 'aria-pressed'), 'false');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    assert.equal(await page.textContent('#viewer .position'), '2 of 7');
    // From the HEVC video the show starts with the next photo.
    await page.keyboard.press(' ');
    await page.clock.runFor(5000);
    assert.equal(await page.textContent('#viewer .position'), '3 of 7');
    await context.close();
  });
});

describe('motion photos', { skip }, () => {
  test('a motion photo plays the clip copied into its wall, also where the originals are not found', async () => {
    const rel = 'phone/PXL_1.MP.jpg';
    const clip = `motion/${key(rel).slice(0, 2)}/${key(rel)}.mp4`;
    const moved = makeWall([
      media(entry(rel, civil(2024, 5, 2, 9), 320, 180), isLive | clipInWall, 1000, 'h264', clip),
      // A clip said to be in the wall but named otherwise is not looked for.
      media(entry('phone/PXL_2.MP.jpg', civil(2024, 5, 1, 9), 320, 180), isLive | clipInWall, 1000, 'h264', '../../etc/x.mp4'),
    ], { root: '/media/ana/gone' });
    mkdirSync(join(moved.dir, clip, '..'), { recursive: true });
    execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-y', '-f', 'lavfi', '-i', 'testsrc2=s=320x180:d=1:r=15',
      '-c:v', 'libx264', '-pix_fmt', 'yuv420p', join(moved.dir, clip)]);
    const { context, page } = await open(browser, moved.url);
    assert.deepEqual(await page.$$eval('.tile', (ts) => ts.map((t) => t.querySelector('span')?.className ?? '')), ['live-mark', '']);
    await openAt(page, 0);
    let state = await viewerState(page);
    assert.equal(state.live, true);
    assert.equal(state.motion, 'Motion clip (MP4)');
    await page.keyboard.press('p');
    state = await viewerState(page);
    assert.equal(state.movie, clip);
    await page.waitForFunction(() => document.querySelector('#viewer .movie').hidden, null, { timeout: 20000 });
    assert.notEqual((await viewerState(page)).note, 'The motion clip could not be opened here; it may have moved or its drive may be offline.');
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .movie').error), null);
    await context.close();
  });
});

describe('previews in the viewer', { skip }, () => {
  test('a HEIC with a preview shows it large and zoomed, says it is its preview, and keeps the original\u2019s link', async () => {
    for (const viewport of [undefined, phone]) {
      const { context, page, record } = await open(browser, wall.url, viewport ? { viewport } : {});
      await openAt(page, 4);
      await page.waitForSelector('#viewer .full.loaded');
      const state = await viewerState(page);
      assert.equal(state.full, files.preview);
      assert.equal(state.note, 'This browser cannot show this kind of file; this is its preview.');
      assert.equal(await noteIsWhole(page), true);
      assert.equal(state.original, fileUrl('2024/Beach/IMG_5.HEIC'));
      assert.equal(await page.evaluate(() => document.querySelector('#viewer .full').naturalWidth), 640);
      await page.keyboard.press('+');
      assert.equal(await page.evaluate(() => document.querySelector('#viewer .stage').classList.contains('zoomed')), true);
      // A photo the browser shows itself says nothing of previews.
      await page.keyboard.press('ArrowRight');
      assert.equal((await viewerState(page)).full, fileUrl('2024/Beach/IMG_6.jpg'));
      assertQuiet(record);
      await context.close();
    }
  });
});
