// The wall from the keyboard, the shortcut list, going to a date, and the month that stays
// named at the top while scrolling.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, noteScrolls, open, phone, scrollHandled, topHeading } from './harness.mjs';
import { makeWall, sparseYears, synthetic } from './wall.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const wall = makeWall(synthetic(3000, { years: 10 }));
const active = (page) => page.evaluate(() => {
  const e = document.activeElement;
  return e.id || e.className;
});
const scrollTop = (page) => page.evaluate(() => Math.round(scrollY));
// The focused tile: its position, its photo's name, its box, whether it is on screen.
const focusedTile = (page) => page.evaluate(() => {
  const e = document.activeElement;
  if (!e || !e.classList.contains('tile')) return null;
  const b = e.getBoundingClientRect();
  const top = document.getElementById('top').getBoundingClientRect().bottom;
  return { pos: Number(e.dataset.pos), name: e.dataset.name, left: b.left, right: b.right, top: b.top, bottom: b.bottom, onScreen: b.bottom > top && b.top < innerHeight };
});
const sparse = makeWall(sparseYears(), { thumbs: (e, i) => i < 300 });

describe('shortcuts', () => {
  test('? lists every shortcut; / searches; t reaches the timeline', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await page.keyboard.press('?');
    await page.waitForSelector('#help[open]');
    const list = await page.$$eval('#help dt', (ds) => ds.map((d) => `${d.textContent.trim()}: ${d.nextElementSibling.textContent}`));
    assert.equal(list.length, 15);
    for (const line of ['Space: Choose the photo, or let it go', 'g: Go to a date', '/: Search', '?: Show these shortcuts', 'Home End: Go to the newest or the oldest photo',
      'i: In a photo: show or hide its info', 'Space: In a photo: start or stop the slideshow']) {
      assert.ok(list.includes(line), `${line} in ${list.join(' | ')}`);
    }
    await page.keyboard.press('Escape');
    assert.equal(await page.$eval('#help', (d) => d.open), false);
    await page.keyboard.press('/');
    assert.equal(await active(page), 'search');
    // Typed into the search, the keys are text.
    await page.keyboard.type('t?');
    assert.equal(await page.inputValue('#search'), 't?');
    assert.equal(await page.$eval('#help', (d) => d.open), false);
    await page.fill('#search', '');
    await page.waitForFunction(() => document.body.dataset.state === 'ready' && location.hash === '');
    await page.click('.tile[data-pos="0"]');
    await page.keyboard.press('Escape');
    // Escape goes back in the history; the viewer closes when the browser has done so.
    await page.waitForFunction(() => !document.getElementById('viewer').open);
    await page.keyboard.press('t');
    assert.equal(await active(page), 'scrubber');
    assertQuiet(record);
    await context.close();
  });

  test('g goes to a month or a year; a date the wall does not hold says so', async () => {
    const { context, page, record } = await open(browser, wall.url);
    await page.keyboard.press('g');
    await page.waitForSelector('#goto[open]');
    await page.keyboard.type('March 2019');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => !document.getElementById('goto').open);
    assert.equal(await topHeading(page), 'March 2019');
    await page.keyboard.press('g');
    await page.keyboard.type('1980');
    await page.keyboard.press('Enter');
    assert.equal(await page.textContent('#goto .hint'), 'The wall holds no photos from then.');
    await page.fill('#goto-when', 'someday');
    await page.keyboard.press('Enter');
    assert.equal(await page.textContent('#goto .hint'), 'Type a year, or a month and a year, and press Enter.');
    await page.fill('#goto-when', '2016');
    await page.keyboard.press('Enter');
    assert.equal(await topHeading(page), 'December 2016');
    assertQuiet(record);
    await context.close();
  });

  // The year's or the month's first photo takes the focus, also where it shares a line with the
  // months before it and lies near the end of the wall, where the screen cannot scroll it up.
  for (const [typed, date] of [['1998', /^Dec \d+, 1998$/], ['2000', /, 2000$/], ['June 2005', /^\w+ \d+, 2005$/], ['2023', /, 2023$/], ['2010', /, 2010$/]]) {
    test(`g ${typed} focuses the first photo of ${typed}`, async () => {
      const { context, page } = await open(browser, sparse.url);
      await page.keyboard.press('g');
      await page.keyboard.type(typed);
      await page.keyboard.press('Enter');
      await page.waitForFunction(() => !document.getElementById('goto').open);
      const tile = await focusedTile(page);
      assert.ok(tile && tile.onScreen, JSON.stringify(tile));
      const alt = await page.evaluate(() => document.activeElement.querySelector('img').alt);
      assert.match(alt.split(', ').slice(1).join(', '), date);
      await context.close();
    });
  }

  test('Page Down and Up move a screen, End and Home to the ends, focus following', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.focus('.tile[data-pos="0"]');
    await page.keyboard.press('PageDown');
    const screen = await page.evaluate(() => innerHeight - document.getElementById('top').offsetHeight - 60);
    assert.equal(await scrollTop(page), screen);
    const focused = await page.evaluate(() => document.activeElement.getBoundingClientRect().bottom > document.getElementById('top').offsetHeight);
    assert.ok(focused, 'the focused tile is on screen');
    await page.keyboard.press('End');
    assert.equal(await page.evaluate(() => document.activeElement.dataset.pos), '2999');
    assert.ok(await page.evaluate(() => scrollY + innerHeight >= document.documentElement.scrollHeight - 2));
    await page.keyboard.press('PageUp');
    assert.ok(await page.evaluate(() => scrollY + innerHeight < document.documentElement.scrollHeight - 100));
    await page.keyboard.press('Home');
    assert.equal(await scrollTop(page), 0);
    assert.equal(await page.evaluate(() => document.activeElement.dataset.pos), '0');
    await context.close();
  });
});

describe('the grid is one stop of the Tab key, with arrows inside', () => {
  test('Tab enters at the first photo on screen and leaves at the next Tab; Shift+Tab comes back to it', async () => {
    const { context, page, record } = await open(browser, wall.url);
    let presses = 0;
    while (!(await focusedTile(page)) && presses < 10) { await page.keyboard.press('Tab'); presses++; }
    const entered = await focusedTile(page);
    assert.ok(presses <= 4, `${presses} Tabs to reach the grid`);
    assert.equal(entered.pos, 0);
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowRight');
    assert.equal((await focusedTile(page)).pos, 2);
    await page.keyboard.press('Tab');
    assert.equal(await focusedTile(page), null);
    assert.equal(await active(page), 'scrubber');
    await page.keyboard.press('Shift+Tab');
    assert.equal((await focusedTile(page)).pos, 2);
    // Scrolled away with the wheel, the grid is entered again at the first photo on screen.
    await page.keyboard.press('Shift+Tab');
    await noteScrolls(page);
    await page.mouse.move(600, 400);
    await page.mouse.wheel(0, 6000);
    await scrollHandled(page, 6000);
    await page.keyboard.press('Tab');
    const again = await focusedTile(page);
    assert.ok(again && again.onScreen && again.pos > 2, JSON.stringify(again));
    assertQuiet(record);
    await context.close();
  });

  // Each row: the keys pressed from the photo at `from`, and what the focus must then be.
  const moves = [
    ['ArrowRight', 0, (t) => t.pos === 1],
    ['ArrowLeft', 1, (t) => t.pos === 0],
    ['ArrowLeft', 0, (t) => t.pos === 0],
    ['End', 5, (t) => t.pos === 2999 && t.onScreen],
    ['Home', 2999, (t) => t.pos === 0],
    ['PageDown', 0, (t, before) => t.onScreen && t.pos > before.pos],
  ];
  test('arrows, Home, End and Page Down move the focus, which stays on screen', async () => {
    const { context, page } = await open(browser, wall.url);
    for (const [key, from, expected] of moves) {
      await page.focus(`.tile[data-pos="${from}"]`);
      const before = await focusedTile(page);
      await page.keyboard.press(key);
      const after = await focusedTile(page);
      assert.ok(after && expected(after, before), `${key} from ${from}: ${JSON.stringify(after)}`);
    }
    await context.close();
  });

  test('up and down follow the rows as laid out; the focus survives its row leaving and a new layout', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.focus('.tile[data-pos="3"]');
    let last = await focusedTile(page);
    // Far enough that the rows the focus started in are long gone from the page.
    for (let i = 0; i < 25; i++) {
      await page.keyboard.press('ArrowDown');
      const now = await focusedTile(page);
      assert.ok(now && now.onScreen, `down ${i + 1}: ${JSON.stringify(now)}`);
      assert.ok(now.top >= last.bottom - 1 || now.pos > last.pos, `down ${i + 1} went down`);
      assert.ok(now.left < last.right && now.right > last.left, `down ${i + 1} stays in the column: ${JSON.stringify([last, now])}`);
      last = now;
    }
    const down = last;
    await page.keyboard.press('ArrowUp');
    const up = await focusedTile(page);
    assert.ok(up.pos < down.pos && up.left < down.right && up.right > down.left, JSON.stringify([down, up]));
    // A narrower window lays the wall out anew, every tile made again: the photo keeps the focus.
    await page.setViewportSize({ width: 900, height: 800 });
    await page.waitForFunction((name) => document.activeElement.dataset && document.activeElement.dataset.name === name
      && document.body.dataset.state === 'ready', up.name);
    await page.keyboard.press('Enter');
    await page.waitForSelector('#viewer[open]');
    assert.match(await page.textContent('#viewer .path'), new RegExp(`${up.name.replace('.', '\\.')}$`));
    await context.close();
  });
});

describe('while scrolling', () => {
  test('the month at the top stays named, with its count', async () => {
    const { context, page } = await open(browser, wall.url);
    assert.equal(await page.$eval('#current', (c) => c.hidden), true);
    for (const y of [3000, 20000, 41000]) {
      // The page follows a scroll in its scroll event, a frame later: read it after that.
      await page.evaluate((to) => new Promise((done) => {
        addEventListener('scroll', () => done(), { once: true });
        scrollTo(0, to);
      }), y);
      await page.waitForFunction(() => !document.getElementById('current').hidden);
      const current = await page.$eval('#current', (c) => [c.querySelector('h2').textContent, c.querySelector('span').textContent]);
      // The section under the sticky heading is the one it names.
      const below = await page.evaluate(() => {
        const bottom = document.getElementById('current').getBoundingClientRect().bottom;
        // The first tile below it (a gap or a heading may come first).
        for (let y = bottom + 30; y < innerHeight; y += 20) {
          const tile = document.elementFromPoint(innerWidth / 2, y).closest('.tile');
          if (tile) return Number(tile.dataset.pos);
        }
        return null;
      });
      const month = await page.evaluate((p) => {
        const tiles = [...document.querySelectorAll('.month')].filter((m) => m.getBoundingClientRect().top < 200);
        return tiles.length ? tiles.at(-1).querySelector('h2').textContent : null;
      }, below);
      assert.match(current[1], /^\d[\d,]* photos?$/);
      if (month) assert.equal(current[0], month);
    }
    await context.close();
  });

  test('on a phone the header leaves going down and comes back going up', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: phone });
    const headerBottom = () => page.evaluate(() => Math.round(document.getElementById('top').getBoundingClientRect().bottom));
    assert.ok(await headerBottom() > 40);
    await page.mouse.move(200, 400);
    await noteScrolls(page);
    // Each turn of the wheel handled before the next, so that the turn back up is never folded
    // into one scroll with the last ones down.
    for (let i = 1; i <= 5; i++) {
      await page.mouse.wheel(0, 300);
      await scrollHandled(page, 300 * i);
    }
    await page.waitForFunction(() => document.getElementById('top').getBoundingClientRect().bottom <= 0);
    await page.mouse.wheel(0, -200);
    await page.waitForFunction(() => document.getElementById('top').getBoundingClientRect().bottom > 40);
    await context.close();
  });
});
