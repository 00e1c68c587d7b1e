// Header, filter controls and messages

import { header } from './elements.js';
import { tr } from './text.js';
import { folders, order } from './table.js';
import { filter } from './view.js';
import { writeLocation } from './address.js';
import { showPlacesButton, showPlaceFilter } from './places.js';
import { wallSize, refresh } from './main.js';

var message = document.getElementById('message');
export var countText = document.getElementById('count');
var folderSelect = document.getElementById('folder');
export var searchInput = document.getElementById('search');
var tools = header.querySelector('.tools');

export function say(text, action) {
  message.textContent = text;
  if (action) {
    var button = document.createElement('button');
    button.type = 'button';
    button.textContent = action.label;
    button.addEventListener('click', action.run);
    message.append(document.createElement('br'), button);
  }
}

export function fillFolders() {
  var sorted = folders.slice(1);
  if (folders[0].count > 0) sorted.push(folders[0]);
  var all = new Option(tr('allFolders', { count: wallSize() }), '');
  var options = [all].concat(sorted.map(function (f) {
    return new Option(tr('folderOption', { folder: f.label, count: f.count }), f.name);
  }));
  folderSelect.replaceChildren.apply(folderSelect, options);
  tools.hidden = order.length === 0;
  showPlacesButton();
  fitSearchHint();
}

// The search's hint in full where it fits, else in a word (a phone's narrow header): measured as
// the field's own text, in its own font.
export function fitSearchHint() {
  if (tools.hidden || searchInput.value) return;
  var full = tr('searchPlaceholder');
  searchInput.value = full;
  var fits = searchInput.scrollWidth <= searchInput.clientWidth;
  searchInput.value = '';
  searchInput.placeholder = fits ? full : tr('searchPlaceholderShort');
}

// The controls show the filter; a folder the menu lacks (not in the wall, or not yet arrived)
// shows as all folders.
export function showFilter() {
  folderSelect.value = filter.folder;
  if (folderSelect.value !== filter.folder) folderSelect.value = '';
  searchInput.value = filter.query;
}

folderSelect.addEventListener('change', function () {
  filter.folder = folderSelect.value;
  writeLocation('push');
  refresh();
});
var searchTimer = 0;
searchInput.addEventListener('input', function () {
  clearTimeout(searchTimer);
  searchTimer = setTimeout(function () {
    if (searchInput.value.trim() === filter.query.trim()) return;
    filter.query = searchInput.value;
    writeLocation('replace');
    refresh();
  }, 200);
});
searchInput.addEventListener('keydown', function (event) {
  if (event.key === 'Escape' && searchInput.value) { searchInput.value = ''; searchInput.dispatchEvent(new Event('input')); }
});

export function showAll() {
  filter.folder = '';
  filter.query = '';
  filter.day = '';
  filter.photos = null;
  showPlaceFilter();
  folderSelect.value = '';
  searchInput.value = '';
  writeLocation('push');
  refresh();
}

