// The wall's data in pieces: wall.js, the index, names the pieces data/GENERATION-N.js, each a
// few thousand photos in columns. One piece is one script and one task, so no task of the page
// holds the whole wall, and the first screen is shown from the first piece while the rest
// arrives. A wall without an index is read from manifest.js as before (see main.js).

import { wallFormat, wallFormatVersion, atKey } from './schema.js';
import { keepGoing } from './slices.js';
import { addPhoto, pathOf, readMedia } from './table.js';

// A piece's file is named by the index's generation and its place, and nothing else: an index
// cannot make the page load a script from anywhere else.
var generationName = /^[0-9a-f]{16}$/;
// What one piece may hold at most, whatever its index claims: the engine writes a few thousand.
var mostPerPiece = 100000;

// The index as the page uses it, or null when it is not one this page reads (then manifest.js
// is read instead). Counts are the index's; a piece that holds fewer leaves empty places.
export function readIndex(index) {
  if (!index || typeof index !== 'object' || index.format !== wallFormat || index.version !== wallFormatVersion) return null;
  if (typeof index.generation !== 'string' || !generationName.test(index.generation) || !Array.isArray(index.pieces)) return null;
  var pieces = [], first = 0;
  for (var i = 0; i < index.pieces.length; i++) {
    var p = index.pieces[i];
    var file = 'data/' + index.generation + '-' + i + '.js';
    var ok = p && typeof p === 'object' && p.file === file && Number.isInteger(p.photos) && p.photos >= 0;
    var photos = ok ? Math.min(p.photos, mostPerPiece) : 0;
    // Its details (details.js) only under the one name they may have; older walls have none.
    var details = 'data/' + index.generation + '-' + i + '-details.js';
    pieces.push({ file: ok ? file : null, photos: photos, first: first, number: i, details: ok && p.details === details ? details : null });
    first += photos;
  }
  return {
    title: index.title, root: index.root, generation: index.generation,
    pieces: pieces, photos: first
  };
}

// A wall's piece scripts (its pieces, their details) each hand their JSON text to one function
// of the page's, named callName. Those that have run but not yet been taken wait here by their
// number; load takes the one its script handed over, when it is a piece of the generation read.
export function PieceScripts(callName) {
  var arrived = new Map();
  globalThis[callName] = function (text) {
    if (typeof text !== 'string') return;
    var piece;
    try { piece = JSON.parse(text); } catch (e) { return; }
    if (!piece || typeof piece !== 'object' || typeof piece.generation !== 'string' || !Number.isInteger(piece.piece)) return;
    arrived.set(piece.piece, piece);
  };
  // Runs piece number's script file; resolves with its object, or null when it is missing,
  // unreadable or of another generation.
  this.load = function (file, number, generation) {
    return new Promise(function (resolve) {
      if (!file) { resolve(null); return; }
      var script = document.createElement('script');
      script.src = file;
      script.onload = script.onerror = function () {
        script.remove();
        var piece = arrived.get(number) || null;
        arrived.delete(number);
        resolve(piece && generation && piece.generation === generation ? piece : null);
      };
      document.head.appendChild(script);
    });
  };
}

var pieceScripts = new PieceScripts('kestovaPiece');
// Loads piece slot's script of the wall's generation; resolves with the piece, or null.
export function loadPiece(slot, generation) { return pieceScripts.load(slot.file, slot.number, generation); }

function column(piece, name) {
  var values = piece && piece[name];
  return Array.isArray(values) ? values : [];
}

// Adds the photos of slot (from piece, or empty places when it is null) to the table, in
// slices of job's. Resolves false when the piece could not be read.
export async function addPiece(slot, piece, job) {
  var keyColumn = column(piece, 'key'), dirColumn = column(piece, 'dir'), nameColumn = column(piece, 'name');
  var widths = column(piece, 'width'), heights = column(piece, 'height'), dates = column(piece, 'date');
  var folderTable = column(piece, 'dirs');
  for (var k = 0; k < slot.photos; k++) {
    if ((k & 1023) === 1023) await keepGoing(job);
    var folder = folderTable[dirColumn[k]], name = nameColumn[k];
    var rel = typeof folder === 'string' && typeof name === 'string' ? folder + name : undefined;
    addPhoto(slot.first + k, keyColumn[k], rel, widths[k], heights[k], dates[k]);
  }
  column(piece, 'media').forEach(function (m) {
    if (!Array.isArray(m) || !Number.isInteger(m[0]) || m[0] < 0 || m[0] >= slot.photos) return;
    var i = slot.first + m[0];
    if (typeof pathOf(i) === 'string' && pathOf(i)) readMedia(i, m[1], m[2], m[3], m[4]);
  });
  return piece !== null;
}

// The first photos of a piece as entries that hold only their key: their thumbnails are asked
// for as soon as the first piece is in (see fetchFirstThumbnails).
export function firstEntries(piece) {
  return column(piece, 'key').slice(0, 64).map(function (key) { var entry = []; entry[atKey] = key; return entry; });
}
