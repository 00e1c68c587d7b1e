// Which years the timeline names, and where. A point of the track stands for the scroll
// position whose top row it leads to, so a year's part of the track runs from where its first
// row reaches the top of the screen to where the next year's does. Each label sits inside its
// year's part, so that pointing at it names a month of that year; the wall's first year is
// always named, so the top of the track says where the wall begins; when labels would crowd,
// the years that take more of the wall are named next, so a large year is never left a dot while
// a small neighbour gets its label.

import { sectionYear } from './dates.js';

// The years along the track: [{ year, at, share, section }] in wall order, at and share as
// fractions of the scroll range end, section the year's first. sectionMonth, sectionTop and
// sectionItem are the view's and the layout's. A year that begins inside a line it shares with
// earlier months (a band) begins where that line does, so the year before it has no share of
// its own; a year that begins in the wall's last screen lies beyond the end (at over 1), where
// pointing at it scrolls to the end, which shows it.
export function trackYears(sectionMonth, sectionTop, sectionItem, end) {
  var years = [];
  end = Math.max(1, end);
  for (var s = 0; s < sectionMonth.length; s++) {
    var year = sectionYear(sectionMonth[s]);   // NaN for the undated: a dot, never a label
    var last = years[years.length - 1];
    if (last && (last.year === year || (year !== year && last.year !== last.year))) continue;
    var at = sectionTop[s] / end;
    if (last) last.share = at - last.at;
    years.push({ year: year, at: at, share: 0, section: s });
  }
  if (years.length) years[years.length - 1].share = Math.max(0, 1 - years[years.length - 1].at);
  return years;
}

// The track's part of each year: [{ y, h }] in pixels, top to bottom, as tall as the year's share
// of the wall but at least least pixels (where the track has room for that many), so that a year
// of a few photos, or one in the last screen of the wall, can be named and pointed at.
export function trackParts(years, height, least) {
  var n = years.length;
  least = Math.min(least, height / Math.max(1, n));
  var small = new Array(n).fill(false);
  var room = height, shares = 0;
  years.forEach(function (y) { shares += y.share; });
  for (var changed = true; changed;) {
    changed = false;
    for (var i = 0; i < n; i++) {
      if (small[i] || (shares > 0 && years[i].share * room / shares >= least)) continue;
      small[i] = true;
      room -= least;
      shares -= years[i].share;
      changed = true;
    }
  }
  var parts = [], y = 0;
  for (var k = 0; k < n; k++) {
    // Room left when every year is small goes to all alike.
    var h = small[k] ? least + (shares > 0 ? 0 : room / n) : years[k].share * room / shares;
    parts.push({ y: y, h: h });
    y += h;
  }
  return parts;
}

// Where along the wall (a share of the scroll range end, as years' at) a point of the track
// leads, and the point that stands for a place of the wall: straight within each year's part.
// years and parts as above; the years' at ascend.
export function partAtPixel(parts, y) {
  var lo = 0, hi = parts.length - 1;
  while (lo < hi) {
    var mid = (lo + hi + 1) >> 1;
    if (parts[mid].y <= y) lo = mid; else hi = mid - 1;
  }
  return lo;
}
export function wallShareAt(years, parts, y) {
  if (!years.length) return 0;
  var i = partAtPixel(parts, y);
  var within = Math.max(0, Math.min(1, (y - parts[i].y) / Math.max(1e-9, parts[i].h)));
  return years[i].at + within * years[i].share;
}
export function pixelAt(years, parts, share) {
  if (!years.length) return 0;
  var lo = 0, hi = years.length - 1;
  while (lo < hi) {
    var mid = (lo + hi + 1) >> 1;
    if (years[mid].at <= share) lo = mid; else hi = mid - 1;
  }
  // Where years begin on one line, its top is the first one's.
  while (lo > 0 && years[lo - 1].at === share) lo--;
  var within = years[lo].share > 0 ? Math.max(0, Math.min(1, (share - years[lo].at) / years[lo].share)) : 0;
  return parts[lo].y + within * parts[lo].h;
}

// Whether at keeps gap from every place in list.
function keepsGap(list, at, gap) {
  for (var i = 0; i < list.length; i++) if (Math.abs(list[i] - at) < gap) return false;
  return true;
}

// The place nearest to lo within [lo, hi] that keeps gap from every place in taken, or null.
function freePlace(taken, lo, hi, gap) {
  var candidates = [lo];
  taken.forEach(function (t) { if (t + gap > lo && t + gap <= hi) candidates.push(t + gap); });
  candidates.sort(function (a, b) { return a - b; });
  for (var c = 0; c < candidates.length; c++) {
    if (keepsGap(taken, candidates[c], gap)) return candidates[c];
  }
  return null;
}

// years: as trackYears gives them; height: the track's in pixels. Returns
// [{ year, at (pixels), label: true }|{ ..., label: false }] in wall order: a label's at is its
// middle, at least labelHalf inside its year's part where the part is tall enough (else the
// part's middle), and labels keep labelGap between their middles; a dot sits where its year
// starts, dotGap from other dots and dotGap + 3 from labels. Crowded years beyond that, and
// years that have no part of the track, get no mark.
export function yearMarks(years, height, labelGap, dotGap, labelHalf) {
  var half = labelHalf || 0;
  var byShare = years.map(function (y, i) { return i; }).sort(function (a, b) {
    return years[b].share - years[a].share || a - b;
  });
  var first = years.findIndex(function (y) { return y.year === y.year; });
  if (first >= 0) byShare = [first].concat(byShare.filter(function (i) { return i !== first; }));
  var labelled = [];
  var kind = new Array(years.length).fill('');
  var place = new Array(years.length).fill(0);
  byShare.forEach(function (i) {
    var y = years[i];
    if (y.year !== y.year || !(y.share > 0)) return;
    var top = y.at * height, bottom = (y.at + y.share) * height;
    var lo = top + half, hi = bottom - half;
    if (lo > hi) lo = hi = (top + bottom) / 2;
    var at = freePlace(labelled, lo, hi, labelGap);
    if (at === null) return;
    kind[i] = 'label';
    place[i] = at;
    labelled.push(at);
  });
  var dotted = [];
  years.forEach(function (y, i) {
    var at = y.at * height;
    if (kind[i] || !keepsGap(labelled, at, dotGap + 3) || !keepsGap(dotted, at, dotGap)) return;
    kind[i] = 'dot';
    place[i] = at;
    dotted.push(at);
  });
  var marks = [];
  years.forEach(function (y, i) {
    if (kind[i]) marks.push({ year: y.year, at: place[i], label: kind[i] === 'label' });
  });
  return marks;
}
