// The viewer: one photo large, with its date and path, stepping through the wall.

var viewer = document.getElementById('viewer');
var stage = viewer.querySelector('.stage');
var thumbImage = viewer.querySelector('.thumb');
var fullImage = viewer.querySelector('.full');
var whenText = viewer.querySelector('.when');
var pathText = viewer.querySelector('.path');
var positionText = viewer.querySelector('.position');
var originalLink = viewer.querySelector('.original');
var rawLink = viewer.querySelector('.raw');
var noteText = viewer.querySelector('.note');
var prevButton = viewer.querySelector('.prev');
var nextButton = viewer.querySelector('.next');
var viewing = -1;           // position in the view, -1 when closed
var preloaded = [];
var root = '';

function openViewer(p, addToHistory) {
  if (!view || p < 0 || p >= view.pos.length) return;
  viewing = p;
  var photo = view.pos[p];
  var path = pathOf(photo);
  var rel = shown(path);
  var original = fileUrl(root, path);
  var canShow = showable.test(path);
  var short = tr('photoAlt', { name: fileName(rel), date: dateText(dateOf[photo], 'short', dateKind[photo]) });
  stage.classList.remove('missing', 'sharp');
  thumbImage.hidden = false;
  thumbImage.src = thumbUrl(keyOf(photo));
  thumbImage.alt = canShow ? '' : short;
  fullImage.classList.remove('loaded');
  fullImage.hidden = !canShow;
  fullImage.alt = canShow ? short : '';
  if (canShow) fullImage.src = original; else fullImage.removeAttribute('src');
  showWhen(photo, path);
  pathText.textContent = rel;
  pathText.title = shown(root) + '/' + rel;
  positionText.textContent = tr('position', { n: p + 1, count: view.pos.length });
  originalLink.href = original;
  var raw = rawOf.get(photo);
  rawLink.hidden = raw === undefined;
  if (raw !== undefined) {
    var rawPath = pathOf(raw);
    rawLink.href = fileUrl(root, rawPath);
    rawLink.textContent = tr('openRaw', { type: rawPath.slice(rawPath.lastIndexOf('.') + 1).toUpperCase() });
  }
  noteText.textContent = canShow ? '' : tr('previewOnly');
  prevButton.disabled = p === 0;
  nextButton.disabled = p === view.pos.length - 1;
  // The neighbours are fetched now so that stepping shows them at once.
  preloaded = [p - 1, p + 1].filter(function (q) { return q >= 0 && q < view.pos.length; }).map(function (q) {
    var neighbour = view.pos[q];
    var images = [new Image()];
    images[0].src = thumbUrl(keyOf(neighbour));
    if (showable.test(pathOf(neighbour))) { images.push(new Image()); images[1].src = fileUrl(root, pathOf(neighbour)); }
    return images;
  });
  if (!viewer.open) {
    viewer.showModal();
    // Not a button: an Enter that opened the viewer must not also close it.
    stage.focus();
  }
  writeLocation(addToHistory ? 'push' : 'replace');
}

// The date, and for a date read from the path, where it came from.
function showWhen(photo, path) {
  var kind = dateKind[photo];
  whenText.textContent = dateText(dateOf[photo], 'long', kind);
  if (kind === clockDate) return;
  var origin = document.createElement('span');
  origin.className = 'origin';
  origin.textContent = tr(pathDate(path).piece === 0 ? 'dateFromFileName' : 'dateFromFolderName');
  whenText.append(' ', origin);
}

function closeViewer() {
  if (viewing < 0) return;
  var p = viewing;
  viewing = -1;
  preloaded = [];
  viewer.close();
  fullImage.removeAttribute('src');
  focusPhoto(p);
}
// Closing by hand goes back in history when the viewer added the entry, so Back and Close agree.
function leaveViewer() {
  if (history.state && history.state.viewer) history.back();
  else { closeViewer(); writeLocation('replace'); }
}

function step(delta) {
  var p = viewing + delta;
  if (viewing >= 0 && p >= 0 && p < view.pos.length) openViewer(p, false);
}

fullImage.addEventListener('load', function () {
  if (!fullImage.getAttribute('src')) return;
  fullImage.classList.add('loaded');
  // The preview underneath would show through a transparent original.
  stage.classList.add('sharp');
});
fullImage.addEventListener('error', function () {
  if (!fullImage.getAttribute('src')) return;
  fullImage.hidden = true;
  noteText.textContent = tr('originalMissing');
});
thumbImage.addEventListener('error', function () {
  thumbImage.hidden = true;
  if (fullImage.hidden) stage.classList.add('missing');
});
viewer.addEventListener('cancel', function (event) { event.preventDefault(); leaveViewer(); });
viewer.querySelector('.close').addEventListener('click', leaveViewer);
prevButton.addEventListener('click', function () { step(-1); });
nextButton.addEventListener('click', function () { step(1); });
viewer.addEventListener('keydown', function (event) {
  if (event.key === 'ArrowRight') { event.preventDefault(); step(1); }
  else if (event.key === 'ArrowLeft') { event.preventDefault(); step(-1); }
});

// Swipes step on touch screens; a tap beside the photo closes.
var swipe = null;
stage.addEventListener('pointerdown', function (event) { swipe = { x: event.clientX, y: event.clientY }; });
stage.addEventListener('pointercancel', function () { swipe = null; });
stage.addEventListener('pointerup', function (event) {
  if (!swipe) return;
  var dx = event.clientX - swipe.x, dy = event.clientY - swipe.y;
  swipe = null;
  if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy) * 1.5) step(dx < 0 ? 1 : -1);
  else if (Math.abs(dx) < 8 && Math.abs(dy) < 8 && event.target === stage) leaveViewer();
});

