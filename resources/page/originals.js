// Where the original photos are. The manifest names their folder by its absolute path, which
// stops working when the folder is renamed, its drive is mounted elsewhere or the wall is opened
// on another computer. A wall made in its default place lies directly inside that folder, so
// when the page is not under the stored folder, the folders above the page are tried as well:
// each is tested by loading a few originals as images, and the first that shows one is used.
// A page from a web server may load nothing from disk, so there the stored path is never tried:
// only the folders above the page on its own server, by their addresses.

import { pathUrl, fileUrl, decodeSegment, showable, shown, tr } from './text.js';
import { order, pathOf } from './table.js';

// base: the address of the folder whose originals the viewer links to, ending in '/', '' when
// none was found; label: that folder as the page names it (its path, or over the web its address
// as a person reads it); state: 'checking', 'stored' (the stored folder), 'moved' (found relative
// to the page: the folder moved with its wall, or a server offers it with the wall), 'missing'
// (found nowhere) or 'unchecked' (the wall holds nothing an image test could load; the likeliest
// folder stands).
export var originals = { base: '', label: '', state: 'checking' };
var probeTimeout = 8000;

export function originalUrl(rel) { return originals.base ? originals.base + pathUrl(rel) : ''; }
export function originalPath(rel) {
  return originals.label + (originals.label.endsWith('/') ? '' : '/') + rel;
}

// Whether the page came from a web server (or anything else that is not a file).
export function servedOverWeb(address) { return new URL(address).protocol !== 'file:'; }

// A folder the originals may be in: on disk by its path, or over the web by its address.
export function diskPlace(folder) { return { base: fileUrl(folder, ''), label: folder }; }
function webPlace(url) {
  var path = url.pathname.split('/').map(decodeSegment).join('/');
  return { base: url.href, label: url.protocol + '//' + url.host + (path === '/' ? path : path.replace(/\/$/, '')) };
}

// The folders above a page served over the web: its parent (the default wall folder's place)
// and the one above that, as far as the server's addresses go up.
export function webCandidates(address) {
  var found = [];
  var last = new URL('./', address).href;
  for (var up = '../', k = 0; k < 2; up += '../', k++) {
    var folder = new URL(up, address);
    if (folder.href === last) break;
    found.push(webPlace(folder));
    last = folder.href;
  }
  return found;
}

// The folder of a page's file: address as a path (with the bytes of a name that was not UTF-8
// as lone surrogates, as the manifest has them), or '' for a page that is not a file.
export function pageFolder(address) {
  var url = new URL(address);
  if (url.protocol !== 'file:') return '';
  var pieces = url.pathname.split('/').map(decodeSegment);
  pieces.pop();
  return pieces.join('/') || '/';
}
function parentFolder(path) {
  var cut = path.replace(/\/+$/, '').lastIndexOf('/');
  return cut > 0 ? path.slice(0, cut) : cut === 0 && path !== '/' ? '/' : '';
}
function isUnder(path, folder) {
  var f = folder.replace(/\/+$/, '');
  return path === folder || path === f || path.startsWith(f + '/');
}

// The folders that may hold the originals, the likeliest first: the stored folder alone when
// the page lies inside it; else the page's parent (the default wall folder's place) and the
// one above it, then the stored folder (a wall written elsewhere for a read-only source).
export function originalCandidates(root, page) {
  if (!page || (root && isUnder(page, root))) return root ? [root] : [];
  var found = [];
  for (var up = parentFolder(page), k = 0; up && k < 2; up = parentFolder(up), k++) found.push(up);
  if (root && found.indexOf(root) < 0) found.push(root);
  return found;
}

// A few photos a browser can show, to test a folder with: the first ones of the wall. Over the
// web not those whose names are not UTF-8, which most servers cannot give out (see below).
function probePaths(limit) {
  var picked = [], web = servedOverWeb(location.href);
  for (var i = 0; i < order.length && i < 20000 && picked.length < limit; i++) {
    var path = pathOf(order[i]);
    if (showable.test(path) && !(web && shown(path) !== path)) picked.push(path);
  }
  return picked;
}

// Resolves true once one of the photos loads from the folder at base, false when none does.
function folderHolds(base, rels) {
  return new Promise(function (resolve) {
    var left = rels.length, done = false;
    var timer = setTimeout(function () { finish(false); }, probeTimeout);
    function finish(ok) {
      if (done) return;
      done = true;
      clearTimeout(timer);
      resolve(ok);
    }
    rels.forEach(function (rel) {
      var image = new Image();
      image.onload = function () { finish(true); };
      image.onerror = function () { if (--left === 0) finish(false); };
      image.src = base + pathUrl(rel);
    });
  });
}

export var root = '';   // the photos' folder as the wall's data name it
export function setRoot(path) { root = path; }

function takeOriginals(place) {
  originals.base = place ? place.base : '';
  originals.label = place ? place.label : '';
}

// Tests every candidate at once and takes the likeliest that works; then shows the result.
// moved: called when the folder found is not the one assumed meanwhile, before the page says
// what was found.
export async function findOriginals(root, moved) {
  var web = servedOverWeb(location.href);
  var candidates = web ? webCandidates(location.href) : originalCandidates(root, pageFolder(location.href)).map(diskPlace);
  // Meanwhile the likeliest folder stands: the stored one, over the web the page's parent.
  var first = web ? candidates[0] : root ? diskPlace(root) : undefined;
  takeOriginals(first);
  var rels = probePaths(3);
  var state;
  if (!rels.length) {
    state = 'unchecked';
  } else if (!web && candidates.length === 1 && candidates[0].label === root) {
    state = 'stored';
  } else {
    var works = await Promise.all(candidates.map(function (place) { return folderHolds(place.base, rels); }));
    var at = works.indexOf(true);
    takeOriginals(candidates[at]);
    state = at < 0 ? 'missing' : !web && candidates[at].label === root ? 'stored' : 'moved';
  }
  originals.state = state;
  showSource();
  if (originals.base !== (first ? first.base : '')) moved();
  document.body.dataset.originals = state;
}

// The header names the folder the photos are in now, or the stored one when they were not
// found. Over the web the stored path names a folder on the computer that made the wall, which
// no visitor can reach: there only a folder found is named.
export function showSource() {
  var folder = originals.label || (servedOverWeb(location.href) ? '' : root);
  var source = document.getElementById('source');
  source.textContent = shown(folder);
  source.title = originals.state === 'missing' ? originalsMissingText() : '';
  document.getElementById('source-sep').hidden = !folder;
}

// Why the viewer shows no original at all.
export function originalsMissingText() {
  return tr(servedOverWeb(location.href) ? 'originalsNotServed' : 'originalsNotFound');
}

// What the viewer says when one file of the originals did not load (name: originalMissing,
// videoMissing or motionMissing). Over the web the server did not give it out; for a name that
// is not UTF-8 that is the likely reason: most servers read an address as UTF-8, find no such
// file and say so, whatever raw bytes the page asked for.
export function unreachableText(name, path) {
  if (!servedOverWeb(location.href)) return tr(name);
  return tr(shown(path) !== path ? 'nameNotServed' : name + 'Web');
}
