// The viewer: one photo large, with its date and path, stepping through the wall.

import { viewer, stage } from './elements.js';
import { shown, tr, fileName, thumbUrl, showable } from './text.js';
import { previewUrl } from './media.js';
import { dateText, clockDate } from './dates.js';
import { pathDate } from './pathdates.js';
import { pathOf, dateOf, dateKind, keyOf, rawOf, isVideoPhoto, hasPreviewImage, hasCopyImage } from './table.js';
import { view } from './view.js';
import { focusPhoto } from './render.js';
import { originalUrl, originalPath, originalsMissingText, unreachableText } from './originals.js';
import { showMovie, placeMovie, stopMovie, playOrPause } from './movie.js';
import { resetZoom, applyZoom, zoomBy } from './zoom.js';
import { stopSlideshow, viewerTouched, toggleSlideshow } from './slideshow.js';
import { fillInfo, toggleInfo } from './info.js';
import { forgetPendingLink, writeLocation } from './address.js';
import { showViewerDownload } from './select.js';

export var thumbImage = viewer.querySelector('.thumb');
export var fullImage = viewer.querySelector('.full');
export var whenText = viewer.querySelector('.when');
var pathText = viewer.querySelector('.path');
var positionText = viewer.querySelector('.position');
var originalLink = viewer.querySelector('.original');
var rawLink = viewer.querySelector('.raw');
export var noteText = viewer.querySelector('.note');
var prevButton = viewer.querySelector('.prev');
var nextButton = viewer.querySelector('.next');
export var viewing = -1;           // position in the view, -1 when closed
var preloaded = [];

export function openViewer(p, addToHistory) {
  if (!view || p < 0 || p >= view.pos.length) return;
  // A photo chosen now wins over one the address named before its piece arrived.
  forgetPendingLink();
  viewing = p;
  var photo = view.pos[p];
  var path = pathOf(photo);
  var rel = shown(path);
  var original = originalUrl(path);
  var full = largeImage(photo, path, original);
  var canShow = full !== '';
  var short = tr('photoAlt', { name: fileName(rel), date: dateText(dateOf[photo], 'short', dateKind[photo]) });
  stage.classList.remove('missing', 'sharp');
  resetZoom();
  thumbImage.hidden = false;
  thumbImage.src = thumbUrl(keyOf(photo));
  thumbImage.alt = canShow ? '' : short;
  fullImage.classList.remove('loaded');
  fullImage.hidden = !canShow;
  fullImage.alt = canShow ? short : '';
  if (canShow) fullImage.src = full; else fullImage.removeAttribute('src');
  showWhen(photo, path);
  fillInfo(photo, path);
  pathText.textContent = rel;
  pathText.title = original ? shown(originalPath(path)) : rel;
  positionText.textContent = tr('position', { n: p + 1, count: view.pos.length });
  // Where the originals cannot be found, no link leads nowhere.
  originalLink.hidden = !original;
  if (original) originalLink.href = original; else originalLink.removeAttribute('href');
  showViewerDownload(path, original);
  var raw = rawOf.get(photo);
  rawLink.hidden = raw === undefined || !original;
  if (!rawLink.hidden) {
    var rawPath = pathOf(raw);
    rawLink.href = originalUrl(rawPath);
    rawLink.textContent = tr('openRaw', { type: rawPath.slice(rawPath.lastIndexOf('.') + 1).toUpperCase() });
  }
  noteText.textContent = showsCopy(photo, full) ? tr('copyShown') : !original ? originalsMissingText()
    : showable.test(path) || isVideoPhoto(photo) ? '' : tr('previewOnly');
  showMovie(photo, path, original);
  prevButton.disabled = p === 0;
  nextButton.disabled = p === view.pos.length - 1;
  // The neighbours are fetched now so that stepping shows them at once.
  preloaded = [p - 1, p + 1].filter(function (q) { return q >= 0 && q < view.pos.length; }).map(function (q) {
    var neighbour = view.pos[q];
    var images = [new Image()];
    images[0].src = thumbUrl(keyOf(neighbour));
    var large = largeImage(neighbour, pathOf(neighbour), originalUrl(pathOf(neighbour)));
    if (large) { images.push(new Image()); images[1].src = large; }
    return images;
  });
  if (!viewer.open) {
    viewer.showModal();
    // Not a button: an Enter that opened the viewer must not also close it.
    stage.focus();
  }
  placeMovie();
  writeLocation(addToHistory ? 'push' : 'replace');
}

// The image the viewer shows large: the original (at its address, '' when the originals were not
// found) where the browser can show it, else the wall's own preview of it where there is one,
// which needs no original; '' for a photo with neither. A video's preview is its poster frame,
// large: it stands for a video that cannot play here, and lies under the player of one that can.
// A portable wall's copy stands for an original that was not found.
function largeImage(photo, path, original) {
  if (isVideoPhoto(photo) || !showable.test(path)) return hasPreviewImage(photo) ? previewUrl(keyOf(photo)) : '';
  return original || (hasCopyImage(photo) ? previewUrl(keyOf(photo)) : '');
}
function showsCopy(photo, large) { return hasCopyImage(photo) && large === previewUrl(keyOf(photo)); }

// The date, and for a date read from the path, where it came from.
function showWhen(photo, path) {
  var kind = dateKind[photo];
  whenText.textContent = dateText(dateOf[photo], 'long', kind);
  if (kind === clockDate) return;
  var origin = document.createElement('span');
  origin.className = 'origin';
  origin.textContent = tr(pathDate(path).piece === 0 ? 'dateFromFileName' : 'dateFromFolderName');
  whenText.append(' ', origin);
}

// Closes the viewer without returning the focus to its photo, whose tile a new view replaces.
export function dropViewer() {
  viewing = -1;
  viewer.close();
}

export function closeViewer() {
  if (viewing < 0) return;
  var p = viewing;
  viewing = -1;
  preloaded = [];
  stopSlideshow();
  stopMovie();
  viewer.close();
  fullImage.removeAttribute('src');
  focusPhoto(p);
}
// Closing by hand goes back in history when the viewer added the entry, so Back and Close agree.
export function leaveViewer() {
  if (history.state && history.state.viewer) history.back();
  else { closeViewer(); writeLocation('replace'); }
}

export function step(delta) {
  var p = viewing + delta;
  if (viewing >= 0 && p >= 0 && p < view.pos.length) openViewer(p, false);
}

fullImage.addEventListener('load', function () {
  if (!fullImage.getAttribute('src')) return;
  fullImage.classList.add('loaded');
  // The preview underneath would show through a transparent original.
  stage.classList.add('sharp');
  // The original's exact shape may differ a little from the preview's.
  applyZoom();
});
fullImage.addEventListener('error', function () {
  if (!fullImage.getAttribute('src')) return;
  // One original that did not load, in a folder that holds others: the wall's copy stands for it.
  var photo = view.pos[viewing];
  if (showable.test(pathOf(photo)) && hasCopyImage(photo) && !showsCopy(photo, fullImage.getAttribute('src'))) {
    fullImage.src = previewUrl(keyOf(photo));
    noteText.textContent = tr('copyShown');
    return;
  }
  fullImage.hidden = true;
  // A preview that failed leaves the thumbnail, which is a preview too.
  var path = pathOf(photo);
  if (showable.test(path)) noteText.textContent = unreachableText('originalMissing', path);
});
thumbImage.addEventListener('error', function () {
  thumbImage.hidden = true;
  if (fullImage.hidden) stage.classList.add('missing');
});
viewer.addEventListener('cancel', function (event) { event.preventDefault(); leaveViewer(); });
viewer.querySelector('.close').addEventListener('click', leaveViewer);
prevButton.addEventListener('click', function () { viewerTouched(); step(-1); });
nextButton.addEventListener('click', function () { viewerTouched(); step(1); });

// Keys in the viewer. Space on a focused button presses it, as everywhere.
var viewerKeys = {
  ArrowRight: function () { step(1); },
  ArrowLeft: function () { step(-1); },
  '+': function () { zoomBy(1.5); },
  '=': function () { zoomBy(1.5); },
  '-': function () { zoomBy(1 / 1.5); },
  '0': resetZoom,
  i: toggleInfo,
  p: playOrPause
};
viewer.addEventListener('keydown', function (event) {
  if (event.key === 'Tab') { keepFocusInside(event); return; }
  if (event.altKey || event.metaKey || (event.ctrlKey && event.key !== '0')) return;
  var onButton = event.target.closest && event.target.closest('button, a, video');
  if (event.key === ' ' && !onButton) { event.preventDefault(); toggleSlideshow(); return; }
  if (event.key !== ' ') viewerTouched();
  var action = viewerKeys[event.key];
  if (action) { event.preventDefault(); action(); }
});

// Tab and Shift+Tab go round the viewer's controls and never leave it while it is open.
function keepFocusInside(event) {
  var stops = Array.prototype.filter.call(viewer.querySelectorAll('button, a[href], video[controls]'), function (e) {
    return !e.disabled && e.getClientRects().length > 0;
  });
  if (!stops.length) { event.preventDefault(); return; }
  var at = stops.indexOf(document.activeElement);
  var next = event.shiftKey ? (at <= 0 ? stops.length - 1 : at - 1) : (at < 0 || at === stops.length - 1 ? 0 : at + 1);
  event.preventDefault();
  stops[next].focus();
}
