// Inside a month: a large month is cut into days under their own headings, a small one stays one
// run; a trip's folder below a dated folder gets a heading with its own name and the days its
// photos span, in the page's language; the heading that follows the screen and the timeline's
// bubble name the day there. The wall is the real program's, of generated camera files.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, noteScrolls, open, scrollHandled } from './harness.mjs';
import { buildLibrary, cli } from './library.mjs';

let browser, wall;
before(async () => {
  browser = await launch();
  if (cli) wall = buildLibrary();
});
after(async () => { await browser?.close(); });

// Every heading of the wall, top to bottom: months as "month|count", trips and days by their
// text. (A screen tall enough to hold the whole wall.)
const tall = { width: 1280, height: 4000 };
const allHeadings = (page) => page.$$eval('.month h2, .group h3, .group h4', (hs) => hs
  .sort((a, b) => a.getBoundingClientRect().top - b.getBoundingClientRect().top)
  .map((h) => (h.tagName === 'H2' ? `${h.textContent}|${h.nextElementSibling.textContent}` : `${h.tagName === 'H3' ? 'trip' : 'day'} ${h.textContent}`)
    .replace(/\s+/g, ' ')));

const expected = {
  'en-US': [
    'May 2021|11 photos and 2 videos', 'trip Picnic · May 8, 2021',
    'August 2019|96 photos', 'trip Road trip · August 10 – 15, 2019',
    ...[15, 14, 13, 12, 11, 10].map((d) => `day ${['Saturday', 'Sunday', 'Monday', 'Tuesday', 'Wednesday', 'Thursday'][d - 10]}, August ${d}`),
    'July 2019|74 photos', 'trip Italy · July 12 – 16, 2019',
    'day Tuesday, July 16', 'day Monday, July 15', 'day Sunday, July 14', 'day Saturday, July 13', 'day Friday, July 12', 'day Tuesday, July 2',
    'June 2019|30 photos',
    'June 2012|10 photos', 'trip Birthday 12 · June 23, 2012',
  ],
  'de-DE': [
    'Mai 2021|11 Fotos und 2 Videos', 'trip Picnic · 8. Mai 2021',
    'August 2019|96 Fotos', 'trip Road trip · 10.–15. August 2019',
    ...[15, 14, 13, 12, 11, 10].map((d) => `day ${['Samstag', 'Sonntag', 'Montag', 'Dienstag', 'Mittwoch', 'Donnerstag'][d - 10]}, ${d}. August`),
    'Juli 2019|74 Fotos', 'trip Italy · 12.–16. Juli 2019',
    'day Dienstag, 16. Juli', 'day Montag, 15. Juli', 'day Sonntag, 14. Juli', 'day Samstag, 13. Juli', 'day Freitag, 12. Juli', 'day Dienstag, 2. Juli',
    'Juni 2019|30 Fotos',
    'Juni 2012|10 Fotos', 'trip Birthday 12 · 23. Juni 2012',
  ],
};

describe('days and trips', { skip: !cli && 'needs KESTOVA_CLI (run through ctest)' }, () => {
  for (const [locale, headings] of Object.entries(expected)) {
    test(`a large month gets its days, a small one none, a trip its name and span (${locale})`, async () => {
      const { context, page, record } = await open(browser, wall.url, { viewport: tall, locale });
      // (The May of 2021 is small: its two days would be headings for one row each.)
      assert.deepEqual(await allHeadings(page), headings);
      assertQuiet(record);
      await context.close();
    });
  }

  test('the heading that follows the screen and the timeline name the day in a month of days', async () => {
    const { context, page } = await open(browser, wall.url, { viewport: { width: 1280, height: 700 } });
    await noteScrolls(page);
    // Down to the middle of the road trip: 12 August, below its own heading.
    const y = await page.evaluate(async () => {
      const find = () => [...document.querySelectorAll('.group h4')].find((h) => h.textContent === 'Monday, August 12');
      // (Rows are made as the screen nears them.)
      while (!find()) { scrollBy(0, 400); await new Promise(requestAnimationFrame); }
      return Math.round(scrollY + find().getBoundingClientRect().bottom - document.getElementById('top').offsetHeight + 40);
    });
    await page.evaluate((to) => scrollTo(0, to), y);
    await scrollHandled(page, y);
    await page.waitForFunction(() => !document.getElementById('current').hidden);
    assert.equal(await page.textContent('#current h2'), 'Monday, August 12, 2019');
    assert.equal(await page.textContent('#current span'), '16 photos');
    assert.equal(await page.getAttribute('#scrubber', 'aria-valuetext'), 'Monday, August 12, 2019');
    assert.equal(await page.textContent('#scrubber .bubble'), 'Monday, August 12, 2019');
    // In a month of a single run, the month as ever: two months on along the timeline, and a
    // little way into it.
    await page.focus('#scrubber');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    await page.waitForFunction(() => document.getElementById('scrubber').getAttribute('aria-valuetext') === 'June 2019');
    const into = await page.evaluate(() => scrollY + 120);
    await page.evaluate((to) => scrollTo(0, to), into);
    await scrollHandled(page, into);
    assert.equal(await page.textContent('#current h2'), 'June 2019');
    assert.equal(await page.textContent('#current span'), '30 photos');
    await context.close();
  });
});
