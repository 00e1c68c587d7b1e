#!/usr/bin/env node
// The world's outlines for the wall page's map, made at build time from Natural Earth's shapes
// (npm world-atlas, TopoJSON, decoded by topojson-client): the land to fill and the borders
// between countries to draw, each as lines of points in degrees, written in the polyline code
// (every step from the last point in hundredths of a degree, five bits a character). The page
// decodes them once (map.js). No request leaves the page for them: they are part of its script.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { feature, mesh } from 'topojson-client';

const require = createRequire(import.meta.url);
// 1:110 million: the continents and countries as a world map shows them, small enough to ride
// inside the page (see outlineScript for the bytes); 1:50 million would be seven times as much.
export const outlineScale = '110m';
const atlas = (name) => JSON.parse(readFileSync(require.resolve(`world-atlas/${name}-${outlineScale}.json`), 'utf8'));

// One value of the polyline code: zigzag, then five bits at a time, low bits first.
function encodeValue(v) {
  let z = v < 0 ? ~(v << 1) : v << 1;
  let out = '';
  while (z >= 0x20) {
    out += String.fromCharCode((0x20 | (z & 0x1f)) + 63);
    z >>= 5;
  }
  return out + String.fromCharCode(z + 63);
}

// Lines of [lon, lat] as one string, lines apart by a space, each line from (0, 0). Points that round to the one
// before them are left out; a line left with fewer than two points is dropped.
// A shape across the antimeridian (Russia's east, Fiji) jumps from 180° to -180°: it goes on
// east instead, past 180°, where the page draws the world's copy beside it, and the whole shape
// is then moved by whole turns to where most of it lies between -180° and 180°. A ring that goes
// round the globe (Antarctica) stays as it is.
function unwrapped(line) {
  let turn = 0, last = NaN, low = Infinity, high = -Infinity;
  const out = line.map(([lon, lat]) => {
    if (lon - last > 180) turn -= 360;
    else if (last - lon > 180) turn += 360;
    last = lon;
    low = Math.min(low, lon + turn);
    high = Math.max(high, lon + turn);
    return [lon + turn, lat];
  });
  const ring = line.length > 2 && line[0][0] === line[line.length - 1][0] && line[0][1] === line[line.length - 1][1];
  if (ring && turn !== 0) return line;
  const shift = -360 * Math.round((low + high) / 2 / 360);
  return out.map(([lon, lat]) => [lon + shift, lat]);
}

export function encodeLines(lines) {
  const coded = [];
  for (const line of lines) {
    let lastX = 0, lastY = 0, text = '', n = 0;
    for (const [lon, lat] of unwrapped(line)) {
      const x = Math.round(lon * 100), y = Math.round(lat * 100);
      if (n && x === lastX && y === lastY) continue;
      text += encodeValue(x - lastX) + encodeValue(y - lastY);
      lastX = x;
      lastY = y;
      n++;
    }
    if (n >= 2) coded.push(text);
  }
  return coded.join(' ');
}

// The rings of a GeoJSON (multi)polygon feature collection.
function rings(collection) {
  const out = [];
  for (const f of collection.features) {
    const g = f.geometry;
    if (!g) continue;
    const polygons = g.type === 'Polygon' ? [g.coordinates] : g.type === 'MultiPolygon' ? g.coordinates : [];
    for (const polygon of polygons) out.push(...polygon);
  }
  return out;
}

export function worldOutline() {
  const land = atlas('land');
  const countries = atlas('countries');
  const landRings = rings(feature(land, land.objects.land));
  // Each border once, only where two countries meet (the coast is the land's edge).
  const borders = mesh(countries, countries.objects.countries, (a, b) => a !== b).coordinates;
  return { land: encodeLines(landRings), borders: encodeLines(borders) };
}

// The page's module with the outlines: two strings of the polyline code, whose alphabet
// ('?' to '~' and the space) needs no escape in a JavaScript string but the backslash.
export function outlineScript() {
  const { land, borders } = worldOutline();
  const quote = (s) => `'${s.replace(/\\/g, '\\\\')}'`;
  return `// Natural Earth's land and borders at 1:${outlineScale.replace('m', '')} million, made by tools/world-outline.mjs.\n`
    + `export var worldLand = ${quote(land)};\nexport var worldBorders = ${quote(borders)};\n`;
}
