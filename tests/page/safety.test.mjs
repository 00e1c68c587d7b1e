// Nothing from the manifest is ever taken as markup, nothing leaves the computer, and a missing
// or broken manifest gets a sentence rather than a blank page.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { declaredHashes, inlineScriptHashes } from './csp.mjs';
import { assertQuiet, open } from './harness.mjs';
import { civil, entry, makeWall, manifestText, template } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const attack = '<img src=x onerror="window.pwned=1;alert(1)">';
const hostile = [
  entry(`2023/${attack}.jpg`, civil(2023, 3, 1)),
  entry('<i onmouseover=alert(2)>x/<svg onload=window.pwned=2>.jpg', civil(2023, 2, 1)),
  entry('ok/IMG_1.jpg', civil(2023, 1, 1)),
];

describe('hostile names', () => {
  test('titles, paths and names are shown as text and run nothing', async () => {
    const wall = makeWall(hostile, { title: attack, root: '/tmp/<script>window.pwned=3</script>' });
    const { context, page, record } = await open(browser, wall.url);
    assert.equal(await page.textContent('#title'), attack);
    assert.equal(await page.title(), attack);
    assert.equal(await page.textContent('#source'), '/tmp/<script>window.pwned=3</script>');
    assert.deepEqual(await page.$$eval('.tile', (ts) => ts.map((t) => t.dataset.name)),
      [`${attack}.jpg`, '<svg onload=window.pwned=2>.jpg', 'IMG_1.jpg']);
    // One image per tile and no element that came from a name.
    assert.equal(await page.$$eval('#layer img', (i) => i.length), 3);
    assert.equal(await page.$$eval('#layer svg, #layer i, #layer script, header i, select i', (e) => e.length), 0);
    assert.ok((await page.$$eval('#folder option', (os) => os.map((o) => o.textContent))).includes('<i onmouseover=alert(2)>x (1)'));
    await page.click('.tile[data-pos="0"]');
    assert.equal(await page.textContent('#viewer .path'), `2023/${attack}.jpg`);
    await page.keyboard.press('Escape');
    await page.fill('#search', '<svg');
    await page.waitForFunction(() => document.getElementById('count').textContent === '1 of 3 photos');
    assert.equal(await page.evaluate(() => window.pwned), undefined);
    assertQuiet(record);
    await context.close();
  });
});

describe('privacy', () => {
  test('the policy allows only the page\u2019s own script and local files', () => {
    const html = readFileSync(template, 'utf8');
    const policy = html.match(/<meta http-equiv="Content-Security-Policy" content="([^"]*)">/)[1];
    assert.deepEqual(declaredHashes(html), inlineScriptHashes(html),
      'the page must name its own script by its hash');
    assert.match(policy, /default-src 'none'/);
    assert.doesNotMatch(policy, /script-src[^;]*'unsafe-inline'/);
    assert.doesNotMatch(policy, /https?:|\*|data:|blob:/);
    // No address of anything outside this computer anywhere in the page.
    assert.doesNotMatch(html.replace(/<!--[\s\S]*?-->/g, ''), /https?:\/\//);
  });

  test('loading, scrolling, viewing and filtering make no request outside file:', async () => {
    const many = Array.from({ length: 300 }, (_, i) => entry(`2022/IMG_${i}.jpg`, civil(2022, 12 - (i % 12), 1 + (i % 27))))
      .sort((a, b) => b[4] - a[4]);
    const { context, page, record } = await open(browser, makeWall(many).url);
    const violations = await page.evaluate(() => new Promise((resolve) => {
      const seen = [];
      document.addEventListener('securitypolicyviolation', (e) => seen.push(e.violatedDirective));
      scrollTo(0, 5000);
      setTimeout(() => resolve(seen), 300);
    }));
    await page.click('.tile');
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('Escape');
    await page.fill('#search', 'IMG_1');
    await page.waitForFunction(() => document.getElementById('count').textContent.includes(' of '));
    assert.deepEqual(violations, []);
    assert.ok(record.requests.length > 20);
    assertQuiet(record);
    await context.close();
  });
});

describe('broken walls', () => {
  const photos = [entry('a/IMG_1.jpg', civil(2020, 1, 1))];
  const unreadable = 'This wall\u2019s list of photos (manifest.js) cannot be read. Build the wall again with Kestova to repair it.';
  const cases = [
    ['missing manifest', null,
      'This wall\u2019s list of photos (manifest.js) is missing. Keep index.html in its folder together with manifest.js and the thumbs folder, or build the wall again with Kestova.'],
    ['cut-off manifest', manifestText('T', '/p', photos).slice(0, 60), unreadable],
    ['PHOTOS not a list', 'window.GALLERY_TITLE="T";\nwindow.GALLERY_ROOT="/p";\nwindow.PHOTOS={};', unreadable],
    ['empty file', '', unreadable],
  ];
  for (const [name, manifest, message] of cases) {
    test(`${name}: a sentence, not a blank page`, async () => {
      const { context, page } = await open(browser, makeWall(photos, { manifest }).url, { waitFor: 'failed' });
      assert.equal(await page.textContent('#message'), message);
      assert.equal(await page.$$eval('.tile', (t) => t.length), 0);
      await context.close();
    });
  }

  test('entries of the wrong shape are left out or read as unknown', async () => {
    const odd = [
      entry('a/good.jpg', civil(2021, 5, 1)),
      null,
      ['k1'],
      [42, 'a/number-key.jpg', 1, 1, 0, 'a', 0],
      ['k2', 'a/strings.jpg', '4000', '3000', '2020', 'a', 'x'],
    ];
    const { context, page, record } = await open(browser, makeWall([], { manifest: manifestText('Odd', '/p', odd) }).url);
    assert.equal(await page.textContent('#count'), '2 photos');
    assert.deepEqual(await page.$$eval('.month h2', (h) => h.map((x) => x.textContent)), ['May 2021', 'No date']);
    const box = await page.locator('.tile[data-pos="1"]').boundingBox();
    assert.ok(Math.abs(box.width - box.height) <= 1);
    assertQuiet(record);
    await context.close();
  });
});
