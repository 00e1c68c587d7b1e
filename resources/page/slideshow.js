// The slideshow: the next photo at a steady interval, counted from when each photo appeared,
// until the last photo or until the person does anything in the viewer. With reduced motion
// asked for, photos change without a fade.

import { viewer } from './elements.js';
import { tr } from './text.js';
import { isVideoPhoto } from './table.js';
import { view } from './view.js';
import { viewing, openViewer } from './viewer.js';
import { resetZoom } from './zoom.js';

var slideInterval = 5000;
var slideTimer = 0;
var playButton = viewer.querySelector('.play');
var motionQuery = window.matchMedia('(prefers-reduced-motion: reduce)');

function slideshowRunning() { return slideTimer !== 0; }

function showSlideState() {
  var running = slideshowRunning();
  playButton.setAttribute('aria-pressed', running ? 'true' : 'false');
  playButton.setAttribute('aria-label', tr(running ? 'slideshowStop' : 'slideshowStart'));
  playButton.title = playButton.getAttribute('aria-label');
  viewer.classList.toggle('playing', running);
  viewer.classList.toggle('fading', running && !motionQuery.matches);
}

// The slideshow passes over videos: it shows photos at its own pace, and a video's sound and
// length are the person's to choose. -1 when no photo follows.
function nextSlide(from) {
  for (var q = from + 1; q < view.pos.length; q++) if (!isVideoPhoto(view.pos[q])) return q;
  return -1;
}

function scheduleSlide() {
  clearTimeout(slideTimer);
  slideTimer = setTimeout(function () {
    slideTimer = 0;
    var next = viewing < 0 ? -1 : nextSlide(viewing);
    if (next < 0) { showSlideState(); return; }
    scheduleSlide();
    openViewer(next, false);
  }, slideInterval);
}

function startSlideshow() {
  if (viewing < 0 || nextSlide(viewing) < 0) return;
  resetZoom();
  scheduleSlide();
  showSlideState();
}
export function stopSlideshow() {
  if (!slideTimer) return;
  clearTimeout(slideTimer);
  slideTimer = 0;
  showSlideState();
}
export function toggleSlideshow() { if (slideshowRunning()) stopSlideshow(); else startSlideshow(); }

// Anything the person does in the viewer stops the show: they want to look or to steer.
export function viewerTouched() { stopSlideshow(); }

playButton.addEventListener('click', toggleSlideshow);
motionQuery.addEventListener('change', showSlideState);
