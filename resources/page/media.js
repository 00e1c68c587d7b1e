// Videos, live photos and previews. A wall entry of such a photo carries more after mtime:
//   [..., media flags, length in ms, codec, motion clip]
// flags: hasPreview (a large JPEG in previews/ for an original the browser cannot show),
// isVideo (the thumbnail is the video's poster), isLive (a still with a short clip beside it,
// the clip's path relative to the source last), clipInWall (with isLive: a motion photo, whose
// clip was copied out of it to motion/<xx>/<key>.mp4 in the wall, the path given relative to
// the wall), playableCopy (a copy that browsers play, H.264 in MP4, lies in the wall at
// videos/<xx>/<key>.mp4: of the video, or of the live photo's clip). The codec is FFmpeg's name
// of the original's ("h264", "hevc").
// Entries of plain photos end at mtime; a value of the wrong type counts as absent (the table
// reads them: see readMedia in table.js).

import { isVideo, videoContainers, isLive } from './schema.js';
import { photoCount, tr, shown } from './text.js';
import { videosInTable, mediaOf, mediaInfo } from './table.js';

// How many of the photos at positions start..end-1 of list are videos.
export function videosIn(list, start, end) {
  if (!videosInTable) return 0;
  var count = 0;
  for (var q = start; q < end; q++) if (mediaOf[list[q]] & isVideo) count++;
  return count;
}

// "12 photos", "12 photos and 3 videos", "3 videos": a wall without videos reads as ever.
export function itemCount(total, videos) {
  if (!videos) return photoCount(total);
  if (videos === total) return tr('videos', { n: videos });
  return tr('photosAndVideos', { photos: photoCount(total - videos), videos: tr('videos', { n: videos }) });
}
// The wall's count in its header: all of it, or how much of it the filter shows.
// whole, while the wall's pieces still arrive, is how many photos the wall will hold.
export function wallCount(pos, total, whole) {
  var all = itemCount(whole || total, videosInTable);
  if (pos.length === total) return all;
  var shownCount = videosInTable ? itemCount(pos.length, videosIn(pos, 0, pos.length)) : pos.length;
  return tr('someOfPhotos', { shown: shownCount, photos: all });
}
export function sectionCount(v, s) {
  var start = v.sectionStart[s], end = v.sectionStart[s + 1];
  return itemCount(end - start, videosIn(v.pos, start, end));
}

// A length in milliseconds as a clock shows it: "0:07", "12:30", "1:02:03"; '' when unknown.
export function lengthText(ms) {
  if (typeof ms !== 'number' || !(ms > 0)) return '';
  var seconds = Math.max(1, Math.round(ms / 1000));
  var h = Math.floor(seconds / 3600), m = Math.floor(seconds / 60) % 60, s = seconds % 60;
  var two = function (x) { return (x < 10 ? '0' : '') + x; };
  return h ? h + ':' + two(m) + ':' + two(s) : m + ':' + two(s);
}

// Codecs by FFmpeg's name: how people call them, and how a browser is asked about them.
var codecs = {
  h264: { name: 'H.264', type: 'avc1.42E01E' },
  hevc: { name: 'HEVC (H.265)', type: 'hvc1.1.6.L93.B0' },
  vp8: { name: 'VP8', type: 'vp8' },
  vp9: { name: 'VP9', type: 'vp09.00.10.08' },
  av1: { name: 'AV1', type: 'av01.0.05M.08' },
  mpeg4: { name: 'MPEG-4 Part 2', type: 'mp4v.20.8' },
  mpeg2video: { name: 'MPEG-2', type: '' },
  mjpeg: { name: 'Motion JPEG', type: '' },
  prores: { name: 'ProRes', type: '' }
};
export function codecName(codec) {
  var known = codecs[codec];
  return known ? known.name : codec ? codec.toUpperCase() : '';
}

// The type a browser is asked about for a file of this name and codec; '' when no browser of
// ours plays that container at all (AVI, MPEG transport streams).
// The containers are the schema's videoContainers.
export function videoType(path, codec) {
  var dot = path.lastIndexOf('.');
  var extension = path.slice(dot + 1).toLowerCase();
  var container = Object.prototype.hasOwnProperty.call(videoContainers, extension) ? videoContainers[extension] : '';
  if (!container) return '';
  if (!codec) return container;
  var known = codecs[codec];
  return known && known.type ? container + '; codecs="' + known.type + '"' : '';
}

// Whether this browser may play the file: it says so for the container and codec. It may still
// fail on the file itself; the video element's error event catches that.
export function mayPlay(path, codec, probe) {
  var type = videoType(path, codec);
  return type !== '' && probe.canPlayType(type) !== '';
}

// The wall's playable copy of a video or of a live photo's clip, and what a browser is asked of it.
export function copyUrl(key) {
  return 'videos/' + encodeURIComponent(shown(key.slice(0, 2))) + '/' + encodeURIComponent(shown(key)) + '.mp4';
}
export var copyPath = 'copy.mp4', copyCodec = 'h264';

export function previewUrl(key) {
  return 'previews/' + encodeURIComponent(shown(key.slice(0, 2))) + '/' + encodeURIComponent(shown(key)) + '.jpg';
}

// Takes off what markTile put on: the tile is about to show another photo, or the same again.
export function unmarkTile(tile) {
  tile.classList.remove('video', 'live');
  while (tile.lastElementChild !== tile.firstElementChild) tile.lastElementChild.remove();
}

// What a tile shows over its thumbnail: a video's play mark and length, a live photo's mark.
export function markTile(tile, img, photo) {
  var flags = mediaOf[photo];
  if (!(flags & (isVideo | isLive))) return;
  var info = mediaInfo.get(photo);
  var mark = document.createElement('span');
  mark.setAttribute('aria-hidden', 'true');
  if (flags & isVideo) {
    mark.className = 'video-mark';
    mark.textContent = lengthText(info.length);
    img.alt = tr('videoAlt', { photo: img.alt, length: lengthText(info.length) || tr('infoUnknown') });
  } else {
    mark.className = 'live-mark';
    mark.textContent = tr('liveMark');
    img.alt = tr('liveAlt', { photo: img.alt });
  }
  tile.classList.add(flags & isVideo ? 'video' : 'live');
  tile.appendChild(mark);
}
