// The address fragment holds the filter and the open photo, so that reload and Back work:
// #folder=2019&q=rome&day=07-04&photo=<key>

import { decodeSegment, encodeSegment } from './text.js';

export function parseFragment(hash) {
  var state = { folder: '', query: '', day: '', photo: '' };
  hash.replace(/^#/, '').split('&').forEach(function (part) {
    var eq = part.indexOf('=');
    if (eq < 0) return;
    var name = part.slice(0, eq), value = decodeSegment(part.slice(eq + 1).replace(/\+/g, ' '));
    if (name === 'folder') state.folder = value;
    else if (name === 'q') state.query = value;
    else if (name === 'day') state.day = value;
    else if (name === 'photo') state.photo = value;
  });
  return state;
}

// The fragment of a state, '' when it is the whole wall with no photo open.
export function fragmentFor(state) {
  var parts = [];
  if (state.folder) parts.push('folder=' + encodeSegment(state.folder));
  if (state.query) parts.push('q=' + encodeSegment(state.query));
  if (state.day) parts.push('day=' + encodeSegment(state.day));
  if (state.photo) parts.push('photo=' + encodeSegment(state.photo));
  return parts.length ? '#' + parts.join('&') : '';
}
