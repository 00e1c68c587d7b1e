// A wall served by a plain web server works as it does from disk: thumbnails, previews, videos,
// live photos, and the originals of a wall that lies inside its photos' folder, found relative to
// the page. The server is Python's http.server, which knows nothing of walls, on a free port of
// 127.0.0.1; the wall is written by the real kestova-cli from real photos and clips made by ffmpeg.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { once } from 'node:events';
import { cpSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open } from './harness.mjs';

const cli = process.env.KESTOVA_CLI;
const photos = process.env.KESTOVA_SHARED_PHOTOS || fileURLToPath(new URL('../../../shared/photos', import.meta.url));
const runs = (program, args) => {
  try { execFileSync(program, args, { stdio: 'ignore' }); return true; } catch { return false; }
};
const skip = !cli ? 'needs KESTOVA_CLI (run through ctest)'
  : !runs('ffmpeg', ['-version']) ? 'ffmpeg is not installed'
    : !runs('python3', ['-c', 'import http.server']) ? 'python3 is not installed' : false;

// The photos' folder and its wall's place in it, as a user has them: odd names throughout.
const sourceName = 'Fotos \u00e4 #1';
const encodePath = (path) => path.split('/').map(encodeURIComponent).join('/');
const pictures = {
  plain: { rel: '2008/Trip #1/IMG_1.jpg', from: 'cameras/Canon_40D.jpg', width: 100 },
  marks: { rel: '2008/50% off? "yes"/Nikon \'D70\'.jpg', from: 'cameras/Nikon_D70.jpg', width: 100 },
  letters: { rel: '2008/\u00d6lberg/\u6771\u4eac \u00fc.jpg', from: 'cameras/Pentax_K10D.jpg', width: 100 },
};
const video = '2024/Clips/VID 1 #a.mp4';
const live = { still: '2024/Clips/Live ? 3.jpg', clip: '2024/Clips/Live ? 3.MOV' };
const motionPhoto = '2024/Phone/MVIMG_4 #.jpg';
const heif = '2024/HEIF/sample & co.heif';
// A name that is not UTF-8: "caf" and the byte E9 (Latin-1's é).
const notUtf8 = Buffer.concat([Buffer.from('2008/caf'), Buffer.from([0xe9]), Buffer.from('.jpg')]);

const ff = (...args) => execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-y', ...args]);
const clip = (file, seconds) => ff('-f', 'lavfi', '-i', `testsrc2=s=320x180:d=${seconds}:r=15`, '-c:v', 'libx264',
  '-pix_fmt', 'yuv420p', file);

// A phone's motion photo: the JPEG with an XMP packet that says how long the clip after it is.
function motionPhotoBytes(jpeg, movie) {
  const packet = '<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
    + '<rdf:Description rdf:about="" xmlns:GCamera="http://ns.google.com/photos/1.0/camera/" '
    + `GCamera:MicroVideo="1" GCamera:MicroVideoOffset="${movie.length}"></rdf:Description></rdf:RDF></x:xmpmeta>`;
  const segment = Buffer.from(`http://ns.adobe.com/xap/1.0/\0${packet}`, 'latin1');
  const length = segment.length + 2;
  return Buffer.concat([jpeg.subarray(0, 2), Buffer.from([0xff, 0xe1, length >> 8, length & 0xff]), segment, jpeg.subarray(2), movie]);
}

function makeSource(home) {
  const source = join(home, sourceName);
  const put = (rel, bytes) => {
    mkdirSync(join(source, rel, '..'), { recursive: true });
    writeFileSync(join(source, rel), bytes);
  };
  for (const { rel, from } of Object.values(pictures)) put(rel, readFileSync(join(photos, from)));
  put(heif, readFileSync(join(photos, 'heif/samplefilehub.heif')));
  mkdirSync(join(source, '2024/Clips'), { recursive: true });
  clip(join(source, video), 2);
  clip(join(source, live.clip), 1);
  ff('-f', 'lavfi', '-i', 'testsrc2=s=320x180', '-frames:v', '1', join(source, live.still));
  const movie = join(home, 'motion.mp4');
  clip(movie, 1);
  put(motionPhoto, motionPhotoBytes(readFileSync(join(photos, 'orientation/Landscape_1.jpg')), readFileSync(movie)));
  writeFileSync(Buffer.concat([Buffer.from(`${source}/`), notUtf8]), readFileSync(join(photos, 'cameras/Olympus_C8080WZ.jpg')));
  return source;
}

function build(home, source) {
  const run = spawn(cli, ['build', source, '--json'], {
    env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' },
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  let out = '', err = '';
  run.stdout.on('data', (d) => { out += d; });
  run.stderr.on('data', (d) => { err += d; });
  return once(run, 'close').then(([status]) => {
    assert.equal(status, 0, err);
    return JSON.parse(out);
  });
}

// python3 -m http.server on a free port of 127.0.0.1 only; resolves once it says which.
async function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', folder, '0'],
    { stdio: ['ignore', 'pipe', 'pipe'] });
  server.stderr.resume();
  let said = '';
  const port = await new Promise((resolve, reject) => {
    server.stdout.on('data', (d) => {
      said += d;
      const m = said.match(/Serving HTTP on 127\.0\.0\.1 port (\d+)/);
      if (m) resolve(Number(m[1]));
    });
    server.on('error', reject);
    server.on('exit', (code) => reject(new Error(`http.server ended (${code}): ${said}`)));
  });
  server.stdout.resume();
  return {
    origin: `http://127.0.0.1:${port}`,
    port,
    stop: async () => {
      if (server.exitCode !== null || server.signalCode !== null) return;
      server.kill();
      await once(server, 'exit');
    },
  };
}

const viewerState = (page) => page.evaluate(() => {
  const v = document.getElementById('viewer');
  const link = (a) => (a.hidden ? null : a.getAttribute('href'));
  const movie = v.querySelector('.movie');
  return {
    full: v.querySelector('.full').getAttribute('src'),
    original: link(v.querySelector('.original')),
    motion: link(v.querySelector('.motion')),
    movie: movie.hidden ? null : movie.getAttribute('src'),
    note: v.querySelector('.note').textContent,
    info: v.querySelector('#info .link').textContent,
  };
});
// Opens the viewer on the photo of this file name, from its tile.
async function openPhoto(page, name) {
  const pos = await page.$$eval('.tile', (ts, n) => ts.find((t) => t.dataset.name === n)?.dataset.pos, name);
  assert.ok(pos !== undefined, name);
  await page.click(`.tile[data-pos="${pos}"]`);
  await page.waitForFunction((n) => document.querySelector('#viewer[open] .path')?.textContent.endsWith(n), name);
}
const fileName = (rel) => rel.slice(rel.lastIndexOf('/') + 1);
// Until the viewer's player has played its clip to the end (a live photo's motion).
const noteEnded = (page) => page.evaluate(() => {
  window.movieEnded = false;
  document.querySelector('#viewer .movie').addEventListener('ended', () => { window.movieEnded = true; }, { once: true });
});
const movieEnded = (page) => page.waitForFunction(() => window.movieEnded, null, { timeout: 30000 });

describe('a wall served over http', { skip }, () => {
  let browser, server, home, source, wallUrl, summary;
  // The source folder's address on the server, and a file's in it.
  const sourceUrl = () => `${server.origin}/${encodeURIComponent(sourceName)}`;
  const originalUrl = (rel) => `${sourceUrl()}/${encodePath(rel)}`;
  // What the server gives out at an address: its status and how many bytes.
  const fetched = async (url) => {
    const response = await fetch(url);
    return { status: response.status, bytes: (await response.arrayBuffer()).byteLength };
  };
  const openWall = async (url = wallUrl, options = {}) => {
    const opened = await open(browser, url, options);
    await opened.page.waitForSelector('body[data-originals]');
    return opened;
  };

  before(async () => {
    home = mkdtempSync(join(tmpdir(), 'kestova-served-'));
    source = makeSource(home);
    summary = await build(mkdtempSync(join(tmpdir(), 'kestova-home-')), source);
    // The same wall copied away from its photos, onto a site of its own.
    cpSync(join(source, '_Photo Gallery'), join(home, 'site', 'Wall'), { recursive: true });
    server = await serve(home);
    browser = await launch();
    wallUrl = `${sourceUrl()}/_Photo%20Gallery/index.html`;
  });
  after(async () => {
    await browser?.close();
    await server?.stop();
  });

  test('the wall shows its thumbnails and finds its originals above the page', async () => {
    assert.deepEqual([summary.photos, summary.videos, summary.unreadable], [7, 1, 0], JSON.stringify(summary));
    const { context, page, record } = await openWall();
    assert.equal(await page.evaluate(() => document.body.dataset.originals), 'moved');
    // The header names where the photos are as a visitor reads it; never a path on disk.
    assert.equal(await page.textContent('#source'), `${server.origin}/${sourceName}`);
    assert.equal(await page.textContent('#count'), '7 photos and 1 video');
    await page.waitForFunction(() => [...document.querySelectorAll('#layer .tile img')].every((i) => i.complete && i.naturalWidth > 0));
    assert.equal(await page.$$eval('#layer .tile img', (is) => is.length), 8);
    assertQuiet(record, `${server.origin}/`);
    await context.close();
  });

  test('the viewer shows each original in full and links to it, whatever its name', async () => {
    const { context, page, record } = await openWall();
    await page.keyboard.press('i');
    for (const { rel, from, width } of Object.values(pictures)) {
      await openPhoto(page, fileName(rel));
      await page.waitForSelector('#viewer .full.loaded');
      assert.equal(await page.$eval('#viewer .full', (i) => i.naturalWidth), width, rel);
      const state = await viewerState(page);
      assert.deepEqual(state, {
        full: originalUrl(rel), original: originalUrl(rel), motion: null, movie: null, note: '',
        info: `${server.origin}/${sourceName}/${rel}`,
      });
      // The link gives the file itself.
      assert.deepEqual(await fetched(state.original), { status: 200, bytes: readFileSync(join(photos, from)).length }, rel);
      await page.keyboard.press('Escape');
      await page.waitForSelector('#viewer:not([open])', { state: 'attached' });
    }
    assertQuiet(record, `${server.origin}/`);
    await context.close();
  });

  test('a name that is not UTF-8 shows its thumbnail, and the viewer says why the server did not give it out', async () => {
    const { context, page, record } = await openWall();
    await openPhoto(page, 'caf\ufffd.jpg');
    await page.waitForFunction(() => document.querySelector('#viewer .full').hidden);
    const state = await viewerState(page);
    // The page asks for the name's own bytes; this server reads addresses as UTF-8 and has no such file.
    assert.equal(state.original, `${sourceUrl()}/2008/caf%E9.jpg`);
    assert.equal((await fetched(state.original)).status, 404);
    assert.equal(state.note, 'The web server did not give out this file: its name is not valid UTF-8, which most servers cannot look up. Open the wall from disk to see it, or rename the file.');
    assert.equal(await page.$eval('#viewer .thumb', (i) => i.complete && i.naturalWidth > 0 && !i.hidden), true);
    assertQuiet(record, `${server.origin}/`);
    await context.close();
  });

  test('a video plays its original from the server', async () => {
    const { context, page, record } = await openWall();
    await openPhoto(page, fileName(video));
    const state = await viewerState(page);
    assert.equal(state.movie, originalUrl(video));
    assert.equal(state.original, originalUrl(video));
    assert.equal(state.note, '');
    // Opened, it plays.
    await page.waitForFunction(() => document.querySelector('#viewer .movie').currentTime > 0.3, null, { timeout: 30000 });
    assert.equal(await page.evaluate(() => document.querySelector('#viewer .movie').error), null);
    assertQuiet(record, `${server.origin}/`);
    await context.close();
  });

  test('a live photo plays the clip beside its original; a motion photo the clip in its wall', async () => {
    const { context, page, record } = await openWall();
    await openPhoto(page, fileName(live.still));
    await page.waitForSelector('#viewer .full.loaded');
    let state = await viewerState(page);
    assert.equal(state.original, originalUrl(live.still));
    assert.equal(state.motion, originalUrl(live.clip));
    assert.equal((await fetched(state.motion)).status, 200);
    await noteEnded(page);
    await page.keyboard.press('p');
    assert.equal((await viewerState(page)).movie, originalUrl(live.clip));
    await movieEnded(page);
    assert.equal((await viewerState(page)).note, '');

    await page.keyboard.press('Escape');
    await openPhoto(page, fileName(motionPhoto));
    await page.waitForSelector('#viewer .full.loaded');
    state = await viewerState(page);
    assert.match(state.motion, /^motion\/[0-9a-f]{2}\/[0-9a-f]{16}\.mp4$/);
    assert.equal((await fetched(new URL(state.motion, wallUrl).href)).status, 200);
    await noteEnded(page);
    await page.keyboard.press('p');
    assert.equal((await viewerState(page)).movie, state.motion);
    await movieEnded(page);
    assert.equal((await viewerState(page)).note, '');
    assertQuiet(record, `${server.origin}/`);
    await context.close();
  });

  test('a photo the browser cannot show has its preview from the wall', async () => {
    const { context, page, record } = await openWall();
    await openPhoto(page, fileName(heif));
    await page.waitForSelector('#viewer .full.loaded');
    const state = await viewerState(page);
    assert.match(state.full, /^previews\/[0-9a-f]{2}\/[0-9a-f]{16}\.jpg$/);
    assert.equal(state.original, originalUrl(heif));
    assert.equal(state.note, 'This browser cannot show this kind of file; this is its preview.');
    assertQuiet(record, `${server.origin}/`);
    await context.close();
  });

  test('a wall served without its photos says so, names no folder and links to nothing', async () => {
    const { context, page, record } = await openWall(`${server.origin}/site/Wall/index.html`);
    assert.equal(await page.evaluate(() => document.body.dataset.originals), 'missing');
    assert.equal(await page.textContent('#source'), '');
    assert.equal(await page.isHidden('#source-sep'), true);
    await openPhoto(page, fileName(pictures.plain.rel));
    assert.deepEqual(await viewerState(page), {
      full: null, original: null, motion: null, movie: null,
      note: 'The original photos are not on this website with the wall: they are found only when the wall lies inside their folder and the server offers that folder too.',
      info: 'Not found from here',
    });
    assertQuiet(record, `${server.origin}/`);
    await context.close();
  });

  test('in German, the sentences about the server are German too', async () => {
    const { context, page } = await openWall(`${server.origin}/site/Wall/index.html`, { locale: 'de-DE' });
    await openPhoto(page, fileName(pictures.plain.rel));
    assert.equal((await viewerState(page)).note, 'Die Originalfotos liegen nicht mit dieser Wand auf der Website: Sie werden nur gefunden, wenn die Wand in ihrem Ordner liegt und der Server auch diesen Ordner anbietet.');
    await context.close();
  });

  test('the page may load from its own server only', async () => {
    const { context, page, record } = await openWall();
    // The same server under another name is another origin: the policy stops the request
    // before it is sent.
    const elsewhere = `http://localhost:${server.port}/${encodeURIComponent(sourceName)}/${encodePath(pictures.plain.rel)}`;
    const failed = page.waitForEvent('requestfailed', (r) => r.url() === elsewhere);
    const blocked = await page.evaluate((url) => new Promise((resolve) => {
      document.addEventListener('securitypolicyviolation', (e) => resolve([e.effectiveDirective, e.blockedURI]), { once: true });
      new Image().src = url;
    }), elsewhere);
    assert.deepEqual(blocked, ['img-src', elsewhere]);
    assert.equal((await failed).failure().errorText, 'csp');
    assert.deepEqual(record.requests.filter((u) => !u.startsWith(`${server.origin}/`)), [elsewhere]);
    await context.close();
  });
});
