// Videos and live photos in the viewer. A video plays the wall's playable copy of it where there
// is one, else its original with the browser's own player where the browser can play it, else
// stays its poster with a sentence saying so. A live
// photo is its still; on demand its motion clip plays once, muted, over it and gives way to the
// still again. One video element serves both.

import { viewer, stage } from './elements.js';
import { tr, thumbUrl } from './text.js';
import { lengthText, copyUrl, mayPlay, copyPath, copyCodec, previewUrl, codecName } from './media.js';
import { isVideoPhoto, isLivePhoto, mediaInfo, keyOf, hasPreviewImage, aspect, pathOf } from './table.js';
import { view } from './view.js';
import { whenText, noteText, viewing, step } from './viewer.js';
import { originalUrl, unreachableText } from './originals.js';
import { resetZoom } from './zoom.js';
import { viewerTouched } from './slideshow.js';
import { infoPanel, infoField } from './info.js';

var movie = viewer.querySelector('.movie');
var liveButton = viewer.querySelector('.live-button');
var motionLink = viewer.querySelector('.motion');
var unmuteButton = viewer.querySelector('.unmute');
var movieMode = '';   // 'video' while a video is loaded, 'live' while a motion plays, else ''

function fileType(path) { return path.slice(path.lastIndexOf('.') + 1).toUpperCase(); }

// A live photo's clip: beside the original, or copied into the wall out of a motion photo, in
// which case it plays wherever the wall is, with the originals found or not.
function motionUrl(info) { return info.inWall ? info.motion : originalUrl(info.motion); }

// Called for every photo the viewer opens; notes about the photo are already written.
// original: the video's address, '' when the originals were not found.
export function showMovie(photo, path, original) {
  stopMovie();
  var video = isVideoPhoto(photo), live = isLivePhoto(photo);
  var info = mediaInfo.get(photo);
  liveButton.hidden = !live;
  var motion = live ? motionUrl(info) : '';
  motionLink.hidden = !motion;
  stage.classList.toggle('video', video);
  if (motion) {
    motionLink.href = motion;
    motionLink.textContent = tr('motionLink', { type: fileType(info.motion) });
  }
  if (!video) return;
  var length = lengthText(info.length);
  if (length) {
    var span = document.createElement('span');
    span.className = 'length';
    span.textContent = tr('videoLength', { length: length });
    whenText.append(' ', span);
  }
  // The copy lies in the wall and plays without the originals; without either, the viewer's
  // note already says why nothing plays.
  var source = info.copy ? copyUrl(keyOf(photo)) : original;
  if (!source) return;
  if (!(info.copy ? mayPlay(copyPath, copyCodec, movie) : mayPlay(path, info.codec, movie))) {
    noteText.textContent = cannotPlayText('cannotPlay', info.codec);
    return;
  }
  movieMode = 'video';
  movie.controls = true;
  movie.muted = false;
  movie.poster = hasPreviewImage(photo) ? previewUrl(keyOf(photo)) : thumbUrl(keyOf(photo));
  movie.src = source;
  movie.hidden = false;
  placeMovie();
  startVideo();
}

// A video opened starts playing. Where the browser lets a page start only silent videos (the
// viewer opened from a link rather than by a click), it plays muted, and a button offers the sound.
function startVideo() {
  var src = movie.getAttribute('src');
  movie.play().catch(function (error) {
    if (error.name !== 'NotAllowedError' || movieMode !== 'video' || movie.getAttribute('src') !== src) return;
    movie.muted = true;
    unmuteButton.hidden = false;
    movie.play().catch(function () { /* the error event tells */ });
  });
}
unmuteButton.addEventListener('click', function () {
  viewerTouched();
  movie.muted = false;
  unmuteButton.hidden = true;
  if (movie.paused) movie.play().catch(function () { /* the error event tells */ });
});
movie.addEventListener('volumechange', function () { if (!movie.muted) unmuteButton.hidden = true; });

function cannotPlayText(name, codec) {
  return tr(name, { format: codecName(codec) || tr('infoUnknown') });
}

export function stopMovie() {
  if (!movie.getAttribute('src') && movie.hidden) { movieMode = ''; return; }
  // A hidden player cannot keep the focus; the stage takes it, so the viewer's keys still work.
  if (document.activeElement === movie) stage.focus();
  movie.pause();
  movie.removeAttribute('src');
  movie.removeAttribute('poster');
  movie.load();
  movie.hidden = true;
  unmuteButton.hidden = true;
  movieMode = '';
  stage.classList.remove('moving');
}

// The video lies exactly over the photo's place, so that taps and swipes beside it still reach
// the viewer and its own controls stay on the picture.
export function placeMovie() {
  if (movie.hidden || viewing < 0) return;
  // The clip's own shape once known, else the one the wall recorded (the poster may be missing).
  var a = movie.videoWidth && movie.videoHeight ? movie.videoWidth / movie.videoHeight : aspect[view.pos[viewing]];
  var w = stage.clientWidth, h = stage.clientHeight;
  var fw = Math.min(w, h * a), fh = fw / a;
  movie.style.left = (w - fw) / 2 + 'px';
  movie.style.top = (h - fh) / 2 + 'px';
  movie.style.width = fw + 'px';
  movie.style.height = fh + 'px';
}

function playMotion() {
  if (viewing < 0 || movieMode === 'live') return;
  var photo = view.pos[viewing];
  if (!isLivePhoto(photo)) return;
  var info = mediaInfo.get(photo);
  var motion = info.copy ? copyUrl(keyOf(photo)) : motionUrl(info);
  if (!motion) return;
  if (!(info.copy ? mayPlay(copyPath, copyCodec, movie) : mayPlay(info.motion, info.codec, movie))) {
    noteText.textContent = cannotPlayText('motionCannotPlay', info.codec);
    return;
  }
  resetZoom();
  movieMode = 'live';
  movie.controls = false;
  movie.muted = true;
  movie.src = motion;
  movie.hidden = false;
  stage.classList.add('moving');
  placeMovie();
  movie.play().catch(function () { /* the error event tells */ });
}
function endMotion() {
  if (movieMode !== 'live') return;
  stopMovie();
}

// The key p: a video plays or pauses, a live photo plays its motion.
export function playOrPause() {
  if (movieMode === 'video') {
    if (movie.paused) movie.play().catch(function () { /* the error event tells */ });
    else movie.pause();
  } else playMotion();
}

movie.addEventListener('ended', endMotion);
movie.addEventListener('loadedmetadata', placeMovie);
movie.addEventListener('error', function () {
  if (!movie.getAttribute('src') || viewing < 0) return;
  var photo = view.pos[viewing], info = mediaInfo.get(photo);
  // A codec the browser names as playable that still fails is most likely a file not there.
  var known = !!info.codec;
  if (movieMode === 'live') noteText.textContent = known ? unreachableText('motionMissing', info.motion) : cannotPlayText('motionCannotPlay', info.codec);
  else noteText.textContent = known ? unreachableText('videoMissing', pathOf(photo)) : cannotPlayText('cannotPlay', info.codec);
  stopMovie();
});
// A focused player takes the arrows for seeking; in the viewer they step to the neighbours, as
// on every photo, and seeking stays with the player's own slider. Caught before the player.
viewer.addEventListener('keydown', function (event) {
  if (event.target !== movie || (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight')) return;
  if (event.altKey || event.metaKey || event.ctrlKey || event.shiftKey) return;
  event.preventDefault();
  event.stopPropagation();
  viewerTouched();
  step(event.key === 'ArrowRight' ? 1 : -1);
}, true);
liveButton.addEventListener('click', function () { viewerTouched(); playMotion(); });

// The info panel's rows for a video or a live photo's motion.
export function fillMediaInfo(photo) {
  var rows = infoPanel.querySelector('.media-rows');
  var info = mediaInfo.get(photo);
  rows.hidden = !info;
  if (!info) return;
  infoField('length').textContent = lengthText(info.length) || tr('infoUnknown');
  infoField('codec').textContent = codecName(info.codec) || tr('infoUnknown');
}
