// The viewer's zoom and pan (double click, Ctrl+wheel, keys, pinch and double tap on a touch
// screen, dragging), the keyboard focus kept inside the viewer, and captions on a phone.
import assert from 'node:assert/strict';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, open, phone } from './harness.mjs';
import { civil, entry, insideSource, makeWall } from './wall.mjs';

const sharedPhotos = fileURLToPath(new URL('../../../shared/photos', import.meta.url));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// A real 3264 x 2448 camera JPEG, so that zooming in can reach the original's own pixels.
const big = [
  entry('cameras/iphone_hdr_NO.jpg', civil(2015, 4, 10, 20, 12, 23), 3264, 2448),
  entry('cameras/Canon_40D.jpg', civil(2008, 5, 30, 15, 56, 1), 100, 68),
];
const bigWall = makeWall(big, { root: sharedPhotos });

// How the photo is drawn now: the shown content's box on screen (object-fit: contain inside
// the transformed frame), and the stage's box.
const drawn = (page) => page.evaluate(() => {
  const full = document.querySelector('#viewer .full');
  const box = full.getBoundingClientRect();
  const a = full.naturalWidth / full.naturalHeight;
  const width = Math.min(box.width, box.height * a), height = width / a;
  const stage = document.querySelector('#viewer .stage').getBoundingClientRect();
  return {
    left: box.left + (box.width - width) / 2, top: box.top + (box.height - height) / 2, width, height,
    stage: { left: stage.left, top: stage.top, width: stage.width, height: stage.height },
    zoomed: document.querySelector('#viewer .stage').classList.contains('zoomed'),
  };
});
const center = (d) => ({ x: d.stage.left + d.stage.width / 2, y: d.stage.top + d.stage.height / 2 });

describe('zoom and pan', () => {
  test('double click goes to the original\'s own pixels about the pointer and back; keys and Ctrl+wheel zoom; dragging pans within the edges', async () => {
    const { context, page, record } = await open(browser, bigWall.url);
    await page.click('.tile[data-pos="0"]');
    await page.waitForSelector('#viewer .full.loaded');
    const fit = await drawn(page);
    assert.equal(fit.zoomed, false);
    assert.ok(Math.abs(fit.height - fit.stage.height) < 1.5 || Math.abs(fit.width - fit.stage.width) < 1.5);

    // The point under the pointer stays under it.
    const px = fit.left + fit.width * 0.25, py = fit.top + fit.height * 0.5;
    await page.mouse.dblclick(px, py);
    const in1 = await drawn(page);
    assert.equal(in1.zoomed, true);
    assert.ok(Math.abs(in1.width - 3264) < 2, `drawn ${in1.width} wide, the original is 3264`);
    assert.ok(Math.abs((px - in1.left) / in1.width - 0.25) < 0.01);
    // The screen stays covered: no edge of the photo comes away from the stage's edge.
    assert.ok(in1.left <= in1.stage.left + 0.5 && in1.left + in1.width >= in1.stage.left + in1.stage.width - 0.5);
    assert.ok(in1.top <= in1.stage.top + 0.5 && in1.top + in1.height >= in1.stage.top + in1.stage.height - 0.5);

    // Dragging moves the photo with the pointer, and stops at the photo's edge.
    const c = center(in1);
    await page.mouse.move(c.x, c.y);
    await page.mouse.down();
    await page.mouse.move(c.x - 100, c.y - 50, { steps: 5 });
    await page.mouse.up();
    const panned = await drawn(page);
    assert.ok(Math.abs(panned.left - (in1.left - 100)) < 1 && Math.abs(panned.top - (in1.top - 50)) < 1);
    assert.equal((await page.evaluate(() => document.getElementById('viewer').open)), true, 'a drag is no tap that closes');
    await page.mouse.move(c.x, c.y);
    await page.mouse.down();
    await page.mouse.move(c.x + 5000, c.y + 5000, { steps: 5 });
    await page.mouse.up();
    const corner = await drawn(page);
    assert.ok(Math.abs(corner.left - corner.stage.left) < 0.5 && Math.abs(corner.top - corner.stage.top) < 0.5);

    await page.mouse.dblclick(c.x, c.y);
    assert.deepEqual(await drawn(page), fit);

    // Keys: + and - by half again, 0 back to the fit; never smaller than the fit.
    await page.keyboard.press('+');
    const plus = await drawn(page);
    assert.ok(Math.abs(plus.width / fit.width - 1.5) < 0.01);
    await page.keyboard.press('-');
    await page.keyboard.press('-');
    assert.deepEqual(await drawn(page), fit);
    await page.keyboard.press('+');
    await page.keyboard.press('+');
    await page.keyboard.press('0');
    assert.deepEqual(await drawn(page), fit);

    // Ctrl+wheel zooms about the pointer; the wheel alone then pans.
    await page.mouse.move(c.x, c.y);
    await page.keyboard.down('Control');
    await page.mouse.wheel(0, -300);
    await page.keyboard.up('Control');
    await page.waitForFunction(() => document.querySelector('#viewer .stage.zoomed'));
    const wheeled = await drawn(page);
    assert.ok(wheeled.width > fit.width * 1.5);
    const topBefore = await page.$eval('#viewer .full', (f) => f.getBoundingClientRect().top);
    await page.mouse.wheel(0, 80);
    await page.waitForFunction((top) => document.querySelector('#viewer .full').getBoundingClientRect().top < top - 1, topBefore);
    // The page behind did not zoom or scroll.
    assert.equal(await page.evaluate(() => visualViewport.scale), 1);

    // Stepping shows the next photo at its fit.
    await page.keyboard.press('ArrowRight');
    assert.equal(await page.$eval('#viewer .stage', (s) => s.classList.contains('zoomed')), false);
    assertQuiet(record);
    await context.close();
  });

  test('on a touch screen two fingers pinch about their midpoint, a double tap zooms, a swipe steps only at the fit', async () => {
    const { context, page } = await open(browser, bigWall.url, { viewport: phone, hasTouch: true });
    await page.click('.tile[data-pos="0"]');
    await page.waitForSelector('#viewer .full.loaded');
    const cdp = await context.newCDPSession(page);
    const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
    const fit = await drawn(page);
    const c = center(fit);
    const rel = (d) => ({ x: (c.x - d.left) / d.width, y: (c.y - d.top) / d.height });
    const before = rel(fit);
    await touch('touchStart', [[c.x - 40, c.y], [c.x + 40, c.y]]);
    for (let i = 1; i <= 8; i++) await touch('touchMove', [[c.x - 40 - i * 10, c.y], [c.x + 40 + i * 10, c.y]]);
    await touch('touchEnd', []);
    const pinched = await drawn(page);
    // The fingers went from 80 to 240 pixels apart.
    assert.ok(Math.abs(pinched.width / fit.width - 3) < 0.05, `pinched to ${pinched.width / fit.width}`);
    assert.ok(Math.abs(rel(pinched).x - before.x) < 0.01 && Math.abs(rel(pinched).y - before.y) < 0.01);
    assert.equal(await page.evaluate(() => visualViewport.scale), 1, 'the page itself did not zoom');

    // Zoomed, a swipe pans rather than stepping.
    await touch('touchStart', [[c.x, c.y]]);
    for (let i = 1; i <= 5; i++) await touch('touchMove', [[c.x - i * 20, c.y]]);
    await touch('touchEnd', []);
    assert.equal(await page.$eval('#viewer .position', (p) => p.textContent), '1 of 2');
    const swiped = await drawn(page);
    assert.ok(swiped.left < pinched.left - 50);

    // A double tap goes back to the fit; at the fit a swipe steps.
    for (let i = 0; i < 2; i++) { await touch('touchStart', [[c.x, c.y]]); await touch('touchEnd', []); }
    assert.equal((await drawn(page)).zoomed, false);
    await touch('touchStart', [[c.x + 100, c.y]]);
    for (let i = 1; i <= 5; i++) await touch('touchMove', [[c.x + 100 - i * 40, c.y]]);
    await touch('touchEnd', []);
    assert.equal(await page.$eval('#viewer .position', (p) => p.textContent), '2 of 2');
    await context.close();
  });
});

describe('keyboard and captions', () => {
  const entries = [
    entry('2023/Summer/IMG_1.jpg', civil(2023, 9, 27, 10, 45)),
    entry('2023/Summer/IMG_2.jpg', civil(2023, 9, 26, 9, 15)),
    entry('2023/Summer/IMG_3.jpg', civil(2023, 9, 25, 18, 5)),
  ];
  // Inside its photos' folder, so that the viewer offers the original's link.
  const wall = makeWall(entries, insideSource());

  test('Tab and Shift+Tab go round the viewer\'s controls and never leave it', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.click('.tile[data-pos="1"]');
    const where = () => page.evaluate(() => {
      const a = document.activeElement;
      return { inside: document.getElementById('viewer').contains(a), name: a.getAttribute('aria-label') || a.textContent };
    });
    const forward = [];
    for (let i = 0; i < 14; i++) {
      await page.keyboard.press('Tab');
      const w = await where();
      assert.equal(w.inside, true, `Tab ${i + 1} left the viewer`);
      forward.push(w.name);
    }
    // Every control is reached, and the round starts again.
    const round = forward.indexOf(forward[0], 1);
    assert.ok(round >= 6, `a round of ${round}: ${forward.join(', ')}`);
    for (let i = 0; i + round < forward.length; i++) assert.equal(forward[i + round], forward[i]);
    for (const name of ['Close', 'Info (i)', 'Start slideshow (space)', 'Previous photo', 'Next photo', 'Open original']) assert.ok(forward.includes(name), name);
    for (let i = 0; i < 14; i++) {
      await page.keyboard.press('Shift+Tab');
      assert.equal((await where()).inside, true, `Shift+Tab ${i + 1} left the viewer`);
    }
    await context.close();
  });

  test('on a phone the time of a long caption stays on one line', async () => {
    for (const viewport of [phone, { width: 320, height: 640 }]) {
      const { context, page } = await open(browser, wall.url, { viewport });
      await page.click('.tile[data-pos="0"]');
      const lines = await page.evaluate(() => {
        const when = document.querySelector('#viewer .when');
        const text = when.firstChild;
        const at = text.data.indexOf('at');
        const range = document.createRange();
        range.setStart(text, at);
        range.setEnd(text, text.data.length);
        const whole = document.createRange();
        whole.selectNodeContents(when);
        const tops = (r) => new Set([...r.getClientRects()].map((b) => Math.round(b.top))).size;
        return { time: tops(range), text: text.data };
      });
      assert.equal(lines.time, 1, `"${lines.text}" breaks its time at ${viewport.width} wide`);
      await context.close();
    }
  });
});
