// Putting it together: filter, group and lay out in slices, then show.

import { header } from './elements.js';
import { tr, photoCount, shown } from './text.js';
import { wallCount } from './media.js';
import { startJob, sliceMs, pause } from './slices.js';
import { aspect, thumbHeight, order, rawOf, buildTable, tableSize, building, startTable, finishTable,
  keys, paths, keyOf } from './table.js';
import { loadPiece, firstEntries, addPiece, readIndex } from './pieces.js';
import { parseQuery } from './search.js';
import { ensureAllDetails, startDetails } from './details.js';
import { view, filter, buildView, positionIn, setView } from './view.js';
import { layout, rowOf, computeLayout, headingWidth, setLayout, itemAt } from './layout.js';
import { scroll, measure, scrollToVirtual, onScroll } from './scroll.js';
import { metrics } from './density.js';
import { keepRoving, clearRendered, fetchFirstThumbnails } from './render.js';
import { placeScrubber } from './timeline.js';
import { viewing, openViewer } from './viewer.js';
import { setRoot, showSource, findOriginals, root } from './originals.js';
import { readLocation, showPhoto, showPendingLink } from './address.js';
import { say, countText, showAll, fitSearchHint, fillFolders, showFilter } from './controls.js';
import { showBest } from './bestline.js';
import { showToday, findOnThisDay } from './onthisday.js';
import { placeCurrent } from './current.js';

// Rebuilds the view for the current filter. how: undefined starts at the top; 'resize' keeps
// the view and the first visible photo in place when only the width changed; 'grow' makes the
// view again with the photos that arrived meanwhile and keeps the first visible photo in place.
export async function refresh(then, how) {
  var job = startJob();
  document.body.dataset.state = 'busy';
  // A screen at the top of the wall stays there, its first heading in sight, as photos arrive or
  // the rows change their height (a new width, a pinch).
  var anchor = how && layout && view && scroll.virtual > 0 ? anchorPhoto() : null;
  if (anchor) anchor.offset = scroll.virtual - layout.top[rowOf(anchor.pos)];
  var keep = how === 'resize' && view;
  if (!keep) askDetailsFor(parseQuery(filter.query));
  var next = keep ? view : await buildView(job);
  if (!next) return;
  if (!how && next.pos.length > 20000) say(tr('arranging', { photos: photoCount(next.pos.length) }));
  var nextLayout = await computeLayout(next, aspect, metrics(), headingWidth, job, thumbHeight);
  if (!nextLayout) return;
  if (anchor && next !== view) anchor.pos = positionIn(next, view.pos[anchor.pos]);
  keepRoving(next);
  setView(next);
  setLayout(nextLayout);
  // While pieces are still arriving, the wall below them is as tall as its photos will make it.
  layout.laidOut = layout.total;
  if (wallLoading) layout.total += restHeight();
  clearRendered();
  say('');
  var total = order.length;
  var count = wallCount(view.pos, total, wallLoading ? wallSize() : 0);
  countText.textContent = rawOf.size ? tr('withPairs', { count: count, pairs: tr('pairs', { n: rawOf.size }) }) : count;
  showBest(view);
  if (total === 0 && !wallLoading) say(tr('noPhotosYet'));
  else if (view.pos.length === 0 && !wallLoading) say(tr('noMatch'), { label: tr('showAll'), run: showAll });
  measure();
  placeScrubber();
  var v = 0;
  if (anchor && anchor.pos >= 0) {
    // Photos that arrived keep the screen where it was; a new width keeps the same share of
    // the first row on screen.
    var row = rowOf(anchor.pos);
    v = layout.top[row] + (how === 'grow' ? anchor.offset : anchor.into * layout.height[row]);
  }
  scroll.base = 0;
  scrollToVirtual(v);
  placeCurrent();
  showToday();
  if (then) then();
  // Tells scripts driving the page (tests, benchmarks) that the wall is in place: 'shown' while
  // its pieces still arrive, 'ready' once it is whole.
  document.body.dataset.state = wallLoading ? 'shown' : 'ready';
  markPhase(wallLoading ? 'shown' : 'ready');
}

// The details are loaded on the first search with a word or a phrase in it (a date or a kind of
// photo alone never needs them), so that the wall opens as fast as ever; the search's result is
// made again as they arrive, at most every detailsRefreshMs, and once when all are there.
var detailsAsked = false, detailsTimer = 0, detailsRefreshMs = 400;
function askDetailsFor(terms) {
  if (detailsAsked || wallLoading) return;
  if (!terms.some(function (term) { return term.kind === 'word' || term.kind === 'phrase'; })) return;
  detailsAsked = true;
  var again = function () {
    detailsTimer = 0;
    if (filter.query.trim()) refresh(null, 'grow');
  };
  ensureAllDetails(function () {
    if (!detailsTimer) detailsTimer = setTimeout(again, detailsRefreshMs);
  }).then(function () {
    clearTimeout(detailsTimer);
    again();
  });
}

// The photo at the top left of the screen, and how far down its row the screen's top is.
function anchorPhoto() {
  var item = itemAt(scroll.virtual);
  if (layout.end[item] < 0 && item + 1 < layout.count) item++;
  var into = (scroll.virtual - layout.top[item]) / Math.max(1, layout.height[item]);
  return { pos: layout.start[item], into: Math.max(0, Math.min(1, into)) };
}

// Row heights depend on the screen's pixel ratio (see sharpHeight) as well as on the width.
var resizeFrame = 0, lastWidth = 0, lastHeight = 0, lastRatio = 0;
function onResize() {
  if (!layout || resizeFrame) return;
  resizeFrame = requestAnimationFrame(function () {
    resizeFrame = 0;
    var width = document.documentElement.clientWidth, ratio = window.devicePixelRatio || 1;
    if (width !== lastWidth || ratio !== lastRatio) {
      lastWidth = width;
      lastRatio = ratio;
      lastHeight = window.innerHeight;
      fitSearchHint();
      refresh(null, 'resize');
    } else if (window.innerHeight !== lastHeight) {
      lastHeight = window.innerHeight;
      var v = scroll.virtual;
      measure();
      placeScrubber();
      scrollToVirtual(v);
    }
  });
}

// The header grows and shrinks with its lines (On this day, a note under the title, the tools
// wrapping on a phone): the wall's screen and the timeline, which starts under it, follow.
var headerHeight = 0;
function onHeaderResize() {
  if (!layout || header.offsetHeight === headerHeight) return;
  headerHeight = header.offsetHeight;
  var v = scroll.virtual;
  measure();
  placeScrubber();
  scrollToVirtual(v);
  placeCurrent();
}

// The pixel ratio changes without a resize when the window moves to another screen.
function watchPixelRatio() {
  var query = window.matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
  query.addEventListener('change', function changed() {
    query.removeEventListener('change', changed);
    watchPixelRatio();
    onResize();
  });
}

// Marks the phases of loading for performance tools (see bench/page.mjs).
function markPhase(name) { if (performance.mark) performance.mark('kestova:' + name); }

// state.js beside the manifest says whether the last run finished the wall; a stopped run
// leaves one that counts the photos still to do. Walls made before it have none: finished.
function showWallState() {
  var state = window.KESTOVA_WALL_STATE;
  var known = state && typeof state === 'object' && typeof state.version === 'number' && state.version >= 1;
  var toDo = known && state.finished === false && typeof state.toDo === 'number' ? state.toDo : 0;
  var line = document.getElementById('unfinished');
  line.hidden = !(toDo > 0);
  if (toDo > 0) line.textContent = tr('unfinished', { n: toDo });
  // For scripts driving the page (tests): the state has been read.
  document.body.dataset.wall = toDo > 0 ? 'unfinished' : 'finished';
}

function showTitle(title, rootPath) {
  title = shown(title) || tr('pageTitle');
  document.getElementById('title').textContent = title;
  document.title = title;
  setRoot(typeof rootPath === 'string' ? rootPath : '');
  showSource();
}

function failed(text) {
  document.body.dataset.state = 'failed';
  say(text);
}

// The table holds the first photos (or all of them): the controls are filled, the address and
// the place of the last visit are read, and the wall is shown.
function showWall() {
  markPhase('table');
  findOriginals(root, function () {
    // An open viewer showed the likeliest folder's links meanwhile.
    if (viewing >= 0) openViewer(viewing, false);
  });
  fillFolders();
  lastWidth = document.documentElement.clientWidth;
  lastRatio = window.devicePixelRatio || 1;
  lastHeight = window.innerHeight;
  var state = readLocation();
  filter.folder = state.folder;
  filter.query = state.query;
  filter.day = state.day;
  findOnThisDay(new Date());
  showFilter();
  var place = savedPlace();
  refresh(function () {
    if (state.photo) showPhoto(state.photo);
    else if (place) goToPlace(place);
  });
}

async function startFromManifest() {
  markPhase('manifest');
  showWallState();
  showTitle(window.GALLERY_TITLE, window.GALLERY_ROOT);
  if (!Array.isArray(window.PHOTOS)) return failed(tr('manifestUnreadable'));
  var photos = window.PHOTOS;
  fetchFirstThumbnails(photos);
  if (photos.length > 20000) say(tr('arranging', { photos: photoCount(photos.length) }));
  var job = startJob();
  startDetails(photos.length);
  if (!(await buildTable(photos, job))) return;
  // From here on the table holds everything; let the manifest's arrays go (see table.js).
  photos = null;
  delete window.PHOTOS;
  showWall();
}

// True while pieces are still arriving.
export var wallLoading = false;
// How many photos the wall holds: while pieces arrive, as many as its index counts.
export function wallSize() { return wallLoading ? Math.max(tableSize, order.length) : order.length; }

// The height the photos not yet arrived will take, at the height per photo of those laid out.
// (Of a filtered view, as many of them as the filter let through so far.)
function restHeight() {
  return Math.round(Math.max(0, tableSize - building.added) * layout.laidOut / Math.max(1, order.length));
}

// The screen is near the end of what has arrived: lay the wall out again with the rest so far.
function nearLoadedEnd() {
  if (!layout || !view) return false;
  return scroll.virtual + scroll.viewHeight * 3 > layout.laidOut;
}

async function startFromPieces(index) {
  markPhase('index');
  showWallState();
  showTitle(index.title, index.root);
  startTable(index.photos);
  startDetails(index.photos, index.pieces, index.generation);
  wallLoading = index.pieces.length > 1;
  var loader = { cancelled: false, deadline: 0 };
  // A reload that returns to a place deep in the wall waits for the whole wall.
  var early = !savedPlace();
  var shownYet = false, lost = false, grownAt = 0;
  var slots = index.pieces;
  var next = slots.length ? loadPiece(slots[0], index.generation) : null;
  for (var i = 0; i < slots.length; i++) {
    var piece = await next;
    // The next piece is read while this one is taken in.
    next = i + 1 < slots.length ? loadPiece(slots[i + 1], index.generation) : null;
    if (i === 0 && piece) fetchFirstThumbnails(firstEntries(piece));
    loader.deadline = performance.now() + sliceMs;
    if (!(await addPiece(slots[i], piece, loader))) lost = true;
    if (i + 1 === slots.length) break;
    if (early && !shownYet) {
      shownYet = true;
      grownAt = building.added;
      // Each step a task of its own, so that none holds the page for long.
      await pause();
      if (!(await finishTable(loader))) return;
      await pause();
      showWall();
    } else if (shownYet && nearLoadedEnd() && building.added >= grownAt * 1.5 && document.body.dataset.state !== 'busy') {
      // Laid out again only when half as many again have arrived: each time costs as much as
      // all the photos so far, so the times together cost about as much as the last one.
      grownAt = building.added;
      if (!(await finishTable(loader))) return;
      refresh(null, 'grow');
    }
    // Each piece is a task of its own: the page paints and answers in between.
    await pause();
  }
  keys.close();
  paths.close();
  if (!(await finishTable(loader))) return;
  // Only now: a view made meanwhile from part of the wall must not call itself whole.
  wallLoading = false;
  if (lost) showWallProblem(tr('piecesMissing'));
  if (!shownYet) { showWall(); return; }
  fillFolders();
  showFilter();
  findOnThisDay(new Date());
  refresh(showPendingLink, 'grow');
}

// The place in the wall is kept in the page's history entry, so that a reload returns to it.
var placeTimer = 0;
function rememberPlace() {
  clearTimeout(placeTimer);
  placeTimer = setTimeout(function () {
    if (!layout || !view || !view.pos.length || wallLoading) return;
    // At the top there is no place to return to, and a reload may show the first piece at once.
    var a = scroll.virtual > 0 ? anchorPhoto() : null;
    var place = a ? { key: keyOf(view.pos[a.pos]), into: a.into } : null;
    history.replaceState(Object.assign({}, history.state, { place: place }), '');
  }, 250);
}
function savedPlace() {
  var place = history.state && history.state.place;
  return place && typeof place.key === 'string' && typeof place.into === 'number' ? place : null;
}
function goToPlace(place) {
  for (var p = 0; p < view.pos.length; p++) {
    if (keyOf(view.pos[p]) !== place.key) continue;
    var row = rowOf(p);
    scrollToVirtual(layout.top[row] + Math.max(0, Math.min(1, place.into)) * layout.height[row]);
    return;
  }
}

// A second line under the header for what the wall lacks.
function showWallProblem(text) {
  var line = document.getElementById('unfinished');
  var already = line.hidden ? '' : line.textContent;
  line.hidden = false;
  line.textContent = already ? already + ' ' + text : text;
}

// manifest.js and wall.js are loaded by script elements: browsers refuse fetch and XHR for
// pages opened from disk. wall.js, the index of the pieces, is asked for first; a wall without
// one (older, or written by another program) is read from manifest.js.
var scriptFailed = false;
function loadScript(src) {
  return new Promise(function (settled) {
    var script = document.createElement('script');
    script.src = src;
    script.onload = function () { settled(!scriptFailed); };
    script.onerror = function () { settled(false); };
    document.head.appendChild(script);
  });
}

// Starts the page once every module has set itself up: listens to the window, then loads the
// wall's data.
export function start() {
  window.addEventListener('resize', onResize);
  if (window.ResizeObserver) new ResizeObserver(onHeaderResize).observe(header);
  window.addEventListener('scroll', onScroll, { passive: true });
  if (window.matchMedia) watchPixelRatio();
  window.addEventListener('scroll', rememberPlace, { passive: true });
  if ('scrollRestoration' in history) history.scrollRestoration = 'manual';
  say(tr('loading'));
  window.addEventListener('error', function (event) {
    if (event.filename && /(manifest|wall)\.js$/.test(event.filename)) scriptFailed = true;
  });
  // Asked for beside the data, so that its line is in place before the wall is laid out.
  var wallState = loadScript('state.js');
  loadScript('wall.js').then(function (loaded) {
    var index = loaded ? readIndex(window.KESTOVA_WALL) : null;
    delete window.KESTOVA_WALL;
    scriptFailed = false;
    if (index) return wallState.then(function () { return startFromPieces(index); });
    return loadScript('manifest.js').then(function (loaded) {
      if (scriptFailed) return failed(tr('manifestUnreadable'));
      if (!loaded) return failed(tr('manifestMissing'));
      return wallState.then(startFromManifest);
    });
  });
}
