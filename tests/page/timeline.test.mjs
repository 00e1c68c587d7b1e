// The timeline's year labels: each sits where its year's photos are, so pointing at a label
// names a month of that year, and the top label is the year the wall begins with, also when
// that year holds a single photo and a later, large year would crowd it.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, desktop, open, phone } from './harness.mjs';
import { civil, entry, makeWall, sparseYears, synthetic } from './wall.mjs';

// One photo in each of 2021 to 2016, then hundreds in each of 2015 to 2013.
function uneven() {
  const per = { 2021: 1, 2020: 1, 2019: 1, 2018: 1, 2017: 1, 2016: 1, 2015: 300, 2014: 200, 2013: 150 };
  const entries = [];
  for (const year of Object.keys(per).map(Number).sort((a, b) => b - a)) {
    for (let i = 0; i < per[year]; i++) {
      const [w, h] = i % 3 ? [4032, 3024] : [3024, 4032];
      entries.push(entry(`${year}/Trip/IMG_${year}_${i}.jpg`, civil(year, 12 - (i % 12), 28 - (i % 27), 12, 0, 1), w, h));
    }
  }
  return entries.sort((a, b) => b[4] - a[4]);
}

const walls = {
  'a few photos in the recent years, many in the older ones': uneven(),
  '25 years of photos': synthetic(20000, { years: 25 }),
  'sparse months sharing lines': synthetic(400, { years: 15 }),
  'many photos a year, and a few in 2023, 2010 and 1998 to 2007': sparseYears(),
};
// The years of a wall's photos, newest first.
const yearsOf = (entries) => [...new Set(entries.filter((e) => e[4]).map((e) => String(new Date(e[4] * 1000).getUTCFullYear())))];
const overlap = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
const box = (e) => { const b = e.getBoundingClientRect(); return { left: b.left, right: b.right, top: b.top, bottom: b.bottom }; };
const firstYear = (entries) => new Date(entries[0][4] * 1000).getUTCFullYear();

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

for (const [name, viewport] of [['phone', phone], ['desktop', desktop]]) {
  describe(`the timeline's years on a ${name}`, () => {
    for (const [kind, entries] of Object.entries(walls)) {
      test(`${kind}: the top label is the first year, and pointing at each label names a month of its year`, async () => {
        const wall = makeWall(entries, { thumbs: (e, i) => i < 200 });
        const { context, page, record } = await open(browser, wall.url, { viewport });
        const track = await page.locator('#scrubber .track').boundingBox();
        const labels = await page.$$eval('#scrubber .year', (ys) => ys.map((y) => {
          const b = y.getBoundingClientRect();
          return { year: y.textContent, top: b.top, bottom: b.bottom, middle: (b.top + b.bottom) / 2 };
        }));
        assert.ok(labels.length >= 3, `${labels.length} labels`);
        assert.equal(labels[0].year, String(firstYear(entries)));
        for (let i = 1; i < labels.length; i++) {
          assert.ok(labels[i].top >= labels[i - 1].bottom, `${labels[i - 1].year} and ${labels[i].year} overlap`);
        }
        // Every year has room for its label on this wall.
        if (kind.startsWith('many')) assert.deepEqual(labels.map((l) => l.year), yearsOf(entries));
        for (const label of labels) {
          await page.mouse.move(track.x + track.width / 2, label.middle);
          const named = await page.textContent('#scrubber .bubble');
          assert.ok(named.endsWith(label.year), `pointing at ${label.year} names ${named}`);
          // Neither the bubble nor the pointer's line covers the label they name.
          const covered = await page.evaluate(([year, boxText, overlapText]) => {
            const b = eval(boxText), o = eval(overlapText);
            const label = [...document.querySelectorAll('#scrubber .year')].find((y) => y.textContent === year);
            return ['.bubble', '.hover'].filter((s) => o(b(document.querySelector(`#scrubber ${s}`)), b(label)));
          }, [label.year, String(box), String(overlap)]);
          assert.deepEqual(covered, [], `pointing at ${label.year}`);
        }
        // Dragging to a year's label shows that year's photos, however few it has.
        if (kind.startsWith('many')) {
          for (const label of labels) {
            await page.mouse.move(track.x + track.width / 2, label.middle - 6);
            await page.mouse.down();
            await page.mouse.move(track.x + track.width / 2, label.middle, { steps: 3 });
            await page.mouse.up();
            // The years of the photos on screen.
            const shown = await page.evaluate(() => {
              const top = document.getElementById('top').getBoundingClientRect().bottom;
              return [...new Set([...document.querySelectorAll('.tile img')].filter((i) => {
                const b = i.parentNode.getBoundingClientRect();
                return b.bottom > top + 4 && b.top < innerHeight - 4;
              }).map((i) => i.alt.slice(-4)))];
            });
            assert.ok(shown.includes(label.year), `dragged to ${label.year}, the screen shows ${shown.join(', ')}`);
          }
        }
        assertQuiet(record);
        await context.close();
      });
    }
  });
}
