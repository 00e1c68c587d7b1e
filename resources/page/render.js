// Rendering: the items from a little above the screen to a screen below it are in the DOM,
// as one contiguous run of elements in wall order.

import { header, layer } from './elements.js';
import { atKey } from './schema.js';
import { shown, fileName, thumbUrl, tr } from './text.js';
import { sectionCount, unmarkTile, markTile } from './media.js';
import { monthLabel, dateText } from './dates.js';
import { aspect, pathOf, keyOf, dateOf, dateKind, mediaOf } from './table.js';
import { view, positionIn } from './view.js';
import { tripLine, tripLabel, tripLineHeight, dayLine, dayLabel, dayLineHeight, groupHeight } from './groups.js';
import { layout, itemAt, tileAspect, rowOf } from './layout.js';
import { sweeping, scroll, scrollToVirtual } from './scroll.js';
import { metrics } from './density.js';
import { openViewer } from './viewer.js';
import { sectionCheck, markChosen } from './select.js';

var rendered = new Map();   // item index -> element
var renderedFirst = 0, renderedLast = -1;
var firstPaint = true;
var earlyThumbnails = [];  // the first screen's thumbnails, asked for before the wall is laid out
var deferImages = false;    // new tiles get their thumbnail once scrolling calms down
export function setDeferImages(defer) { deferImages = defer; }
var settleTimer = 0;
var holdAround = false;     // the rows around the screen wait a little longer after a sweep

// Starts the thumbnails that waited during a fast sweep once it has calmed down: those on
// screen at once, those of the rows around it a little later, when the sweep has not gone on.
function settle() {
  if (sweeping(performance.now())) {
    settleTimer = setTimeout(settle, 50);
    return;
  }
  // The rows around the screen that a sweep left out (see render), their thumbnails waiting.
  deferImages = false;
  holdAround = true;
  render();
  var top = header.offsetHeight, bottom = window.innerHeight;
  var later = false;
  layer.querySelectorAll('img[data-src]').forEach(function (img) {
    // (The tile's box: a picture that has not loaded takes no room.)
    var r = img.parentNode.getBoundingClientRect();
    if (r.bottom > top && r.top < bottom) startImage(img);
    else later = true;
  });
  settleTimer = later ? setTimeout(loadAround, 150) : 0;
  holdAround = later;
}

function loadAround() {
  settleTimer = 0;
  holdAround = false;
  layer.querySelectorAll('img[data-src]').forEach(startImage);
}

function startImage(img) {
  img.src = img.dataset.src;
  img.removeAttribute('data-src');
}

// Tiles of rows that left the screen wait here for the next rows: a fast sweep replaces the
// whole screen every frame, and new elements each time would keep the garbage collector busy
// enough to stall it.
var spareTiles = [];
var spareLimit = 600;
function release(element) {
  // The focused tile goes with its row; render gives the focus to the photo's new tile.
  if (!focusLost && roving.photo >= 0 && element.contains(document.activeElement)) focusLost = true;
  element.remove();
  for (var child = element.firstElementChild; child; child = child.nextElementSibling) {
    if (spareTiles.length >= spareLimit) break;
    if (child.classList.contains('tile')) spareTiles.push(child);
  }
}

export function clearRendered() {
  rendered.forEach(release);
  rendered.clear();
  layer.textContent = '';
  renderedFirst = 0;
  renderedLast = -1;
}

export function render() {
  if (!layout || layout.count === 0) return;
  // A sweep draws only the screen itself: rows above and below it would be gone again in the
  // next frame, and making them (and collecting them) is what would make the sweep stutter.
  // (Above it, the room of a phone's header, which moves away while scrolling down.)
  var top = deferImages ? scroll.virtual - header.offsetHeight : scroll.virtual - scroll.viewHeight / 2;
  var bottom = scroll.virtual + scroll.viewHeight * (deferImages ? 1 : 2);
  var first = itemAt(Math.max(0, top));
  var last = itemAt(bottom);
  if (first > renderedLast || last < renderedFirst) clearRendered();
  for (var i = renderedFirst; i <= renderedLast; i++) {
    if (i < first || i > last) { release(rendered.get(i)); rendered.delete(i); }
  }
  var visibleEnd = scroll.virtual + scroll.viewHeight;
  if (renderedLast < renderedFirst) {
    for (var a = first; a <= last; a++) add(a, layout.top[a] < visibleEnd, null);
  } else {
    var anchor = rendered.get(Math.max(first, renderedFirst));
    for (var b = first; b < renderedFirst; b++) add(b, layout.top[b] < visibleEnd, anchor);
    for (var c = renderedLast + 1; c <= last; c++) add(c, layout.top[c] < visibleEnd, null);
  }
  renderedFirst = first;
  renderedLast = last;
  firstPaint = false;
  placeTabStop();
  // The tiles hold those thumbnails now, where they are the same.
  earlyThumbnails = [];
  if (deferImages) {
    holdAround = false;
    clearTimeout(settleTimer);
    settleTimer = setTimeout(settle, 120);
  }
}

function add(item, visible, before) {
  var element = layout.end[item] < 0 ? makeHeading(item) : makeRow(item, visible);
  element.style.top = (layout.top[item] - scroll.base) + 'px';
  element.style.height = layout.height[item] + 'px';
  layer.insertBefore(element, before);
  rendered.set(item, element);
}

function makeHeading(item) {
  var element = monthHeading(-1 - layout.end[item]);
  element.style.left = layout.metrics.left + 'px';
  return element;
}

function monthHeading(s) {
  var element = document.createElement('div');
  element.className = 'month';
  var h = document.createElement('h2');
  h.textContent = monthLabel(view.sectionMonth[s]);
  var count = document.createElement('span');
  count.textContent = sectionCount(view, s);
  element.append(h, count);
  sectionCheck(element, view.sectionStart[s], view.sectionStart[s + 1], h.textContent);
  return element;
}

// The heading of a trip or a day above the first row of its photos.
function groupHeading(groups, g, m, height) {
  var element = document.createElement('div');
  element.className = 'group';
  element.style.left = m.left + 'px';
  element.style.width = m.width + 'px';
  element.style.height = height + 'px';
  var lines = groups.lines[g];
  if (lines & tripLine) {
    var trip = document.createElement('h3');
    trip.className = 'trip';
    trip.textContent = tripLabel(groups, groups.trip[g]);
    trip.style.height = tripLineHeight(m) + 'px';
    element.appendChild(trip);
  }
  if (lines & dayLine) {
    var day = document.createElement('h4');
    day.className = 'day';
    day.textContent = dayLabel(groups.day[g], false);
    day.style.height = dayLineHeight(m) + 'px';
    element.appendChild(day);
  }
  return element;
}

function makeRow(item, visible) {
  var m = layout.metrics;
  var element = document.createElement('div');
  element.className = 'row';
  var start = layout.start[item], end = layout.end[item];
  var height = layout.height[item];
  var band = layout.bands.get(item);
  if (band) {
    // Months side by side: each heading above its photos, at the month's own height.
    band.forEach(function (segment) {
      var heading = monthHeading(segment.section);
      heading.style.left = (m.left + segment.x) + 'px';
      heading.style.right = 'auto';
      heading.style.width = segment.width + 'px';
      heading.style.height = m.heading + 'px';
      element.appendChild(heading);
      addTiles(element, item, segment.start, segment.end, m.left + segment.x, m.heading, segment.height, visible);
    });
    return element;
  }
  var label = layout.label[item], above = 0;
  if (label) {
    above = groupHeight(view.groups, label - 1, m);
    element.appendChild(groupHeading(view.groups, label - 1, m, above));
    height -= above;
  }
  var sum = 0;
  for (var p = start; p < end; p++) sum += tileAspect(aspect[view.pos[p]]);
  // Full rows are stretched to the exact width (their height was rounded); edges are rounded
  // once so that the gaps stay even.
  var fill = (m.width - (end - start - 1) * m.gap) / sum;
  addTiles(element, item, start, end, m.left, above, Math.abs(fill - height) < 1 ? fill : height, visible);
  return element;
}

// The tiles of the photos at positions start..end-1, side by side from x, top at y, scale
// pixels high (a tile's width is its aspect ratio times that).
function addTiles(element, item, start, end, x, y, scale, visible) {
  var m = layout.metrics;
  for (var q = start; q < end; q++) {
    var photo = view.pos[q];
    var w = tileAspect(aspect[photo]) * scale;
    var left = Math.round(x), right = Math.round(x + w);
    x += w + m.gap;
    var rel = shown(pathOf(photo));
    var name = fileName(rel);
    var tile = spareTiles.pop() || newTile();
    var img = tile.firstElementChild;
    var url = thumbUrl(keyOf(photo));
    // A spare tile of this very photo keeps its picture; it may have arrived while the tile
    // was out of the wall, where the listeners below do not hear it.
    if (img.getAttribute('src') !== url) reset(tile);
    else if (img.complete) settled(img);
    img.removeAttribute('elementtiming');
    tile.style.cssText = 'left:' + left + 'px;width:' + (right - left) + 'px' +
      (y ? ';top:' + y + 'px;height:' + Math.round(scale) + 'px' : '');
    tile.dataset.pos = q;
    if (q === tabStop) { tile.tabIndex = 0; tabStopTile = tile; } else if (tile.tabIndex !== -1) tile.tabIndex = -1;
    tile.dataset.name = name;
    tile.title = rel;
    img.alt = tr('photoAlt', { name: name, date: dateText(dateOf[photo], 'short', dateKind[photo]) });
    img.fetchPriority = visible ? 'high' : 'low';
    // Lets a performance observer see when the first row of the wall is on screen.
    if (firstPaint && layout.start[item] === 0) img.setAttribute('elementtiming', 'first-row');
    // A spare tile that kept this photo's thumbnail (above) is showing or loading it already.
    // Rows added around the screen while its thumbnails are still waiting wait with them.
    if (!img.hasAttribute('src')) {
      if (deferImages || holdAround) img.dataset.src = url;
      else img.src = url;
    }
    // A spare tile may carry another photo's video or live mark.
    unmarkTile(tile);
    if (mediaOf[photo]) markTile(tile, img, photo);
    markChosen(tile, photo);
    element.appendChild(tile);
  }
}

// The manifest lists the newest photos first, as the wall shows them (unless the address asks
// for a folder or a search): their thumbnails can be on their way while the photo table is
// built and the wall laid out, instead of after.
export function fetchFirstThumbnails(photos) {
  // About as many as fill a screen at the rows' usual height: each one more delays the table.
  var m = metrics();
  var count = Math.min(64, Math.ceil(m.width * window.innerHeight / (m.target * m.target * 1.2)));
  for (var i = 0; i < Math.min(photos.length, count); i++) {
    var p = photos[i];
    if (!Array.isArray(p) || typeof p[atKey] !== 'string') continue;
    var img = new Image();
    img.fetchPriority = 'high';
    img.src = thumbUrl(p[atKey]);
    earlyThumbnails.push(img);
  }
}

// A tile as new, or one given back by release for another photo: no picture until its own
// thumbnail has loaded.
function newTile() {
  var tile = document.createElement('button');
  tile.type = 'button';
  tile.className = 'tile';
  tile.tabIndex = -1;
  var img = document.createElement('img');
  img.decoding = 'async';
  img.draggable = false;
  tile.appendChild(img);
  return tile;
}
function reset(tile) {
  var img = tile.firstElementChild;
  tile.className = 'tile';
  img.className = '';
  img.removeAttribute('src');
  img.removeAttribute('data-src');
}

function settled(img) {
  if (img.naturalWidth) img.classList.add('loaded');
  else img.parentNode.classList.add('missing');
}
layer.addEventListener('load', function (event) {
  if (event.target.tagName === 'IMG') settled(event.target);
}, true);
layer.addEventListener('error', function (event) {
  if (event.target.tagName === 'IMG') settled(event.target);
}, true);
layer.addEventListener('click', function (event) {
  var tile = event.target.closest('.tile');
  if (tile) openViewer(Number(tile.dataset.pos), true);
});

// The wall is one stop of the Tab key (a roving tab index): one tile, the focused photo's while it
// is on screen, else the first one on screen, takes the Tab key; arrow keys move between photos:
// left and right along the wall, up and down to the nearest photo of the row above or below.
// Tiles come and go as the wall scrolls, so the focus is kept by photo, not by element.
export var roving = { photo: -1, pos: -1 };   // the photo that had the focus last, and its position
var tabStop = -1, tabStopTile = null;  // the position whose tile takes the Tab key, and that tile
var focusLost = false;                 // the focused tile left with its row

export function tileAt(p) {
  var element = rendered.get(rowOf(p));
  return element ? element.querySelector('.tile[data-pos="' + p + '"]') : null;
}
function onScreen(p) {
  var row = rowOf(p);
  return layout.top[row] + layout.height[row] > scroll.virtual && layout.top[row] < scroll.virtual + scroll.viewHeight;
}
// The first photo whose row is on screen.
export function firstOnScreen() {
  for (var i = itemAt(scroll.virtual); i < layout.count; i++) {
    if (layout.end[i] >= 0 && layout.top[i] + layout.height[i] > scroll.virtual) return layout.start[i];
  }
  return view.pos.length - 1;
}

// After each render: the stop is where it belongs, and a focus lost with its row is back on the
// photo's new tile.
function placeTabStop() {
  if (!view.pos.length) return;
  var focused = roving.pos >= 0 && document.activeElement === tabStopTile && tabStop === roving.pos;
  var want = roving.pos >= 0 && (focused || onScreen(roving.pos)) ? roving.pos : firstOnScreen();
  // (A tile given back and made again for another photo is no longer the stop's.)
  if (want !== tabStop || !tabStopTile || !tabStopTile.isConnected || Number(tabStopTile.dataset.pos) !== want) {
    if (tabStopTile) tabStopTile.tabIndex = -1;
    tabStop = want;
    tabStopTile = tileAt(want);
    if (tabStopTile) tabStopTile.tabIndex = 0;
  }
  if (focusLost && (!document.activeElement || document.activeElement === document.body) && roving.pos >= 0) {
    var tile = roving.pos === tabStop ? tabStopTile : tileAt(roving.pos);
    if (tile) { focusLost = false; tile.focus({ preventScroll: true }); }
  }
}
// A new view keeps the focused photo, wherever it now is.
export function keepRoving(next) {
  if (roving.photo >= 0 && next !== view) roving.pos = positionIn(next, roving.photo);
  if (roving.pos < 0) roving.photo = -1;
  tabStop = -1;
  tabStopTile = null;
}

layer.addEventListener('focusin', function (event) {
  var tile = event.target.closest('.tile');
  if (!tile) return;
  var p = Number(tile.dataset.pos);
  roving.pos = p;
  roving.photo = view.pos[p];
  focusLost = false;
  if (tabStop !== p) {
    if (tabStopTile) tabStopTile.tabIndex = -1;
    tabStop = p;
    tabStopTile = tile;
    tile.tabIndex = 0;
  }
});
// Anything else that takes the focus ends the wait for a tile to give it back to.
document.addEventListener('focusin', function (event) {
  if (!layer.contains(event.target)) focusLost = false;
});

layer.addEventListener('keydown', function (event) {
  var tile = event.target.closest('.tile');
  if (!tile || event.altKey || event.ctrlKey || event.metaKey) return;
  var p = Number(tile.dataset.pos);
  var target = -1;
  if (event.key === 'ArrowRight') target = p + 1;
  else if (event.key === 'ArrowLeft') target = p - 1;
  else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
    var row = rowOf(p);
    var step = event.key === 'ArrowDown' ? 1 : -1;
    var next = row + step;
    while (next >= 0 && next < layout.count && layout.end[next] < 0) next += step;
    if (next >= 0 && next < layout.count) {
      var rect = tile.getBoundingClientRect();
      target = nearestInRow(next, rect.left + rect.width / 2);
    }
  } else return;
  event.preventDefault();
  if (target >= 0 && target < view.pos.length) focusPhoto(target);
});

function nearestInRow(item, x) {
  var element = rendered.get(item);
  if (!element) return layout.start[item];
  var best = layout.start[item], bestDistance = Infinity;
  for (var tile of element.querySelectorAll('.tile')) {
    var r = tile.getBoundingClientRect();
    var d = Math.abs(r.left + r.width / 2 - x);
    if (d < bestDistance) { bestDistance = d; best = Number(tile.dataset.pos); }
  }
  return best;
}

// Scrolls just enough to show the photo's row, then returns its tile.
export function revealPhoto(p) {
  var row = rowOf(p);
  var top = layout.top[row], bottom = top + layout.height[row];
  if (row > 0 && layout.end[row - 1] < 0) top = layout.top[row - 1];  // show the month too
  if (top < scroll.virtual) scrollToVirtual(top);
  else if (bottom > scroll.virtual + scroll.viewHeight) scrollToVirtual(bottom - scroll.viewHeight + layout.metrics.gap);
  var element = rendered.get(row);
  return element ? element.querySelector('.tile[data-pos="' + p + '"]') : null;
}
export function focusPhoto(p) {
  var tile = revealPhoto(p);
  if (tile) tile.focus({ preventScroll: true });
}

