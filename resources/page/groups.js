// Headings inside a month: a trip's, where a folder below a dated folder names it
// ("2019/07 Italy", "2019-07-12 Italy", "2019/Italy"), and a day's, where a month is large.
//
// A month is cut into days when it holds more than dayMonthPhotos photos (about two screens of
// rows at a desktop's widths: less than that is seen at a glance) and its days hold dayPhotos
// photos each on average (about a row): a heading for every two photos would take more room than
// the photos, and a month of one photo a day reads better as one run.
var dayMonthPhotos = 60, dayPhotos = 8;
var noDay = -2147483648;

// The trips: each folder's trip (an index into trips, -1 none), found once per folder.
var trips = [];            // { key: the trip folder's path, name }
var tripOfDir = new Int32Array(0);
var tripKeys = new Map();
var tripsFound = 0;        // folders of tripDirs looked at so far
var tripDirs = null;       // the table's list of folders they were found in

// A piece of a path that is a date, or begins with one: "2019", "2019-07", "2019-07-12",
// "20190712", "07", "07-12", "12.07.2019", followed by what the folder is called.
var leadingDate = /^(?:\d{1,2}\.\d{1,2}\.(?:19|20)\d{2}|(?:19|20)\d{2}(?:[-_.]?\d{2}(?:[-_.]?\d{2})?)?|\d{1,2}(?:[-_.]\d{1,2})?)(?![0-9])[\s_\-\u2013\u2014.,]*/;
// What a camera names its own folders (100CANON, 101_PANA, DCIM): no trip.
var cameraFolder = /^(?:\d{3}[A-Z0-9_]{5}|DCIM|MISC)$/i;
var monthOnly = null;

function isMonthName(text) {
  if (!monthOnly) {
    var names = [];
    ['en', 'de'].forEach(function (locale) {
      var long = new Intl.DateTimeFormat(locale, { month: 'long', timeZone: 'UTC' });
      var short = new Intl.DateTimeFormat(locale, { month: 'short', timeZone: 'UTC' });
      for (var m = 0; m < 12; m++) names.push(long.format(utcDate(2000, m)).toLowerCase(), short.format(utcDate(2000, m)).toLowerCase().replace(/\.$/, ''));
    });
    monthOnly = new Set(names);
  }
  return monthOnly.has(text.toLowerCase().replace(/[\s.]+$/, ''));
}

// The trip a folder's path names: { key, name } or null.
function tripIn(dir) {
  var parts = dir.split('/');
  for (var i = parts.length - 1; i >= 0; i--) {
    var part = parts[i].trim();
    var found = leadingDate.exec(part);
    var rest = found ? part.slice(found[0].length).trim() : part;
    if (!rest || cameraFolder.test(rest) || isMonthName(rest) || !/\p{L}/u.test(rest)) continue;
    // Named after a date of its own, or below a folder that is only a date. A month or a day
    // without its year ("07 Italy") counts only below its year: "12 Monkeys" is a name.
    var below = i > 0 && parts[i - 1].trim().replace(leadingDate, '') === '';
    var withYear = found && /(?:19|20)\d{2}/.test(found[0]);
    if (withYear || below) return { key: parts.slice(0, i + 1).join('/'), name: shown(rest) };
  }
  return null;
}

// Looks at the folders that arrived since the last time.
function findTrips() {
  // A new table (startTable) has a new list of folders.
  if (tripDirs !== dirs) { tripDirs = dirs; tripsFound = 0; trips = []; tripKeys = new Map(); }
  if (tripsFound === dirs.length) return;
  if (dirs.length > tripOfDir.length) {
    var grown = new Int32Array(Math.max(dirs.length, tripOfDir.length * 2));
    grown.set(tripOfDir.subarray(0, tripsFound));
    tripOfDir = grown;
  }
  for (var d = tripsFound; d < dirs.length; d++) {
    var trip = d ? tripIn(dirs[d]) : null;
    if (!trip) { tripOfDir[d] = -1; continue; }
    var t = tripKeys.get(trip.key);
    if (t === undefined) { t = trips.length; trips.push(trip); tripKeys.set(trip.key, t); }
    tripOfDir[d] = t;
  }
  tripsFound = dirs.length;
}

// The headings inside each section of view v (pos, sectionStart, sectionMonth), in groups:
//   pos      where each group starts in v.pos
//   trip     its trip, -1 none; day, its day (days since 1970), noDay none
//   lines    tripLine | dayLine: which headings it shows (a group of neither only starts a row)
//   sectionFirst  each section's first group (one more entry: the end)
//   daily    per section, 1 when cut into days
//   tripFirst, tripLast  each trip's first and last date among the view's photos
var tripLine = 1, dayLine = 2;
async function viewGroups(v, job) {
  findTrips();
  var sections = v.sectionMonth.length;
  var pos = [], trip = [], day = [], lines = [];
  var sectionFirst = new Int32Array(sections + 1), daily = new Uint8Array(sections);
  // Each trip's span among the view's photos first: the photos of other folders taken within it
  // (a phone's, beside the camera's trip folder) belong under its heading too.
  var tripFirst = new Float64Array(trips.length).fill(Infinity), tripLast = new Float64Array(trips.length).fill(-Infinity);
  for (var i = 0; i < v.pos.length; i++) {
    if ((i & 16383) === 0 && !(await keepGoing(job))) return null;
    var own = tripOfDir[dirOf[v.pos[i]]];
    if (own < 0) continue;
    var at = dateOf[v.pos[i]];
    if (at < tripFirst[own]) tripFirst[own] = at;
    if (at > tripLast[own]) tripLast[own] = at;
  }
  var steps = 0;
  for (var s = 0; s < sections; s++) {
    sectionFirst[s] = pos.length;
    var start = v.sectionStart[s], end = v.sectionStart[s + 1], month = v.sectionMonth[s];
    if (month === undatedMonth || isYearAlone(month)) continue;
    var days = 0, lastDay = noDay;
    if (end - start > dayMonthPhotos) {
      for (var p = start; p < end; p++) {
        var d = Math.floor(dateOf[v.pos[p]] / 86400);
        if (d !== lastDay) { days++; lastDay = d; }
      }
      steps += end - start;
    }
    var byDay = days > 1 && end - start >= days * dayPhotos;
    daily[s] = byDay ? 1 : 0;
    var lastTrip = -1;
    lastDay = noDay;
    for (var q = start; q < end; q++) {
      if ((++steps & 4095) === 0 && !(await keepGoing(job))) return null;
      var photo = v.pos[q];
      var date = dateOf[photo];
      var t = tripOfDir[dirOf[photo]];
      // Newest first: the trip goes on until its oldest photo has passed.
      if (t < 0 && lastTrip >= 0 && date >= tripFirst[lastTrip]) t = lastTrip;
      var today = byDay ? Math.floor(date / 86400) : noDay;
      var newTrip = t !== lastTrip, newDay = today !== lastDay;
      if (!newTrip && !newDay) continue;
      // A month that is neither cut into days nor starts with a trip starts without a group.
      if (q > start || t >= 0 || byDay) {
        pos.push(q);
        trip.push(t);
        day.push(today);
        lines.push((newTrip && t >= 0 ? tripLine : 0) | (byDay ? dayLine : 0));
      }
      lastTrip = t;
      lastDay = today;
    }
  }
  sectionFirst[sections] = pos.length;
  return {
    pos: Int32Array.from(pos), trip: Int32Array.from(trip), day: Int32Array.from(day), lines: Uint8Array.from(lines),
    sectionFirst: sectionFirst, daily: daily, tripFirst: tripFirst, tripLast: tripLast
  };
}

// The heights of a group's lines: a trip's name above its days'.
function tripLineHeight(m) { return m.phone ? 30 : 36; }
function dayLineHeight(m) { return m.phone ? 24 : 30; }
function groupHeight(groups, g, m) {
  var lines = groups.lines[g];
  return (lines & tripLine ? tripLineHeight(m) : 0) + (lines & dayLine ? dayLineHeight(m) : 0);
}

// "Saturday, 12 July" under the month's heading; with the year where it stands alone (the
// heading that follows the screen, the timeline's bubble).
var dayHeadingFormat = new Intl.DateTimeFormat(pageLocale, { weekday: 'long', day: 'numeric', month: 'long', timeZone: 'UTC' });
var dayAloneFormat = new Intl.DateTimeFormat(pageLocale, { weekday: 'long', day: 'numeric', month: 'long', year: 'numeric', timeZone: 'UTC' });
var tripSpanFormat = new Intl.DateTimeFormat(pageLocale, { day: 'numeric', month: 'long', year: 'numeric', timeZone: 'UTC' });
var dayLabels = new Map();
function dayLabel(day, alone) {
  var cacheKey = alone ? -1 - day : day;
  var label = dayLabels.get(cacheKey);
  if (label === undefined) {
    if (dayLabels.size > 5000) dayLabels.clear();
    label = (alone ? dayAloneFormat : dayHeadingFormat).format(new Date(day * 86400000));
    dayLabels.set(cacheKey, label);
  }
  return label;
}
// "Italy · 12–16 July 2019": the trip's folder's own name and the days its photos span.
function tripLabel(groups, t) {
  var first = new Date(Math.floor(groups.tripFirst[t] / 86400) * 86400000);
  var last = new Date(Math.floor(groups.tripLast[t] / 86400) * 86400000);
  var span = first.getTime() === last.getTime() || !tripSpanFormat.formatRange ? tripSpanFormat.format(first) : tripSpanFormat.formatRange(first, last);
  return trips[t].name + ' \u00b7 ' + span;
}

// The group of view v that holds position p of section s, or -1.
function groupAt(v, s, p) {
  var groups = v.groups;
  if (!groups) return -1;
  var lo = groups.sectionFirst[s], hi = groups.sectionFirst[s + 1] - 1;
  if (hi < lo || groups.pos[lo] > p) return -1;
  while (lo < hi) {
    var mid = (lo + hi + 1) >> 1;
    if (groups.pos[mid] <= p) lo = mid; else hi = mid - 1;
  }
  return lo;
}
// What names the place at position p of section s: its day in a month cut into days, else its
// month.
function screenLabel(v, s, p) {
  var day = v.groups && v.groups.daily[s] ? dayGroupAt(v, s, p) : null;
  return day ? dayLabel(day.day, true) : monthLabel(v.sectionMonth[s]);
}

// The day of a month cut into days that holds position p of section s: { day, start, end } with
// the positions of that day's photos, or null.
function dayGroupAt(v, s, p) {
  var groups = v.groups, g = groupAt(v, s, p);
  if (g < 0 || groups.day[g] === noDay) return null;
  var first = g, last = g, endGroup = groups.sectionFirst[s + 1];
  while (first > groups.sectionFirst[s] && groups.day[first - 1] === groups.day[g]) first--;
  while (last + 1 < endGroup && groups.day[last + 1] === groups.day[g]) last++;
  return { day: groups.day[g], start: groups.pos[first], end: last + 1 < endGroup ? groups.pos[last + 1] : v.sectionStart[s + 1] };
}
