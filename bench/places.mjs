#!/usr/bin/env node
// Times the map's index for large walls: gathering the photos' positions into spots and
// clustering the spots (spots.js with the bundled supercluster, as the joined page runs them),
// and the clusters of one screen at the world's zoom and at a city's.
//
// Usage: node bench/places.mjs [COUNT ...]      (default: 100000 1000000)
// Two kinds of wall each: photos as people take them (bursts at a few thousand places, a few
// metres apart), and the worst case, every photo at a place of its own.
import { loadavg } from 'node:os';
import { bundlePage } from '../tools/join-page.mjs';

const counts = process.argv.slice(2).map(Number).filter((n) => n > 0);
// Bundled as the page bundles it, inside one function (node's vm contexts would make every
// global a slow lookup).
const { text } = await bundlePage({ entry: "export { gatherSpots, clusterSpots } from './spots.js';", globalName: 'page' });
const page = new Function(`${text}\nreturn page;`)();

// A repeatable stream of numbers in [0, 1).
function random(seed) {
  let s = seed >>> 0;
  return () => ((s = (s * 1664525 + 1013904223) >>> 0) / 2 ** 32);
}
function positions(n, kind) {
  const next = random(n + (kind === 'spread' ? 1 : 0));
  const lat = new Float64Array(n), lon = new Float64Array(n);
  const places = Array.from({ length: 3000 }, () => [next() * 120 - 55, next() * 360 - 180]);
  for (let i = 0; i < n; i++) {
    if (kind === 'spread') { lat[i] = next() * 140 - 70; lon[i] = next() * 360 - 180; continue; }
    if (i % 10 === 9) { lat[i] = NaN; lon[i] = NaN; continue; }   // a tenth without a position
    // Bursts of about 50 photos at a place, each within a few dozen metres of it.
    const p = places[Math.floor(i / 50) % places.length];
    lat[i] = p[0] + (next() - 0.5) * 0.0008;
    lon[i] = p[1] + (next() - 0.5) * 0.0008;
  }
  return { lat, lon };
}

const ms = (t) => `${(performance.now() - t).toFixed(0)} ms`;
console.log(`load average ${loadavg().map((l) => l.toFixed(1)).join(' ')}`);
for (const n of counts.length ? counts : [100000, 1000000]) {
  for (const kind of ['bursts', 'spread']) {
    const { lat, lon } = positions(n, kind);
    const list = Int32Array.from({ length: n }, (_, i) => i);
    let t = performance.now();
    const spots = page.gatherSpots(list, lat, lon);
    const gather = ms(t);
    t = performance.now();
    const index = page.clusterSpots(spots);
    const cluster = ms(t);
    t = performance.now();
    const world = index.getClusters([-180, -85, 180, 85], 2).length;
    const worldTime = ms(t);
    t = performance.now();
    const city = index.getClusters([12.3, 41.7, 12.7, 42.1], 11).length;
    console.log(`${n.toLocaleString('en-US')} photos (${kind}): ${spots.count.toLocaleString('en-US')} spots; gathering ${gather}, clustering ${cluster}; `
      + `world ${world} clusters in ${worldTime}, a city ${city} in ${ms(t)}`);
  }
}
