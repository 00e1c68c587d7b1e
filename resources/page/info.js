// The viewer's info panel: what the photo is and where it lies, and where its date came from.

import { viewer } from './elements.js';
import { pageLocale } from './language.js';
import { shown, fileName, tr, showable } from './text.js';
import { dateText, isDated, clockDate } from './dates.js';
import { pathDate } from './pathdates.js';
import { widthOf, heightOf, dateKind, dateOf, hasCopyImage } from './table.js';
import { detailsPieceOf, ensureDetails, exposureOf, cameraLabel, lensOf, lensNames, detailSize, placeOf,
  placeLabel, latOf, lonOf } from './details.js';
import { originalUrl, originalPath } from './originals.js';
import { fillMediaInfo } from './movie.js';
import { applyZoom } from './zoom.js';
import { showSpotMap } from './places.js';

export var infoPanel = document.getElementById('info');
var infoButton = viewer.querySelector('.info-button');
var megapixels = new Intl.NumberFormat(pageLocale, { maximumFractionDigits: 1 });

export function infoField(name) { return infoPanel.querySelector('.' + name); }

export function fillInfo(photo, path) {
  var rel = shown(path);
  var cut = rel.lastIndexOf('/');
  infoField('name').textContent = fileName(rel);
  infoField('folder').textContent = cut < 0 ? tr('rootFolder') : rel.slice(0, cut);
  var w = widthOf[photo], h = heightOf[photo];
  infoField('size').textContent = w > 0 && h > 0
    ? tr('infoPixels', { width: w, height: h, megapixels: megapixels.format(w * h / 1e6) })
    : tr('infoUnknown');
  var kind = dateKind[photo];
  infoField('date').textContent = dateText(dateOf[photo], 'long', kind);
  infoField('origin').textContent = dateOrigin(photo, path, kind);
  var link = infoField('link');
  var original = originalUrl(path);
  // Without an address the link is plain text, which says why.
  if (original) link.href = original; else link.removeAttribute('href');
  link.textContent = original ? shown(originalPath(path)) : tr(hasCopyImage(photo) && showable.test(path) ? 'infoCopyOnly' : 'infoNoOriginal');
  fillMediaInfo(photo);
  infoPhoto = photo;
  fillDetails(photo);
  if (!infoPanel.hidden) askDetails(photo);
}

// The details (details.js) of the photo the panel shows: loaded only once the panel is open,
// and filled in when they arrive if it still shows that photo.
var infoPhoto = -1;
var decimals1 = new Intl.NumberFormat(pageLocale, { maximumFractionDigits: 1 });
var decimals2 = new Intl.NumberFormat(pageLocale, { maximumFractionDigits: 2 });
var decimals5 = new Intl.NumberFormat(pageLocale, { minimumFractionDigits: 5, maximumFractionDigits: 5 });
var wholeNumbers = new Intl.NumberFormat(pageLocale, { maximumFractionDigits: 0 });

function askDetails(photo) {
  var piece = detailsPieceOf(photo);
  if (piece < 0) return;
  ensureDetails(piece).then(function () { if (infoPhoto === photo) fillDetails(photo); });
}

// "1/125 s · ƒ/2.8 · ISO 100", as far as known.
function exposureText(e) {
  var parts = [];
  if (e.seconds > 0) {
    // Shutter speeds under a second are fractions where they are one: 1/125, 1/2, not 0.8.
    var inverse = 1 / e.seconds, whole = Math.round(inverse);
    var time = e.seconds < 1 && whole >= 2 && Math.abs(inverse - whole) < whole * 0.02 ? '1/' + whole : decimals1.format(e.seconds);
    parts.push(tr('exposureTime', { time: time }));
  }
  if (e.fNumber > 0) parts.push(tr('exposureAperture', { f: decimals1.format(e.fNumber) }));
  if (e.iso > 0) parts.push(tr('exposureIso', { iso: wholeNumbers.format(e.iso) }));
  return parts.join(' \u00b7 ');
}
// "4.2 mm (26 mm equiv.)"
function focalText(e) {
  var focal = e.focal > 0 ? decimals1.format(e.focal) : '', focal35 = e.focal35 > 0 ? wholeNumbers.format(e.focal35) : '';
  if (focal && focal35 && e.focal35 !== Math.round(e.focal)) return tr('focalEquivalent', { focal: focal, focal35: focal35 });
  if (focal) return tr('focalLength', { focal: focal });
  return focal35 ? tr('focalEquivalentOnly', { focal35: focal35 }) : '';
}
// "3.2 MB", counted in thousands as file managers do.
function fileSizeText(bytes) {
  if (!(bytes > 0)) return '';
  if (bytes < 1000) return tr('sizeBytes', { size: wholeNumbers.format(bytes) });
  var units = ['sizeKB', 'sizeMB', 'sizeGB'], value = bytes / 1000, u = 0;
  while (value >= 1000 && u < units.length - 1) { value /= 1000; u++; }
  return tr(units[u], { size: (value < 100 ? decimals1 : wholeNumbers).format(value) });
}
function coordinatesText(lat, lon) {
  if (!isFinite(lat) || !isFinite(lon)) return '';
  return tr('coordinates', {
    lat: decimals5.format(Math.abs(lat)), ns: tr(lat < 0 ? 'south' : 'north'),
    lon: decimals5.format(Math.abs(lon)), ew: tr(lon < 0 ? 'west' : 'east')
  });
}

// Each row shows what is known and hides when nothing is.
function fillDetails(photo) {
  var e = exposureOf.get(photo) || { seconds: 0, fNumber: 0, iso: 0, focal: 0, focal35: 0 };
  var values = {
    camera: cameraLabel(photo),
    lens: lensOf[photo] >= 0 ? lensNames[lensOf[photo]] || '' : '',
    exposure: exposureText(e),
    focal: focalText(e),
    filesize: fileSizeText(detailSize[photo]),
    place: placeOf[photo] >= 0 ? placeLabel(placeOf[photo]) : '',
    coordinates: coordinatesText(latOf[photo], lonOf[photo])
  };
  infoPanel.querySelectorAll('.detail-row').forEach(function (row) {
    var text = values[row.dataset.detail] || '';
    row.hidden = !text;
    row.querySelector('dd').textContent = text;
  });
  showSpotMap(photo);
}

// Where a date came from: the photo's own data (its camera), or which name in its path.
function dateOrigin(photo, path, kind) {
  if (!isDated(dateOf[photo])) return tr('infoNoOrigin');
  if (kind === clockDate) return tr('infoFromCamera');
  var found = pathDate(path);
  if (found.piece === 0) return tr('infoFromFileName');
  var pieces = path.split('/').filter(Boolean);
  return tr('infoFromFolderName', { folder: shown(pieces[pieces.length - 1 - found.piece]) });
}

function showInfo(open) {
  infoPanel.hidden = !open;
  if (open && infoPhoto >= 0) askDetails(infoPhoto);
  viewer.classList.toggle('with-info', open);
  infoButton.setAttribute('aria-expanded', open ? 'true' : 'false');
  applyZoom();
}
export function toggleInfo() { showInfo(infoPanel.hidden); }
infoButton.addEventListener('click', toggleInfo);
infoPanel.querySelector('.info-close').addEventListener('click', function () {
  showInfo(false);
  infoButton.focus();
});
