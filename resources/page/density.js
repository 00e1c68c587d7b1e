// How large the wall's photos are: two fingers pinched apart on a touch screen make them larger,
// fewer to a row, pinched together smaller, more to a row, in steps, as photo timelines do.
// The wall's own touch-action (wall.css) keeps the browser from zooming the page instead, which
// would only blow the thumbnails up.

import { wall, layer } from './elements.js';
import { layout } from './layout.js';
import { refresh } from './main.js';

var densitySteps = [0.5, 0.7, 1, 1.4, 2];   // factors of the rows' height
var densityStep = 2;
var densityRatio = 1.5;                     // how far the fingers move apart (or together) for a step
var pinchStart = null;                      // { distance, step } while two fingers are down

function densityScale() { return densitySteps[densityStep]; }

// The measures the wall's rows are laid out at (see layout.js), for this window and pinch.
export function metrics() {
  var width = document.documentElement.clientWidth;
  var phone = width < 600;
  var scrub = phone ? 36 : 48;
  var left = phone ? 4 : 16;
  return {
    phone: phone,
    // A pinch (density.js) scales the rows, and how far a thumbnail may be enlarged with them,
    // as a screen of another pixel ratio would.
    ratio: (window.devicePixelRatio || 1) / densityScale(),
    left: left,
    width: Math.max(120, width - left - scrub),
    gap: phone ? 2 : 4,
    // Scaled by a pinch on a touch screen (density.js).
    target: Math.round((phone ? 110 : width < 1000 ? 170 : width < 1700 ? 210 : 250) * densityScale()),
    heading: phone ? 42 : 56,
    bottom: 24
  };
}

function touchDistance(touches) {
  return Math.max(1, Math.hypot(touches[0].clientX - touches[1].clientX, touches[0].clientY - touches[1].clientY));
}

function setDensity(step) {
  step = Math.max(0, Math.min(densitySteps.length - 1, step));
  if (step === densityStep) return;
  densityStep = step;
  // For scripts driving the page (tests): the factor the rows are laid out at.
  document.body.dataset.density = String(densityScale());
  if (layout) refresh(null, 'resize');
}

// The step the fingers have reached; the wall is laid out anew when they leave the screen, since
// a new layout would take the tile they touched out of the page, and with it the touch's events.
function pinchStep(touches) {
  var steps = Math.round(Math.log(touchDistance(touches) / pinchStart.distance) / Math.log(densityRatio));
  return Math.max(0, Math.min(densitySteps.length - 1, pinchStart.step + steps));
}

// Until then the wall follows the fingers, scaled about the point between them.
function previewPinch(touches) {
  var box = layer.getBoundingClientRect();
  var x = (touches[0].clientX + touches[1].clientX) / 2 - box.left, y = (touches[0].clientY + touches[1].clientY) / 2 - box.top;
  var scale = Math.max(0.4, Math.min(2.5, touchDistance(touches) / pinchStart.distance));
  layer.style.transformOrigin = x + 'px ' + y + 'px';
  layer.style.transform = 'scale(' + scale + ')';
}
function endPreview() {
  layer.style.transform = '';
  layer.style.transformOrigin = '';
}

wall.addEventListener('touchstart', function (event) {
  pinchStart = event.touches.length === 2 ? { distance: touchDistance(event.touches), step: densityStep, reached: undefined } : null;
  if (!pinchStart) endPreview();
}, { passive: true });
// Only a move of two fingers is kept from the browser (which would scroll with them), so that
// the moves keep coming while they pinch; one finger scrolls as ever.
wall.addEventListener('touchmove', function (event) {
  if (!pinchStart || event.touches.length !== 2) return;
  if (event.cancelable) event.preventDefault();
  pinchStart.reached = pinchStep(event.touches);
  previewPinch(event.touches);
}, { passive: false });
// The fingers' last places decide, also where the browser sent their moves late.
function endPinch(event) {
  if (!pinchStart || event.touches.length >= 2) return;
  var reached = pinchStart.reached;
  if (event.type === 'touchend' && event.touches.length + event.changedTouches.length === 2) {
    reached = pinchStep(Array.from(event.touches).concat(Array.from(event.changedTouches)));
  }
  pinchStart = null;
  endPreview();
  if (reached !== undefined) setDensity(reached);
}
wall.addEventListener('touchend', endPinch, { passive: true });
wall.addEventListener('touchcancel', endPinch, { passive: true });
