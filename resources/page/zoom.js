// Zoom and pan in the viewer. The photo's frame is scaled about a point and moved, but never so
// far that an edge of a photo larger than the screen comes away from the screen's edge; a photo
// smaller than the screen stays centred. Zoomed in, the original is drawn at its own resolution
// (the frame is only transformed, so the browser draws the image afresh at each scale).

import { viewer, stage } from './elements.js';
import { shown, tr } from './text.js';
import { aspect, isVideoPhoto, hasFullImage, keyOf } from './table.js';
import { view } from './view.js';
import { fullImage, thumbImage, viewing, noteText } from './viewer.js';
import { placeMovie } from './movie.js';
import { viewerTouched } from './slideshow.js';

var frame = stage.querySelector('.frame');
export var zoom = { scale: 1, x: 0, y: 0 };

function photoAspect() {
  var image = fullImage.classList.contains('loaded') ? fullImage : thumbImage;
  if (image.naturalWidth && image.naturalHeight) return image.naturalWidth / image.naturalHeight;
  return viewing >= 0 ? aspect[view.pos[viewing]] : 1;
}

// Where the photo lies in the stage when it fits (as object-fit: contain places it).
function fitRect() {
  var w = stage.clientWidth, h = stage.clientHeight, a = photoAspect();
  var fw = Math.min(w, h * a), fh = fw / a;
  return { x: (w - fw) / 2, y: (h - fh) / 2, width: fw, height: fh, stageWidth: w, stageHeight: h };
}

// The scale at which one pixel of the original is one pixel of the screen; 0 while the
// original is not shown.
function actualScale() {
  if (!fullImage.classList.contains('loaded') || fullImage.hidden) return 0;
  return fullImage.naturalWidth / (fitRect().width * (window.devicePixelRatio || 1));
}
// A video is not zoomed: its player's own full screen does better.
export function maxScale() {
  if (viewing >= 0 && isVideoPhoto(view.pos[viewing])) return 1;
  return Math.min(64, Math.max(4, actualScale() * 2));
}
export function isZoomed() { return zoom.scale > 1; }

// A photo the browser cannot show zooms into the wall's full-size copy where a portable wall has
// one: it is fetched only once the zoom goes past the preview's own pixels, and the preview stays
// shown until the copy has been decoded, so the picture never goes blank.
var sharpening = '';
function fullUrl(key) {
  return 'full/' + encodeURIComponent(shown(key.slice(0, 2))) + '/' + encodeURIComponent(shown(key)) + '.jpg';
}
function sharpenIfZoomedPastPreview() {
  if (viewing < 0 || !hasFullImage(view.pos[viewing])) return;
  var url = fullUrl(keyOf(view.pos[viewing]));
  var scale = actualScale();
  if (url === sharpening || fullImage.getAttribute('src') === url || !scale || zoom.scale <= scale) return;
  sharpening = url;
  var image = new Image();
  image.src = url;
  image.decode().then(function () {
    if (viewing >= 0 && fullUrl(keyOf(view.pos[viewing])) === url) {
      fullImage.src = url;
      // The note named the preview, which is no longer what is shown.
      if (noteText.textContent === tr('previewOnly')) noteText.textContent = tr('fullCopyShown');
    }
    sharpening = '';
  }, function () { /* the preview stays: it is what the wall has */ });
}

// The offset that keeps content of this size (starting at start, unscaled) over the room,
// or centres it when it is smaller.
function bound(offset, start, size, room) {
  if (size <= room) return (room - size) / 2 - start;
  return Math.min(-start, Math.max(room - size - start, offset));
}

export function applyZoom() {
  if (zoom.scale <= 1.001) {
    zoom.scale = 1; zoom.x = 0; zoom.y = 0;
  } else {
    var r = fitRect(), s = zoom.scale;
    zoom.x = bound(zoom.x, r.x * s, r.width * s, r.stageWidth);
    zoom.y = bound(zoom.y, r.y * s, r.height * s, r.stageHeight);
  }
  frame.style.transform = zoom.scale === 1 ? '' : 'translate(' + zoom.x + 'px,' + zoom.y + 'px) scale(' + zoom.scale + ')';
  stage.classList.toggle('zoomed', zoom.scale > 1);
  placeMovie();
  sharpenIfZoomedPastPreview();
}

// Scales to scale, keeping the point (x, y) of the stage where it is.
function zoomTo(scale, x, y) {
  var s = Math.min(maxScale(), Math.max(1, scale));
  var k = s / zoom.scale;
  zoom.x = x - (x - zoom.x) * k;
  zoom.y = y - (y - zoom.y) * k;
  zoom.scale = s;
  applyZoom();
}
export function zoomBy(factor) { zoomTo(zoom.scale * factor, stage.clientWidth / 2, stage.clientHeight / 2); }
export function panBy(dx, dy) {
  zoom.x += dx;
  zoom.y += dy;
  applyZoom();
}
export function resetZoom() {
  zoom.scale = 1;
  applyZoom();
}
// Double-click and double-tap: in to the original's own pixels (at least twice the fit), or back.
export function toggleZoom(x, y) {
  if (isZoomed()) resetZoom();
  else zoomTo(Math.max(2, actualScale()), x, y);
}

// Whether a point of the stage lies on the photo as it is drawn now.
export function onPhoto(x, y) {
  var r = fitRect(), s = zoom.scale;
  var left = zoom.x + r.x * s, top = zoom.y + r.y * s;
  return x >= left && x <= left + r.width * s && y >= top && y <= top + r.height * s;
}

export function stagePoint(event) {
  var box = stage.getBoundingClientRect();
  return { x: event.clientX - box.left, y: event.clientY - box.top };
}

// Ctrl+wheel (and a touchpad's pinch, which arrives as one) zooms about the pointer; the
// wheel alone pans a zoomed photo.
stage.addEventListener('wheel', function (event) {
  if (event.ctrlKey) {
    event.preventDefault();
    var unit = event.deltaMode === 1 ? 33 : event.deltaMode === 2 ? 400 : 1;
    var p = stagePoint(event);
    zoomTo(zoom.scale * Math.exp(-event.deltaY * unit * 0.002), p.x, p.y);
    viewerTouched();
  } else if (isZoomed()) {
    event.preventDefault();
    panBy(-event.deltaX, -event.deltaY);
    viewerTouched();
  }
}, { passive: false });
window.addEventListener('resize', function () { if (viewer.open) applyZoom(); });
