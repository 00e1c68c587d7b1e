// Dates: month and day texts of the engine's date values.

import { pageLocale } from './language.js';
import { tr } from './text.js';

// Dates are clock times stored as if they were UTC, so they are read and shown in UTC: a photo
// taken at 23:30 on 31 May stays in May whatever the viewer's time zone.

var monthFormat = new Intl.DateTimeFormat(pageLocale, { year: 'numeric', month: 'long', timeZone: 'UTC' });
var dayFormat = new Intl.DateTimeFormat(pageLocale, { dateStyle: 'medium', timeZone: 'UTC' });
var longDayFormat = new Intl.DateTimeFormat(pageLocale, { dateStyle: 'full', timeZone: 'UTC' });
var dayTimeFormat = new Intl.DateTimeFormat(pageLocale, { dateStyle: 'full', timeStyle: 'short', timeZone: 'UTC' });

var yearFormat = new Intl.DateTimeFormat(pageLocale, { year: 'numeric', timeZone: 'UTC' });
export var dayMonthFormat = new Intl.DateTimeFormat(pageLocale, { month: 'long', day: 'numeric' });

// A photo's section: year * 12 + month (0-11); a year alone (a photo dated by a folder such as
// "2019") has a section of its own, yearAlone + year; undatedMonth holds the undated photos.
export var undatedMonth = -2147483648;
export var yearAlone = 1 << 30;
// The kinds of date: a clock time, a day found in the path, a year found in the path.
export var clockDate = 0, pathDay = 1, pathYear = 2;
// Years alone lie far above every month a date can have (year 275760 at most).
export function isYearAlone(month) { return month >= yearAlone - 400000; }
var maxDate = 8.64e12;
export function isDated(seconds) { return typeof seconds === 'number' && seconds !== 0 && Math.abs(seconds) < maxDate; }
export function utcDate(year, month) {
  var d = new Date(0);
  d.setUTCFullYear(year, month, 1);
  return d;
}
// The year a section belongs to, NaN for the undated.
export function sectionYear(month) {
  if (month === undatedMonth) return NaN;
  return isYearAlone(month) ? month - yearAlone : Math.floor(month / 12);
}
var monthLabels = new Map();
export function monthLabel(month) {
  if (month === undatedMonth) return tr('noDate');
  var label = monthLabels.get(month);
  if (label === undefined) {
    label = isYearAlone(month) ? yearFormat.format(utcDate(month - yearAlone, 0))
      : monthFormat.format(utcDate(Math.floor(month / 12), ((month % 12) + 12) % 12));
    monthLabels.set(month, label);
  }
  return label;
}
var dayTexts = new Map();
// A photo's date as text: 'short' for tiles, 'long' for the viewer. kind says what the date is
// (clockDate, pathDay or pathYear): a date found in a path has no time of day, and a year alone
// is only a year, whatever noon of 15 June the engine stored for it.
export function dateText(seconds, format, kind) {
  if (!isDated(seconds)) return tr('noDate');
  if (kind === pathYear) return yearFormat.format(new Date(seconds * 1000));
  if (format !== 'long') {
    // Tiles are made by the hundred while scrolling; neighbours mostly share a day.
    var day = Math.floor(seconds / 86400);
    var text = dayTexts.get(day);
    if (text === undefined) {
      if (dayTexts.size > 5000) dayTexts.clear();
      text = dayFormat.format(new Date(day * 86400000));
      dayTexts.set(day, text);
    }
    return text;
  }
  if (kind === pathDay) return longDayFormat.format(new Date(seconds * 1000));
  return timeKeptTogether(dayTimeFormat.formatToParts(new Date(seconds * 1000)));
}

// A date and time as text in which the time, with the word that leads to it ("at 10:00 AM"),
// never breaks across lines: its spaces become no-break spaces.
function timeKeptTogether(parts) {
  var isTime = function (part) { return /^(hour|minute|second|dayPeriod)$/.test(part.type); };
  var first = parts.findIndex(isTime);
  var last = parts.length - 1;
  while (last >= 0 && !isTime(parts[last])) last--;
  return parts.map(function (part, i) {
    if (first < 0 || i < first - 1 || i > last) return part.value;
    if (i === first - 1) return part.value.replace(/\s+$/, '\u00a0');
    return part.value.replace(/\s/g, '\u00a0');
  }).join('');
}

// Whether a photo (its date, section and kind of date) was taken on this day of this month
// (0-11) in a year before `before`. A year alone has no day.
var dayStarts = new Map();
export function onDayOf(seconds, section, kind, month, day, before) {
  if (kind === pathYear || !isDated(seconds) || section === undatedMonth || isYearAlone(section)) return false;
  if (((section % 12) + 12) % 12 !== month) return false;
  var year = Math.floor(section / 12);
  if (year >= before) return false;
  var cacheKey = section * 32 + day;
  var start = dayStarts.get(cacheKey);
  if (start === undefined) {
    var d = new Date(0);
    d.setUTCFullYear(year, month, day);
    start = d.getTime() / 1000;
    if (dayStarts.size > 1000) dayStarts.clear();
    dayStarts.set(cacheKey, start);
  }
  return seconds >= start && seconds < start + 86400;
}
// "07-04" as { month: 6, day: 4 }; null when it is no day of a year.
export function parseDay(text) {
  var found = /^(\d\d)-(\d\d)$/.exec(text || '');
  if (!found) return null;
  var month = Number(found[1]) - 1, day = Number(found[2]);
  var d = new Date(0);
  d.setUTCFullYear(2000, month, day);   // a leap year, so that 02-29 is a day
  return d.getUTCMonth() === month && d.getUTCDate() === day ? { month: month, day: day } : null;
}
export function dayKey(date) {
  var pad = function (n) { return (n < 10 ? '0' : '') + n; };
  return pad(date.getMonth() + 1) + '-' + pad(date.getDate());
}

// What someone typed to go to a date: "2019", "June 2019", "jun 2019", "2019-06", "6/2019",
// "2019 June", month names in English or the page's language. Returns { year, month } with
// month 0-11, or -1 for the whole year; null when it names no date.
var monthWords = null;
export function parseWhen(text) {
  if (!monthWords) {
    var local = new Intl.DateTimeFormat(pageLocale, { month: 'long', timeZone: 'UTC' });
    var localShort = new Intl.DateTimeFormat(pageLocale, { month: 'short', timeZone: 'UTC' });
    var english = ['january', 'february', 'march', 'april', 'may', 'june', 'july', 'august', 'september', 'october', 'november', 'december'];
    monthWords = english.map(function (name, m) {
      return [name, name.slice(0, 3), local.format(utcDate(2000, m)).toLowerCase(), localShort.format(utcDate(2000, m)).toLowerCase().replace(/\.$/, '')];
    });
  }
  var words = String(text).trim().toLowerCase().split(/[\s,./\-]+/).filter(Boolean);
  var year = NaN, month = -1;
  for (var i = 0; i < words.length; i++) {
    var word = words[i];
    if (/^\d{4}$/.test(word) && year !== year) { year = Number(word); continue; }
    if (/^\d{1,2}$/.test(word) && month < 0 && Number(word) >= 1 && Number(word) <= 12) { month = Number(word) - 1; continue; }
    var found = -1;
    for (var m = 0; m < 12 && found < 0; m++) if (monthWords[m].indexOf(word) >= 0) found = m;
    if (found < 0 || month >= 0) return null;
    month = found;
  }
  return year === year ? { year: year, month: month } : null;
}
