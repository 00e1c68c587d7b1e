// Builds wall folders for the page tests: manifest.js written exactly as the engine writes it,
// index.html copied from the template, and small placeholder thumbnails.
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { joinPage } from '../../tools/join-page.mjs';
import { readSchema } from '../../tools/wall-schema.mjs';

const schema = readSchema();
// The engine's media flags: hasPreview, isVideo, isLive, clipInWall.
export const mediaFlags = schema.mediaFlags;

// The template the build joined (CTest names it), else one joined now from the sources.
async function joinedTemplate() {
  if (process.env.KESTOVA_TEMPLATE) return process.env.KESTOVA_TEMPLATE;
  const file = join(mkdtempSync(join(tmpdir(), 'kestova-template-')), 'template.html');
  writeFileSync(file, await joinPage());
  return file;
}
export const template = await joinedTemplate();

// Four solid-colour 24x16 JPEGs, so that tiles differ on screenshots.
const placeholders = [
  '/9j/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAQABgDASIAAhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAX/xAAUEAEAAAAAAAAAAAAAAAAAAAAA/8QAFgEBAQEAAAAAAAAAAAAAAAAAAAUG/8QAFBEBAAAAAAAAAAAAAAAAAAAAAP/aAAwDAQACEQMRAD8AoAI7QAAP/9k=',
  '/9j/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAQABgDASIAAhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAb/xAAUEAEAAAAAAAAAAAAAAAAAAAAA/8QAFgEBAQEAAAAAAAAAAAAAAAAAAAUG/8QAFBEBAAAAAAAAAAAAAAAAAAAAAP/aAAwDAQACEQMRAD8AqgGWVAAH/9k=',
  '/9j/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAQABgDASIAAhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAL/xAAUEAEAAAAAAAAAAAAAAAAAAAAA/8QAFgEBAQEAAAAAAAAAAAAAAAAAAAMF/8QAFBEBAAAAAAAAAAAAAAAAAAAAAP/aAAwDAQACEQMRAD8AsBFggAP/2Q==',
  '/9j/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIfIiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAQABgDASIAAhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAP/xAAUEAEAAAAAAAAAAAAAAAAAAAAA/8QAFQEBAQAAAAAAAAAAAAAAAAAAAAX/xAAUEQEAAAAAAAAAAAAAAAAAAAAA/9oADAMBAAIRAxEAPwCwC0kAAP/Z',
].map((b) => Buffer.from(b, 'base64'));

export const key = (rel) => createHash('md5').update(rel, 'utf8').digest('hex').slice(0, 16);

// A civil date-time read as UTC, in seconds: the engine's date values.
export const civil = (y, mo, d = 1, h = 0, mi = 0, s = 0) => Date.UTC(y, mo - 1, d, h, mi, s) / 1000;

// One plain photo's wall entry as the engine writes it, in the schema's positions
// ([key, rel, width, height, date, first, mtime]); media positions are added after it.
export function entry(rel, date, width = 4032, height = 3024, mtime = 1700000000) {
  const trimmed = rel.replace(/^\/+/, '');
  const cut = trimmed.indexOf('/');
  const values = { key: key(rel), rel, width, height, date, first: cut < 0 ? trimmed : trimmed.slice(0, cut), mtime };
  return schema.positions.slice(0, schema.plainLength).map((name) => values[name]);
}

// n photos spread over the years before 2025, newest first, about one in fifty undated.
// Sizes cycle through common shapes, including 0 x 0 (unknown).
export function synthetic(n, { years = 12, undatedEvery = 50 } = {}) {
  const shapes = [[4032, 3024], [3024, 4032], [6000, 4000], [1920, 1080], [2000, 2000], [0, 0], [4000, 6000], [5472, 3078]];
  const end = civil(2024, 12, 31, 23, 59);
  const step = Math.max(1, Math.floor((years * 365.25 * 86400) / Math.max(1, n)));
  const dated = [];
  const undated = [];
  for (let i = 0; i < n; i++) {
    const [w, h] = shapes[(i * 7 + (i >> 3)) % shapes.length];
    if (undatedEvery && i % undatedEvery === undatedEvery - 1) {
      undated.push(entry(`Scans/box ${i % 7}/scan_${i}.jpg`, 0, w, h));
      continue;
    }
    const date = end - i * step;
    const year = new Date(date * 1000).getUTCFullYear();
    const rel = i % 13 === 0 ? `IMG_${i}.HEIC` : `${year}/Trip ${(i >> 6) % 9}/IMG_${i}.jpg`;
    dated.push(entry(rel, date, w, h));
  }
  return dated.concat(undated);
}

export function manifestText(title, root, entries) {
  return `window.GALLERY_TITLE=${JSON.stringify(title)};\nwindow.GALLERY_ROOT=${JSON.stringify(root)};\nwindow.PHOTOS=${JSON.stringify(entries)};`;
}

// The wall's data as the engine writes it for the page: the index (wall.js) and its pieces of
// perPiece photos each, in columns (docs/wall-format.md).
export function wallData(title, root, entries, { perPiece = 5000, generation = '00000000000000a1' } = {}) {
  const at = Object.fromEntries(schema.positions.map((name, i) => [name, i]));
  const pieces = [];
  for (let first = 0; first < entries.length; first += perPiece) pieces.push(entries.slice(first, first + perPiece));
  const months = new Map();
  let undated = 0;
  for (const e of entries) {
    if (!e[at.date]) { undated++; continue; }
    const month = new Date(e[at.date] * 1000).toISOString().slice(0, 7);
    months.set(month, (months.get(month) || 0) + 1);
  }
  const files = pieces.map((list, n) => {
    const dirs = [], dirIds = new Map();
    const columns = { key: [], dir: [], name: [], width: [], height: [], date: [], mtime: [] };
    const media = [];
    list.forEach((e, i) => {
      const rel = e[at.rel], cut = rel.lastIndexOf('/') + 1;
      const dir = rel.slice(0, cut);
      if (!dirIds.has(dir)) { dirIds.set(dir, dirs.length); dirs.push(dir); }
      columns.key.push(e[at.key]);
      columns.dir.push(dirIds.get(dir));
      columns.name.push(rel.slice(cut));
      for (const name of ['width', 'height', 'date', 'mtime']) columns[name].push(e[at[name]]);
      if (e.length > schema.plainLength) media.push([i, ...e.slice(schema.plainLength)]);
    });
    const json = JSON.stringify({ generation, piece: n, dirs, ...columns, media });
    return { file: `data/${generation}-${n}.js`, text: `kestovaPiece('${json.replace(/\\/g, '\\\\').replace(/'/g, "\\'")}');`, list };
  });
  const index = {
    format: 'kestova-wall', version: 1, generation, title, root, photos: entries.length, undated,
    months: [...months], pieces: files.map((f) => ({ file: f.file, photos: f.list.length, newest: f.list[0][at.date], oldest: f.list.at(-1)[at.date] })),
  };
  return { index: `window.KESTOVA_WALL=${JSON.stringify(index)};`, pieces: files };
}

// Writes the index and pieces of entries into dir (see wallData).
export function writeWallData(dir, title, root, entries, options) {
  const data = wallData(title, root, entries, options);
  mkdirSync(join(dir, 'data'), { recursive: true });
  for (const piece of data.pieces) writeFileSync(join(dir, piece.file), piece.text);
  writeFileSync(join(dir, 'wall.js'), data.index);
  return data;
}

// A photos' folder that exists (a new temporary folder with this name), and its wall's default
// place directly inside it: give both to makeWall for a wall whose page lies inside its source.
export function insideSource(name = 'Pictures') {
  const root = join(mkdtempSync(join(tmpdir(), 'kestova-source-')), name);
  return { root, dir: join(root, '_Photo Gallery') };
}

// Writes a wall into a new temporary folder and returns its index.html address.
// thumbs(entry, i) says whether a photo gets its thumbnail; manifest replaces manifest.js's text
// (null: no manifest.js at all); dir, the folder to write it into instead. Like the engine, it
// writes the page's index and pieces too (perPiece photos each), unless manifest is given or
// pieces is false: then the page reads manifest.js.
export function makeWall(entries, { title = 'Test wall', root = '/home/ana/Pictures', thumbs = () => true, manifest, pieces, perPiece, dir = mkdtempSync(join(tmpdir(), 'kestova-page-')) } = {}) {
  mkdirSync(dir, { recursive: true });
  copyFileSync(template, join(dir, 'index.html'));
  if (manifest !== null) writeFileSync(join(dir, 'manifest.js'), manifest ?? manifestText(title, root, entries));
  if (pieces ?? manifest === undefined) writeWallData(dir, title, root, entries, { perPiece });
  const made = new Set();
  entries.forEach((e, i) => {
    if (!thumbs(e, i)) return;
    const sub = join(dir, 'thumbs', e[0].slice(0, 2));
    if (!made.has(sub)) { mkdirSync(sub, { recursive: true }); made.add(sub); }
    writeFileSync(join(sub, `${e[0]}.jpg`), placeholders[i % placeholders.length]);
  });
  return { dir, url: pathToFileURL(join(dir, 'index.html')).href };
}

// A wall as a long photo life looks: many photos a year from 2011 to 2024, but only a few in
// 2023 and 2010, and one to three a year from 2007 back to 1998; newest first.
export function sparseYears(perYear = 300) {
  const few = { 2023: 2, 2010: 3, 2007: 2, 2006: 1, 2005: 3, 2004: 1, 2003: 2, 2002: 1, 2001: 1, 2000: 2, 1999: 1, 1998: 3 };
  const entries = [];
  for (let year = 2024; year >= 1998; year--) {
    const n = few[year] ?? (year > 2010 ? perYear : 0);
    for (let i = 0; i < n; i++) {
      const [w, h] = i % 3 ? [4032, 3024] : [3024, 4032];
      // Spread over the year, newest first: December down to January.
      const month = 12 - Math.floor((i * 12) / n), day = 28 - (i % 27);
      entries.push(entry(`${year}/IMG_${year}_${i}.jpg`, civil(year, month, day, 12, 0, n - i), w, h));
    }
  }
  return entries.sort((a, b) => b[4] - a[4]);
}
