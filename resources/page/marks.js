// Which years the timeline names, and where. A point of the track stands for the scroll
// position whose top row it leads to, so a year's part of the track runs from where its first
// row reaches the top of the screen to where the next year's does. Each label sits inside its
// year's part, so that pointing at it names a month of that year; the wall's first year is
// always named, so the top of the track says where the wall begins; when labels would crowd,
// the years that take more of the wall are named next, so a large year is never left a dot while
// a small neighbour gets its label.

// The years along the track: [{ year, at, share }] in wall order, at and share as fractions of
// the scroll range end. sectionMonth, sectionTop and sectionItem are the view's and the
// layout's. A month that shares its line with an earlier month (a band) never has the top of
// the screen to itself: the track names the band's first month there, so only a band's first
// month counts.
function trackYears(sectionMonth, sectionTop, sectionItem, end) {
  var years = [];
  end = Math.max(1, end);
  for (var s = 0; s < sectionMonth.length; s++) {
    if (s > 0 && sectionItem[s] === sectionItem[s - 1]) continue;
    var year = sectionYear(sectionMonth[s]);   // NaN for the undated: a dot, never a label
    var at = Math.min(1, sectionTop[s] / end);
    var last = years[years.length - 1];
    if (last && (last.year === year || (year !== year && last.year !== last.year))) continue;
    if (last) last.share = at - last.at;
    years.push({ year: year, at: at, share: 0 });
  }
  if (years.length) years[years.length - 1].share = 1 - years[years.length - 1].at;
  return years;
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
function yearMarks(years, height, labelGap, dotGap, labelHalf) {
  var half = labelHalf || 0;
  var order = years.map(function (y, i) { return i; }).sort(function (a, b) {
    return years[b].share - years[a].share || a - b;
  });
  var first = years.findIndex(function (y) { return y.year === y.year; });
  if (first >= 0) order = [first].concat(order.filter(function (i) { return i !== first; }));
  var labelled = [];
  var kind = new Array(years.length).fill('');
  var place = new Array(years.length).fill(0);
  order.forEach(function (i) {
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
