// Choosing photos to take along: a check on each tile and on each heading, shift for a range,
// and a bar that downloads the originals, copies their paths or hands them to the system's share
// sheet. The choice is kept by photo (not by tile or position), so that it stays as rows are laid
// out anew, the filter changes or more pieces arrive.

import { wall, layer, viewer } from './elements.js';
import { isVideo } from './schema.js';
import { tr, fileName, shown, showable } from './text.js';
import { tableSize, order, pathOf, mediaOf } from './table.js';
import { view, positionIn } from './view.js';
import { roving } from './render.js';
import { servedOverWeb, originals, originalsMissingText, originalUrl, root } from './originals.js';
import { typing, helpDialog, gotoDialog } from './keys.js';
import { placesDialog } from './places.js';

var chosen = new Uint8Array(0);   // photo index -> 1 when chosen
var chosenCount = 0;
var rangeFrom = -1;               // the photo a shift-click or shift-arrow range starts from
var selectionBar = document.getElementById('selection');
var selectionCountText = selectionBar.querySelector('.count');
var selectionNote = selectionBar.querySelector('.note');
var shareButton = selectionBar.querySelector('.share');
var downloadButton = selectionBar.querySelector('.download');
// A check's corner of its tile, in pixels: a click there chooses rather than opens.
var checkCorner = 36;

function isChosen(photo) { return photo < chosen.length && chosen[photo] === 1; }
function choose(photo, on) {
  if (photo >= chosen.length) {
    if (!on) return;
    var grown = new Uint8Array(Math.max(photo + 1, tableSize, chosen.length * 2));
    grown.set(chosen);
    chosen = grown;
  }
  if (chosen[photo] === (on ? 1 : 0)) return;
  chosen[photo] = on ? 1 : 0;
  chosenCount += on ? 1 : -1;
}

// The chosen photos in wall order.
function chosenPhotos() {
  var list = [];
  for (var i = 0; i < order.length && list.length < chosenCount; i++) if (isChosen(order[i])) list.push(order[i]);
  return list;
}

// Positions start..end-1 of the view: chosen all when any of them is not, else none of them.
function toggleRange(start, end) {
  var all = rangeChosen(start, end);
  for (var p = start; p < end; p++) choose(view.pos[p], !all);
  showChoice();
}
function rangeChosen(start, end) {
  if (end <= start) return false;
  for (var p = start; p < end; p++) if (!isChosen(view.pos[p])) return false;
  return true;
}
// From the range's first photo to position p, all chosen (as file managers do with shift).
function extendTo(p) {
  var from = rangeFrom >= 0 ? positionIn(view, rangeFrom) : -1;
  if (from < 0) from = p;
  for (var q = Math.min(from, p); q <= Math.max(from, p); q++) choose(view.pos[q], true);
  showChoice();
}
function togglePhoto(p) {
  var photo = view.pos[p];
  choose(photo, !isChosen(photo));
  rangeFrom = photo;
  showChoice();
}
function clearChoice() {
  chosen.fill(0);
  chosenCount = 0;
  rangeFrom = -1;
  showChoice();
}

// Marks one tile as render makes it.
export function markChosen(tile, photo) {
  var on = isChosen(photo);
  tile.classList.toggle('chosen', on);
  if (chosenCount) tile.setAttribute('aria-pressed', on ? 'true' : 'false');
  else tile.removeAttribute('aria-pressed');
}

// A heading's check, for the photos at positions start..end-1 of the view: a month's, or any
// other heading that names a run of the wall.
export function sectionCheck(heading, start, end, label) {
  var check = document.createElement('button');
  check.type = 'button';
  check.className = 'section-check';
  // Not a stop of the Tab key: the wall is one stop (see keys.js), where Space and shift with
  // the arrows choose.
  check.tabIndex = -1;
  check.dataset.start = start;
  check.dataset.end = end;
  check.setAttribute('aria-label', tr('selectSection', { section: label }));
  check.setAttribute('aria-pressed', rangeChosen(start, end) ? 'true' : 'false');
  heading.appendChild(check);
}

// The bar, the tiles and the headings on screen follow the choice.
function showChoice() {
  document.body.classList.toggle('choosing', chosenCount > 0);
  selectionBar.hidden = chosenCount === 0;
  selectionCountText.textContent = tr('selectedCount', { n: chosenCount });
  selectionNote.textContent = '';
  shareButton.hidden = !canShareFiles();
  downloadButton.hidden = !canDownload();
  layer.querySelectorAll('.tile').forEach(function (tile) {
    var p = Number(tile.dataset.pos);
    if (p < view.pos.length) markChosen(tile, view.pos[p]);
  });
  layer.querySelectorAll('.section-check').forEach(function (check) {
    check.setAttribute('aria-pressed', rangeChosen(Number(check.dataset.start), Number(check.dataset.end)) ? 'true' : 'false');
  });
  // For scripts driving the page (tests): how many are chosen.
  document.body.dataset.chosen = chosenCount;
}

// Whether a click fell on the tile's check: only a mouse's, which shows it where it points (a
// tap shows no check until a long press), and on a narrow tile the check keeps to its corner.
function onCheck(tile, event) {
  if (event.pointerType !== 'mouse') return false;
  var r = tile.getBoundingClientRect();
  var corner = Math.min(checkCorner, r.width / 2.5, r.height / 2.5);
  return event.clientX >= r.right - corner && event.clientY <= r.top + corner;
}

// Before the wall's own click (which opens the viewer): while choosing, a click chooses.
layer.addEventListener('click', function (event) {
  var check = event.target.closest('.section-check');
  if (check) {
    event.stopPropagation();
    toggleRange(Number(check.dataset.start), Number(check.dataset.end));
    return;
  }
  var tile = event.target.closest('.tile');
  if (!tile) return;
  if (afterLongPress) { afterLongPress = false; event.stopPropagation(); event.preventDefault(); return; }
  var p = Number(tile.dataset.pos);
  if (event.shiftKey && (chosenCount || rangeFrom >= 0)) extendTo(p);
  else if (chosenCount || event.shiftKey || onCheck(tile, event)) togglePhoto(p);
  else return;
  event.stopPropagation();
  event.preventDefault();
}, true);

// On a touch screen a long press chooses; the click that follows it does not open the photo.
var pressTimer = 0, pressAt = null, afterLongPress = false;
layer.addEventListener('pointerdown', function (event) {
  if (event.pointerType !== 'touch') return;
  var tile = event.target.closest('.tile');
  if (!tile) return;
  clearTimeout(pressTimer);
  pressAt = { x: event.clientX, y: event.clientY };
  afterLongPress = false;
  pressTimer = setTimeout(function () {
    pressTimer = 0;
    afterLongPress = true;
    if (tile.isConnected) togglePhoto(Number(tile.dataset.pos));
  }, 500);
});
function endPress(event) {
  if (pressAt && event.type === 'pointermove' && Math.hypot(event.clientX - pressAt.x, event.clientY - pressAt.y) < 10) return;
  clearTimeout(pressTimer);
  pressTimer = 0;
  pressAt = null;
}
['pointermove', 'pointerup', 'pointercancel'].forEach(function (type) { layer.addEventListener(type, endPress); });
// The browser's own menu for a long press would cover the choice.
layer.addEventListener('contextmenu', function (event) {
  if (afterLongPress || pressTimer) event.preventDefault();
});

// Keys: Space chooses the focused photo, shift and an arrow key choose on the way, Escape lets go.
var keyFrom = -1;
layer.addEventListener('keydown', function (event) {
  var tile = event.target.closest('.tile');
  keyFrom = tile ? Number(tile.dataset.pos) : -1;
  if (!tile || event.altKey || event.ctrlKey || event.metaKey) return;
  if (event.key === ' ') {
    event.preventDefault();
    event.stopPropagation();
    if (event.shiftKey) extendTo(keyFrom); else togglePhoto(keyFrom);
  }
}, true);
wall.addEventListener('keydown', function (event) {
  if (!event.shiftKey || keyFrom < 0 || !/^Arrow/.test(event.key)) return;
  // The wall's own handler (render.js, on the tiles' layer inside the wall) has moved the focus
  // by now.
  if (rangeFrom < 0 || !isChosen(rangeFrom)) { rangeFrom = view.pos[keyFrom]; choose(rangeFrom, true); }
  if (roving.pos >= 0 && roving.pos !== keyFrom) extendTo(roving.pos); else showChoice();
});
document.addEventListener('keydown', function (event) {
  if (event.key !== 'Escape' || !chosenCount || event.defaultPrevented || typing(event.target)) return;
  if (viewer.open || helpDialog.open || gotoDialog.open || placesDialog.open) return;
  event.preventDefault();
  clearChoice();
});

// The originals, each by its own download. Over the web a browser saves a link with a download
// attribute under that name (Chromium asks once whether the page may download several files).
// From disk it does not: every file is a site of its own there, a download attribute across
// sites is ignored, and the link would open the photo in place of the wall. There the photos are
// files on this computer already; copying their paths is what the bar offers.
function canDownload() { return servedOverWeb(location.href) && !!originals.base; }
function downloadPhotos(photos) {
  if (!canDownload()) { selectionNote.textContent = originalsMissingText(); return 0; }
  photos.forEach(function (photo) {
    var a = document.createElement('a');
    a.href = originalUrl(pathOf(photo));
    a.download = fileName(shown(pathOf(photo)));
    a.hidden = true;
    document.body.appendChild(a);
    a.click();
    a.remove();
  });
  return photos.length;
}
downloadButton.addEventListener('click', function () {
  var n = downloadPhotos(chosenPhotos());
  if (n) selectionNote.textContent = tr('downloading', { n: n });
});

// A photo's original as a path on this computer (or, over the web, as its address): the folder
// the originals were found in, else the one the wall names.
function absolutePath(photo) {
  var folder = originals.label || root;
  var rel = pathOf(photo);
  return shown(folder ? folder.replace(/\/+$/, '') + '/' + rel : rel);
}

// The clipboard's own interface where the page may use it, else the older copy command.
function copyText(text) {
  function fallback() {
    var area = document.createElement('textarea');
    area.value = text;
    area.setAttribute('readonly', '');
    area.style.cssText = 'position:fixed;left:-9999px;top:0';
    document.body.appendChild(area);
    area.select();
    var ok = false;
    try { ok = document.execCommand('copy'); } catch (e) { ok = false; }
    area.remove();
    return ok;
  }
  if (navigator.clipboard && navigator.clipboard.writeText) {
    return navigator.clipboard.writeText(text).then(function () { return true; }, fallback);
  }
  return Promise.resolve(fallback());
}
selectionBar.querySelector('.copy').addEventListener('click', function () {
  var photos = chosenPhotos();
  copyText(photos.map(absolutePath).join('\n') + '\n').then(function (ok) {
    selectionNote.textContent = ok ? tr('pathsCopied', { n: photos.length }) : tr('copyFailed');
  });
});

// The share sheet takes files, which the page must read first. Its security policy lets it read
// nothing by fetch; an original it may show is drawn and saved as a JPEG instead, which a page
// served from its own site may read back (from disk, every file is another site). So sharing is
// offered on a phone's browser that shares files, for a wall from the web, and for the photos a
// browser can show; at most shareLimit at once, the size share sheets handle well.
var shareLimit = 20;
function canShareFiles() {
  if (!navigator.canShare || !navigator.share || !servedOverWeb(location.href) || !originals.base) return false;
  try { return navigator.canShare({ files: [new File([''], 'a.jpg', { type: 'image/jpeg' })] }); } catch (e) { return false; }
}
function photoFile(photo) {
  return new Promise(function (resolve) {
    var image = new Image();
    image.onload = function () {
      var canvas = document.createElement('canvas');
      canvas.width = image.naturalWidth;
      canvas.height = image.naturalHeight;
      canvas.getContext('2d').drawImage(image, 0, 0);
      canvas.toBlob(function (blob) {
        var name = fileName(shown(pathOf(photo))).replace(/\.[^.]*$/, '') + '.jpg';
        resolve(blob ? new File([blob], name, { type: 'image/jpeg' }) : null);
      }, 'image/jpeg', 0.92);
    };
    image.onerror = function () { resolve(null); };
    image.src = originalUrl(pathOf(photo));
  });
}
shareButton.addEventListener('click', async function () {
  var photos = chosenPhotos().filter(function (photo) { return showable.test(pathOf(photo)) && !(mediaOf[photo] & isVideo); });
  if (photos.length > shareLimit) { selectionNote.textContent = tr('shareTooMany', { n: shareLimit }); return; }
  selectionNote.textContent = tr('sharePreparing');
  var files = (await Promise.all(photos.map(photoFile))).filter(Boolean);
  if (!files.length || !navigator.canShare({ files: files })) { selectionNote.textContent = tr('shareFailed'); return; }
  try {
    await navigator.share({ files: files });
    selectionNote.textContent = '';
  } catch (e) {
    selectionNote.textContent = e && e.name === 'AbortError' ? '' : tr('shareFailed');
  }
});
selectionBar.querySelector('.clear').addEventListener('click', clearChoice);

// The viewer's download of the photo it shows, where its original was found (over the web; see
// downloadPhotos).
var viewerDownload = viewer.querySelector('.download');
export function showViewerDownload(path, original) {
  viewerDownload.hidden = !original || !servedOverWeb(location.href);
  if (original) {
    viewerDownload.href = original;
    viewerDownload.download = fileName(shown(path));
  } else {
    viewerDownload.removeAttribute('href');
  }
}
