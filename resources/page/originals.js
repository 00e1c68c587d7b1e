// Where the original photos are. The manifest names their folder by its absolute path, which
// stops working when the folder is renamed, its drive is mounted elsewhere or the wall is opened
// on another computer. A wall made in its default place lies directly inside that folder, so
// when the page is not under the stored folder, the folders above the page are tried as well:
// each is tested by loading a few originals as images, and the first that shows one is used.

// folder: the folder whose originals the viewer links to, '' when none was found;
// state: 'checking', 'stored' (the stored folder), 'moved' (found relative to the page),
// 'missing' (found nowhere) or 'unchecked' (the wall holds nothing an image test could load).
var originals = { folder: '', state: 'checking' };
var probeTimeout = 8000;

function originalUrl(rel) { return originals.folder ? fileUrl(originals.folder, rel) : ''; }
function originalPath(rel) {
  return originals.folder + (originals.folder.endsWith('/') ? '' : '/') + rel;
}

// The folder of a page's file: address as a path (with the bytes of a name that was not UTF-8
// as lone surrogates, as the manifest has them), or '' for a page that is not a file.
function pageFolder(address) {
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
function originalCandidates(root, page) {
  if (!page || (root && isUnder(page, root))) return root ? [root] : [];
  var found = [];
  for (var up = parentFolder(page), k = 0; up && k < 2; up = parentFolder(up), k++) found.push(up);
  if (root && found.indexOf(root) < 0) found.push(root);
  return found;
}

// A few photos a browser can show, to test a folder with: the first ones of the wall.
function probePaths(limit) {
  var picked = [];
  for (var i = 0; i < order.length && i < 20000 && picked.length < limit; i++) {
    var path = pathOf(order[i]);
    if (showable.test(path)) picked.push(path);
  }
  return picked;
}

// Resolves true once one of the photos loads from folder, false when none does.
function folderHolds(folder, rels) {
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
      image.src = fileUrl(folder, rel);
    });
  });
}

// Tests every candidate at once and takes the likeliest that works; then shows the result.
async function findOriginals(root) {
  originals.folder = root;
  var candidates = originalCandidates(root, pageFolder(location.href));
  var rels = probePaths(3);
  var state;
  if (!rels.length || (candidates.length === 1 && candidates[0] === root)) {
    state = rels.length ? 'stored' : 'unchecked';
  } else {
    var works = await Promise.all(candidates.map(function (folder) { return folderHolds(folder, rels); }));
    var at = works.indexOf(true);
    originals.folder = at < 0 ? '' : candidates[at];
    state = at < 0 ? 'missing' : candidates[at] === root ? 'stored' : 'moved';
  }
  originals.state = state;
  showSource();
  // An open viewer showed the stored folder's links meanwhile.
  if (viewing >= 0 && originals.folder !== root) openViewer(viewing, false);
  document.body.dataset.originals = state;
}

// The header names the folder the photos are in now, or the stored one when they were not found.
function showSource() {
  var folder = originals.folder || root;
  var source = document.getElementById('source');
  source.textContent = shown(folder);
  source.title = originals.state === 'missing' ? tr('originalsNotFound') : '';
  document.getElementById('source-sep').hidden = !folder;
}
