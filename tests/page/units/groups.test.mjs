// Which folders name a trip (a folder below a dated folder, or one named after its own date), and
// the name its heading shows; and how the search reads what someone types.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { loadPage, plain } from './page.mjs';

const page = await loadPage('strings.js', 'strings-de.js', 'language.js', 'text.js', 'media.js', 'dates.js', 'slices.js', 'table.js', 'search.js', 'groups.js');

describe('trips', () => {
  test('a folder below a dated folder, or named after its date, is a trip; camera folders and months are not', () => {
    const table = [
      ['2019/07 Italy', 'Italy'],
      ['2019/07 Italy/Day 2', 'Italy'],
      ['2019/2019-07-12 Italy/Day 2', 'Italy'],
      ['2019-07-12 Italy', 'Italy'],
      ['20190712_Italy', 'Italy'],
      ['12.07.2019 Italien', 'Italien'],
      ['2019/Italy', 'Italy'],
      ['2019/07/Italy', 'Italy'],
      ['2016/Trip 4', 'Trip 4'],
      ['Pictures/2019/2019-07 - Road trip', 'Road trip'],
      ['2019-07-12 Italy/100CANON', 'Italy'],
      ['2019', null], ['2019/07', null], ['2019/2019-07', null], ['2019/July', null], ['2019/07 Juli', null],
      ['2019/100CANON', null], ['2019/DCIM', null], ['Scans/box 3', null], ['Movies/12 Monkeys', null], ['Italy/2019-07-12', null],
    ];
    assert.deepEqual(table.map(([dir]) => [dir, page.tripIn(dir)?.name ?? null]), table);
  });
});

describe('what a search means', () => {
  const date = (year, month, day) => ({ kind: 'date', year, month, day });
  const table = [
    ['Italy Day 2', [{ kind: 'word', text: 'italy' }, { kind: 'word', text: 'day' }, { kind: 'word', text: '2' }]],
    ['"Day 2" italy', [{ kind: 'phrase', text: 'day 2' }, { kind: 'word', text: 'italy' }]],
    ['Italy / Day 2', [{ kind: 'phrase', text: 'italy/day 2' }]],
    ['2021-05-08', [date(2021, 4, 8)]],
    ['June 23, 2012', [date(2012, 5, 23)]],
    ['23 June 2012', [date(2012, 5, 23)]],
    ['23. Juni 2012', [date(2012, 5, 23)]],
    ['23.6.2012', [date(2012, 5, 23)]],
    ['6/23/2012', [date(2012, 5, 23)]],
    ['23/6/2012', [date(2012, 5, 23)]],
    ['June 2012', [date(2012, 5, 0)]],
    ['Juni 2012', [date(2012, 5, 0)]],
    ['März 2020', [date(2020, 2, 0)]],
    ['2012', [{ ...date(2012, -1, 0), alsoWord: '2012' }]],
    ['june', [{ ...date(null, 5, 0), alsoWord: 'june' }]],
    ['rome 2019-07', [{ kind: 'word', text: 'rome' }, date(2019, 6, 0)]],
    ['live video Panorama raw', ['live', 'video', 'panorama', 'raw'].map((k, i) => ({ kind: 'kind', photoKind: k, alsoWord: ['live', 'video', 'panorama', 'raw'][i] }))],
  ];
  test('words, phrases, paths, dates in every form, kinds', () => {
    assert.deepEqual(table.map(([query]) => [query, plain(page.parseQuery(query))]), table);
  });
});
