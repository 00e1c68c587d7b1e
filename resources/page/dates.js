// Dates: month and day texts of the engine's date values.

// Dates are clock times stored as if they were UTC, so they are read and shown in UTC: a photo
// taken at 23:30 on 31 May stays in May whatever the viewer's time zone.

var monthFormat = new Intl.DateTimeFormat(undefined, { year: 'numeric', month: 'long', timeZone: 'UTC' });
var dayFormat = new Intl.DateTimeFormat(undefined, { dateStyle: 'medium', timeZone: 'UTC' });
var longDayFormat = new Intl.DateTimeFormat(undefined, { dateStyle: 'full', timeZone: 'UTC' });
var dayTimeFormat = new Intl.DateTimeFormat(undefined, { dateStyle: 'full', timeStyle: 'short', timeZone: 'UTC' });

var undatedMonth = -2147483648;
var maxDate = 8.64e12;
function isDated(seconds) { return typeof seconds === 'number' && seconds !== 0 && Math.abs(seconds) < maxDate; }
function utcDate(year, month) {
  var d = new Date(0);
  d.setUTCFullYear(year, month, 1);
  return d;
}
var monthLabels = new Map();
function monthLabel(month) {
  if (month === undatedMonth) return tr('noDate');
  var label = monthLabels.get(month);
  if (label === undefined) {
    label = monthFormat.format(utcDate(Math.floor(month / 12), ((month % 12) + 12) % 12));
    monthLabels.set(month, label);
  }
  return label;
}
var dayTexts = new Map();
function dateText(seconds, format) {
  if (!isDated(seconds)) return tr('noDate');
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
  // A date found in a folder or file name has no time of day; do not invent midnight.
  return (seconds % 86400 === 0 ? longDayFormat : dayTimeFormat).format(new Date(seconds * 1000));
}

