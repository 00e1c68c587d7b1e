// Putting it together: filter, group and lay out in slices, then show.

// Rebuilds the view for the current filter, keeping the first visible photo in place when
// only the width changed.
async function refresh(then, keepPlace) {
  var job = startJob();
  document.body.dataset.state = 'busy';
  var anchor = keepPlace && layout && view ? anchorPhoto() : null;
  var next = keepPlace && view ? view : await buildView(job);
  if (!next) return;
  if (!keepPlace && next.pos.length > 20000) say(tr('arranging', { photos: photoCount(next.pos.length) }));
  var nextLayout = await computeLayout(next, aspect, metrics(), headingWidth, job, thumbHeight);
  if (!nextLayout) return;
  view = next;
  layout = nextLayout;
  clearRendered();
  say('');
  var total = order.length;
  var count = wallCount(view.pos, total);
  countText.textContent = rawOf.size ? tr('withPairs', { count: count, pairs: tr('pairs', { n: rawOf.size }) }) : count;
  if (total === 0) say(tr('noPhotosYet'));
  else if (view.pos.length === 0) say(tr('noMatch'), { label: tr('showAll'), run: showAll });
  measure();
  placeScrubber();
  var v = 0;
  if (anchor) {
    var row = rowOf(anchor.pos);
    v = layout.top[row] + anchor.into * layout.height[row];
  }
  scroll.base = 0;
  scrollToVirtual(v);
  placeCurrent();
  showToday();
  if (then) then();
  // Tells scripts driving the page (tests, benchmarks) that the wall is in place.
  document.body.dataset.state = 'ready';
  markPhase('ready');
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
      refresh(null, true);
    } else if (window.innerHeight !== lastHeight) {
      lastHeight = window.innerHeight;
      var v = scroll.virtual;
      measure();
      placeScrubber();
      scrollToVirtual(v);
    }
  });
}
window.addEventListener('resize', onResize);
window.addEventListener('scroll', onScroll, { passive: true });

// The pixel ratio changes without a resize when the window moves to another screen.
function watchPixelRatio() {
  var query = window.matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
  query.addEventListener('change', function changed() {
    query.removeEventListener('change', changed);
    watchPixelRatio();
    onResize();
  });
}
if (window.matchMedia) watchPixelRatio();

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

async function start() {
  markPhase('manifest');
  showWallState();
  var title = shown(window.GALLERY_TITLE) || tr('pageTitle');
  document.getElementById('title').textContent = title;
  document.title = title;
  root = typeof window.GALLERY_ROOT === 'string' ? window.GALLERY_ROOT : '';
  showSource();
  if (!Array.isArray(window.PHOTOS)) {
    document.body.dataset.state = 'failed';
    say(tr('manifestUnreadable'));
    return;
  }
  var photos = window.PHOTOS;
  fetchFirstThumbnails(photos);
  if (photos.length > 20000) say(tr('arranging', { photos: photoCount(photos.length) }));
  var job = startJob();
  if (!(await buildTable(photos, job))) return;
  // From here on the table holds everything; let the manifest's arrays go (see above).
  photos = null;
  delete window.PHOTOS;
  markPhase('table');
  findOriginals(root);
  fillFolders();
  lastWidth = document.documentElement.clientWidth;
  lastRatio = window.devicePixelRatio || 1;
  lastHeight = window.innerHeight;
  var state = readLocation();
  filter.folder = state.folder;
  filter.query = state.query;
  filter.day = state.day;
  findOnThisDay(new Date());
  folderSelect.value = filter.folder;
  if (folderSelect.value !== filter.folder) folderSelect.value = '';
  searchInput.value = filter.query;
  refresh(function () { if (state.photo) showPhoto(state.photo); });
}

// manifest.js is loaded by a script element: browsers refuse fetch and XHR for pages opened
// from disk.
if ('scrollRestoration' in history) history.scrollRestoration = 'manual';
say(tr('loading'));
var manifestFailed = false;
window.addEventListener('error', function (event) {
  if (event.filename && /manifest\.js$/.test(event.filename)) manifestFailed = true;
});
// Asked for beside the manifest, so that its line is in place before the wall is laid out.
var wallState = new Promise(function (settled) {
  var stateScript = document.createElement('script');
  stateScript.src = 'state.js';
  stateScript.onload = stateScript.onerror = settled;
  document.head.appendChild(stateScript);
});
var script = document.createElement('script');
script.src = 'manifest.js';
script.onload = function () {
  if (manifestFailed) {
    document.body.dataset.state = 'failed';
    say(tr('manifestUnreadable'));
    return;
  }
  wallState.then(start);
};
script.onerror = function () {
  document.body.dataset.state = 'failed';
  say(tr('manifestMissing'));
};
document.head.appendChild(script);
