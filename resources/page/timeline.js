// The timeline on the right: years marked along it, the month under the pointer, and a click
// or drag that jumps there.

import { header } from './elements.js';
import { sectionYear, monthLabel } from './dates.js';
import { view } from './view.js';
import { dayGroupAt, dayLabel, screenLabel } from './groups.js';
import { layout, sectionAt, itemAt, rowOf } from './layout.js';
import { trackYears, trackParts, yearMarks, wallShareAt, partAtPixel, pixelAt } from './marks.js';
import { scroll, scrollToVirtual } from './scroll.js';

export var scrubber = document.getElementById('scrubber');
var track = scrubber.querySelector('.track');
var yearsLayer = scrubber.querySelector('.years');
var mark = scrubber.querySelector('.mark');
var hoverLine = scrubber.querySelector('.hover');
var bubble = scrubber.querySelector('.bubble');
var bubbleTimer = 0;
var drag = null;
var hovering = false;
var trackTop = 0, trackHeight = 0;   // kept, so that scrolling never waits for a layout
// The years along the track and each one's part of it (marks.js): a year of a few photos gets
// enough of the track to be named and pointed at, the rest is shared by the photos.
var trackMap = { years: [], parts: [] };
var leastYear = 22;

export function placeScrubber() {
  var visible = layout && view.pos.length > 0 && layout.total > scroll.viewHeight * 1.5;
  scrubber.hidden = !visible;
  if (!visible) return;
  scrubber.style.top = header.offsetHeight + 'px';
  yearsLayer.textContent = '';
  var box = track.getBoundingClientRect();
  trackTop = box.top;
  trackHeight = box.height;
  var years = trackYears(view.sectionMonth, layout.sectionTop, layout.sectionItem, scroll.virtualMax);
  var parts = trackParts(years, trackHeight, leastYear);
  trackMap = { years: years, parts: parts };
  var spaced = years.map(function (y, i) {
    return { year: y.year, at: parts[i].y / Math.max(1, trackHeight), share: parts[i].h / Math.max(1, trackHeight) };
  });
  yearMarks(spaced, trackHeight, 18, 5, 6).forEach(function (m) {
    var marker = document.createElement('div');
    marker.className = m.label ? 'year' : 'dot';
    if (m.label) marker.textContent = String(m.year);
    marker.style.top = m.at + 'px';
    yearsLayer.appendChild(marker);
  });
  showScrollPosition(false);
}

// What a point of the track leads to: the place of the wall (its layout's y, which may lie below
// the last place the screen can scroll to) and the month it names, always one of the year whose
// part of the track the point is in.
function trackPoint(clientY) {
  var y = Math.max(0, Math.min(trackHeight, clientY - trackTop));
  var w = Math.min(layout.total, wallShareAt(trackMap.years, trackMap.parts, y) * Math.max(1, scroll.virtualMax));
  var s = sectionAt(w + 1);
  var year = trackMap.years[partAtPixel(trackMap.parts, y)];
  var own = sectionYear(view.sectionMonth[s]);
  if (year && own !== year.year && (own === own || year.year === year.year)) s = year.section;
  // In a month cut into days, the day there: named, and what a click goes to.
  var day = s === sectionAt(w + 1) && view.groups && view.groups.daily[s] ? dayGroupAt(view, s, layout.start[itemAt(w + 1)]) : null;
  return {
    y: y, w: w, section: s, label: day ? dayLabel(day.day, true) : monthLabel(view.sectionMonth[s]),
    top: day && day.start > view.sectionStart[s] ? layout.top[rowOf(day.start)] : layout.sectionTop[s]
  };
}
function currentFraction() { return scroll.virtualMax > 0 ? scroll.virtual / scroll.virtualMax : 0; }

// Moves the mark to the current place; while scrolling, a bubble next to it names the month.
export function showScrollPosition(flash) {
  if (scrubber.hidden) return;
  var f = currentFraction();
  var y = pixelAt(trackMap.years, trackMap.parts, f);
  mark.style.top = (y - 1) + 'px';
  var label = screenLabel(view, sectionAt(scroll.virtual + 1), layout.start[itemAt(scroll.virtual + 1)]);
  scrubber.setAttribute('aria-valuenow', String(Math.round(f * 100)));
  scrubber.setAttribute('aria-valuetext', label);
  if (flash && !drag && !hovering) {
    bubble.textContent = label;
    bubble.style.top = y + 'px';
    bubble.style.display = 'block';
    clearTimeout(bubbleTimer);
    bubbleTimer = setTimeout(function () { bubble.style.display = ''; }, 900);
  }
}

// Returns the place of the wall the pointer leads to.
function showHover(clientY) {
  var point = trackPoint(clientY);
  hoverLine.style.top = (point.y - 1) + 'px';
  bubble.style.top = point.y + 'px';
  bubble.textContent = point.label;
  scrubber.classList.add('active');
  return point.w;
}

scrubber.addEventListener('pointermove', function (event) {
  if (!layout) return;
  var w = showHover(event.clientY);
  if (drag && (drag.moved || Math.abs(event.clientY - drag.y) > 3)) {
    drag.moved = true;
    scrollToVirtual(w, true);
  }
});
scrubber.addEventListener('pointerenter', function () { hovering = true; });
scrubber.addEventListener('pointerleave', function () {
  hovering = false;
  if (!drag) scrubber.classList.remove('active');
});
scrubber.addEventListener('pointerdown', function (event) {
  if (!layout || event.button !== 0) return;
  drag = { y: event.clientY, moved: false };
  scrubber.setPointerCapture(event.pointerId);
  showHover(event.clientY);
  event.preventDefault();
});
function endDrag(event) {
  if (!drag) return;
  // A click goes to the start of the month (or day) shown in the bubble; a drag stays where it
  // was let go.
  if (!drag.moved && event.type === 'pointerup') scrollToVirtual(trackPoint(event.clientY).top);
  drag = null;
  if (event.pointerType !== 'mouse' || !hovering) scrubber.classList.remove('active');
}
scrubber.addEventListener('pointerup', endDrag);
scrubber.addEventListener('pointercancel', endDrag);

// The keyboard walks the timeline by month, by year with Page Up and Page Down.
scrubber.addEventListener('keydown', function (event) {
  if (!layout) return;
  var s = sectionAt(scroll.virtual + 1);
  var count = view.sectionMonth.length;
  var target;
  if (event.key === 'ArrowDown' || event.key === 'ArrowRight') target = s + 1;
  else if (event.key === 'ArrowUp' || event.key === 'ArrowLeft') target = layout.sectionTop[s] < scroll.virtual - 1 ? s : s - 1;
  else if (event.key === 'Home') target = 0;
  else if (event.key === 'End') target = count - 1;
  else if (event.key === 'PageDown' || event.key === 'PageUp') {
    var step = event.key === 'PageDown' ? 1 : -1;
    var year = sectionYear(view.sectionMonth[s]);
    target = s + step;
    while (target > 0 && target < count && sectionYear(view.sectionMonth[target]) === year) target += step;
    if (step < 0) {
      // To the first month of that earlier year.
      var earlier = sectionYear(view.sectionMonth[Math.max(0, target)]);
      while (target > 0 && sectionYear(view.sectionMonth[target - 1]) === earlier) target--;
    }
  } else return;
  event.preventDefault();
  scrollToVirtual(layout.sectionTop[Math.max(0, Math.min(count - 1, target))]);
});

