// Layout: justified rows. Each row keeps every photo's aspect ratio and is scaled so that it
// fills the width; the photos of a row share one height close to the target height. The
// last row of a month keeps the target height rather than blowing up a few photos.
//
// The result is a list of items (a month heading or a row of photos) with their tops and
// heights, found again by binary search, so that no position is ever measured in the DOM.

import { sectionCount } from './media.js';
import { monthLabel } from './dates.js';
import { keepGoing } from './slices.js';
import { groupHeight } from './groups.js';

// The rows of the wall as laid out for the view; refresh (main.js) makes it anew.
export var layout = null;
export function setLayout(next) { layout = next; }


// The widths a month's heading needs, with and without its count, measured with the page's
// own font.
var measureContext = null;
var labelWidths = new Map();
export function headingWidth(v, s, m) {
  var label = monthLabel(v.sectionMonth[s]);
  var count = sectionCount(v, s);
  var cacheKey = m.phone + label + count;
  var width = labelWidths.get(cacheKey);
  if (width === undefined) {
    if (!measureContext) measureContext = document.createElement('canvas').getContext('2d');
    var family = getComputedStyle(document.body).fontFamily;
    measureContext.font = '600 ' + (m.phone ? 15 : 17) + 'px ' + family;
    var labelOnly = Math.ceil(measureContext.measureText(label).width) + 4;
    measureContext.font = '13px ' + family;
    width = { label: labelOnly, full: labelOnly + 6 + Math.ceil(measureContext.measureText(count).width) };
    labelWidths.set(cacheKey, width);
  }
  return width;
}

// A tile's width over its height: the photo's own, but no wider than 8:1 and no narrower than
// 1:5, so that a panorama or a sliver still leaves its row room for others.
export function tileAspect(a) { return Math.min(8, Math.max(0.2, a)); }

// The tallest a photo's tile can be drawn without showing its thumbnail larger than its pixels
// at the screen's pixel ratio (m.ratio), or Infinity when the thumbnail's size is unknown.
// A tile of a photo cropped to 8:1 or 1:5 shows part of the thumbnail, so it is bound by the
// thumbnail's width too.
function sharpHeight(photo, aspects, heights, m) {
  var h = heights ? heights[photo] : 0;
  if (!h) return Infinity;
  var a = aspects[photo];
  return h * Math.min(1, a / tileAspect(a)) / (m.ratio || 1);
}
// Rows are lowered for sharpness down to this share of the target only: below it, a tiny
// photo is enlarged rather than making its whole row tiny.
var lowest = 0.6;
function rowGoal(sharp, m) { return Math.min(m.target, Math.max(m.target * lowest, sharp)); }

// A month whose photos take less than a line shares its line with the months next to it,
// each under its own heading, so that a sparse wall is not mostly empty space. Such a line
// (a band) is one item; its months are listed in layout.bands.
// aspects holds each photo's width / height; widthsOf(v, s, m) is headingWidth or a stand-in;
// heights, when given, each photo's thumbnail height in pixels (0 when unknown): rows are then
// kept low enough that thumbnails are not enlarged wherever the photos allow.
export async function computeLayout(v, aspects, m, widthsOf, job, heights) {
  var n = v.pos.length, sections = v.sectionMonth.length;
  var cap = n + sections;
  var itemTop = new Float64Array(cap), itemHeight = new Float32Array(cap);
  var itemStart = new Int32Array(cap), itemEnd = new Int32Array(cap);
  // A row that starts a trip or a day carries its heading above its photos: the group's index + 1.
  var itemLabel = new Int32Array(cap), groups = v.groups || null;
  var sectionTop = new Float64Array(sections), sectionItem = new Int32Array(sections);
  var bands = new Map();   // item index -> [{ section, start, end, x, width }]
  var band = null, bandWidth = 0, monthGap = m.phone ? 14 : 28;
  var count = 0, y = 0;
  var width = m.width, gap = m.gap, target = m.target;
  for (var s = 0; s < sections; s++) {
    var start = v.sectionStart[s], end = v.sectionStart[s + 1];
    if ((s & 63) === 0 && !(await keepGoing(job))) return null;
    var natural = Infinity, low = target;
    if (end - start <= 24) {
      for (var r = start; r < end; r++) low = Math.min(low, sharpHeight(v.pos[r], aspects, heights, m));
      low = Math.floor(rowGoal(low, m));
      natural = (end - start - 1) * gap;
      for (var q = start; q < end; q++) natural += tileAspect(aspects[v.pos[q]]) * low;
    }
    if (natural <= width * 0.75) {
      var needs = widthsOf(v, s, m);
      // As wide as its photos, or as its heading with the count where that is wider; its photos
      // at the target height, or lower where that would enlarge a thumbnail.
      var segment = { section: s, start: start, end: end, x: 0, width: Math.max(natural, needs.full), height: low };
      if (band && bandWidth + monthGap + segment.width <= width) {
        segment.x = bandWidth + monthGap;
        bandWidth = segment.x + segment.width;
        band.push(segment);
        itemEnd[count - 1] = end;
        sectionTop[s] = itemTop[count - 1];
        sectionItem[s] = count - 1;
        var taller = m.heading + low - itemHeight[count - 1];
        if (taller > 0) { itemHeight[count - 1] += taller; y += taller; }
        continue;
      }
      if (segment.width <= width) {
        band = [segment];
        bandWidth = segment.width;
        bands.set(count, band);
        sectionTop[s] = y;
        sectionItem[s] = count;
        itemTop[count] = y; itemHeight[count] = m.heading + low; itemStart[count] = start; itemEnd[count] = end;
        count++;
        y += m.heading + low + gap;
        continue;
      }
    }
    band = null;
    sectionTop[s] = y;
    sectionItem[s] = count;
    itemTop[count] = y; itemHeight[count] = m.heading; itemStart[count] = start; itemEnd[count] = -1 - s;
    count++;
    y += m.heading;
    var p = start;
    var g = groups ? groups.sectionFirst[s] : 0, lastGroup = groups ? groups.sectionFirst[s + 1] : 0;
    while (p < end) {
      if ((count & 255) === 0 && !(await keepGoing(job))) return null;
      // A trip or a day begins a row of its own, under its heading.
      var label = 0, labelHeight = 0;
      if (g < lastGroup && groups.pos[g] === p) { label = g + 1; labelHeight = groupHeight(groups, g, m); g++; }
      var stop = g < lastGroup ? groups.pos[g] : end;
      // sharp: the tallest the row's photos so far can be drawn without enlarging a thumbnail;
      // goal: the height the row is filled at, the target or lower where sharp is lower.
      var first = p, sum = 0, full = false, sharp = Infinity, goal = target;
      while (p < stop) {
        // Very wide panoramas and very tall strips are cropped a little rather than becoming
        // slivers.
        var a = tileAspect(aspects[v.pos[p]]);
        var own = heights ? sharpHeight(v.pos[p], aspects, heights, m) : Infinity;
        var k = p - first;  // photos already in the row
        if (k > 0 && (sum + a) * rowGoal(Math.min(sharp, own), m) + k * gap > width) {
          // Take this photo too if the row's thumbnails would be enlarged without it (and could
          // be kept sharp), or if that brings the row's height closer to its goal.
          var without = (width - (k - 1) * gap) / sum;
          var withIt = (width - k * gap) / (sum + a);
          var enlarged = sharp >= target * lowest && without > sharp + 0.5;
          if (enlarged || Math.abs(withIt - goal) < Math.abs(without - goal)) {
            sum += a; p++; sharp = Math.min(sharp, own);
          }
          full = true;
          break;
        }
        sum += a;
        p++;
        sharp = Math.min(sharp, own);
        goal = rowGoal(sharp, m);
        if (sum * goal + k * gap >= width) { full = true; break; }
      }
      var gaps = (p - first - 1) * gap;
      var height = full ? (width - gaps) / sum : Math.min(goal, (width - gaps) / sum);
      // Rounded down where rounding up would enlarge the row's thumbnails.
      var keepSharp = sharp >= target * lowest && height > sharp - 0.5;
      height = Math.max(1, keepSharp ? Math.floor(height) : Math.round(height));
      itemTop[count] = y; itemHeight[count] = labelHeight + height; itemStart[count] = first; itemEnd[count] = p;
      itemLabel[count] = label;
      count++;
      y += labelHeight + height + gap;
    }
  }
  return {
    metrics: m,
    count: count,
    top: itemTop, height: itemHeight, start: itemStart, end: itemEnd, label: itemLabel,
    sectionTop: sectionTop, sectionItem: sectionItem, bands: bands,
    total: Math.ceil(y + m.bottom)
  };
}

// The last index below count whose value is at or below v (0 when there is none): values
// ascend, so a binary search finds it.
export function lastAtOrBelow(values, count, v) {
  var lo = 0, hi = count - 1;
  while (lo < hi) {
    var mid = (lo + hi + 1) >> 1;
    if (values[mid] <= v) lo = mid; else hi = mid - 1;
  }
  return lo;
}
// Last item whose top is at or above y.
export function itemAt(y) {
  return lastAtOrBelow(layout.top, layout.count, y);
}
// The row that holds the photo at position p of the view.
export function rowOf(p) {
  return lastAtOrBelow(layout.start, layout.count, p);
}
// The month at height y; of months sharing a band, the first.
export function sectionAt(y) {
  var lo = lastAtOrBelow(layout.sectionTop, layout.sectionTop.length, y);
  while (lo > 0 && layout.sectionTop[lo - 1] === layout.sectionTop[lo]) lo--;
  return lo;
}

