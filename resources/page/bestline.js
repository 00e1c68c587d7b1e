// The best matches of a search, under the wall's count: the whole folders whose names match,
// then the day with the most matches, each a button that brings it to the top of the screen.
// The wall itself stays in time order, so that its months and timeline mean what they always do.

import { tr, shown } from './text.js';
import { view } from './view.js';
import { layout, rowOf } from './layout.js';
import { scrollToVirtual } from './scroll.js';
import { tileAt } from './render.js';

var bestLine = document.getElementById('best-line');

export function showBest(v) {
  var best = v && v.best ? v.best : [];
  bestLine.hidden = best.length === 0;
  bestLine.textContent = '';
  if (!best.length) return;
  var lead = document.createElement('span');
  lead.textContent = tr('bestMatches');
  bestLine.appendChild(lead);
  best.forEach(function (match) {
    var button = document.createElement('button');
    button.type = 'button';
    button.className = match.kind;
    var name = match.kind === 'folder' ? shown(match.label).split('/').join(' \u203a ') : match.label;
    button.textContent = tr('bestMatch', { name: name, count: match.count });
    button.addEventListener('click', function () { goToPosition(match.first); });
    bestLine.appendChild(button);
  });
}

// The row of position p at the top of the screen, with its month's heading when it is the first.
function goToPosition(p) {
  if (!layout || p >= view.pos.length) return;
  var row = rowOf(p);
  var top = layout.top[row];
  if (row > 0 && layout.end[row - 1] < 0) top = layout.top[row - 1];
  scrollToVirtual(top);
  var tile = tileAt(p);
  if (tile) tile.focus({ preventScroll: true });
}
