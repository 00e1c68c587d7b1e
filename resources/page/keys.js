// Keys on the wall: shortcuts to the search, the timeline and a date, a screen or the ends of
// the wall at a time, and a list of every shortcut.

import { viewer } from './elements.js';
import { tr } from './text.js';
import { parseWhen, undatedMonth, isYearAlone, yearAlone, sectionYear } from './dates.js';
import { mediaInfo } from './table.js';
import { view } from './view.js';
import { layout } from './layout.js';
import { scrollToVirtual, scroll } from './scroll.js';
import { focusPhoto, tileAt, firstOnScreen } from './render.js';
import { scrubber } from './timeline.js';
import { searchInput } from './controls.js';
import { placesDialog } from './places.js';

export var helpDialog = document.getElementById('help');
export var gotoDialog = document.getElementById('goto');
var gotoInput = document.getElementById('goto-when');
var gotoHint = gotoDialog.querySelector('.hint');

// Every shortcut, as [keys, what they do], in the order the list shows them. A key of one
// character is shown as it is; a longer one is the name of its text (keys have names in each
// language: "Page Up" is "Bild ↑" on German keyboards).
var shortcuts = [
  [['\u2190', '\u2192', '\u2191', '\u2193'], 'keysArrows'],
  [['keyEnter'], 'keysOpen'],
  [['keySpace'], 'keysChoose'],
  [['keyShift', '\u2190', '\u2192', '\u2191', '\u2193'], 'keysChooseOnTheWay'],
  [['keyPageUp', 'keyPageDown'], 'keysPage'],
  [['keyHome', 'keyEnd'], 'keysEnds'],
  [['t'], 'keysTimeline'],
  [['g'], 'keysGoto'],
  [['/'], 'keysSearch'],
  [['?'], 'keysHelp'],
  [['\u2190', '\u2192'], 'keysViewerStep'],
  [['+', '-', '0'], 'keysZoom'],
  [['i'], 'keysInfo'],
  [['keySpace'], 'keysSlideshow'],
  [['p'], 'keysPlay', 'media'],
  [['keyEscape'], 'keysClose']
];

function showHelp() {
  var list = helpDialog.querySelector('dl');
  if (!list.firstChild) {
    shortcuts.forEach(function (s) {
      // Only a wall with videos or live photos has anything to play.
      if (s[2] === 'media' && !mediaInfo.size) return;
      var keys = document.createElement('dt');
      s[0].forEach(function (key) {
        var k = document.createElement('kbd');
        k.textContent = key.length > 1 ? tr(key) : key;
        keys.append(k, ' ');
      });
      var what = document.createElement('dd');
      what.textContent = tr(s[1]);
      list.append(keys, what);
    });
  }
  helpDialog.showModal();
}
helpDialog.querySelector('.done').addEventListener('click', function () { helpDialog.close(); });

function showGoto() {
  gotoInput.value = '';
  gotoHint.textContent = '';
  gotoDialog.showModal();
  gotoInput.focus();
}
gotoInput.addEventListener('keydown', function (event) {
  if (event.key !== 'Enter') return;
  event.preventDefault();
  var when = parseWhen(gotoInput.value);
  var s = when ? sectionFor(when) : -1;
  if (s < 0) { gotoHint.textContent = tr(when ? 'gotoNone' : 'gotoHint'); return; }
  gotoDialog.close();
  scrollToVirtual(layout.sectionTop[s]);
  // The month's own first photo: a small month shares its line with the months before it, and
  // near the end of the wall the screen cannot scroll it to the top.
  focusPhoto(view.sectionStart[s]);
});
gotoDialog.querySelector('.done').addEventListener('click', function () { gotoDialog.close(); });

// The section a date leads to: that month, else the nearest older one in the wall, else the
// newest of that year; -1 when the wall holds nothing of that year or before.
function sectionFor(when) {
  var months = view.sectionMonth;
  var target = when.month < 0 ? when.year * 12 + 11 : when.year * 12 + when.month;
  var fallback = -1;
  for (var s = 0; s < months.length; s++) {
    var month = months[s];
    if (month === undatedMonth) continue;
    // A year alone sorts below the year's January.
    var value = isYearAlone(month) ? (month - yearAlone) * 12 - 0.5 : month;
    if (value <= target) return sectionYear(month) === when.year || fallback < 0 ? s : fallback;
    if (sectionYear(month) === when.year) fallback = s;
  }
  return fallback;
}

function focusFirstVisible() {
  var tile = tileAt(firstOnScreen());
  if (tile) tile.focus({ preventScroll: true });
}

export function typing(target) {
  return target && (target.isContentEditable || /^(INPUT|SELECT|TEXTAREA)$/.test(target.tagName));
}

document.addEventListener('keydown', function (event) {
  if (!layout || event.defaultPrevented || event.altKey || event.ctrlKey || event.metaKey) return;
  if (viewer.open || helpDialog.open || gotoDialog.open || placesDialog.open || typing(event.target)) return;
  var onTile = event.target.closest && event.target.closest('.tile');
  var key = event.key;
  if (key === '/') { event.preventDefault(); searchInput.focus(); searchInput.select(); }
  else if (key === '?') { event.preventDefault(); showHelp(); }
  else if (key === 'g') { event.preventDefault(); showGoto(); }
  else if (key === 't') { if (!scrubber.hidden) { event.preventDefault(); scrubber.focus(); } }
  else if (event.target === scrubber) return;   // the timeline has its own keys
  else if (key === 'PageDown' || key === 'PageUp' || key === 'Home' || key === 'End') {
    event.preventDefault();
    // A screen less a little, so the row at the edge stays in sight.
    var page = Math.max(40, scroll.viewHeight - 60);
    var v = key === 'Home' ? 0 : key === 'End' ? scroll.virtualMax : scroll.virtual + (key === 'PageDown' ? page : -page);
    scrollToVirtual(v);
    if (onTile) {
      if (key === 'Home') focusPhoto(0);
      else if (key === 'End') focusPhoto(view.pos.length - 1);
      else focusFirstVisible();
    }
  }
});
