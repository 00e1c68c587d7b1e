// Videos that the browser cannot play as they are (an iPhone's HEVC) play from the wall's own
// copies. The clips are made at test time with ffmpeg and heif-enc; the wall is written by the
// real kestova-cli, and played by headless Chromium.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open } from './harness.mjs';

const cli = process.env.KESTOVA_CLI;
const shots = process.env.KESTOVA_SHOTS || '/tmp/shots';

let browser;
let wall;
const ffmpeg = (...args) => execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-y', ...args]);
const hevc = ['-c:v', 'libx265', '-tag:v', 'hvc1', '-pix_fmt', 'yuv420p', '-x265-params', 'log-level=none', '-c:a', 'aac'];

before(async () => {
  if (!cli) return;
  const dir = mkdtempSync(join(tmpdir(), 'kestova-videos-'));
  const source = join(dir, 'Phone');
  mkdirSync(source);
  // A phone held upright: the frame stored wide, turned by the container.
  ffmpeg('-f', 'lavfi', '-i', 'testsrc2=s=1280x720:r=30:d=4', '-f', 'lavfi', '-i', 'sine=f=440:d=4', ...hevc, join(dir, 'wide.mov'));
  ffmpeg('-i', join(dir, 'wide.mov'), '-c', 'copy', '-metadata:s:v:0', 'rotate=90', join(source, 'IMG_0100.MOV'));
  // A live photo: a HEIC still and its three seconds of HEVC.
  ffmpeg('-f', 'lavfi', '-i', 'testsrc2=s=1440x1080:r=30:d=3', '-f', 'lavfi', '-i', 'sine=f=330:d=3', ...hevc, join(source, 'IMG_0200.MOV'));
  ffmpeg('-f', 'lavfi', '-i', 'testsrc2=s=1440x1080', '-frames:v', '1', join(dir, 'still.png'));
  execFileSync('heif-enc', ['-q', '50', '-o', join(source, 'IMG_0200.HEIC'), join(dir, 'still.png')], { stdio: 'ignore' });
  const home = join(dir, 'home');
  mkdirSync(home);
  const built = spawnSync(cli, ['build', source, '--json'], {
    env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' },
    encoding: 'utf8',
  });
  assert.equal(built.status, 0, built.stderr);
  wall = { dir, summary: JSON.parse(built.stdout), url: pathToFileURL(join(source, '_Photo Gallery', 'index.html')).href };
  browser = await launch();
});
after(async () => {
  await browser?.close();
  if (wall) rmSync(wall.dir, { recursive: true, force: true });
});

const openTile = async (page, name) => {
  await page.click(`.tile[data-name="${name}"]`);
  await page.waitForSelector('#viewer[open]');
};
// The player's state as the page left it; waited on, never slept for.
const playing = (page, seconds) => page.waitForFunction((s) => {
  const m = document.querySelector('#viewer .movie');
  return !m.hidden && m.readyState >= 2 && m.currentTime > s && !m.error;
}, seconds, { timeout: 60000 });
const movie = (page) => page.$eval('#viewer .movie', (m) => ({
  src: m.getAttribute('src'), width: m.videoWidth, height: m.videoHeight, muted: m.muted,
  note: document.querySelector('#viewer .note').textContent,
}));

describe('videos the browser cannot play as they are', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  test('the build made a copy of the HEVC video and of the live photo\u2019s HEVC motion', () => {
    assert.equal(wall.summary.videoCopies, 2, JSON.stringify(wall.summary));
  });

  test('an iPhone\u2019s HEVC video plays its copy, upright, with its sound', async () => {
    const { context, page, record } = await open(browser, wall.url);
    // A video opened in the viewer starts by itself.
    await openTile(page, 'IMG_0100.MOV');
    await playing(page, 0.5);
    const state = await movie(page);
    assert.match(state.src, /^videos\/[0-9a-f]{2}\/[0-9a-f]{16}\.mp4$/);
    // Held upright: the copy's turn is the original's.
    assert.deepEqual([state.width, state.height], [720, 1280]);
    assert.equal(state.muted, false);
    assert.equal(state.note, '');
    assertQuiet(record);
    await context.close();
  });

  test('a live photo\u2019s HEVC motion plays its copy over the still', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await openTile(page, 'IMG_0200.HEIC');
    await page.keyboard.press('p');
    await playing(page, 0.3);
    const state = await movie(page);
    assert.match(state.src, /^videos\/[0-9a-f]{2}\/[0-9a-f]{16}\.mp4$/);
    assert.deepEqual([state.width, state.height], [1440, 1080]);
    assert.equal(state.muted, true);
    mkdirSync(shots, { recursive: true });
    await page.screenshot({ path: join(shots, 'video-live-photo-playing.png') });
    // The motion plays once and gives way to the still.
    await page.waitForFunction(() => document.querySelector('#viewer .movie').hidden, null, { timeout: 60000 });
    // The still's own note (a HEIC shown by its preview), never that the motion cannot play.
    assert.doesNotMatch(await page.textContent('#viewer .note'), /cannot play/);
    assertQuiet(record);
    await context.close();
  });
});
