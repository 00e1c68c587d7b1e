// Scrolling. Browsers cap an element's height (near 16.7 or 33.5 million pixels), and a
// million photos are taller than that. So the wall lives in two coordinates: the virtual one
// of the layout, as tall as it needs to be, and the physical one of the page, at most
// physicalCap tall. Ordinary scrolling moves both by the same amount, so wheel, touch and
// keys feel native; the physical position is moved back towards the middle whenever it nears
// an end that the virtual position is far from. The scroll bar is hidden because it would
// show the physical position; the timeline on the right shows the virtual one.

import { header, wall, layer } from './elements.js';
import { layout } from './layout.js';
import { clearRendered, setDeferImages, render } from './render.js';
import { showScrollPosition } from './timeline.js';
import { followScroll } from './current.js';

var physicalCap = 6000000;
export var scroll = { virtual: 0, physical: 0, offset: 0, base: 0, viewHeight: 0, virtualMax: 0, physicalMax: 0, scaled: false };

export function measure() {
  scroll.viewHeight = Math.max(1, window.innerHeight - header.offsetHeight);
  var physicalHeight = Math.min(layout.total, physicalCap);
  scroll.scaled = layout.total > physicalCap;
  scroll.virtualMax = Math.max(0, layout.total - scroll.viewHeight);
  scroll.physicalMax = Math.max(0, physicalHeight - scroll.viewHeight);
  wall.style.height = physicalHeight + 'px';
}

// The physical position that suits a virtual one: proportional, but never with less room to
// either end than the virtual position has (up to a margin), so both ends stay reachable
// by ordinary scrolling and the page's ends are the wall's ends.
function physicalFor(v) {
  if (!scroll.scaled) return v;
  var margin = scroll.physicalMax / 4;
  var below = scroll.virtualMax - v;
  var lo = Math.max(Math.min(v, margin), scroll.physicalMax - below);
  var hi = Math.min(v, scroll.physicalMax - Math.min(below, margin));
  return Math.round(Math.min(hi, Math.max(lo, v / scroll.virtualMax * scroll.physicalMax)));
}

function placeLayer() {
  scroll.offset = scroll.physical - scroll.virtual;
  // Items are placed relative to a base near the screen so that no element sits millions of
  // pixels down, where layout loses precision.
  if (Math.abs(scroll.virtual - scroll.base) > 1000000) {
    scroll.base = Math.floor(scroll.virtual);
    clearRendered();
  }
  layer.style.top = (scroll.base + scroll.offset) + 'px';
}

// A sweep is told by the distance covered in the last sweepWindow milliseconds, not by the step
// between two frames: on a slow machine frames come late, and every late frame would otherwise
// end the sweep and start the loading of a screen of thumbnails, which (each thumbnail whose
// element moves on costs the next garbage collection a tenth of a millisecond) slows the frames
// further. More than sweepScreens screens in that time and rows fly past faster than anyone
// can look at them.
var sweepWindow = 250, sweepScreens = 2;
var scrolled = false;    // by the user: from then on thumbnails fade in
var recentMoves = [];   // [time, distance] of the latest scrolls, oldest first

function moved(distance) {
  var now = performance.now();
  recentMoves.push([now, Math.abs(distance)]);
  while (recentMoves.length && recentMoves[0][0] < now - sweepWindow) recentMoves.shift();
  setDeferImages(sweeping(now));
}

export function sweeping(now) {
  var distance = 0;
  for (var i = 0; i < recentMoves.length; i++) {
    if (recentMoves[i][0] >= now - sweepWindow) distance += recentMoves[i][1];
  }
  return distance > sweepScreens * scroll.viewHeight;
}

// fast: part of a quick sweep (a timeline drag) rather than a jump, which shows its place at once.
export function scrollToVirtual(v, fast) {
  v = Math.max(0, Math.min(scroll.virtualMax, v));
  if (fast) {
    moved(v - scroll.virtual);
  } else {
    recentMoves.length = 0;
    setDeferImages(false);
  }
  var s = physicalFor(v);
  scroll.virtual = v;
  scroll.physical = s;
  placeLayer();
  window.scrollTo({ top: s, behavior: 'instant' });
  render();
}

export function onScroll() {
  if (!layout) return;
  var s = Math.max(0, Math.min(scroll.physicalMax, window.scrollY));
  var delta = s - scroll.physical;
  // (Not our own scrollTo, which has said already whether it is part of a sweep.)
  if (delta !== 0) {
    moved(delta);
    if (!scrolled) { scrolled = true; layer.classList.add('scrolled'); }
  }
  scroll.physical = s;
  if (!scroll.scaled) {
    scroll.virtual = s;
  } else if (s <= 0) {
    scroll.virtual = 0;
  } else if (s >= scroll.physicalMax) {
    scroll.virtual = scroll.virtualMax;
  } else {
    scroll.virtual = Math.max(0, Math.min(scroll.virtualMax, scroll.virtual + delta));
    var margin = scroll.physicalMax / 4;
    var roomAbove = Math.min(scroll.virtual, margin);
    var roomBelow = Math.min(scroll.virtualMax - scroll.virtual, margin);
    if (s < roomAbove / 2 || scroll.physicalMax - s < roomBelow / 2) {
      scroll.physical = physicalFor(scroll.virtual);
      window.scrollTo({ top: scroll.physical, behavior: 'instant' });
    }
  }
  placeLayer();
  render();
  showScrollPosition(true);
  followScroll();
}

