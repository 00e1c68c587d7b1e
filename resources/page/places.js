// The Places view: a world map of where the photos were taken, drawn in the page from its own
// outlines (no map server: the wall works offline, and nothing leaves the computer), with the
// photos as dots gathered into clusters. Wheel, pinch and the +/- buttons zoom, dragging pans;
// a cluster, chosen, shows its photos on the wall (a filter of its own, shown and cleared beside
// the folders). The info panel shows one photo's spot on a small map (showSpotMap).

import { pageLocale } from './language.js';
import { tr } from './text.js';
import { order, tableSize } from './table.js';
import { ensureAllDetails, latOf, lonOf, detailSlots, placeOf, placeLabel } from './details.js';
import { filter } from './view.js';
import { infoPanel } from './info.js';
import { clampMap, drawWorld, mapColours, mapBounds, screenOf, worldX, worldY, dotRadius, worldOf,
  mapScale, drawDot } from './worldmap.js';
import { gatherSpots, clusterSpots, clusterPhotos, mapMaxZoom } from './spots.js';
import { refresh } from './main.js';

export var placesDialog = document.getElementById('places');
var placesMap = placesDialog.querySelector('.map');
var placesCanvas = placesMap.querySelector('canvas');
var placesDots = placesMap.querySelector('.dots');
var placesStatus = placesDialog.querySelector('.status');
var placesOpenButton = document.getElementById('places-open');
var placeFilterButton = document.getElementById('place-filter');
var mapView = { x: 0.5, y: 0.5, zoom: 1, width: 0, height: 0, ratio: 1 };
var mapFitted = false;
// The index of the spots, and the photos with a position it was made from.
var places = { index: null, spots: null, known: -1 };
var mapFrame = 0;

function photosWithPlace() {
  var n = 0;
  for (var i = 0; i < order.length; i++) if (latOf[order[i]] >= -90) n++;
  return n;
}

function openPlaces() {
  delete placesDialog.dataset.state;
  placesDialog.showModal();
  sizeMap();
  if (!mapFitted) fitWorld();
  drawMap();
  placesStatus.textContent = tr('placesReading');
  ensureAllDetails(function () {}).then(function () {
    var known = photosWithPlace();
    if (known === places.known) return known;
    placesStatus.textContent = tr('placesArranging', { n: known });
    // The text is on screen before the index is made, in one task (see bench/places.mjs).
    return new Promise(function (resolve) { requestAnimationFrame(function () { setTimeout(function () { resolve(known); }); }); });
  }).then(function (known) {
    if (known !== places.known) {
      // At a million photos this is the costly step, done once all positions are there (see
      // bench/places.mjs for its time).
      places.spots = gatherSpots(order, latOf, lonOf);
      places.index = places.spots.count ? clusterSpots(places.spots) : null;
      places.known = known;
    }
    placesStatus.textContent = known ? tr('placesCount', { n: known }) : tr('placesNone');
    drawMap();
    // For scripts driving the page (tests): the dots are on the map.
    placesDialog.dataset.state = 'ready';
  });
}
placesOpenButton.addEventListener('click', openPlaces);
// Only a wall whose pieces have details can say where its photos were taken (older walls, and
// those read from manifest.js alone, have none).
export function showPlacesButton() {
  placesOpenButton.hidden = !detailSlots.some(function (slot) { return slot.file; });
}
showPlacesButton();
placesDialog.querySelector('.close').addEventListener('click', function () { placesDialog.close(); });

function sizeMap() {
  var r = placesMap.getBoundingClientRect();
  mapView.width = Math.max(1, r.width);
  mapView.height = Math.max(1, r.height);
  mapView.ratio = window.devicePixelRatio || 1;
  placesCanvas.width = Math.round(mapView.width * mapView.ratio);
  placesCanvas.height = Math.round(mapView.height * mapView.ratio);
}
// The whole world, as wide as the map; on a tall phone screen larger, its inhabited part as high
// as most of the screen, the rest a drag away east or west.
function fitWorld() {
  var w = mapView.width, h = mapView.height;
  mapView.zoom = Math.max(0, Math.log2(Math.max(Math.min(w, h * 1.6), Math.min(w * 1.8, h * 0.9)) / 256));
  mapView.x = 0.5;
  mapView.y = 0.42;
  clampMap(mapView);
  mapFitted = true;
}
function minZoom() { return Math.max(0, Math.log2(mapView.width / 256) - 1); }

function drawMap() {
  mapFrame = 0;
  if (!placesDialog.open) return;
  drawWorld(placesCanvas, mapView, mapColours(placesDialog));
  placeDots();
  // For scripts driving the page (tests): the zoom drawn.
  placesDialog.dataset.zoom = mapView.zoom.toFixed(3);
}
function redraw() { if (!mapFrame) mapFrame = requestAnimationFrame(drawMap); }

// The clusters on screen are buttons over the map: they take the pointer, the Tab key and a
// screen reader's reading; their elements are reused as the map moves.
var dotCounts = new Intl.NumberFormat(pageLocale, { notation: 'compact', maximumFractionDigits: 1 });
function placeDots() {
  var features = places.index ? places.index.getClusters(mapBounds(mapView), Math.floor(mapView.zoom)) : [];
  var spare = Array.prototype.slice.call(placesDots.children);
  features.forEach(function (feature, i) {
    var c = feature.geometry.coordinates;
    var at = screenOf(mapView, worldX(c[0]), worldY(c[1]));
    var n = feature.properties.n;
    var dot = spare[i] || placesDots.appendChild(newDot());
    var r = dotRadius(n);
    dot.feature = feature;
    dot.style.cssText = 'left:' + (at.x - r) + 'px;top:' + (at.y - r) + 'px;width:' + 2 * r + 'px;height:' + 2 * r + 'px';
    dot.textContent = n > 1 ? dotCounts.format(n) : '';
    dot.dataset.count = n;
    dot.dataset.lat = c[1].toFixed(4);
    dot.dataset.lon = c[0].toFixed(4);
    dot.setAttribute('aria-label', tr('placesDot', { n: n }));
  });
  for (var k = features.length; k < spare.length; k++) spare[k].remove();
}
function newDot() {
  var dot = document.createElement('button');
  dot.type = 'button';
  dot.className = 'dot';
  return dot;
}
placesDots.addEventListener('click', function (event) {
  var dot = event.target.closest('.dot');
  if (!dot || mapDrag.moved) return;
  showPlace(dot.feature);
});

// A cluster's photos on the wall.
function showPlace(feature) {
  var mask = clusterPhotos(places.index, places.spots, feature, Math.max(tableSize, latOf.length));
  var first = -1;
  for (var i = 0; i < order.length && first < 0; i++) if (mask[order[i]]) first = order[i];
  filter.photos = mask;
  filter.photosLabel = placeName(first, feature);
  placesDialog.close();
  showPlaceFilter();
  refresh();
}
// A cluster named for its first photo's place where the details name one, else by its middle.
var degrees = new Intl.NumberFormat(pageLocale, { maximumFractionDigits: 2 });
function placeName(photo, feature) {
  var place = photo >= 0 ? placeOf[photo] : -1;
  if (place >= 0) return tr('placeFilter', { place: placeLabel(place) });
  var c = feature.geometry.coordinates;
  return tr('placeFilterAt', { lat: degrees.format(c[1]), lon: degrees.format(c[0]) });
}
export function showPlaceFilter() {
  placeFilterButton.hidden = !filter.photos;
  placeFilterButton.textContent = filter.photos ? filter.photosLabel : '';
}
placeFilterButton.addEventListener('click', function () {
  filter.photos = null;
  showPlaceFilter();
  refresh();
});

// Zoom about a point of the map (in CSS pixels), by steps (1 doubles the scale).
function zoomMapAt(sx, sy, steps) {
  var before = worldOf(mapView, sx, sy);
  mapView.zoom = Math.max(minZoom(), Math.min(mapMaxZoom + 2, mapView.zoom + steps));
  var scale = mapScale(mapView.zoom);
  mapView.x = before.x - (sx - mapView.width / 2) / scale;
  mapView.y = before.y - (sy - mapView.height / 2) / scale;
  clampMap(mapView);
  redraw();
}
function panMap(dx, dy) {
  var scale = mapScale(mapView.zoom);
  mapView.x -= dx / scale;
  mapView.y -= dy / scale;
  clampMap(mapView);
  redraw();
}
function mapPoint(event) {
  var r = placesMap.getBoundingClientRect();
  return { x: event.clientX - r.left, y: event.clientY - r.top };
}
placesMap.addEventListener('wheel', function (event) {
  event.preventDefault();
  var p = mapPoint(event);
  var lines = event.deltaMode === 1 ? 40 : event.deltaMode === 2 ? 800 : 1;
  zoomMapAt(p.x, p.y, -event.deltaY * lines / 300);
}, { passive: false });
placesDialog.querySelector('.zoom-in').addEventListener('click', function () { zoomMapAt(mapView.width / 2, mapView.height / 2, 1); });
placesDialog.querySelector('.zoom-out').addEventListener('click', function () { zoomMapAt(mapView.width / 2, mapView.height / 2, -1); });

// Dragging with one pointer pans; two (a pinch) zoom about their middle and pan with it.
var mapDrag = { pointers: new Map(), moved: false, last: null, spread: 0 };
function pointersMiddle() {
  var xs = 0, ys = 0, n = 0, list = [];
  mapDrag.pointers.forEach(function (p) { xs += p.x; ys += p.y; n++; list.push(p); });
  var spread = n === 2 ? Math.hypot(list[0].x - list[1].x, list[0].y - list[1].y) : 0;
  return { x: xs / n, y: ys / n, spread: spread };
}
placesMap.addEventListener('pointerdown', function (event) {
  if (event.button !== 0 && event.pointerType === 'mouse') return;
  mapDrag.pointers.set(event.pointerId, mapPoint(event));
  if (mapDrag.pointers.size === 1) mapDrag.moved = false;
  mapDrag.last = pointersMiddle();
});
placesMap.addEventListener('pointermove', function (event) {
  if (!mapDrag.pointers.has(event.pointerId)) return;
  mapDrag.pointers.set(event.pointerId, mapPoint(event));
  var now = pointersMiddle();
  if (!mapDrag.moved && Math.hypot(now.x - mapDrag.last.x, now.y - mapDrag.last.y) < 4 && !now.spread) return;
  if (!mapDrag.moved) {
    mapDrag.moved = true;
    // Only a mapDrag takes the pointer; a click stays with the dot it was on.
    placesMap.setPointerCapture(event.pointerId);
  }
  if (now.spread && mapDrag.last.spread) zoomMapAt(now.x, now.y, Math.log2(now.spread / mapDrag.last.spread));
  panMap(now.x - mapDrag.last.x, now.y - mapDrag.last.y);
  mapDrag.last = now;
});
function endMapDrag(event) {
  mapDrag.pointers.delete(event.pointerId);
  if (mapDrag.pointers.size) mapDrag.last = pointersMiddle();
}
placesMap.addEventListener('pointerup', endMapDrag);
placesMap.addEventListener('pointercancel', endMapDrag);
// A new pointer press starts afresh: a click after a mapDrag is a click again.
placesMap.addEventListener('click', function () { if (!mapDrag.pointers.size) setTimeout(function () { mapDrag.moved = false; }); }, true);

placesDialog.addEventListener('keydown', function (event) {
  var step = { ArrowLeft: [80, 0], ArrowRight: [-80, 0], ArrowUp: [0, 80], ArrowDown: [0, -80] }[event.key];
  if (step && !event.target.closest('.dot')) { event.preventDefault(); panMap(step[0], step[1]); return; }
  if (event.key === '+' || event.key === '=') zoomMapAt(mapView.width / 2, mapView.height / 2, 1);
  else if (event.key === '-') zoomMapAt(mapView.width / 2, mapView.height / 2, -1);
});
window.addEventListener('resize', function () { if (placesDialog.open) { sizeMap(); clampMap(mapView); redraw(); } });

// One photo's spot on a small map in the info panel, drawn as the panel fills in the photo's
// details (info.js); hidden for a photo without a position.
var spotCanvas = null;
export function showSpotMap(photo) {
  var lat = latOf[photo], lon = lonOf[photo];
  var known = lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180;
  if (!spotCanvas) {
    if (!known) return;
    spotCanvas = document.createElement('canvas');
    spotCanvas.className = 'spot-map';
    spotCanvas.setAttribute('role', 'img');
    // Under the coordinates, in their row (which hides with them).
    var row = infoPanel.querySelector('[data-detail="coordinates"]');
    var holder = document.createElement(row ? 'dd' : 'div');
    holder.className = 'spot';
    holder.appendChild(spotCanvas);
    (row || infoPanel).appendChild(holder);
  }
  spotCanvas.hidden = !known;
  if (!known) return;
  var width = 260, height = 150;
  var map = { x: worldX(lon), y: worldY(lat), zoom: 3, width: width, height: height, ratio: window.devicePixelRatio || 1 };
  clampMap(map);
  spotCanvas.width = width * map.ratio;
  spotCanvas.height = height * map.ratio;
  spotCanvas.style.width = width + 'px';
  spotCanvas.style.height = height + 'px';
  spotCanvas.setAttribute('aria-label', tr('spotMapLabel', { lat: degrees.format(lat), lon: degrees.format(lon) }));
  var colours = mapColours(infoPanel);
  drawWorld(spotCanvas, map, colours);
  var at = screenOf(map, worldX(lon), worldY(lat));
  drawDot(spotCanvas.getContext('2d'), at.x, at.y, 1, colours);
}
