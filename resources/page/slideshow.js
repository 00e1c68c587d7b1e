// The slideshow: the next photo at a steady interval, counted from when each photo appeared,
// until the last photo or until the person does anything in the viewer. With reduced motion
// asked for, photos change without a fade.

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

function scheduleSlide() {
  clearTimeout(slideTimer);
  slideTimer = setTimeout(function () {
    slideTimer = 0;
    if (viewing < 0 || viewing >= view.pos.length - 1) { showSlideState(); return; }
    scheduleSlide();
    openViewer(viewing + 1, false);
  }, slideInterval);
}

function startSlideshow() {
  if (viewing < 0 || viewing >= view.pos.length - 1) return;
  resetZoom();
  scheduleSlide();
  showSlideState();
}
function stopSlideshow() {
  if (!slideTimer) return;
  clearTimeout(slideTimer);
  slideTimer = 0;
  showSlideState();
}
function toggleSlideshow() { if (slideshowRunning()) stopSlideshow(); else startSlideshow(); }

// Anything the person does in the viewer stops the show: they want to look or to steer.
function viewerTouched() { stopSlideshow(); }

playButton.addEventListener('click', toggleSlideshow);
motionQuery.addEventListener('change', showSlideState);
