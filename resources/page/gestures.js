// Pointers on the viewer's photo: mouse, pen and touch alike. A drag pans a zoomed photo and
// otherwise swipes to the next or previous one, or down to close the viewer; two fingers pinch;
// a double click or double tap zooms in or out; a single tap beside the photo closes the viewer.

import { stage } from './elements.js';
import { step, leaveViewer } from './viewer.js';
import { zoom, stagePoint, maxScale, applyZoom, isZoomed, panBy, toggleZoom, onPhoto } from './zoom.js';
import { viewerTouched } from './slideshow.js';

var pointers = new Map();   // pointerId -> { x, y } in stage coordinates
var gesture = null;         // what the pointers down now are doing
var lastTap = null;         // { time, x, y } of the last tap, for double taps

function distance(a, b) { return Math.hypot(a.x - b.x, a.y - b.y); }
function midpoint(a, b) { return { x: (a.x + b.x) / 2, y: (a.y + b.y) / 2 }; }

function startPinch() {
  var two = Array.from(pointers.values());
  var mid = midpoint(two[0], two[1]);
  return {
    kind: 'pinch',
    distance: Math.max(1, distance(two[0], two[1])),
    scale: zoom.scale,
    // The point of the unscaled frame under the fingers, which stays under them.
    at: { x: (mid.x - zoom.x) / zoom.scale, y: (mid.y - zoom.y) / zoom.scale }
  };
}

stage.addEventListener('pointerdown', function (event) {
  // A video's own controls take its pointers.
  if (event.button > 0 || (event.target.closest && event.target.closest('video[controls]'))) return;
  viewerTouched();
  stage.setPointerCapture(event.pointerId);
  var p = stagePoint(event);
  pointers.set(event.pointerId, p);
  if (pointers.size === 2) gesture = startPinch();
  else if (pointers.size === 1) gesture = { kind: 'press', start: p, last: p, moved: false };
});

stage.addEventListener('pointermove', function (event) {
  if (!pointers.has(event.pointerId) || !gesture) return;
  var p = stagePoint(event);
  pointers.set(event.pointerId, p);
  if (gesture.kind === 'pinch' && pointers.size === 2) {
    var two = Array.from(pointers.values());
    var mid = midpoint(two[0], two[1]);
    var s = Math.min(maxScale(), Math.max(1, gesture.scale * distance(two[0], two[1]) / gesture.distance));
    zoom.scale = s;
    zoom.x = mid.x - gesture.at.x * s;
    zoom.y = mid.y - gesture.at.y * s;
    applyZoom();
  } else if (gesture.kind === 'press') {
    if (distance(p, gesture.start) > 8) gesture.moved = true;
    if (isZoomed()) panBy(p.x - gesture.last.x, p.y - gesture.last.y);
    gesture.last = p;
  }
});

function endPointer(event, cancelled) {
  if (!pointers.delete(event.pointerId)) return;
  var ended = gesture;
  if (pointers.size === 1) {
    // One finger left after a pinch goes on panning, but is no tap or swipe.
    var rest = pointers.values().next().value;
    gesture = { kind: 'press', start: rest, last: rest, moved: true };
    return;
  }
  if (pointers.size > 0) return;
  gesture = null;
  if (cancelled || !ended || ended.kind !== 'press') return;
  var p = stagePoint(event);
  var dx = p.x - ended.start.x, dy = p.y - ended.start.y;
  if (ended.moved) {
    if (!isZoomed() && Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy) * 1.5) step(dx < 0 ? 1 : -1);
    // A swipe down puts the photo away, as on a phone's own photos.
    else if (!isZoomed() && dy > 80 && dy > Math.abs(dx) * 1.5) leaveViewer();
    lastTap = null;
    return;
  }
  if (lastTap && event.timeStamp - lastTap.time < 400 && distance(p, lastTap) < 30) {
    lastTap = null;
    toggleZoom(p.x, p.y);
    return;
  }
  lastTap = { time: event.timeStamp, x: p.x, y: p.y };
  if (!isZoomed() && !onPhoto(p.x, p.y)) leaveViewer();
}
stage.addEventListener('pointerup', function (event) { endPointer(event, false); });
stage.addEventListener('pointercancel', function (event) { endPointer(event, true); });
