// Texts by name, numbers, file names and the addresses of thumbnails and originals.

import { pageLocale, pageLanguage, texts } from './language.js';

var numbers = new Intl.NumberFormat(pageLocale);
// The plural forms are those of the table's language, whatever locale the numbers follow.
var plurals = new Intl.PluralRules(pageLanguage.language);

// The text called name, with each {field} replaced by values[field] (numbers formatted).
export function tr(name, values) {
  var entry = texts[name];
  if (typeof entry === 'object') entry = entry[plurals.select(values.n)] || entry.other;
  if (!values) return entry;
  return entry.replace(/\{(\w+)\}/g, function (whole, field) {
    var value = values[field];
    return value === undefined ? whole : typeof value === 'number' ? numbers.format(value) : value;
  });
}
export function photoCount(n) { return tr('photos', { n: n }); }

// File names that were not valid UTF-8 reach us with each bad byte as a lone surrogate
// U+DC80..U+DCFF; on screen they become U+FFFD.
var loneSurrogate = /[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g;
export function shown(value) {
  var s = typeof value === 'string' ? value : '';
  return s.toWellFormed ? s.toWellFormed() : s.replace(loneSurrogate, '\uFFFD');
}
export function fileName(rel) { return rel.slice(rel.lastIndexOf('/') + 1); }

// Percent-encodes one path segment by UTF-8, except that a lone surrogate U+DC80..U+DCFF stands
// for the raw byte it was made from, which goes back into the address unchanged.
export function encodeSegment(segment) {
  var out = '';
  for (var ch of segment) {
    var c = ch.codePointAt(0);
    if (c >= 0xDC80 && c <= 0xDCFF) out += '%' + (c - 0xDC00).toString(16).toUpperCase();
    else if (c >= 0xD800 && c <= 0xDFFF) out += '%EF%BF%BD';
    else out += encodeURIComponent(ch);
  }
  return out;
}

// The inverse of encodeSegment: %XX bytes that do not form UTF-8 become U+DC80..U+DCFF again.
export function decodeSegment(text) {
  try { return decodeURIComponent(text); } catch (e) { /* not UTF-8: decode byte by byte */ }
  var bytes = [];
  for (var i = 0; i < text.length; i++) {
    if (text[i] === '%' && /^[0-9a-fA-F]{2}$/.test(text.substr(i + 1, 2))) {
      bytes.push(parseInt(text.substr(i + 1, 2), 16));
      i += 2;
    } else {
      bytes.push.apply(bytes, new TextEncoder().encode(text[i]));
    }
  }
  var out = '';
  for (var j = 0; j < bytes.length;) {
    var b = bytes[j];
    var need = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 ? (b <= 0xEF ? 2 : -1) : b >= 0xC2 && b <= 0xDF ? 1 : b < 0x80 ? 0 : -1;
    var cp = need === 3 ? b & 7 : need === 2 ? b & 15 : need === 1 ? b & 31 : b;
    var ok = need >= 0;
    for (var k = 1; ok && k <= need; k++) {
      var cont = bytes[j + k];
      if (cont === undefined || (cont & 0xC0) !== 0x80) ok = false;
      else cp = (cp << 6) | (cont & 0x3F);
    }
    ok = ok && !(need === 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) && !(need === 3 && (cp < 0x10000 || cp > 0x10FFFF));
    if (ok) { out += String.fromCodePoint(cp); j += need + 1; }
    else { out += String.fromCharCode(0xDC00 + b); j += 1; }
  }
  return out;
}

// A path as it goes into an address, each of its names encoded on its own: a '#', '?' or '%'
// in a name stays part of the name, on disk as on a web server.
export function pathUrl(path) { return path.split('/').map(encodeSegment).join('/'); }
export function fileUrl(root, rel) {
  return 'file://' + pathUrl(root.endsWith('/') ? root + rel : root + '/' + rel);
}
export function thumbUrl(key) {
  return 'thumbs/' + encodeURIComponent(shown(key.slice(0, 2))) + '/' + encodeURIComponent(shown(key)) + '.jpg';
}
// What the browser can show of an original; other formats (HEIC, TIFF, raw) show the thumbnail.
export var showable = /\.(jpe?g|png|gif|webp|bmp)$/i;
