// Dates found in a photo's path. The engine dates a photo by its path when the photo holds no
// capture date, and then stores noon of that day (15 June for a year alone); the page tells such
// dates apart by finding the same evidence in the path again, by the engine's own rule:
// the file name first, then each folder from the deepest, a full date before a year alone.

import { clockDate, pathYear, pathDay } from './dates.js';

var pathDatePatterns = {
  // \p{Nd} matches any decimal digit, as the engine's patterns do; only ASCII digits read as a
  // number, so a date written in other digits counts as no date.
  numeric: /((?:19|20)\p{Nd}{2})[.\-_](\p{Nd}{1,2})[.\-_](\p{Nd}{1,2})/u,
  compact: /((?:19|20)\p{Nd}{2})(\p{Nd}{2})(\p{Nd}{2})/u,
  word: /([A-Za-z]+)\s+(\p{Nd}{1,2}),\s*((?:19|20)\p{Nd}{2})/u,
  year: /(?:^|[^0-9])((?:19|20)\p{Nd}{2})(?:[^0-9]|$)/u
};
var monthNames = ['january', 'february', 'march', 'april', 'may', 'june', 'july', 'august', 'september', 'october', 'november', 'december'];
var noon = 43200;

function asciiNumber(text) { return /^[0-9]{1,9}$/.test(text) ? Number(text) : NaN; }

// Noon of a civil date as the engine counts it (a day past the month's end runs on into the
// next month), or NaN outside the years 1990 to 2035.
function pathEpoch(year, month, day) {
  if (!(year >= 1990 && year <= 2035 && month >= 1 && month <= 12 && day >= 1 && day <= 31)) return NaN;
  return Date.UTC(year, month - 1, day) / 1000 + noon;
}

// A full date in one piece of a path, at noon, or NaN.
export function segmentDate(segment) {
  var m = pathDatePatterns.numeric.exec(segment);
  var date = m ? pathEpoch(asciiNumber(m[1]), asciiNumber(m[2]), asciiNumber(m[3])) : NaN;
  if (date === date) return date;
  m = pathDatePatterns.word.exec(segment);
  var month = m ? monthNames.indexOf(m[1].toLowerCase()) + 1 : 0;
  date = month ? pathEpoch(asciiNumber(m[3]), month, asciiNumber(m[2])) : NaN;
  if (date === date) return date;
  m = pathDatePatterns.compact.exec(segment);
  return m ? pathEpoch(asciiNumber(m[1]), asciiNumber(m[2]), asciiNumber(m[3])) : NaN;
}

// The date evidence in a relative path: { seconds, kind: 'day' or 'year', piece: how many pieces
// from the end it was found in (0: the file name) }, or null.
export function pathDate(rel) {
  var pieces = rel.split('/').filter(Boolean);
  for (var i = pieces.length - 1; i >= 0; i--) {
    var date = segmentDate(pieces[i]);
    if (date === date) return { seconds: date, kind: 'day', piece: pieces.length - 1 - i };
  }
  for (var j = pieces.length - 1; j >= 0; j--) {
    var m = pathDatePatterns.year.exec(pieces[j]);
    var year = m ? pathEpoch(asciiNumber(m[1]), 6, 15) : NaN;
    if (year === year) return { seconds: year, kind: 'year', piece: pieces.length - 1 - j };
  }
  return null;
}

// What a date stored for this path is: pathDay or pathYear when the path holds the same date
// (noon of that day, or of 15 June for a year), else a clock time.
export function pathKind(rel, seconds) {
  var found = pathDate(rel);
  if (!found || found.seconds !== seconds) return clockDate;
  return found.kind === 'year' ? pathYear : pathDay;
}
