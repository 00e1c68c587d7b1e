// Texts, dates, path segments in addresses and the address fragment.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { loadPage, plain } from './page.mjs';

const page = await loadPage('strings.js', 'strings-de.js', 'language.js', 'text.js', 'dates.js', 'fragment.js');
const at = (y, mo, d, h = 0, mi = 0, s = 0) => Date.UTC(y, mo - 1, d, h, mi, s) / 1000;

describe('texts', () => {
  test('named texts fill in their values, numbers formatted, plurals by the number', () => {
    assert.equal(page.photoCount(1), '1 photo');
    assert.equal(page.photoCount(0), '0 photos');
    assert.equal(page.photoCount(1234567), '1,234,567 photos');
    assert.equal(page.tr('someOfPhotos', { shown: 1200, photos: page.photoCount(3000) }), '1,200 of 3,000 photos');
    assert.equal(page.tr('position', { n: 5, count: 12 }), '5 of 12');
    assert.equal(page.tr('folderOption', { folder: '2019 {n}', count: 3 }), '2019 {n} (3)');
    assert.equal(page.tr('showAll'), 'Show all photos');
  });

  test('every text is a string, or one and other forms for a number', () => {
    for (const [name, value] of Object.entries(page.strings)) {
      if (typeof value === 'object') assert.deepEqual(Object.keys(value).sort(), ['one', 'other'], name);
      else assert.equal(typeof value, 'string', name);
    }
  });
});

describe('dates', () => {
  test('months are named in the reader\u2019s language, undated photos have none', () => {
    assert.equal(page.monthLabel(2019 * 12 + 5), 'June 2019');
    assert.equal(page.monthLabel(1999 * 12 + 11), 'December 1999');
    assert.equal(page.monthLabel(page.undatedMonth), 'No date');
  });

  test('clock times are shown as they were taken, whatever the time zone', () => {
    // The time goes to the next line whole, with the word that leads to it.
    assert.equal(page.dateText(at(2019, 6, 15, 23, 30), 'long'), 'Saturday, June 15, 2019 at\u00a011:30\u00a0PM');
    assert.equal(page.dateText(at(2019, 6, 15, 23, 30), 'short'), 'Jun 15, 2019');
    assert.equal(page.dateText(at(2019, 6, 15), 'long'), 'Saturday, June 15, 2019 at\u00a012:00\u00a0AM');
    assert.equal(page.dateText(at(1969, 12, 31, 23, 59), 'short'), 'Dec 31, 1969');
    for (const undated of [0, undefined, NaN, 9e12]) assert.equal(page.dateText(undated, 'long'), 'No date');
  });

  test('a month, a month with a year, or a year alone is a place to go to', () => {
    const when = (text) => { const w = page.parseWhen(text); return w && [w.year, w.month]; };
    assert.deepEqual(['June 2019', 'jun 2019', '2019 June', '2019-06', '6/2019', '2015', ' 2015 '].map(when),
      [[2019, 5], [2019, 5], [2019, 5], [2019, 5], [2019, 5], [2015, -1], [2015, -1]]);
    assert.deepEqual(['', 'June', 'Junes 2019', '13/2019', '2019 2020', 'June July 2019'].map(when), [null, null, null, null, null, null]);
  });
});

describe('path segments', () => {
  test('a segment is percent-encoded by UTF-8; a byte that was not UTF-8 goes back unchanged', () => {
    assert.equal(page.encodeSegment('Résumé #1?.jpg'), 'R%C3%A9sum%C3%A9%20%231%3F.jpg');
    assert.equal(page.encodeSegment('caf\uDCE9.jpg'), 'caf%E9.jpg');
    assert.equal(page.encodeSegment('\uD800x'), '%EF%BF%BDx');
    assert.equal(page.decodeSegment('caf%E9.jpg'), 'caf\uDCE9.jpg');
    assert.equal(page.decodeSegment('R%C3%A9sum%C3%A9'), 'Résumé');
    // A broken sequence keeps its good characters.
    assert.equal(page.decodeSegment('%C3%A9%C3'), 'é\uDCC3');
    for (const s of ['a b/c', '日本 😀', 'caf\uDCE9', '100%']) assert.equal(page.decodeSegment(page.encodeSegment(s)), s);
  });

  test('originals and thumbnails get addresses that reach them', () => {
    assert.equal(page.fileUrl('/home/ana/Pictures', '2019/Rome #2/a b.jpg'), 'file:///home/ana/Pictures/2019/Rome%20%232/a%20b.jpg');
    assert.equal(page.fileUrl('/', 'x.jpg'), 'file:///x.jpg');
    // Each name on its own, for a web server as for a file address.
    assert.equal(page.pathUrl('50% off?/a "b" \'c\' #1/\u6771\u4eac caf\uDCE9.jpg'), '50%25%20off%3F/a%20%22b%22%20\'c\'%20%231/%E6%9D%B1%E4%BA%AC%20caf%E9.jpg');
    assert.equal(page.thumbUrl('0af3c2d1e4b5a697'), 'thumbs/0a/0af3c2d1e4b5a697.jpg');
    assert.equal(page.fileName('2019/Rome/IMG_1.JPG'), 'IMG_1.JPG');
    assert.equal(page.shown('caf\uDCE9'), 'caf\uFFFD');
  });
});

describe('the address fragment', () => {
  test('reads the folder, the search and the open photo', () => {
    assert.deepEqual(plain(page.parseFragment('#folder=2019%20Rome&q=rome+trip&day=07-04&photo=0af3')), { folder: '2019 Rome', query: 'rome trip', day: '07-04', photo: '0af3' });
    assert.deepEqual(plain(page.parseFragment('#q=a%26b&junk&other=1')), { folder: '', query: 'a&b', day: '', photo: '' });
    assert.deepEqual(plain(page.parseFragment('')), { folder: '', query: '', day: '', photo: '' });
  });

  test('writes what it reads', () => {
    const state = { folder: '2016/2016-10-05 Garden', query: 'a&b=c #1', day: '02-29', photo: 'caf\uDCE9' };
    const hash = page.fragmentFor(state);
    assert.equal(hash, '#folder=2016%2F2016-10-05%20Garden&q=a%26b%3Dc%20%231&day=02-29&photo=caf%E9');
    assert.deepEqual(plain(page.parseFragment(hash)), state);
    assert.equal(page.fragmentFor({ folder: '', query: '', day: '', photo: '' }), '');
  });
});

describe('on this day', () => {
  const at = (y, mo, d, h = 0, mi = 0, s = 0) => Date.UTC(y, mo - 1, d, h, mi, s) / 1000;
  const section = (seconds) => { const d = new Date(seconds * 1000); return d.getUTCFullYear() * 12 + d.getUTCMonth(); };
  const onJuly4 = (seconds, kind = page.clockDate, before = 2025) => page.onDayOf(seconds, section(seconds), kind, 6, 4, before);

  test('a photo of that day of the month in an earlier year, from midnight to midnight', () => {
    assert.deepEqual([at(2019, 7, 4), at(2019, 7, 4, 23, 59, 59), at(1969, 7, 4, 12), at(1, 7, 4, 8)].map((s) => onJuly4(s)), [true, true, true, true]);
    assert.deepEqual([at(2019, 7, 3, 23, 59, 59), at(2019, 7, 5), at(2019, 6, 4), at(2019, 8, 4)].map((s) => onJuly4(s)), [false, false, false, false]);
    // This year's photos are not "on this day"; a day from the path is, a year alone is not.
    assert.equal(onJuly4(at(2025, 7, 4, 9)), false);
    assert.equal(onJuly4(at(2019, 7, 4, 12), page.pathDay), true);
    assert.equal(onJuly4(at(2019, 6, 15, 12), page.pathYear), false);
    assert.equal(page.onDayOf(0, page.undatedMonth, page.clockDate, 6, 4, 2025), false);
    // 29 February only in leap years.
    assert.equal(page.onDayOf(at(2016, 2, 29, 10), section(at(2016, 2, 29)), page.clockDate, 1, 29, 2025), true);
    assert.equal(page.onDayOf(at(2015, 3, 1, 10), section(at(2015, 3, 1)), page.clockDate, 1, 29, 2025), false);
  });

  test('the day in the address', () => {
    assert.deepEqual(plain(page.parseDay('07-04')), { month: 6, day: 4 });
    assert.deepEqual(plain(page.parseDay('02-29')), { month: 1, day: 29 });
    assert.deepEqual(['', '7-4', '13-01', '02-30', '00-10', '07-04x', null].map((t) => page.parseDay(t)), [null, null, null, null, null, null, null]);
    assert.equal(page.dayKey(new Date(2024, 0, 5)), '01-05');
  });
});
