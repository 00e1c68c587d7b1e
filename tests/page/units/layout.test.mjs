// The justified layout and the binary search that finds rows, photos and months in it.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { endlessJob, loadPage, plain } from './page.mjs';

const page = await loadPage('strings.js', 'strings-de.js', 'language.js', 'text.js', 'dates.js', 'slices.js', 'layout.js', 'marks.js');
const desktop = { phone: false, left: 16, width: 1000, gap: 4, target: 200, heading: 56, bottom: 24 };
const june2019 = 2019 * 12 + 5;

// A view of photos with these aspect ratios, cut into months of these sizes.
function view(aspects, monthSizes, firstMonth = june2019) {
  const sectionStart = [0];
  for (const size of monthSizes) sectionStart.push(sectionStart.at(-1) + size);
  return {
    view: { pos: Int32Array.from(aspects, (_, i) => i), sectionStart: Int32Array.from(sectionStart), sectionMonth: Int32Array.from(monthSizes, (_, i) => firstMonth - i) },
    aspects: Float32Array.from(aspects),
  };
}
async function layOut(aspects, monthSizes, headingWidths = { label: 80, full: 150 }, { heights, metrics = desktop } = {}) {
  const { view: v, aspects: a } = view(aspects, monthSizes);
  const l = await page.computeLayout(v, a, metrics, () => headingWidths, endlessJob(), heights && Uint16Array.from(heights));
  const items = Array.from({ length: l.count }, (_, i) => [l.top[i], l.height[i], l.start[i], l.end[i]]);
  return { items, total: l.total, bands: plain([...l.bands.entries()]), sectionTop: Array.from(l.sectionTop), layout: l };
}

describe('justified rows', () => {
  test('a month is a heading and rows that fill the width; the last row keeps the target height', async () => {
    // Row 1: 1.5 + 1.5 + 0.75 + 1 = 4.75 wide at 208 px (988 px of photos and 3 gaps of 4);
    // taking the next photo too would make it 157 px high, further from the 200 px target.
    const { items, total } = await layOut([1.5, 1.5, 0.75, 1, 1.5, 1.5], [6]);
    assert.deepEqual(items, [[0, 56, 0, -1], [56, 208, 0, 4], [268, 200, 4, 6]]);
    assert.equal(total, 496);
  });

  test('a photo joins the row when that brings the row closer to the target height', async () => {
    // Row 1: three 1.6 photos are 968 px at 200 px; with the square after them the row would be
    // 170 px high, with them alone 207 px: the square starts row 2. Row 2: square and two 1.6
    // photos; with the last 1.6 photo the row is 170 px, without it 236 px: it joins.
    const { items } = await layOut([1.6, 1.6, 1.6, 1.0, 1.6, 1.6, 1.6], [7]);
    assert.deepEqual(items, [[0, 56, 0, -1], [56, 207, 0, 3], [267, 170, 3, 7]]);
  });

  test('very wide and very tall photos are cropped to between 1:5 and 8:1', async () => {
    // A 20:1 panorama counts as 8:1 (1600 px at the target, more than the width): a row of
    // its own, 1000 px wide and 125 px high. A 1:50 strip counts as 1:5.
    const { items } = await layOut([20, 0.02], [2]);
    assert.deepEqual(items, [[0, 56, 0, -1], [56, 125, 0, 1], [185, 200, 1, 2]]);
  });

  test('small months share a line, each under its own heading, wide enough for its count', async () => {
    const { items, bands, sectionTop, total } = await layOut([1, 1, 1, 1], [2, 2]);
    assert.deepEqual(items, [[0, 256, 0, 4]]);
    assert.equal(total, 284);
    assert.deepEqual(sectionTop, [0, 0]);
    assert.deepEqual(bands, [[0, [
      { section: 0, start: 0, end: 2, x: 0, width: 404, height: 200 },
      { section: 1, start: 2, end: 4, x: 432, width: 404, height: 200 }]]]);
    // Headings wider than their photos widen their months.
    const narrow = await layOut([1, 1, 1, 1], [2, 2], { label: 80, full: 420 });
    assert.deepEqual(narrow.bands[0][1].map((s) => [s.x, s.width]), [[0, 420], [448, 420]]);
  });

  test('a month too wide for the rest of a line starts a line of its own', async () => {
    // 3 photos each: 608 px of a 1000 px line, so the second month does not fit beside the first.
    const { items, sectionTop } = await layOut([1, 1, 1, 1, 1, 1], [3, 3]);
    assert.deepEqual(items, [[0, 256, 0, 3], [260, 256, 3, 6]]);
    assert.deepEqual(sectionTop, [0, 260]);
  });
});

describe('rows that keep thumbnails sharp', () => {
  // Thumbnails are at most 420 pixels on their long side: a 4:3 photo's is 420 x 315.
  const landscapes = Array(12).fill(4 / 3);
  const rowHeights = ({ items }) => items.filter((i) => i[3] >= 0).map((i) => i[1]);

  test('at a pixel ratio of 1 a thumbnail taller than the target changes nothing', async () => {
    const plainRows = await layOut(landscapes, [12]);
    const sharp = await layOut(landscapes, [12], undefined, { heights: Array(12).fill(315) });
    assert.deepEqual(sharp.items, plainRows.items);
  });

  test('at 2 the rows are filled at the height the thumbnails have pixels for', async () => {
    // 315 pixels at 2 device pixels each: rows at most 157 px high, so five photos to a row
    // (148 px) rather than four (184 px); the last row is 157 px, not the 200 px target.
    const metrics = { ...desktop, ratio: 2 };
    const sharp = await layOut(landscapes, [12], undefined, { heights: Array(12).fill(315), metrics });
    assert.deepEqual(rowHeights(sharp), [148, 148, 157]);
    // Without the thumbnails' sizes, the target height.
    assert.deepEqual(rowHeights(await layOut(landscapes, [12], undefined, { metrics })), [185, 185, 185]);
  });

  test('a row that would enlarge a panorama takes one photo more', async () => {
    // A 2:1 panorama (thumbnail 420 x 210) and two 4:3 photos fill the width at 213 px, closer
    // to the 200 px target than 165 px with the next photo; but the panorama has 210 pixels,
    // so the next photo joins.
    const aspects = [2, 4 / 3, 4 / 3, 4 / 3, 4 / 3];
    const heights = [210, 315, 315, 315, 315];
    assert.deepEqual(rowHeights(await layOut(aspects, [5])), [213, 200]);
    assert.deepEqual(rowHeights(await layOut(aspects, [5], undefined, { heights })), [165, 200]);
  });

  test('a tiny photo is enlarged rather than making its row tiny; unknown sizes are no limit', async () => {
    // An 80 x 60 scan among 4:3 photos: its row stays at 60% of the 200 px target or more.
    const aspects = Array(8).fill(4 / 3);
    const tiny = await layOut(aspects, [8], undefined, { heights: [315, 60, 315, 315, 315, 315, 315, 315] });
    assert.deepEqual(rowHeights(tiny), [122, 200]);
    const unknown = await layOut(aspects, [8], undefined, { heights: Array(8).fill(0) });
    assert.deepEqual(unknown.items, (await layOut(aspects, [8])).items);
  });

  test('months side by side are as low as their thumbnails need, the band as tall as its tallest', async () => {
    const metrics = { ...desktop, ratio: 2 };
    const { items, bands } = await layOut([4 / 3, 4 / 3, 0.75, 0.75], [2, 2], undefined, { heights: [315, 315, 420, 420], metrics });
    assert.deepEqual(bands[0][1].map((s) => [+s.x.toFixed(2), +s.width.toFixed(2), s.height]), [[0, 422.67, 157], [450.67, 304, 200]]);
    assert.deepEqual(items, [[0, 256, 0, 4]]);
  });
});

describe('finding places in the layout', () => {
  test('lastAtOrBelow finds the last value at or below, and 0 before the first', () => {
    const values = Float64Array.from([0, 56, 268, 268, 472]);
    assert.deepEqual([-5, 0, 55, 56, 267, 268, 300, 472, 1e9].map((v) => page.lastAtOrBelow(values, 5, v)),
      [0, 0, 0, 1, 1, 3, 3, 4, 4]);
    // Only the first count values take part.
    assert.equal(page.lastAtOrBelow(values, 3, 1e9), 2);
    assert.equal(page.lastAtOrBelow(values, 1, 1e9), 0);
  });

  test('rows, photos and months are found from heights and positions', async () => {
    const { layout } = await layOut([1.5, 1.5, 0.75, 1, 1.5, 1.5, 1, 1, 1, 1], [6, 2, 2]);
    page.setLayout(layout);
    // Items: heading 0, two rows, then one band of the last two months.
    assert.deepEqual([0, 55, 56, 300, 471, 472, 1e6].map((y) => page.itemAt(y)), [0, 0, 1, 2, 2, 3, 3]);
    assert.deepEqual([0, 3, 4, 5, 6, 9].map((p) => page.rowOf(p)), [1, 1, 2, 2, 3, 3]);
    // Of months sharing a band, the first.
    assert.deepEqual([0, 300, 472, 900].map((y) => page.sectionAt(y)), [0, 0, 1, 1]);
  });
});

describe('the timeline\u2019s years', () => {
  const marks = (years, height) => [...page.yearMarks(years, height, 18, 5, 6)].map((m) => `${m.year}${m.label ? '' : ' dot'}@${Math.round(m.at * 10) / 10}`);

  test('a label sits inside its year, and a large year keeps its label where a small neighbour would crowd it', () => {
    // 2022 holds 1% of the wall, 4 px just above 2021, which holds a third of it.
    const years = [{ year: 2024, at: 0, share: 0.05 }, { year: 2023, at: 0.05, share: 0.6 },
      { year: 2022, at: 0.65, share: 0.01 }, { year: 2021, at: 0.66, share: 0.34 }];
    assert.deepEqual(marks(years, 400), ['2024@6', '2023@26', '2022 dot@260', '2021@270']);
    // With room, every year is named.
    assert.deepEqual(marks(years, 4000), ['2024@6', '2023@206', '2022@2606', '2021@2646']);
  });

  test('the first year is always named; a large year right after it is named further into its own part', () => {
    // One photo of 2021 above a wall of 2015: 2021 has 3 px, too little for a label of its own.
    const years = [{ year: 2021, at: 0, share: 0.005 }, { year: 2020, at: 0.005, share: 0.005 },
      { year: 2015, at: 0.01, share: 0.99 }];
    assert.deepEqual(marks(years, 600), ['2021@1.5', '2015@19.5']);
    // No room for 2015 inside its part: it is left out rather than named somewhere else.
    assert.deepEqual(marks([{ year: 2021, at: 0, share: 0.5 }, { year: 2015, at: 0.5, share: 0.5 }], 20), ['2021@5']);
  });

  test('crowded small years become dots, and the undated are never named', () => {
    const years = [{ year: 2020, at: 0, share: 0.85 }, { year: 2019, at: 0.85, share: 0.02 },
      { year: 2018, at: 0.87, share: 0.015 }, { year: 2017, at: 0.885, share: 0.065 }, { year: NaN, at: 0.95, share: 0.05 }];
    assert.deepEqual(marks(years, 400), ['2020@6', '2019 dot@340', '2018 dot@348', '2017@360', 'NaN dot@380']);
    // Too close to a label, a year gets no mark at all.
    assert.deepEqual(marks(years, 200), ['2020@6', '2019 dot@170', '2017@183']);
  });

  test('the years along the track: a year beginning inside a shared line begins where the line does', () => {
    const month = (year, m) => year * 12 + m;
    // Items: 0 a band of December 2021 and November 2020, 1 October 2020, 2 and 3 2015, then the
    // undated, in the last screen (below the end of the scroll range, 1000).
    const sectionMonth = Int32Array.from([month(2021, 11), month(2020, 10), month(2020, 9), month(2015, 5), month(2015, 4), page.undatedMonth]);
    const sectionTop = Float64Array.from([0, 0, 100, 200, 600, 1100]);
    const sectionItem = Int32Array.from([0, 0, 1, 2, 3, 4]);
    const years = plain(page.trackYears(sectionMonth, sectionTop, sectionItem, 1000)).map((y) => ({ ...y, share: Math.round(y.share * 1000) / 1000 }));
    assert.deepEqual(years, [{ year: 2021, at: 0, share: 0, section: 0 }, { year: 2020, at: 0, share: 0.2, section: 1 },
      { year: 2015, at: 0.2, share: 0.9, section: 3 }, { year: null, at: 1.1, share: 0, section: 5 }]);   // NaN, as JSON has it
  });

  test('each year gets at least a label\'s room of the track; the track leads straight through each part', () => {
    const years = [{ year: 2024, at: 0, share: 0.5 }, { year: 2023, at: 0.5, share: 0 }, { year: 2022, at: 0.5, share: 0.01 }, { year: 2021, at: 0.51, share: 0.49 }];
    const parts = plain(page.trackParts(years, 400, 22));
    assert.deepEqual(parts.map((p) => Math.round(p.h * 10) / 10), [179.8, 22, 22, 176.2]);
    assert.equal(Math.round(parts.at(-1).y + parts.at(-1).h), 400);
    // Too little room for every year's least: all alike.
    assert.deepEqual(plain(page.trackParts(years, 40, 22)).map((p) => p.h), [10, 10, 10, 10]);
    // The middle of 2022's part leads to the middle of 2022; the wall's places lead back.
    assert.equal(Math.round(page.wallShareAt(years, parts, 201.8 + 11) * 1000), 505);
    for (const share of [0, 0.25, 0.5, 0.505, 0.75, 1]) {
      assert.ok(Math.abs(page.wallShareAt(years, parts, page.pixelAt(years, parts, share)) - share) < 1e-9, `${share}`);
    }
    // The top of a line where two years begin is the first one's.
    assert.equal(page.pixelAt(years, parts, 0.5), parts[1].y);
  });
});
