// The viewer's info panel: what the photo is and where it lies, and where its date came from.

var infoPanel = document.getElementById('info');
var infoButton = viewer.querySelector('.info-button');
var megapixels = new Intl.NumberFormat(pageLocale, { maximumFractionDigits: 1 });

function infoField(name) { return infoPanel.querySelector('.' + name); }

function fillInfo(photo, path) {
  var rel = shown(path);
  var cut = rel.lastIndexOf('/');
  infoField('name').textContent = fileName(rel);
  infoField('folder').textContent = cut < 0 ? tr('rootFolder') : rel.slice(0, cut);
  var w = widthOf[photo], h = heightOf[photo];
  infoField('size').textContent = w > 0 && h > 0
    ? tr('infoPixels', { width: w, height: h, megapixels: megapixels.format(w * h / 1e6) })
    : tr('infoUnknown');
  var kind = dateKind[photo];
  infoField('date').textContent = dateText(dateOf[photo], 'long', kind);
  infoField('origin').textContent = dateOrigin(photo, path, kind);
  var link = infoField('link');
  var original = originalUrl(path);
  // Without an address the link is plain text, which says why.
  if (original) link.href = original; else link.removeAttribute('href');
  link.textContent = original ? shown(originalPath(path)) : tr(hasCopyImage(photo) && showable.test(path) ? 'infoCopyOnly' : 'infoNoOriginal');
  fillMediaInfo(photo);
}

// Where a date came from: the photo's own data (its camera), or which name in its path.
function dateOrigin(photo, path, kind) {
  if (!isDated(dateOf[photo])) return tr('infoNoOrigin');
  if (kind === clockDate) return tr('infoFromCamera');
  var found = pathDate(path);
  if (found.piece === 0) return tr('infoFromFileName');
  var pieces = path.split('/').filter(Boolean);
  return tr('infoFromFolderName', { folder: shown(pieces[pieces.length - 1 - found.piece]) });
}

function showInfo(open) {
  infoPanel.hidden = !open;
  viewer.classList.toggle('with-info', open);
  infoButton.setAttribute('aria-expanded', open ? 'true' : 'false');
  applyZoom();
}
function toggleInfo() { showInfo(infoPanel.hidden); }
infoButton.addEventListener('click', toggleInfo);
infoPanel.querySelector('.info-close').addEventListener('click', function () {
  showInfo(false);
  infoButton.focus();
});
