// Drawing the world on a canvas: the outlines of outline.js, in the web's usual projection
// (Web Mercator: the world a square of 1 by 1, x east from the antimeridian, y south from about
// 85° north), at a zoom where the world is 256·2^zoom pixels wide, as the clustering index counts
// its zooms. The map repeats east and west, so panning over the Pacific goes on.

import { worldLand, worldBorders } from './outline.js';

var mapMinLat = -85.05113, mapMaxLat = 85.05113;
export function worldX(lon) { return (lon + 180) / 360; }
export function worldY(lat) {
  var phi = Math.max(mapMinLat, Math.min(mapMaxLat, lat)) * Math.PI / 180;
  return (1 - Math.log(Math.tan(Math.PI / 4 + phi / 2)) / Math.PI) / 2;
}
function lonAt(x) { return x * 360 - 180; }
function latAt(y) { return Math.atan(Math.sinh(Math.PI * (1 - 2 * y))) * 180 / Math.PI; }

// The lines of one polyline code string, as paths in world units.
function decodeOutline(text) {
  var path = new Path2D();
  var i = 0, x = 0, y = 0, first = true;
  function value() {
    var shift = 0, result = 0, c;
    do {
      c = text.charCodeAt(i++) - 63;
      result |= (c & 0x1f) << shift;
      shift += 5;
    } while (c >= 0x20);
    return result & 1 ? ~(result >> 1) : result >> 1;
  }
  while (i < text.length) {
    if (text.charCodeAt(i) === 32) { i++; first = true; x = 0; y = 0; continue; }
    x += value();
    y += value();
    var px = worldX(x / 100), py = worldY(y / 100);
    if (first) path.moveTo(px, py); else path.lineTo(px, py);
    first = false;
  }
  return path;
}
var worldShapes = null;
function worldPaths() {
  if (!worldShapes) worldShapes = { land: decodeOutline(worldLand), borders: decodeOutline(worldBorders) };
  return worldShapes;
}

// The map's colours, from the page's own (light or dark).
export function mapColours(element) {
  var style = getComputedStyle(element);
  var get = function (name, fallback) { return style.getPropertyValue(name).trim() || fallback; };
  return { sea: get('--map-sea', '#dbe7f3'), land: get('--map-land', '#f7f5ef'), border: get('--map-border', '#b9b5a9'),
    dot: get('--map-dot', '#1a73e8'), text: '#fff' };
}

// A map's place: the world point at its middle (x, y) and its zoom; width and height in CSS
// pixels. Returns the pixel scale (pixels per world unit).
export function mapScale(zoom) { return 256 * Math.pow(2, zoom); }
// The screen point of world point (x, y) nearest to the map's middle (the map repeats in x).
export function screenOf(map, x, y) {
  var scale = mapScale(map.zoom);
  var dx = x - map.x;
  dx -= Math.round(dx);
  return { x: map.width / 2 + dx * scale, y: map.height / 2 + (y - map.y) * scale };
}
export function worldOf(map, sx, sy) {
  var scale = mapScale(map.zoom);
  return { x: map.x + (sx - map.width / 2) / scale, y: map.y + (sy - map.height / 2) / scale };
}
// The map's part of the world as [west, south, east, north] in degrees, as getClusters takes it.
export function mapBounds(map) {
  var a = worldOf(map, 0, 0), b = worldOf(map, map.width, map.height);
  var west = lonAt(a.x), east = lonAt(b.x);
  if (b.x - a.x >= 1) { west = -180; east = 180; }
  else {
    west = ((west + 540) % 360) - 180;
    east = ((east + 540) % 360) - 180;
  }
  return [west, latAt(Math.min(1, b.y)), east, latAt(Math.max(0, a.y))];
}
// Keeps the map's middle where the world fills its height (or in the middle, where the world
// is lower than the map), its x within one turn.
export function clampMap(map) {
  var scale = mapScale(map.zoom);
  var half = map.height / 2 / scale;
  map.y = half >= 0.5 ? 0.5 : Math.max(half, Math.min(1 - half, map.y));
  map.x -= Math.floor(map.x);
}

// Draws the land and borders of the map's part of the world on canvas (its size in device pixels
// set by the caller to width·ratio by height·ratio).
export function drawWorld(canvas, map, colours) {
  var ratio = map.ratio || 1;
  var context = canvas.getContext('2d');
  var paths = worldPaths();
  var scale = mapScale(map.zoom);
  context.setTransform(1, 0, 0, 1, 0, 0);
  context.fillStyle = colours.sea;
  context.fillRect(0, 0, canvas.width, canvas.height);
  // The world's copies east and west that reach into the map.
  var left = map.x - map.width / 2 / scale, right = map.x + map.width / 2 / scale;
  for (var k = Math.floor(left); k <= Math.floor(right); k++) {
    context.setTransform(scale * ratio, 0, 0, scale * ratio, (map.width / 2 + (k - map.x) * scale) * ratio, (map.height / 2 - map.y * scale) * ratio);
    context.fillStyle = colours.land;
    context.fill(paths.land, 'evenodd');
    context.lineWidth = 0.8 / scale;
    context.strokeStyle = colours.border;
    context.stroke(paths.borders);
    context.lineWidth = 0.6 / scale;
    context.stroke(paths.land);
  }
  context.setTransform(ratio, 0, 0, ratio, 0, 0);
}

// A dot for count photos at screen point (x, y): larger for more, with the count inside.
export function dotRadius(count) { return count > 1 ? Math.min(28, 11 + 3.2 * Math.log10(count) * 2) : 7; }
export function drawDot(context, x, y, count, colours, label) {
  var r = dotRadius(count);
  context.beginPath();
  context.arc(x, y, r, 0, 2 * Math.PI);
  context.fillStyle = colours.dot;
  context.globalAlpha = 0.9;
  context.fill();
  context.globalAlpha = 1;
  context.lineWidth = 2;
  context.strokeStyle = '#fff';
  context.stroke();
  if (count > 1 && label) {
    context.fillStyle = colours.text;
    context.font = '600 12px system-ui, sans-serif';
    context.textAlign = 'center';
    context.textBaseline = 'middle';
    context.fillText(label, x, y + 0.5);
  }
}
