// A wall that a stop left unfinished says so on its page until a run finishes it. The walls are
// written by the real kestova-cli from real photos, stopped with Ctrl-C as a user stops it.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { copyFileSync, existsSync, linkSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open } from './harness.mjs';
import { entry, makeWall } from './wall.mjs';

const cli = process.env.KESTOVA_CLI;
const photos = process.env.KESTOVA_SHARED_PHOTOS || fileURLToPath(new URL('../../../shared/photos', import.meta.url));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// Runs kestova-cli build with a home of its own; with stopWhen, sends Ctrl-C's SIGINT once
// its progress on standard error matches. Resolves with the exit status and the JSON result.
function build(home, source, stopWhen) {
  return new Promise((resolve, reject) => {
    const child = spawn(cli, ['build', source, '--json'], {
      env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' },
    });
    let out = '', err = '', sent = false;
    child.stdout.on('data', (d) => { out += d; });
    child.stderr.on('data', (d) => {
      err += d;
      if (stopWhen && !sent && stopWhen.test(err)) {
        sent = true;
        child.kill('SIGINT');
      }
    });
    child.on('error', reject);
    child.on('close', (status) => {
      try { resolve({ status, summary: JSON.parse(out), err }); } catch (e) { reject(new Error(`${e.message}\n${out}\n${err}`)); }
    });
  });
}

// Many distinct photos that cost no disk: hard links to one large real photo.
function manyPhotos(count) {
  const source = join(mkdtempSync(join(tmpdir(), 'kestova-unfinished-')), 'Card');
  mkdirSync(source);
  copyFileSync(join(photos, 'cameras/iphone_hdr_NO.jpg'), join(source, 'first.jpg'));
  for (let i = 0; i < count; i++) linkSync(join(source, 'first.jpg'), join(source, `IMG_${1000 + i}.jpg`));
  return source;
}

const line = (page) => page.$eval('#unfinished', (p) => ({ hidden: p.hidden, text: p.textContent }));

describe('a wall stopped half way', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  const home = mkdtempSync(join(tmpdir(), 'kestova-home-'));
  const source = manyPhotos(150);
  const wall = join(source, '_Photo Gallery');
  const url = pathToFileURL(join(wall, 'index.html')).href;
  let stopped;

  before(async () => {
    stopped = await build(home, source, /Making thumbnails {2}[1-9]/);
  });

  test('Ctrl-C leaves a wall whose page says how many photos are still to do', async () => {
    assert.equal(stopped.status, 130, stopped.err);
    const { photos: done, toDo, partial } = stopped.summary;
    assert.equal(partial, true);
    assert.ok(done > 0 && toDo > 0, JSON.stringify(stopped.summary));
    assert.equal(done + toDo, 151);
    const { context, page, record } = await open(browser, url);
    await page.waitForSelector('body[data-wall="unfinished"]');
    assert.deepEqual(await line(page), {
      hidden: false,
      text: `This wall is unfinished: ${toDo} photos still to do. Update it in Kestova to finish.`,
    });
    assert.equal(await page.textContent('#count'), `${done} photos`);
    assertQuiet(record);
    await context.close();
  });

  test('in German too', async () => {
    const { context, page } = await open(browser, url, { locale: 'de-DE' });
    await page.waitForSelector('body[data-wall="unfinished"]');
    assert.equal((await line(page)).text,
      `Diese Fotowand ist unvollst\u00e4ndig: ${stopped.summary.toDo} Fotos fehlen noch. Aktualisieren Sie sie in Kestova, um sie fertigzustellen.`);
    await context.close();
  });

  test('the run that finishes the wall takes the line away; manifest.js is as it always was', async () => {
    const manifestBefore = readFileSync(join(wall, 'manifest.js'), 'utf8');
    assert.match(manifestBefore, /^window\.GALLERY_TITLE="Card";\nwindow\.GALLERY_ROOT=".*";\nwindow\.PHOTOS=\[.*\];$/s);
    const finished = await build(home, source);
    assert.equal(finished.status, 0, finished.err);
    assert.equal(finished.summary.photos, 151);
    assert.equal(finished.summary.toDo, undefined);
    assert.equal(readFileSync(join(wall, 'state.js'), 'utf8'), 'window.KESTOVA_WALL_STATE={"version":1,"finished":true,"toDo":0};\n');
    const { context, page, record } = await open(browser, url);
    await page.waitForSelector('body[data-wall="finished"]');
    assert.equal((await line(page)).hidden, true);
    assert.equal(await page.textContent('#count'), '151 photos');
    assertQuiet(record);
    await context.close();
  });
});

test('a wall made before the state file existed reads as finished', async () => {
  const made = makeWall([entry('IMG_1.jpg', 0)]);
  assert.equal(existsSync(new URL('state.js', made.url)), false);
  const { context, page, record } = await open(browser, made.url);
  await page.waitForSelector('body[data-wall="finished"]');
  assert.equal((await line(page)).hidden, true);
  assertQuiet(record);
  await context.close();
});

test('a state of a later version that says unfinished is read; a broken one is not', async () => {
  for (const [state, expected] of [
    ['window.KESTOVA_WALL_STATE={"version":2,"finished":false,"toDo":1,"more":"x"};', 'This wall is unfinished: 1 photo still to do. Update it in Kestova to finish.'],
    ['window.KESTOVA_WALL_STATE={"finished":false,"toDo":9};', null],
    ['window.KESTOVA_WALL_STATE={"version":1,"finished":false,"toDo":"9"};', null],
  ]) {
    const made = makeWall([entry('IMG_1.jpg', 0)]);
    writeState(made.url, state);
    const { context, page } = await open(browser, made.url);
    await page.waitForSelector('body[data-wall]');
    const shown = await line(page);
    assert.deepEqual(shown.hidden ? null : shown.text, expected, state);
    await context.close();
  }
});

function writeState(url, text) {
  writeFileSync(new URL('state.js', url), text);
}
