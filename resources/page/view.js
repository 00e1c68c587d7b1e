// The view: the photos that pass the filter, in wall order, cut into month sections.

import { parseDay, onDayOf } from './dates.js';
import { keepGoing } from './slices.js';
import { foldersIn, lowered, buildLowered, order, dirOf, dateOf, monthOf, dateKind, loweredPath, rawOf } from './table.js';
import { parseQuery, detailsMatcher, matchesAll, bestMatches } from './search.js';
import { viewGroups } from './groups.js';

// folder: '' for all, '/' for the root, else a folder's path; day: 'MM-DD' for the photos of
// that day in earlier years (see onthisday.js).
// photos: a mask over the photos (1 for those shown), from a place on the map (see places.js),
// with photosLabel naming it.
export var filter = { folder: '', query: '', day: '', photos: null, photosLabel: '' };
export var view = null;        // { pos: Int32Array of photo indices, sections: {start, month, count} }
export function setView(next) { view = next; }

export async function buildView(job) {
  // A folder that no longer exists matches nothing.
  var inside = filter.folder ? foldersIn(filter.folder) : null;
  var day = filter.day ? parseDay(filter.day) || { month: -1, day: 0 } : null;
  var thisYear = new Date().getFullYear();
  var terms = parseQuery(filter.query);
  var more = terms.length ? detailsMatcher() : null;
  if (terms.length && !lowered && !(await buildLowered(job))) return null;
  var within = filter.photos;
  var pos;
  if (!inside && !day && !terms.length && !within) {
    pos = order;
  } else {
    pos = new Int32Array(order.length);
    var count = 0;
    for (var i = 0; i < order.length; i++) {
      if ((i & 1023) === 0 && !(await keepGoing(job))) return null;
      var photo = order[i];
      if (inside && !inside[dirOf[photo]]) continue;
      if (within && !within[photo]) continue;
      if (day && !onDayOf(dateOf[photo], monthOf[photo], dateKind[photo], day.month, day.day, thisYear)) continue;
      if (terms.length) {
        var path = loweredPath(photo);
        // A pair's raw file answers for its JPEG ("cr2" finds the photos shot in raw too).
        var raw = rawOf.size ? rawOf.get(photo) : undefined;
        if (raw !== undefined) path += '\n' + loweredPath(raw);
        if (!matchesAll(terms, photo, path, more)) continue;
      }
      pos[count++] = photo;
    }
    pos = pos.subarray(0, count);
  }
  var start = [], month = [];
  var last = NaN;
  for (var j = 0; j < pos.length; j++) {
    if ((j & 4095) === 0 && !(await keepGoing(job))) return null;
    var mo = monthOf[pos[j]];
    if (mo !== last) { start.push(j); month.push(mo); last = mo; }
  }
  start.push(pos.length);
  var next = { pos: pos, sectionStart: Int32Array.from(start), sectionMonth: Int32Array.from(month) };
  next.groups = await viewGroups(next, job);
  if (!next.groups) return null;
  // A search names its best matches (controls.js shows them).
  next.best = terms.length && pos.length ? await bestMatches(terms, next, job) : [];
  return next.best ? next : null;
}


// Where a photo is in view v, or -1.
export function positionIn(v, photo) {
  for (var i = 0; i < v.pos.length; i++) if (v.pos[i] === photo) return i;
  return -1;
}
