// The wall: every photo of a folder as one timeline of justified rows, grouped by month.
//
// The data come from manifest.js beside this page, which defines
//   GALLERY_TITLE  the wall's title
//   GALLERY_ROOT   the absolute path of the photos' folder
//   PHOTOS         one entry per photo, newest first, undated last:
//                  [key, rel, width, height, date, top folder, mtime]
//                  and for videos, live photos and previews more (see media.js); the
//                  positions come from the wall's schema (atKey, atRel, ... in schema.js)
// where date counts the seconds of the photo's clock time as if it were UTC (0 = no date).
// Thumbnails lie in thumbs/<first two characters of key>/<key>.jpg.
//
// A wall can hold a million photos, so nothing here is proportional to the number of photos
// except typed arrays built in short slices: the DOM holds only the rows near the screen.
//
// The photo table: everything the page needs of every photo, in typed arrays and a few long
// strings. The manifest's own list is dropped once this is built: a million small arrays
// would stay alive and make every full garbage collection of the page take half a second.

import { rawFile, isVideo, atKey, atRel, atWidth, atHeight, atDate, plainEntryLength, atMedia, atDuration,
  atCodec, atMotion, clipInWall, playableCopy, hasPreview, isLive, copyInWall, fullInWall, entryDefaults,
  thumbSide } from './schema.js';
import { pageLocale } from './language.js';
import { tr, shown } from './text.js';
import { isDated, utcDate, clockDate, pathYear, yearAlone, undatedMonth, isYearAlone, sectionYear } from './dates.js';
import { pathKind } from './pathdates.js';
import { keepGoing } from './slices.js';

export var tableSize = 0;
export var aspect = null;      // Float32Array: width / height, 1 when unknown
export var widthOf = null;     // Int32Array: the photo's pixel size as displayed, 0 when unknown
export var heightOf = null;
export var thumbHeight = null; // Uint16Array: the thumbnail's height in pixels, 0 when unknown
export var dateOf = null;      // Float64Array: the manifest's date, 0 when undated
export var dateKind = null;    // Uint8Array: clockDate, pathDay or pathYear (see dates.js)
export var monthOf = null;     // Int32Array: the photo's section (see dates.js)
export var dirOf = null;       // Int32Array: the photo's folder, an index into dirs
export var dirs = [];          // every folder that holds photos, by its path; dirs[0] is the root ''
var dirCount = [];      // how many of the wall's photos each folder holds itself
export var folders = [];       // the folder menu: { name, label, count, depth }; folders[0] is the root
export var order = null;       // Int32Array: the photos that are entries, newest first
export var keys = null;        // packed strings (below)
export var paths = null;
export var lowered = null;     // lower-case paths for the search, made on the first search
export var rawOf = new Map();  // a JPEG's photo index -> the raw file of the same name beside it

// Many strings stored as one string per block of 65,536, with where each one ends.
var blockBits = 16;
function Packed(n) {
  this.blocks = [];
  this.ends = new Int32Array(n);
  this.parts = [];
  this.length = 0;
}
Packed.prototype.add = function (i, text) {
  this.parts.push(text);
  this.length += text.length;
  this.ends[i] = this.length;
  if (this.parts.length === 1 << blockBits) this.close();
};
Packed.prototype.close = function () {
  if (this.parts.length) this.blocks.push(this.parts.join(''));
  this.parts = [];
  this.length = 0;
};
Packed.prototype.get = function (i) {
  // The block still being filled is read from its parts.
  if ((i >> blockBits) === this.blocks.length) return this.parts[i & ((1 << blockBits) - 1)];
  var block = this.blocks[i >> blockBits];
  return block.slice(i & ((1 << blockBits) - 1) ? this.ends[i - 1] : 0, this.ends[i]);
};
export function keyOf(photo) { return keys.get(photo); }
export function pathOf(photo) { return paths.get(photo); }

// The table is built in three steps: startTable for n photos, addPhoto for each in the wall's
// order (from manifest.js at once, or from the pieces as they arrive), and finishTable, which
// may run again after more photos were added: it works on copies of what it changes.
export var building = null;

export function startTable(n) {
  tableSize = n;
  aspect = new Float32Array(n);
  widthOf = new Int32Array(n);
  heightOf = new Int32Array(n);
  thumbHeight = new Uint16Array(n);
  dateOf = new Float64Array(n);
  dateKind = new Uint8Array(n);
  monthOf = new Int32Array(n);
  dirOf = new Int32Array(n);
  keys = new Packed(n);
  paths = new Packed(n);
  lowered = null;
  resetMedia(n);
  dirs = [''];
  dirCount = [0];
  building = {
    added: 0, valid: new Int32Array(n), validCount: 0, dirIds: new Map([['', 0]]), lastDir: 0, counts: [0],
    monthStart: 0, monthEnd: -1, currentMonth: 0, sorted: true, previous: Infinity, yearsAlone: 0,
    raws: new Map()   // lower-case path without extension -> photo index of a raw file
  };
}

// Photo i, the next one: its key and path must be texts, or it is no entry (an empty slot).
export function addPhoto(i, key, rel, w, h, date) {
  var b = building;
  var ok = typeof key === 'string' && typeof rel === 'string';
  keys.add(i, ok ? key : '');
  paths.add(i, ok ? rel : '');
  b.added = i + 1;
  lowered = null;
  if (!ok) return false;
  b.valid[b.validCount++] = i;
  if (rawFile.test(rel)) b.raws.set(withoutExtension(rel).toLowerCase(), i);
  var sized = typeof w === 'number' && typeof h === 'number' && w > 0 && h > 0;
  aspect[i] = sized ? w / h : 1;
  if (sized) {
    widthOf[i] = Math.min(w, 2147483647);
    heightOf[i] = Math.min(h, 2147483647);
    thumbHeight[i] = thumbnailHeight(w, h);
  }
  if (isDated(date)) {
    dateOf[i] = date;
    if (date < b.monthStart || date >= b.monthEnd) {
      var d = new Date(date * 1000);
      var y = d.getUTCFullYear(), m = d.getUTCMonth();
      b.currentMonth = y * 12 + m;
      b.monthStart = utcDate(y, m).getTime() / 1000;
      b.monthEnd = utcDate(y, m + 1).getTime() / 1000;
    }
    // Only a date at noon exactly can have come from the path.
    var kind = date % 86400 === 43200 ? pathKind(rel, date) : clockDate;
    dateKind[i] = kind;
    if (kind === pathYear) b.yearsAlone++;
    monthOf[i] = kind === pathYear ? yearAlone + Math.floor(b.currentMonth / 12) : b.currentMonth;
    if (date > b.previous) b.sorted = false;
    b.previous = date;
  } else {
    monthOf[i] = undatedMonth;
    b.previous = -Infinity;
  }
  // Neighbours mostly share a folder: that needs no new string.
  var cut = rel.lastIndexOf('/');
  var known = dirs[b.lastDir];
  if (!(cut === known.length && (cut === 0 || rel.startsWith(known)))) {
    var dir = cut > 0 ? rel.slice(0, cut).replace(/^\/+/, '') : '';
    b.lastDir = b.dirIds.get(dir);
    if (b.lastDir === undefined) {
      b.lastDir = dirs.length;
      b.dirIds.set(dir, b.lastDir);
      dirs.push(dir);
      b.counts.push(0);
    }
  }
  dirOf[i] = b.lastDir;
  b.counts[b.lastDir]++;
  return true;
}

// The photos so far become the wall's: raw files paired, sorted where the data were not,
// years alone placed, the folder menu made. Resolves false when the job was cancelled.
export async function finishTable(job) {
  var built = building;
  // Made aside and put in place together: a view being drawn meanwhile reads the old ones.
  var counts = built.counts.slice(), pairs = new Map();
  var next = built.valid.subarray(0, built.validCount);
  if (built.raws.size) next = await pairRaws(next, built.raws, job, pairs, counts);
  if (!next) return false;
  if (!built.sorted) {
    // The engine writes newest first; an older or edited manifest may not. Sort a copy.
    next = Int32Array.from(next).sort(function (a, b) {
      var da = dateOf[a] || -Infinity, db = dateOf[b] || -Infinity;
      return da === db ? a - b : db - da;
    });
  }
  if (built.yearsAlone) next = await placeYearsAlone(next, job);
  if (!next) return false;
  order = next;
  rawOf = pairs;
  dirCount = counts;
  folders = folderMenu(dirs, dirCount);
  videosInTable = 0;
  if (mediaInfo.size) for (var v = 0; v < order.length; v++) if (mediaOf[order[v]] & isVideo) videosInTable++;
  return true;
}

// The whole table from manifest.js's list.
export async function buildTable(photos, job) {
  var n = photos.length;
  startTable(n);
  for (var i = 0; i < n; i++) {
    if ((i & 1023) === 0 && !(await keepGoing(job))) return false;
    var p = photos[i];
    if (!Array.isArray(p)) { addPhoto(i); continue; }
    if (addPhoto(i, p[atKey], p[atRel], p[atWidth], p[atHeight], p[atDate]) && p.length > plainEntryLength) {
      readMedia(i, p[atMedia], p[atDuration], p[atCodec], p[atMotion]);
    }
  }
  keys.close();
  paths.close();
  return finishTable(job);
}

// Videos, live photos and previews (see media.js): their flags for every photo, the rest only
// for the few that have it. The bits of the flags (hasPreview, isVideo, isLive, clipInWall,
// copyInWall, fullInWall, playableCopy) are the schema's.
export var mediaOf = null;      // Uint8Array: the flags of each photo
export var mediaInfo = new Map(); // photo index -> { length, codec, motion, inWall, copy } of videos and live photos
export var videosInTable = 0;   // videos among the table's entries (before the view's filter)

function resetMedia(n) {
  mediaOf = new Uint8Array(n);
  mediaInfo = new Map();
  videosInTable = 0;
}

// Reads the media positions of photo i (an entry's flags, length, codec and clip) into the table.
export function readMedia(i, flags, duration, codec, motion) {
  if (!Number.isInteger(flags) || flags <= 0) return;
  // A clip copied into the wall is only ever named as the wall names its own files.
  var inWall = (flags & clipInWall) !== 0;
  // A copy the browser plays, in videos/ by the entry's key: of the video, or of the motion.
  var copy = (flags & playableCopy) !== 0;
  flags &= hasPreview | isVideo | isLive | copyInWall | fullInWall;
  if (!(flags & (isVideo | isLive))) { mediaOf[i] = flags; return; }
  var length = Number.isInteger(duration) && duration > 0 ? duration : entryDefaults.duration;
  codec = typeof codec === 'string' ? codec : entryDefaults.codec;
  motion = typeof motion === 'string' ? motion : entryDefaults.motion;
  if (inWall && !/^motion\/[0-9a-f]{2}\/[0-9a-f]{16}\.mp4$/.test(motion)) motion = '';
  // A video is never also a live photo; a live photo without its clip is a still.
  if (flags & isVideo) flags &= ~isLive;
  else if (!motion) flags &= ~isLive;
  mediaOf[i] = flags;
  if (flags & (isVideo | isLive)) mediaInfo.set(i, { length: length, codec: codec, motion: motion, inWall: inWall && !(flags & isVideo), copy: copy });
}

export function isVideoPhoto(photo) { return mediaOf !== null && (mediaOf[photo] & isVideo) !== 0; }
export function isLivePhoto(photo) { return mediaOf !== null && (mediaOf[photo] & isLive) !== 0; }
export function hasPreviewImage(photo) { return mediaOf !== null && (mediaOf[photo] & hasPreview) !== 0; }
// A portable wall's screen-size copy of a photo the browser shows itself, in previews/ too.
export function hasCopyImage(photo) { return mediaOf !== null && (mediaOf[photo] & copyInWall) !== 0; }
// A portable wall's full-size JPEG of a photo the browser cannot show, in full/.
export function hasFullImage(photo) { return mediaOf !== null && (mediaOf[photo] & (hasPreview | fullInWall)) === (hasPreview | fullInWall); }

// The folders to filter by: every folder down to menuDepth levels, each counting the photos in
// it and below, in the order of the tree (a folder before its subfolders, by name), labelled
// with its path ("2016 › 2016-10-05 Garden"); the root's own photos first in the list.
var menuDepth = 3;
function folderMenu(paths, counts) {
  var menu = [{ name: '/', label: tr('rootFolder'), count: counts[0], depth: 0, parts: [] }];
  var byName = new Map();
  for (var d = 1; d < paths.length; d++) {
    if (!counts[d]) continue;
    var parts = paths[d].split('/');
    for (var k = 1; k <= Math.min(menuDepth, parts.length); k++) {
      var name = parts.slice(0, k).join('/');
      var folder = byName.get(name);
      if (!folder) {
        folder = { name: name, label: shown(parts.slice(0, k).join(' \u203a ')), count: 0, depth: k, parts: parts.slice(0, k).map(shown) };
        byName.set(name, folder);
        menu.push(folder);
      }
      folder.count += counts[d];
    }
  }
  var collator = new Intl.Collator(pageLocale, { numeric: true, sensitivity: 'base' });
  var tree = menu.slice(1).sort(function (a, b) {
    for (var i = 0; i < Math.min(a.parts.length, b.parts.length); i++) {
      var c = collator.compare(a.parts[i], b.parts[i]) || (a.parts[i] < b.parts[i] ? -1 : a.parts[i] > b.parts[i] ? 1 : 0);
      if (c) return c;
    }
    return a.parts.length - b.parts.length;
  });
  return [menu[0]].concat(tree);
}

// Which folders lie in the menu's folder called name (itself and below): one flag per folder.
export function foldersIn(name) {
  var inside = new Uint8Array(dirs.length);
  for (var d = 0; d < dirs.length; d++) {
    inside[d] = name === '/' ? d === 0 : dirs[d] === name || dirs[d].startsWith(name + '/') ? 1 : 0;
  }
  return inside;
}

// The thumbnail's height, as the engine makes it (thumbSide, the schema's).
export function thumbnailHeight(w, h) {
  var longest = Math.max(w, h);
  return Math.min(65535, longest > thumbSide ? Math.max(1, Math.round(h * thumbSide / longest)) : h);
}

// A raw file and a JPEG of the same name in the same folder (IMG_1.CR2 and IMG_1.JPG) are one
// photo taken twice: the wall shows the JPEG, and the viewer offers the raw file. rawFile, the
// schema's, knows every raw name, also those the engine does not walk, which other tools' walls
// may hold.
var jpegFile = /\.jpe?g$/i;
function withoutExtension(rel) {
  var dot = rel.lastIndexOf('.');
  return dot > rel.lastIndexOf('/') ? rel.slice(0, dot) : rel;
}
// pairs gets each JPEG's raw file; counts, the folders' counts, lose the hidden raw files.
async function pairRaws(photos, raws, job, pairs, counts) {
  var hidden = new Set();
  for (var i = 0; i < photos.length; i++) {
    if ((i & 4095) === 0 && !(await keepGoing(job))) return null;
    var path = pathOf(photos[i]);
    if (!jpegFile.test(path)) continue;
    var raw = raws.get(withoutExtension(path).toLowerCase());
    if (raw === undefined || hidden.has(raw)) continue;
    pairs.set(photos[i], raw);
    hidden.add(raw);
    counts[dirOf[raw]]--;
  }
  if (!hidden.size) return photos;
  return photos.filter(function (photo) { return !hidden.has(photo); });
}

// Photos dated by a year alone go after every photo of that year with a fuller date, in a
// section of their own, rather than among the photos of mid-June. order is newest first, so
// a year's own photos have all passed once a photo of an earlier year (or an undated one) comes.
async function placeYearsAlone(sortedOrder, job) {
  var result = new Int32Array(sortedOrder.length), count = 0;
  var waiting = [];   // [{ year, photos }], newest year first
  function flush(before) {
    while (waiting.length && !(waiting[0].year <= before)) {
      waiting.shift().photos.forEach(function (photo) { result[count++] = photo; });
    }
  }
  for (var i = 0; i < sortedOrder.length; i++) {
    if ((i & 4095) === 0 && !(await keepGoing(job))) return null;
    var photo = sortedOrder[i], month = monthOf[photo];
    if (isYearAlone(month)) {
      var year = month - yearAlone;
      var last = waiting[waiting.length - 1];
      if (last && last.year === year) last.photos.push(photo);
      else waiting.push({ year: year, photos: [photo] });
      continue;
    }
    flush(sectionYear(month));
    result[count++] = photo;
  }
  flush(-Infinity);
  return result;
}

// Lower case changes the length of a few characters (the Turkish dotted I); a block where it
// does gets its own ends.
export async function buildLowered(job) {
  var result = [];
  // While pieces are still arriving, the block being filled is searched too.
  var blocks = paths.parts.length ? paths.blocks.concat([paths.parts.join('')]) : paths.blocks;
  for (var b = 0; b < blocks.length; b++) {
    if (!(await keepGoing(job))) return false;
    var text = blocks[b].toLowerCase();
    if (text.length === blocks[b].length) { result.push({ text: text, ends: null }); continue; }
    var first = b << blockBits, last = Math.min(building.added, first + (1 << blockBits));
    var own = new Packed(last - first);
    for (var i = first; i < last; i++) own.add(i - first, pathOf(i).toLowerCase());
    own.close();
    result.push({ text: own.blocks[0], ends: own.ends });
  }
  lowered = result;
  return true;
}
export function loweredPath(photo) {
  var block = lowered[photo >> blockBits], at = photo & ((1 << blockBits) - 1);
  var ends = block.ends || paths.ends;
  var index = block.ends ? at : photo;
  return block.text.slice(at ? ends[index - 1] : 0, ends[index]);
}

