// The search: what someone types, read as the words, phrases, dates and kinds of photo they
// mean, each of which a photo must match (so that every word narrows).
//
// A word matches where a word of the photo's path starts ("day" finds "Day 2", not "Birthday"):
// people type the beginnings of names, and matching inside words is what made "2" find every
// photo with a 2 anywhere in its path. A number matches a whole number only ("2" finds "Day 2",
// not "Day 21" nor "IMG_1234"). Quotes make a phrase, matched as a whole from a word's start to a
// word's end; a query with a slash between names ("Italy/Day 2") is such a phrase of a path.
// Dates in every form people write them ("2021-05-08", "June 23, 2012", "23 June 2012",
// "23.6.2012", "6/23/2012", "June 2012", "Juni 2012", "2012") find that day, month or year, in
// English and German month names alike. "video", "live", "raw" and "panorama" find those photos.
// Once the wall's details have arrived, a word or phrase also matches a photo's camera and place.

import { rawFile } from './schema.js';
import { pageLocale, pageLanguage } from './language.js';
import { shown } from './text.js';
import { utcDate, isDated, undatedMonth, isYearAlone, yearAlone, pathYear } from './dates.js';
import { keepGoing } from './slices.js';
import { dateOf, monthOf, isVideoPhoto, isLivePhoto, rawOf, aspect, dirOf, dirs, dateKind } from './table.js';
import { cameraOf, cameraNames, placeList, placeLabel, placeOf } from './details.js';
import { dayLabel } from './groups.js';

var englishMonths = ['january', 'february', 'march', 'april', 'may', 'june', 'july', 'august', 'september', 'october', 'november', 'december'];
var searchMonthNames = null;   // name or abbreviation -> month 0-11
function monthByName(word) {
  if (!searchMonthNames) {
    searchMonthNames = new Map();
    var add = function (name, m) {
      name = name.toLowerCase().replace(/\.$/, '');
      if (name && !searchMonthNames.has(name)) searchMonthNames.set(name, m);
    };
    [pageLocale, 'en', 'de'].forEach(function (locale) {
      var long = new Intl.DateTimeFormat(locale, { month: 'long', timeZone: 'UTC' });
      var short = new Intl.DateTimeFormat(locale, { month: 'short', timeZone: 'UTC' });
      for (var m = 0; m < 12; m++) { add(long.format(utcDate(2000, m)), m); add(short.format(utcDate(2000, m)), m); }
    });
    englishMonths.forEach(function (name, m) { add(name.slice(0, 3), m); if (m === 8) add('sept', m); });
    // "Maerz" for those without an umlaut at hand.
    add('maerz', 2);
  }
  var found = searchMonthNames.get(word.replace(/\.$/, ''));
  return found === undefined ? -1 : found;
}

// The kinds of photo by the words that name them, in English and German.
var kindWords = {
  video: 'video', videos: 'video', film: 'video', filme: 'video',
  live: 'live', 'live-fotos': 'live', livefotos: 'live',
  raw: 'raw', raws: 'raw', rohdaten: 'raw',
  panorama: 'panorama', panoramas: 'panorama', panoramen: 'panorama', pano: 'panorama', panos: 'panorama'
};
// Wide enough to be a panorama: twice as wide as high, or more.
var panoramaRatio = 2;

function isYear(n) { return n >= 1800 && n <= 2200; }
function validDay(year, month, day) {
  if (!(month >= 0 && month < 12 && day >= 1 && day <= 31)) return false;
  var d = new Date(0);
  d.setUTCFullYear(year === undefined ? 2000 : year, month, day);
  return d.getUTCMonth() === month;
}
// A date term: { year, month (0-11 or -1), day (1-31 or 0) }; year NaN for "any year".
function dateTerm(year, month, day) { return { kind: 'date', year: year, month: month, day: day }; }

// Reads a date from the words of the query at i: { term, used: how many words } or null.
// words are lower case with commas and full stops kept ("23.", "june", "23,").
function dateAt(words, i) {
  var w = words[i];
  var bare = function (k) { return k < words.length ? words[k].replace(/[.,]+$/, '') : ''; };
  var number = function (text) { return /^\d{1,4}$/.test(text) ? Number(text) : NaN; };
  var m;
  // One word: "2021-05-08", "2021-05", "23.6.2012", "6/23/2012", "2012".
  if ((m = /^(\d{4})-(\d{1,2})-(\d{1,2})$/.exec(bare(i))) && validDay(+m[1], m[2] - 1, +m[3])) return { term: dateTerm(+m[1], m[2] - 1, +m[3]), used: 1 };
  if ((m = /^(\d{4})-(\d{1,2})$/.exec(bare(i))) && isYear(+m[1]) && m[2] >= 1 && m[2] <= 12) return { term: dateTerm(+m[1], m[2] - 1, 0), used: 1 };
  if ((m = /^(\d{1,2})\.(\d{1,2})\.(\d{4})$/.exec(bare(i))) && validDay(+m[3], m[2] - 1, +m[1])) return { term: dateTerm(+m[3], m[2] - 1, +m[1]), used: 1 };
  if ((m = /^(\d{1,2})\/(\d{1,2})\/(\d{4})$/.exec(bare(i)))) {
    // Month first as in American English; day first where the page's language writes it so, or
    // where the first number cannot be a month.
    var a = +m[1], b = +m[2], y = +m[3];
    var dayFirst = pageLanguage.language !== 'en' || /^en-(?!US)/i.test(pageLocale) ? validDay(y, b - 1, a) : !validDay(y, a - 1, b);
    if (dayFirst && validDay(y, b - 1, a)) return { term: dateTerm(y, b - 1, a), used: 1 };
    if (validDay(y, a - 1, b)) return { term: dateTerm(y, a - 1, b), used: 1 };
  }
  if ((m = /^(\d{1,2})\/(\d{4})$/.exec(bare(i))) && m[1] >= 1 && m[1] <= 12) return { term: dateTerm(+m[2], m[1] - 1, 0), used: 1 };
  // "23 June 2012", "23. Juni 2012", "23 June".
  var n = number(bare(i));
  if (n >= 1 && n <= 31 && /^\d{1,2}\.?$/.test(w) && i + 1 < words.length) {
    var month = monthByName(bare(i + 1));
    if (month >= 0) {
      var year = number(bare(i + 2));
      if (isYear(year) && validDay(year, month, n)) return { term: dateTerm(year, month, n), used: 3 };
      if (validDay(undefined, month, n)) return { term: dateTerm(NaN, month, n), used: 2 };
    }
  }
  // "June 23, 2012", "June 23", "June 2012", "Juni", and "2012 June".
  var named = monthByName(bare(i));
  if (named >= 0) {
    var next = number(bare(i + 1));
    if (next >= 1 && next <= 31 && /^\d{1,2},?$/.test(words[i + 1])) {
      var after = number(bare(i + 2));
      if (isYear(after) && validDay(after, named, next)) return { term: dateTerm(after, named, next), used: 3 };
      if (validDay(undefined, named, next)) return { term: dateTerm(NaN, named, next), used: 2 };
    }
    if (isYear(next)) return { term: dateTerm(next, named, 0), used: 2 };
    return { term: dateTerm(NaN, named, 0), used: 1, word: true };
  }
  if (/^\d{4}$/.test(bare(i)) && isYear(n)) {
    var monthAfter = i + 1 < words.length ? monthByName(bare(i + 1)) : -1;
    if (monthAfter >= 0) return { term: dateTerm(n, monthAfter, 0), used: 2 };
    return { term: dateTerm(n, -1, 0), used: 1, word: true };
  }
  return null;
}

// The query's terms: { kind: 'word' | 'phrase' | 'date', text, ... }. A date or kind word that is
// also a plain word ("June", "2012", "live") matches either way: alsoWord.
export function parseQuery(query) {
  var terms = [];
  var text = String(query || '').toLowerCase();
  // Quoted phrases first ("…", “…”, „…“).
  text = text.replace(/["\u201c\u201d\u201e]([^"\u201c\u201d\u201e]*)["\u201c\u201d\u201e]?/g, function (whole, inside) {
    var phrase = inside.trim().replace(/\s+/g, ' ');
    if (phrase) terms.push({ kind: 'phrase', text: phrase });
    return ' ';
  });
  // A path: names with a slash between them (not a date such as 6/23/2012).
  if (/[^\s\d/]\s*\/|\/\s*[^\s\d/]/.test(text)) {
    var path = text.trim().replace(/\s+/g, ' ').replace(/\s*\/\s*/g, '/').replace(/^\/+|\/+$/g, '');
    if (path) terms.push({ kind: 'phrase', text: path });
    return terms;
  }
  var words = text.split(/\s+/).filter(Boolean);
  for (var i = 0; i < words.length;) {
    var date = dateAt(words, i);
    if (date) {
      if (date.word) date.term.alsoWord = words[i].replace(/[.,]+$/, '');
      terms.push(date.term);
      i += date.used;
      continue;
    }
    var word = words[i].replace(/^[.,;:!?()]+|[.,;:!?()]+$/g, '');
    i++;
    if (!word) continue;
    var kind = kindWords[word];
    terms.push(kind ? { kind: 'kind', photoKind: kind, alsoWord: word } : { kind: 'word', text: word });
  }
  return terms;
}

// Letters and digits: what words are made of. A word starts where one of them follows anything
// else, and where digits follow letters or letters digits ("IMG2019", "DSC_0012").
var wordChar = /[\p{L}\p{N}]/u;
var digitChar = /\p{Nd}/u;
function startsWord(text, at) {
  if (at === 0) return true;
  var before = text[at - 1], here = text[at];
  if (!wordChar.test(before)) return true;
  return digitChar.test(before) !== digitChar.test(here);
}
function endsWord(text, at) {
  if (at >= text.length) return true;
  var before = text[at - 1], here = text[at];
  if (!wordChar.test(here)) return true;
  return digitChar.test(before) !== digitChar.test(here);
}
// Whether the word (or phrase) is in text at a word's start; whole: to a word's end too.
function hasWord(text, word, whole) {
  for (var at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
    if (startsWord(text, at) && (!whole || endsWord(text, at + word.length))) return true;
  }
  return false;
}
// Numbers match whole; names, as they begin. A number among other words names a folder's or a
// name's number, never a camera's counter in a file's name (the 2 of IMG_2.JPG, which would make
// "Italy Day 2" find a photo of day 4); a number alone ("1000") finds the counter too.
var counterPrefix = /^[a-z]{1,5}[_-]?$/;
function wordMatches(text, word, alone) {
  if (!/^\d+$/.test(word)) return hasWord(text, word, false);
  for (var at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
    if (!startsWord(text, at) || !endsWord(text, at + word.length)) continue;
    var from = Math.max(text.lastIndexOf('/', at), text.lastIndexOf('\n', at)) + 1;
    var line = text.indexOf('\n', at);
    var inName = text.lastIndexOf('/', line < 0 ? text.length : line) < from;
    if (!alone && inName && counterPrefix.test(text.slice(from, at))) continue;
    return true;
  }
  return false;
}

var daySeconds = 86400;
// Whether the photo's date is in the date term.
function dateMatches(term, photo) {
  var seconds = dateOf[photo], section = monthOf[photo];
  if (!isDated(seconds) || section === undatedMonth) return false;
  if (isYearAlone(section)) return term.month < 0 && section - yearAlone === term.year;
  var year = Math.floor(section / 12), month = ((section % 12) + 12) % 12;
  if (term.year === term.year && year !== term.year) return false;
  if (term.month >= 0 && month !== term.month) return false;
  if (!term.day) return true;
  // A date found in a path names its day; a clock time counts by its own day.
  var d = new Date(0);
  d.setUTCFullYear(year, month, term.day);
  var start = d.getTime() / 1000;
  return seconds >= start && seconds < start + daySeconds;
}

function kindMatches(kind, photo, path) {
  if (kind === 'video') return isVideoPhoto(photo);
  if (kind === 'live') return isLivePhoto(photo);
  if (kind === 'raw') return rawOf.has(photo) || rawFile.test(path);
  return aspect[photo] >= panoramaRatio && !isVideoPhoto(photo);
}

// Whether photo (its lower-case path, with its raw file's) matches every term. more(photo, word)
// is what else a word may match (the photo's camera and place, once they are known).
export function matchesAll(terms, photo, path, more) {
  var alone = terms.length === 1;
  for (var t = 0; t < terms.length; t++) {
    var term = terms[t];
    var ok;
    if (term.kind === 'word') ok = wordMatches(path, term.text, alone) || (more !== null && more(photo, term.text, false));
    else if (term.kind === 'phrase') ok = hasWord(path, term.text, true) || (more !== null && more(photo, term.text, true));
    else if (term.kind === 'date') ok = dateMatches(term, photo) || (term.alsoWord !== undefined && wordMatches(path, term.alsoWord, alone));
    else ok = kindMatches(term.photoKind, photo, path) || wordMatches(path, term.alsoWord, alone);
    if (!ok) return false;
  }
  return true;
}

// The terms a folder's own path can match (words and phrases): a folder whose name holds all of
// them is a whole folder that matches.
function folderTerms(terms) {
  return terms.filter(function (term) { return term.kind === 'word' || term.kind === 'phrase' || term.alsoWord !== undefined; });
}
function folderMatches(terms, text) {
  for (var t = 0; t < terms.length; t++) {
    var term = terms[t];
    var ok = term.kind === 'phrase' ? hasWord(text, term.text, true) : wordMatches(text, term.kind === 'word' ? term.text : term.alsoWord, terms.length === 1);
    if (!ok) return false;
  }
  return terms.length > 0;
}
// The shortest folder (by its pieces) of a matching folder's path that matches on its own:
// "2019/2019-07-12 Italy" of "2019/2019-07-12 Italy/Day 2" for "italy".
function wholeFolder(terms, dir) {
  var lower = dir.toLowerCase();
  if (!folderMatches(terms, lower)) return null;
  var cut = lower.indexOf('/');
  while (cut >= 0) {
    if (folderMatches(terms, lower.slice(0, cut))) return dir.slice(0, cut);
    cut = lower.indexOf('/', cut + 1);
  }
  return dir;
}

// The best matches of a view made by a search: the whole folders whose names match, most photos
// first, then the day with the most matches. Each { kind: 'folder' | 'day', label, count, first }.
var bestFolders = 2;
export async function bestMatches(terms, v, job) {
  var wanted = folderTerms(terms);
  var folderOf = new Map(), byDir = new Map(), days = new Map();
  for (var p = 0; p < v.pos.length; p++) {
    if ((p & 4095) === 0 && !(await keepGoing(job))) return null;
    var photo = v.pos[p], d = dirOf[photo];
    if (wanted.length && d) {
      var folder = byDir.get(d);
      if (folder === undefined) { folder = wholeFolder(wanted, dirs[d]); byDir.set(d, folder); }
      if (folder !== null) {
        var seen = folderOf.get(folder);
        if (seen) seen.count++; else folderOf.set(folder, { kind: 'folder', label: folder, count: 1, first: p });
      }
    }
    if (dateKind[photo] !== pathYear && isDated(dateOf[photo]) && !isYearAlone(monthOf[photo]) && monthOf[photo] !== undatedMonth) {
      var day = Math.floor(dateOf[photo] / daySeconds);
      var known = days.get(day);
      if (known) known.count++; else days.set(day, { kind: 'day', day: day, count: 1, first: p });
    }
  }
  var list = Array.from(folderOf.values()).sort(function (a, b) { return b.count - a.count || a.first - b.first; }).slice(0, bestFolders);
  // A day is worth naming when the results span more than one; of days with as many, the newest.
  if (days.size > 1) {
    var busiest = null;
    days.forEach(function (d) { if (!busiest || d.count > busiest.count) busiest = d; });
    busiest.label = dayLabel(busiest.day, true);
    list.push(busiest);
  }
  return list;
}

// What else a word may match: the photo's camera and place, once the wall's details have arrived
// (details.js); null before. A place matches in the page's language and in English ("Italy" on
// a German page finds "Italien" too).
var detailWords = { camera: [], place: [] };
var englishRegions = null;
function englishCountry(code) {
  if (!code) return '';
  if (englishRegions === null) {
    try { englishRegions = new Intl.DisplayNames(['en'], { type: 'region' }); } catch (e) { englishRegions = false; }
  }
  try { return englishRegions ? englishRegions.of(code) || '' : ''; } catch (e) { return ''; }
}
export function detailsMatcher() {
  if (!cameraOf.length) return null;
  if (detailWords.camera.length !== cameraNames.length) detailWords.camera = cameraNames.map(function (name) { return shown(name).toLowerCase(); });
  if (detailWords.place.length !== placeList.length) {
    detailWords.place = placeList.map(function (place, i) { return (placeLabel(i) + ', ' + englishCountry(place.country)).toLowerCase(); });
  }
  var cameras = detailWords.camera, places = detailWords.place;
  return function (photo, word, phrase) {
    var whole = phrase || /^\d+$/.test(word);
    var c = cameraOf[photo], at = placeOf[photo];
    return (c >= 0 && c < cameras.length && hasWord(cameras[c], word, whole)) || (at >= 0 && at < places.length && hasWord(places[at], word, whole));
  };
}
