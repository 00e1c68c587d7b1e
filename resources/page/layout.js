// Layout: justified rows. Each row keeps every photo's aspect ratio and is scaled so that it
// fills the width; the photos of a row share one height close to the target height. The
// last row of a month keeps the target height rather than blowing up a few photos.
//
// The result is a list of items (a month heading or a row of photos) with their tops and
// heights, found again by binary search, so that no position is ever measured in the DOM.

function metrics() {
  var width = document.documentElement.clientWidth;
  var phone = width < 600;
  var scrub = phone ? 36 : 48;
  var left = phone ? 4 : 16;
  return {
    phone: phone,
    left: left,
    width: Math.max(120, width - left - scrub),
    gap: phone ? 2 : 4,
    target: phone ? 110 : width < 1000 ? 170 : width < 1700 ? 210 : 250,
    heading: phone ? 42 : 56,
    bottom: 24
  };
}

// The widths a month's heading needs, with and without its count, measured with the page's
// own font.
var measureContext = null;
var labelWidths = new Map();
function headingWidth(v, s, m) {
  var label = monthLabel(v.sectionMonth[s]);
  var count = photoCount(v.sectionStart[s + 1] - v.sectionStart[s]);
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

// A month whose photos take less than a line shares its line with the months next to it,
// each under its own heading, so that a sparse wall is not mostly empty space. Such a line
// (a band) is one item; its months are listed in layout.bands.
// aspects holds each photo's width / height; widthsOf(v, s, m) is headingWidth or a stand-in.
async function computeLayout(v, aspects, m, widthsOf, job) {
  var n = v.pos.length, sections = v.sectionMonth.length;
  var cap = n + sections;
  var itemTop = new Float64Array(cap), itemHeight = new Float32Array(cap);
  var itemStart = new Int32Array(cap), itemEnd = new Int32Array(cap);
  var sectionTop = new Float64Array(sections), sectionItem = new Int32Array(sections);
  var bands = new Map();   // item index -> [{ section, start, end, x, width }]
  var band = null, bandWidth = 0, monthGap = m.phone ? 14 : 28;
  var count = 0, y = 0;
  var width = m.width, gap = m.gap, target = m.target;
  for (var s = 0; s < sections; s++) {
    var start = v.sectionStart[s], end = v.sectionStart[s + 1];
    if ((s & 63) === 0 && !(await keepGoing(job))) return null;
    var natural = Infinity;
    if (end - start <= 24) {
      natural = (end - start - 1) * gap;
      for (var q = start; q < end; q++) natural += Math.min(8, Math.max(0.2, aspects[v.pos[q]])) * target;
    }
    if (natural <= width * 0.75) {
      var needs = widthsOf(v, s, m);
      // As wide as its photos, or as its heading with the count where that is wider.
      var segment = { section: s, start: start, end: end, x: 0, width: Math.max(natural, needs.full) };
      if (band && bandWidth + monthGap + segment.width <= width) {
        segment.x = bandWidth + monthGap;
        bandWidth = segment.x + segment.width;
        band.push(segment);
        itemEnd[count - 1] = end;
        sectionTop[s] = itemTop[count - 1];
        sectionItem[s] = count - 1;
        continue;
      }
      if (segment.width <= width) {
        band = [segment];
        bandWidth = segment.width;
        bands.set(count, band);
        sectionTop[s] = y;
        sectionItem[s] = count;
        itemTop[count] = y; itemHeight[count] = m.heading + target; itemStart[count] = start; itemEnd[count] = end;
        count++;
        y += m.heading + target + gap;
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
    while (p < end) {
      if ((count & 255) === 0 && !(await keepGoing(job))) return null;
      var first = p, sum = 0, full = false;
      while (p < end) {
        // Very wide panoramas and very tall strips are cropped a little rather than becoming
        // slivers.
        var a = Math.min(8, Math.max(0.2, aspects[v.pos[p]]));
        var k = p - first;  // photos already in the row
        if (k > 0 && (sum + a) * target + k * gap > width) {
          // Take this photo too if that brings the row's height closer to the target.
          var without = (width - (k - 1) * gap) / sum;
          var withIt = (width - k * gap) / (sum + a);
          if (Math.abs(withIt - target) < Math.abs(without - target)) { sum += a; p++; }
          full = true;
          break;
        }
        sum += a;
        p++;
        if (sum * target + k * gap >= width) { full = true; break; }
      }
      var gaps = (p - first - 1) * gap;
      var height = full ? (width - gaps) / sum : Math.min(target, (width - gaps) / sum);
      height = Math.max(1, Math.round(height));
      itemTop[count] = y; itemHeight[count] = height; itemStart[count] = first; itemEnd[count] = p;
      count++;
      y += height + gap;
    }
  }
  return {
    metrics: m,
    count: count,
    top: itemTop, height: itemHeight, start: itemStart, end: itemEnd,
    sectionTop: sectionTop, sectionItem: sectionItem, bands: bands,
    total: Math.ceil(y + m.bottom)
  };
}

// The last index below count whose value is at or below v (0 when there is none): values
// ascend, so a binary search finds it.
function lastAtOrBelow(values, count, v) {
  var lo = 0, hi = count - 1;
  while (lo < hi) {
    var mid = (lo + hi + 1) >> 1;
    if (values[mid] <= v) lo = mid; else hi = mid - 1;
  }
  return lo;
}
// Last item whose top is at or above y.
function itemAt(y) {
  return lastAtOrBelow(layout.top, layout.count, y);
}
// The row that holds the photo at position p of the view.
function rowOf(p) {
  return lastAtOrBelow(layout.start, layout.count, p);
}
// The month at height y; of months sharing a band, the first.
function sectionAt(y) {
  var lo = lastAtOrBelow(layout.sectionTop, layout.sectionTop.length, y);
  while (lo > 0 && layout.sectionTop[lo - 1] === layout.sectionTop[lo]) lo--;
  return lo;
}

