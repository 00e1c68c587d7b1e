// Opens walls in a fresh browser context and keeps what the page did: every request, every
// script error and every dialog (an alert would mean injected code ran).
import assert from 'node:assert/strict';

export const desktop = { width: 1280, height: 800 };
export const phone = { width: 390, height: 844 };

// A phone as the browser sees it: a touch screen that honours the page's viewport settings.
export const touchPhone = { viewport: phone, hasTouch: true, isMobile: true, deviceScaleFactor: 3 };

// before(page) runs before the wall is opened (to install a clock, say).
export async function open(browser, url, { viewport = desktop, locale = 'en-US', timezoneId = 'UTC', colorScheme = 'light', waitFor = 'ready', reducedMotion = 'reduce', hasTouch = false, isMobile = false, deviceScaleFactor = 1, before } = {}) {
  const context = await browser.newContext({ viewport, locale, timezoneId, colorScheme, reducedMotion, hasTouch, isMobile, deviceScaleFactor });
  const page = await context.newPage();
  if (before) await before(page);
  const record = { requests: [], errors: [], dialogs: [] };
  page.on('request', (r) => record.requests.push(r.url()));
  page.on('pageerror', (e) => record.errors.push(e.message));
  page.on('dialog', (d) => { record.dialogs.push(d.message()); d.dismiss().catch(() => {}); });
  await page.goto(url);
  if (waitFor) await page.waitForSelector(`body[data-state="${waitFor}"]`, { timeout: 60000 });
  return { context, page, record };
}

// Every request the page made stayed on this computer (or, for a wall served over the web, went
// to the server at `from`), and no script failed.
export function assertQuiet(record, from = 'file:') {
  assert.deepEqual(record.requests.filter((u) => !u.startsWith(from)), []);
  assert.deepEqual(record.errors, []);
  assert.deepEqual(record.dialogs, []);
}

export const whenReady = (page) => page.waitForSelector('body[data-state="ready"]', { timeout: 60000 });

// The month headings in the DOM, top to bottom, as "label|count".
export const headings = (page) => page.$$eval('.month', (ms) => ms.map((m) => `${m.querySelector('h2').textContent}|${m.querySelector('span').textContent}`));

// The file names of the tiles in the DOM, in document order.
export const tileNames = (page) => page.$$eval('.tile', (ts) => ts.map((t) => t.dataset.name));

// What is drawn at the top, middle and bottom of the wall's part of the screen: a tile's name,
// a heading's text, or 'blank' when the screen shows no wall there.
// (Runs in the page.)
function probeScreen() {
  const top = document.getElementById('top').getBoundingClientRect().bottom;
  const ys = [top + 5, (top + innerHeight) / 2, innerHeight - 40];
  return ys.map((y) => {
    // Two heights and three columns, so that a gap between photos is not taken for a hole.
    for (const [x, dy] of [[40, 0], [innerWidth / 2, 0], [innerWidth - 80, 0], [40, 6], [innerWidth / 2, 6]]) {
      const e = document.elementFromPoint(x, y + dy);
      const tile = e && e.closest('.tile');
      if (tile) return tile.dataset.name;
      const month = e && e.closest('.month, .row');
      if (month) return month.className;
    }
    return 'blank';
  });
}
export const screenProbe = (page) => page.evaluate(`(${probeScreen})()`);

// Scrolls the page by `step` pixels a frame until it stops moving; returns the largest number of
// elements seen and every place where part of the screen showed no wall.
export const sweep = (page, step) => page.evaluate(`(async () => {
  const probe = ${probeScreen};
  const frame = () => new Promise((r) => requestAnimationFrame(r));
  let most = 0, steps = 0, last = -1;
  const holes = [];
  while (scrollY !== last && steps < 5000) {
    last = scrollY;
    scrollBy(0, ${step});
    await frame();
    steps++;
    most = Math.max(most, document.getElementsByTagName('*').length);
    const seen = probe();
    if (seen.includes('blank')) holes.push(scrollY + ': ' + seen.join(' / '));
  }
  return { most, steps, holes };
})()`);

// Where the page was when it last handled a scroll: a listener of the test's, added after the
// page's own, notes it in window.scrollSeen. Wait on it rather than on time: a busy machine may
// still be delivering a scroll when the wheel or the key that made it has long returned.
export const noteScrolls = (page) => page.evaluate(() => {
  window.scrollSeen = null;
  addEventListener('scroll', () => { window.scrollSeen = scrollY; }, { passive: true });
});
// Until the page has handled a scroll to `y`; with no `y`, a scroll since noteScrolls or
// forgetScrolls, and none on its way after it.
export const scrollHandled = (page, y) => page.waitForFunction((to) => window.scrollSeen !== null
  && window.scrollSeen === (to ?? scrollY), y);
export const forgetScrolls = (page) => page.evaluate(() => { window.scrollSeen = null; });

export const domSize = (page) => page.evaluate(() => document.getElementsByTagName('*').length);

// The month heading at the top of the wall's part of the screen, if one is there.
export const topHeading = (page) => page.evaluate(() => {
  const top = document.getElementById('top').getBoundingClientRect().bottom;
  for (let y = top + 2; y < top + 60; y += 4) {
    const e = document.elementFromPoint(60, y);
    const month = e && e.closest('.month');
    if (month) return month.querySelector('h2').textContent;
  }
  return null;
});

// Names of the tiles wholly or partly on screen.
export const visibleNames = (page) => page.evaluate(() => {
  const top = document.getElementById('top').getBoundingClientRect().bottom;
  return [...document.querySelectorAll('.tile')].filter((t) => {
    const b = t.getBoundingClientRect();
    return b.bottom > top && b.top < innerHeight;
  }).map((t) => t.dataset.name);
});
