// Camera files for walls the real program makes in the page tests: small JPEGs drawn by FFmpeg,
// each with the EXIF block a camera writes (capture time, make and model), and short clips.
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';

const ffmpeg = (...args) => execFileSync('ffmpeg', ['-nostdin', '-v', 'error', '-y', ...args]);

// A JPEG of this size and colour (FFmpeg's colour names), as FFmpeg writes it.
export function plainJpeg(dir, width, height, colour = 'steelblue') {
  const file = join(dir, `plain-${width}x${height}-${colour}.jpg`);
  ffmpeg('-f', 'lavfi', '-i', `color=c=${colour}:s=${width}x${height}`, '-frames:v', '1', file);
  return readFileSync(file);
}

// A TIFF-structured EXIF block (little-endian): IFD0 with Make and Model when given and the
// pointers to the EXIF IFD, which holds DateTimeOriginal, and to the GPS IFD when gps is given
// ({ lat, lon } in degrees).
function exifBlock({ date, make, model, gps }) {
  const ascii = (text) => Buffer.from(`${text}\0`, 'latin1');
  // Degrees, minutes and seconds as three rationals (seconds in hundredths).
  const dms = (value) => {
    const v = Math.abs(value), d = Math.floor(v), m = Math.floor((v - d) * 60), sec = Math.round(((v - d) * 60 - m) * 6000);
    const b = Buffer.alloc(24);
    [[d, 1], [m, 1], [sec, 100]].forEach(([n, den], i) => { b.writeUInt32LE(n, i * 8); b.writeUInt32LE(den, i * 8 + 4); });
    return b;
  };
  const ifd0 = [];
  if (make) ifd0.push([0x010f, 2, ascii(make)]);
  if (model) ifd0.push([0x0110, 2, ascii(model)]);
  const exifIfd = [[0x9003, 2, ascii(date)]];
  const gpsIfd = gps ? [[0x0001, 2, ascii(gps.lat < 0 ? 'S' : 'N')], [0x0002, 5, dms(gps.lat)], [0x0003, 2, ascii(gps.lon < 0 ? 'W' : 'E')], [0x0004, 5, dms(gps.lon)]] : [];
  // Layout: header (8), IFD0, its values, the EXIF IFD, its values, the GPS IFD, its values.
  const ifdSize = (n) => 2 + n * 12 + 4;
  const valuesSize = (entries) => entries.reduce((sum, [, , v]) => sum + (v.length > 4 ? v.length + (v.length & 1) : 0), 0);
  const ifd0At = 8;
  const ifd0Values = ifd0At + ifdSize(ifd0.length + (gps ? 2 : 1));
  const exifAt = ifd0Values + valuesSize(ifd0);
  const exifValues = exifAt + ifdSize(exifIfd.length);
  const gpsAt = exifValues + valuesSize(exifIfd);
  const gpsValues = gpsAt + ifdSize(gpsIfd.length);
  const out = Buffer.alloc(gps ? gpsValues + valuesSize(gpsIfd) : gpsAt);
  out.write('II', 0, 'latin1');
  out.writeUInt16LE(42, 2);
  out.writeUInt32LE(ifd0At, 4);
  const writeIfd = (at, entries, valuesAt, extra) => {
    const all = [...entries.map(([tag, type, v]) => [tag, type, type === 5 ? v.length / 8 : v.length, v]), ...extra].sort((a, b) => a[0] - b[0]);
    out.writeUInt16LE(all.length, at);
    let next = valuesAt;
    all.forEach(([tag, type, count, value], i) => {
      const e = at + 2 + i * 12;
      out.writeUInt16LE(tag, e);
      out.writeUInt16LE(type, e + 2);
      out.writeUInt32LE(count, e + 4);
      if (typeof value === 'number') out.writeUInt32LE(value, e + 8);
      else if (value.length <= 4) value.copy(out, e + 8);
      else { out.writeUInt32LE(next, e + 8); value.copy(out, next); next += value.length + (value.length & 1); }
    });
    out.writeUInt32LE(0, at + 2 + all.length * 12);
  };
  writeIfd(ifd0At, ifd0, ifd0Values, [[0x8769, 4, 1, exifAt], ...(gps ? [[0x8825, 4, 1, gpsAt]] : [])]);
  writeIfd(exifAt, exifIfd, exifValues, []);
  if (gps) writeIfd(gpsAt, gpsIfd, gpsValues, []);
  return out;
}

// jpeg with an APP1 EXIF segment after its JFIF segment: date as EXIF writes it
// ("2019:07:12 10:30:00"); make, model and gps optional.
export function withExif(jpeg, fields) {
  const payload = Buffer.concat([Buffer.from('Exif\0\0', 'latin1'), exifBlock(fields)]);
  const segment = Buffer.concat([Buffer.from([0xff, 0xe1, (payload.length + 2) >> 8, (payload.length + 2) & 0xff]), payload]);
  let at = 2;
  if (jpeg[2] === 0xff && jpeg[3] === 0xe0) at = 4 + jpeg.readUInt16BE(4);
  return Buffer.concat([jpeg.subarray(0, at), segment, jpeg.subarray(at)]);
}

// "2019:07:12 10:30:00" of a civil date-time.
export const exifDate = (y, mo, d, h = 12, mi = 0, s = 0) =>
  `${y}:${String(mo).padStart(2, '0')}:${String(d).padStart(2, '0')} ${String(h).padStart(2, '0')}:${String(mi).padStart(2, '0')}:${String(s).padStart(2, '0')}`;

// Writes bytes to root/rel, making its folders.
export function put(root, rel, bytes) {
  mkdirSync(dirname(join(root, rel)), { recursive: true });
  writeFileSync(join(root, rel), bytes);
}

// A short clip at root/rel, made by FFmpeg, with its creation time as phones write it.
export function clip(root, rel, created, seconds = 1) {
  mkdirSync(dirname(join(root, rel)), { recursive: true });
  ffmpeg('-f', 'lavfi', '-i', `testsrc2=s=160x90:d=${seconds}:r=10`, '-c:v', 'libx264', '-pix_fmt', 'yuv420p',
    '-metadata', `creation_time=${created}`, join(root, rel));
}
