// The page's reading of dates found in paths: the engine's own cases (tests/dates), and how the
// photo table sorts and labels photos dated by their path.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { describe, test } from 'node:test';
import { endlessJob, loadPage } from './page.mjs';

const page = await loadPage('strings.js', 'strings-de.js', 'language.js', 'text.js', 'dates.js', 'pathdates.js', 'slices.js', 'table.js');
const noonOf = (day) => Date.UTC(+day.slice(0, 4), +day.slice(5, 7) - 1, +day.slice(8, 10), 12) / 1000;
const at = (y, mo, d, h = 0, mi = 0, s = 0) => Date.UTC(y, mo - 1, d, h, mi, s) / 1000;

const cases = readFileSync(new URL('../../dates/path_cases.tsv', import.meta.url), 'utf8').split('\n')
  .map((line, i) => ({ line: i + 1, fields: line.split('\t') }))
  .filter(({ fields }) => fields[0] && !fields[0].startsWith('#'));

describe('dates in paths, by the engine\u2019s rule', () => {
  test('every case the engine is held to', () => {
    assert.ok(cases.length >= 70);
    for (const { line, fields: [fn, text, day, kind] } of cases) {
      const expected = day === '-' ? null : noonOf(day);
      if (fn === 'segDate') {
        const found = page.segmentDate(text);
        assert.equal(found === found ? found : null, expected, `line ${line}: ${text}`);
      } else {
        const found = page.pathDate(text);
        assert.equal(found ? found.seconds : null, expected, `line ${line}: ${text}`);
        if (found) assert.equal(found.kind, kind === 'path' ? 'day' : 'year', `line ${line}: ${text}`);
      }
    }
  });

  test('says which piece of the path the date came from', () => {
    assert.equal(page.pathDate('Trips/2019-07-15 Rome/IMG_0001.JPG').piece, 1);
    assert.equal(page.pathDate('2018/IMG_20200101_120000.jpg').piece, 0);
    assert.equal(page.pathDate('2019/Rome/a.jpg').piece, 2);
  });

  test('a date is taken for a path date only at noon and when the path holds the same date', () => {
    assert.equal(page.pathKind('2019/Rome/a.jpg', at(2019, 6, 15, 12)), page.pathYear);
    assert.equal(page.pathKind('2019-07-15 Rome/a.jpg', at(2019, 7, 15, 12)), page.pathDay);
    // The camera's clock said noon of another day, or the path holds no date.
    assert.equal(page.pathKind('2019/Rome/a.jpg', at(2019, 7, 15, 12)), page.clockDate);
    assert.equal(page.pathKind('Rome/a.jpg', at(2019, 6, 15, 12)), page.clockDate);
  });
});

describe('the photo table', () => {
  const entry = (rel, date) => ['k' + rel.length, rel, 400, 300, date, rel.split('/')[0], 0];
  async function table(entries) {
    assert.equal(await page.buildTable(entries, endlessJob()), true);
    const order = Array.from(page.order);
    return {
      rels: order.map((i) => entries[i][1]),
      sections: order.map((i) => page.monthLabel(page.monthOf[i])),
      kinds: order.map((i) => page.dateKind[i]),
    };
  }

  test('a year alone has a section of its own, after the year\u2019s dated months', async () => {
    const t = await table([
      entry('2019/b.jpg', at(2019, 8, 1, 9)),
      entry('2019-07-15 Rome/c.jpg', at(2019, 7, 15, 12)),
      entry('2019/Rome/year.jpg', at(2019, 6, 15, 12)),
      entry('2019/d.jpg', at(2019, 6, 15, 11)),
      entry('Summer 2019/year2.jpg', at(2019, 6, 15, 12)),
      entry('2019/e.jpg', at(2019, 1, 2, 8)),
      entry('2018/year.jpg', at(2018, 6, 15, 12)),
      entry('2017/f.jpg', at(2017, 3, 1, 8)),
      entry('x/undated.jpg', 0),
    ]);
    assert.deepEqual(t.rels, ['2019/b.jpg', '2019-07-15 Rome/c.jpg', '2019/d.jpg', '2019/e.jpg',
      '2019/Rome/year.jpg', 'Summer 2019/year2.jpg', '2018/year.jpg', '2017/f.jpg', 'x/undated.jpg']);
    assert.deepEqual(t.sections, ['August 2019', 'July 2019', 'June 2019', 'January 2019', '2019', '2019', '2018', 'March 2017', 'No date']);
    assert.deepEqual(t.kinds, [0, 1, 0, 0, 2, 2, 2, 0, 0]);
    assert.deepEqual(t.sections.map((_, i) => page.sectionYear(page.monthOf[page.order[i]])), [2019, 2019, 2019, 2019, 2019, 2019, 2018, 2017, NaN]);
  });

  test('dates in paths read as days and years, without a time', () => {
    assert.equal(page.dateText(at(2019, 6, 15, 12), 'long', page.pathYear), '2019');
    assert.equal(page.dateText(at(2019, 6, 15, 12), 'short', page.pathYear), '2019');
    assert.equal(page.dateText(at(2019, 7, 15, 12), 'long', page.pathDay), 'Monday, July 15, 2019');
    assert.equal(page.dateText(at(2019, 7, 15, 12), 'long', page.clockDate), 'Monday, July 15, 2019 at\u00a012:00\u00a0PM');
    assert.equal(page.dateText(at(2019, 7, 15), 'long', page.clockDate), 'Monday, July 15, 2019 at\u00a012:00\u00a0AM');
  });
});
