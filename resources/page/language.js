// The page's language: the first of the browser's languages that has a table of texts, matched
// by its primary language ("de-AT" reads the German table), else English.

import { strings } from './strings.js';
import { germanStrings } from './strings-de.js';

export var textTables = { en: strings, de: germanStrings };

// preferred: the browser's languages, most wanted first. Returns { language, locale }: the table
// to read and the locale every number, date and plural rule follows. A known language keeps the
// region it was asked with ("de-AT" writes "Jänner"); without one the texts are English and the
// numbers and dates keep the browser's first language, as they would on any English page.
export function chooseLanguage(preferred, tables) {
  var wanted = (preferred || []).filter(function (tag) { return typeof tag === 'string' && tag; });
  for (var i = 0; i < wanted.length; i++) {
    var primary = wanted[i].split(/[-_]/)[0].toLowerCase();
    if (Object.prototype.hasOwnProperty.call(tables, primary)) return { language: primary, locale: validLocale(wanted[i]) || primary };
  }
  return { language: 'en', locale: validLocale(wanted[0]) || 'en' };
}
function validLocale(tag) {
  try { return tag ? Intl.getCanonicalLocales(tag.replace(/_/g, '-'))[0] : undefined; } catch (e) { return undefined; }
}

var browserLanguages = typeof navigator === 'undefined' ? [] : navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language];
export var pageLanguage = chooseLanguage(browserLanguages, textTables);
export var pageLocale = pageLanguage.locale;
export var texts = textTables[pageLanguage.language];
