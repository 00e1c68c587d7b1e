// Headings inside a month: a trip's, where a folder below a dated folder names it
// ("2019/07 Italy", "2019-07-12 Italy", "2019/Italy"), and a day's, where a month is large.
//
// A month is cut into days when it holds more than dayMonthPhotos photos (about two screens of
// rows at a desktop's widths: less than that is seen at a glance) and its days hold dayPhotos
// photos each on average (about a row): a heading for every two photos would take more room than
// the photos, and a month of one photo a day reads better as one run.

import { pageLocale } from './language.js';
import { shown } from './text.js';
import { utcDate, undatedMonth, isYearAlone, monthLabel } from './dates.js';
import { keepGoing } from './slices.js';
import { dirs, order, dirOf, dateOf } from './table.js';
var dayMonthPhotos = 60, dayPhotos = 8;
var noDay = -1073741824;

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
export function tripIn(dir) {
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
export var tripLine = 1, dayLine = 2;
export async function viewGroups(v, job) {
  findTrips();
  var sections = v.sectionMonth.length;
  var out = { pos: [], trip: [], day: [], lines: [] };
  var sectionFirst = new Int32Array(sections + 1), daily = new Uint8Array(sections);
  var spans = await tripSpans(job);
  if (!spans) return null;
  var done = 0, slice = 65536;
  for (var s = 0; s < sections; s++) {
    sectionFirst[s] = out.pos.length;
    var start = v.sectionStart[s], end = v.sectionStart[s + 1], month = v.sectionMonth[s];
    if (month === undatedMonth || isYearAlone(month)) continue;
    daily[s] = sectionGroups(v.pos, start, end, spans.first, out) ? 1 : 0;
    done += end - start;
    if (done > slice) { done = 0; if (!(await keepGoing(job))) return null; }
  }
  sectionFirst[sections] = out.pos.length;
  return {
    pos: Int32Array.from(out.pos), trip: Int32Array.from(out.trip), day: Int32Array.from(out.day), lines: Uint8Array.from(out.lines),
    sectionFirst: sectionFirst, daily: daily, tripFirst: spans.first, tripLast: spans.last
  };
}

// Each trip's first and last date among all the wall's photos, whatever the filter shows of it
// (a search for one day of a trip still names the whole trip's days). Made once per table; the
// photos of other folders taken within a trip's span (a phone's, beside the camera's trip
// folder) belong under its heading too.
var spansOf = { order: null, trips: 0, first: null, last: null };
async function tripSpans(job) {
  if (spansOf.order === order && spansOf.trips === trips.length) return spansOf;
  var first = new Float64Array(trips.length).fill(Infinity), last = new Float64Array(trips.length).fill(-Infinity);
  for (var i = 0; i < order.length; i += 65536) {
    if (!(await keepGoing(job))) return null;
    spanSlice(order, i, Math.min(order.length, i + 65536), first, last);
  }
  spansOf = { order: order, trips: trips.length, first: first, last: last };
  return spansOf;
}
// (The loops are plain functions: an async one keeps its variables where they are slower.)
function spanSlice(list, from, to, first, last) {
  for (var i = from; i < to; i++) {
    var own = tripOfDir[dirOf[list[i]]];
    if (own < 0) continue;
    var at = dateOf[list[i]];
    if (at < first[own]) first[own] = at;
    if (at > last[own]) last[own] = at;
  }
}

// The groups of one month's photos (list[start..end-1]), added to out, in one pass: every change
// of trip or day first, the changes of day alone dropped again when the month is not cut into
// days. Returns whether it is.
function sectionGroups(list, start, end, tripFirst, out) {
  var from = out.pos.length;
  var lastTrip = -1, lastDay = noDay, days = 0;
  for (var q = start; q < end; q++) {
    var photo = list[q];
    var date = dateOf[photo];
    var t = tripOfDir[dirOf[photo]];
    // Newest first: the trip goes on until its oldest photo has passed.
    if (t < 0 && lastTrip >= 0 && date >= tripFirst[lastTrip]) t = lastTrip;
    var today = Math.floor(date / 86400) | 0;
    if (t === lastTrip && today === lastDay) continue;
    if (today !== lastDay) days++;
    out.pos.push(q);
    out.trip.push(t);
    out.day.push(today);
    out.lines.push((t !== lastTrip && t >= 0 ? tripLine : 0) | dayLine);
    lastTrip = t;
    lastDay = today;
  }
  var byDay = end - start > dayMonthPhotos && days > 1 && end - start >= days * dayPhotos;
  if (byDay) return true;
  // Kept: the trips' starts and ends. A month that starts without a trip starts without a group.
  var kept = from;
  for (var g = from; g < out.pos.length; g++) {
    var trip = out.trip[g];
    if (trip === (kept > from ? out.trip[kept - 1] : -1)) continue;
    out.pos[kept] = out.pos[g];
    out.trip[kept] = trip;
    out.day[kept] = noDay;
    out.lines[kept] = trip >= 0 ? tripLine : 0;
    kept++;
  }
  out.pos.length = out.trip.length = out.day.length = out.lines.length = kept;
  return false;
}

// The heights of a group's lines: a trip's name above its days'.
export function tripLineHeight(m) { return m.phone ? 30 : 36; }
export function dayLineHeight(m) { return m.phone ? 24 : 30; }
export function groupHeight(groups, g, m) {
  var lines = groups.lines[g];
  return (lines & tripLine ? tripLineHeight(m) : 0) + (lines & dayLine ? dayLineHeight(m) : 0);
}

// "Saturday, 12 July" under the month's heading; with the year where it stands alone (the
// heading that follows the screen, the timeline's bubble).
var dayHeadingFormat = new Intl.DateTimeFormat(pageLocale, { weekday: 'long', day: 'numeric', month: 'long', timeZone: 'UTC' });
var dayAloneFormat = new Intl.DateTimeFormat(pageLocale, { weekday: 'long', day: 'numeric', month: 'long', year: 'numeric', timeZone: 'UTC' });
var tripSpanFormat = new Intl.DateTimeFormat(pageLocale, { day: 'numeric', month: 'long', year: 'numeric', timeZone: 'UTC' });
var dayLabels = new Map();
export function dayLabel(day, alone) {
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
export function tripLabel(groups, t) {
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
export function screenLabel(v, s, p) {
  var day = v.groups && v.groups.daily[s] ? dayGroupAt(v, s, p) : null;
  return day ? dayLabel(day.day, true) : monthLabel(v.sectionMonth[s]);
}

// The day of a month cut into days that holds position p of section s: { day, start, end } with
// the positions of that day's photos, or null.
export function dayGroupAt(v, s, p) {
  var groups = v.groups, g = groupAt(v, s, p);
  if (g < 0 || groups.day[g] === noDay) return null;
  var first = g, last = g, endGroup = groups.sectionFirst[s + 1];
  while (first > groups.sectionFirst[s] && groups.day[first - 1] === groups.day[g]) first--;
  while (last + 1 < endGroup && groups.day[last + 1] === groups.day[g]) last++;
  return { day: groups.day[g], start: groups.pos[first], end: last + 1 < endGroup ? groups.pos[last + 1] : v.sectionStart[s + 1] };
}
