// While scrolling: the month at the top of the screen stays named under the header, and on a
// phone the header moves out of the way going down and comes back going up.

import { header } from './elements.js';
import { itemCount, videosIn, sectionCount } from './media.js';
import { monthLabel } from './dates.js';
import { view } from './view.js';
import { dayGroupAt, dayLabel } from './groups.js';
import { layout, sectionAt, itemAt } from './layout.js';
import { scroll } from './scroll.js';

var current = document.getElementById('current');
var currentLabel = current.querySelector('h2');
var currentCount = current.querySelector('span');
var currentSection = -1, currentDay = -1;
var headerTucked = false;
var lastVirtual = 0;

export function followScroll() {
  if (!layout || !view.pos.length) { current.hidden = true; return; }
  var m = layout.metrics;
  var delta = scroll.virtual - lastVirtual;
  lastVirtual = scroll.virtual;
  if (m.phone && Math.abs(delta) > 2) {
    var tuck = delta > 0 && scroll.virtual > header.offsetHeight;
    if (tuck !== headerTucked) { headerTucked = tuck; header.classList.toggle('tucked', tuck); }
  } else if (!m.phone && headerTucked) {
    headerTucked = false;
    header.classList.remove('tucked');
  }
  var s = sectionAt(scroll.virtual + 1);
  // The section's own heading is still in sight: no need to repeat it.
  var shown = layout.sectionTop[s] + m.heading / 2 < scroll.virtual;
  if (current.hidden === shown) current.hidden = !shown;
  current.style.top = (headerTucked ? 0 : header.offsetHeight) + 'px';
  // In a month cut into days, the day at the top of the screen.
  var day = shown && view.groups && view.groups.daily[s] ? dayGroupAt(view, s, layout.start[itemAt(scroll.virtual + 1)]) : null;
  var which = day ? -2 - day.start : s;
  if (shown && (s !== currentSection || which !== currentDay)) {
    currentSection = s;
    currentDay = which;
    currentLabel.textContent = day ? dayLabel(day.day, true) : monthLabel(view.sectionMonth[s]);
    currentCount.textContent = day ? itemCount(day.end - day.start, videosIn(view.pos, day.start, day.end)) : sectionCount(view, s);
  }
}

export function placeCurrent() {
  currentSection = -1;
  currentDay = -1;
  var m = layout.metrics;
  current.style.paddingLeft = m.left + 'px';
  current.style.right = (document.documentElement.clientWidth - m.left - m.width) + 'px';
  followScroll();
}
