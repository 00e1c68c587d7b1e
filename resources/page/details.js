// What each photo's metadata says beyond the wall's table: its camera and lens, the exposure,
// the file's size and where it was taken. The engine writes them beside each piece, as
// data/GENERATION-N-details.js (docs/wall-format.md), and the page loads a piece's details only
// when something asks for them (the info panel, a search), never while the wall opens.
//
// The arrays run over the table's photo index, as addPhoto numbers the photos; what is not
// known (yet, or at all) is 0, -1 or NaN, and before any details were asked for the arrays are
// empty (reading them gives undefined).

import { pageLocale } from './language.js';
import { PieceScripts } from './pieces.js';
export var detailSize = new Float64Array(0); // bytes of the original
export var cameraOf = new Int32Array(0);     // into cameraNames
export var lensOf = new Int32Array(0);       // into lensNames
export var placeOf = new Int32Array(0);      // into placeList
export var latOf = new Float64Array(0);
export var lonOf = new Float64Array(0);
export var exposureOf = new Map();           // photo -> { seconds, fNumber, iso, focal, focal35 }, 0 unknown
// One entry per name across the whole wall: pieces naming the same camera share it.
export var cameraNames = [];
export var lensNames = [];
export var placeList = [];                   // { town, region, country }; town or region may be ''

export var detailSlots = [];                 // per piece: { first, photos, file, number }
var detailsGeneration = '';
var detailsLoads = [];                // per piece: the promise of its details, once asked for
var detailScripts = new PieceScripts('kestovaDetails');
var cameraIds = new Map(), lensIds = new Map(), placeIds = new Map();

// The details of a wall of n photos, in the pieces of its index (none for a manifest.js wall).
// The arrays are made when details are first asked for: a wall that is only looked at never
// pays for them (six arrays of a million photos are 40 MB).
var detailsPhotos = 0;
export function startDetails(n, slots, generation) {
  detailsPhotos = n;
  detailSize = new Float64Array(0);
  cameraOf = new Int32Array(0);
  lensOf = new Int32Array(0);
  placeOf = new Int32Array(0);
  latOf = new Float64Array(0);
  lonOf = new Float64Array(0);
  exposureOf = new Map();
  cameraNames = [];
  lensNames = [];
  placeList = [];
  cameraIds = new Map();
  lensIds = new Map();
  placeIds = new Map();
  detailsLoads = [];
  detailsGeneration = generation || '';
  detailSlots = (slots || []).map(function (slot) {
    return { first: slot.first, photos: slot.photos, file: slot.details || null, number: slot.number };
  });
}
function makeDetailArrays() {
  if (detailSize.length === detailsPhotos) return;
  var n = detailsPhotos;
  detailSize = new Float64Array(n);
  cameraOf = new Int32Array(n).fill(-1);
  lensOf = new Int32Array(n).fill(-1);
  placeOf = new Int32Array(n).fill(-1);
  latOf = new Float64Array(n).fill(NaN);
  lonOf = new Float64Array(n).fill(NaN);
}

// The piece holding table photo `photo`; -1 when none does.
export function detailsPieceOf(photo) {
  var low = 0, high = detailSlots.length - 1;
  while (low <= high) {
    var mid = (low + high) >> 1, slot = detailSlots[mid];
    if (photo < slot.first) high = mid - 1;
    else if (photo >= slot.first + slot.photos) low = mid + 1;
    else return mid;
  }
  return -1;
}

function detailsName(table, ids, name) {
  if (typeof name !== 'string' || !name) return -1;
  var id = ids.get(name);
  if (id === undefined) { id = table.length; table.push(name); ids.set(name, id); }
  return id;
}
function detailsPlace(p) {
  if (!Array.isArray(p)) return -1;
  var town = typeof p[0] === 'string' ? p[0] : '', region = typeof p[1] === 'string' ? p[1] : '';
  var country = typeof p[2] === 'string' && /^[A-Z]{2}$/.test(p[2]) ? p[2] : '';
  if (!town && !region && !country) return -1;
  var key = town + '\u0000' + region + '\u0000' + country;
  var id = placeIds.get(key);
  if (id === undefined) { id = placeList.length; placeList.push({ town: town, region: region, country: country }); placeIds.set(key, id); }
  return id;
}
function detailNumber(v) { return typeof v === 'number' && isFinite(v) && v > 0 ? v : 0; }

// Takes a piece's details into the arrays; values of the wrong type stay unknown.
function takeDetails(slot, d) {
  var list = function (name) { return Array.isArray(d[name]) ? d[name] : []; };
  var cameras = list('cameras').map(function (n) { return detailsName(cameraNames, cameraIds, n); });
  var lenses = list('lenses').map(function (n) { return detailsName(lensNames, lensIds, n); });
  var places = list('places').map(detailsPlace);
  var sizes = list('size'), camera = list('camera'), lens = list('lens'), place = list('place');
  var pick = function (table, v) { return Number.isInteger(v) && v >= 0 && v < table.length ? table[v] : -1; };
  for (var k = 0; k < slot.photos; k++) {
    var i = slot.first + k;
    detailSize[i] = detailNumber(sizes[k]);
    cameraOf[i] = pick(cameras, camera[k]);
    lensOf[i] = pick(lenses, lens[k]);
    placeOf[i] = pick(places, place[k]);
  }
  var inPiece = function (e) { return Array.isArray(e) && Number.isInteger(e[0]) && e[0] >= 0 && e[0] < slot.photos; };
  list('exposure').forEach(function (e) {
    if (!inPiece(e)) return;
    exposureOf.set(slot.first + e[0], {
      seconds: detailNumber(e[1]), fNumber: detailNumber(e[2]), iso: detailNumber(e[3]),
      focal: detailNumber(e[4]), focal35: detailNumber(e[5])
    });
  });
  list('geo').forEach(function (g) {
    if (!inPiece(g) || typeof g[1] !== 'number' || typeof g[2] !== 'number') return;
    if (!(Math.abs(g[1]) <= 90 && Math.abs(g[2]) <= 180)) return;
    latOf[slot.first + g[0]] = g[1];
    lonOf[slot.first + g[0]] = g[2];
  });
}

// Resolves once piece `piece`'s details are in the arrays, or could not be read (then they stay
// unknown). Each file is loaded at most once.
export function ensureDetails(piece) {
  var slot = detailSlots[piece];
  if (!slot) return Promise.resolve();
  makeDetailArrays();
  if (detailsLoads[piece]) return detailsLoads[piece];
  var generation = detailsGeneration;
  detailsLoads[piece] = detailScripts.load(slot.file, slot.number, generation).then(function (d) {
    // A wall opened again meanwhile has arrays of its own.
    if (d && generation === detailsGeneration) takeDetails(slot, d);
  });
  return detailsLoads[piece];
}

// Loads every piece's details in order, one after another, calling onPiece(firstPhoto, endPhoto)
// as each lands.
export async function ensureAllDetails(onPiece) {
  for (var p = 0; p < detailSlots.length; p++) {
    await ensureDetails(p);
    if (onPiece) onPiece(detailSlots[p].first, detailSlots[p].first + detailSlots[p].photos);
  }
}

var countryNames = null;
function countryName(code) {
  if (!code) return '';
  if (countryNames === null) {
    try { countryNames = new Intl.DisplayNames([pageLocale], { type: 'region' }); } catch (e) { countryNames = false; }
  }
  var name;
  try { name = countryNames ? countryNames.of(code) : code; } catch (e) { name = code; }
  return name || code;
}

// "Roma, Lazio, Italy": the town, its region and its country in the page's language, as far as
// they are known; '' for none.
export function placeLabel(index) {
  var p = placeList[index];
  if (!p) return '';
  var parts = [p.town, p.region, countryName(p.country)].filter(Boolean);
  // A town that is its own region ("Wien, Wien") is named once.
  if (parts.length > 1 && parts[0] === parts[1]) parts.splice(1, 1);
  return parts.join(', ');
}

// The camera of table photo `photo` as a person reads it; '' when unknown.
export function cameraLabel(photo) {
  var c = cameraOf[photo];
  return c >= 0 && c < cameraNames.length ? cameraNames[c] : '';
}
