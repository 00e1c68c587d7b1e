// Keeping the address in step with the wall: the filter and the open photo (see fragment.js).

import { tr } from './text.js';
import { keyOf, order } from './table.js';
import { filter, view } from './view.js';
import { revealPhoto } from './render.js';
import { viewing, dropViewer, openViewer, closeViewer } from './viewer.js';
import { parseFragment, fragmentFor } from './fragment.js';
import { showFilter } from './controls.js';
import { refresh, wallLoading } from './main.js';

export function readLocation() { return parseFragment(location.hash); }

export function writeLocation(mode) {
  var hash = fragmentFor({ folder: filter.folder, query: filter.query, day: filter.day, photo: viewing >= 0 ? keyOf(view.pos[viewing]) : '' });
  if (hash === location.hash) return;
  var url = hash || location.pathname + location.search;
  if (mode === 'push') history.pushState({ viewer: viewing >= 0 }, '', url);
  else history.replaceState(history.state, '', url);
}

function applyLocation() {
  var state = readLocation();
  var changed = state.folder !== filter.folder || state.query !== filter.query || state.day !== filter.day;
  if (changed && viewing >= 0) dropViewer();
  filter.folder = state.folder;
  filter.query = state.query;
  filter.day = state.day;
  showFilter();
  if (changed) refresh(function () { showPhoto(state.photo); }); else showPhoto(state.photo);
}

// Opens the viewer on the photo with this key, or closes it when there is none. A key that the
// wall does not hold (a link from an older wall, or mistyped) says so under the title; while the
// wall's pieces still arrive, the photo may be in one still to come, and is looked for again then.
var linkNote = document.getElementById('link-note');
var pendingLink = '';
export function forgetPendingLink() { pendingLink = ''; }
export function showPhoto(key) {
  var p = -1;
  for (var i = 0; key && i < view.pos.length; i++) {
    if (keyOf(view.pos[i]) === key) { p = i; break; }
  }
  pendingLink = key && p < 0 && wallLoading ? key : '';
  var note = key && p < 0 && !wallLoading ? (inWall(key) ? 'linkNotShown' : 'linkNotOnWall') : '';
  linkNote.hidden = !note;
  linkNote.textContent = note ? tr(note) : '';
  if (p >= 0) { revealPhoto(p); openViewer(p, false); } else closeViewer();
}
function inWall(key) {
  for (var i = 0; i < order.length; i++) if (keyOf(order[i]) === key) return true;
  return false;
}
// Once the whole wall is there: the photo the address names, if it waited for its piece.
export function showPendingLink() {
  if (pendingLink && viewing < 0) showPhoto(pendingLink);
  pendingLink = '';
}
window.addEventListener('popstate', function () { if (view) applyLocation(); });
