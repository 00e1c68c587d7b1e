// A photo library as people keep one, made of generated camera files and turned into a wall by
// the real kestova-cli: a road trip of many photos a day, a five-day trip in a dated folder with
// a subfolder per day, a quiet month, a birthday, a spring day with videos, a live photo and
// panoramas. Every photo's capture time is in its EXIF block, as a camera writes it.
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { clip, exifDate, plainJpeg, put, withExif } from './exif.mjs';
import { template } from './wall.mjs';

export const cli = process.env.KESTOVA_CLI;

// The camera of most photos, and a phone's, as EXIF names them.
const canon = { make: 'Canon', model: 'Canon EOS 80D' };
export const phone = { make: 'Apple', model: 'iPhone 12 Pro' };
// Rome's Colosseum, where the first day in Italy was photographed.
export const rome = { lat: 41.8902, lon: 12.4922 };

// Each photo: { rel, date: [y, mo, d, h, mi, s], kind: 'photo' | 'video' | 'live' | 'panorama',
// camera (make and model, else the Canon), gps }.
export function libraryPhotos() {
  const photos = [];
  const add = (rel, date, kind = 'photo', more = {}) => photos.push({ rel, date, kind, ...more });
  // August 2019: a road trip, 16 photos on each of six days (96).
  for (let day = 10; day <= 15; day++) for (let i = 0; i < 16; i++) add(`2019/08 Road trip/IMG_${day}${String(i).padStart(2, '0')}.JPG`, [2019, 8, day, 9 + (i >> 1), (i & 1) * 30, 0]);
  // July 2019: Italy, 12 to 16 July, a folder per day of 14 photos (70), and four at home.
  // Day 1 in Rome, with the camera's GPS; day 3 with a phone.
  for (let day = 1; day <= 5; day++) {
    for (let i = 0; i < 14; i++) {
      add(`2019/2019-07-12 Italy/Day ${day}/DSC_${day * 100 + i}.JPG`, [2019, 7, 11 + day, 8 + i, 15, 0], 'photo',
        { ...(day === 1 ? { gps: rome } : {}), ...(day === 3 ? { camera: phone } : {}) });
    }
  }
  for (let i = 0; i < 4; i++) add(`2019/07/IMG_07${i}.JPG`, [2019, 7, 2, 18, i, 0]);
  // June 2019: 30 photos on ten days: one run under its month's heading.
  for (let i = 0; i < 30; i++) add(`2019/06/IMG_06${String(i).padStart(2, '0')}.JPG`, [2019, 6, 20 - (i % 10), 10, i, 0]);
  // 23 June 2012: a birthday (10), in a folder whose name holds "day" and a 12 inside words.
  for (let i = 0; i < 10; i++) add(`2012/2012-06-23 Birthday 12/P10${String(i).padStart(2, '0')}.JPG`, [2012, 6, 23, 15, i, 0]);
  // 8 May 2021: six photos, two panoramas, a live photo, two videos; 9 May: two photos.
  for (let i = 0; i < 6; i++) add(`2021/2021-05-08 Picnic/IMG_2${i}.JPG`, [2021, 5, 8, 11, i, 0]);
  for (let i = 0; i < 2; i++) add(`2021/2021-05-08 Picnic/PANO_${i}.JPG`, [2021, 5, 8, 12, i, 0], 'panorama');
  add('2021/2021-05-08 Picnic/IMG_30.JPG', [2021, 5, 8, 13, 0, 0], 'live');
  for (let i = 0; i < 2; i++) add(`2021/2021-05-08 Picnic/VID_${i}.mp4`, [2021, 5, 8, 14, i, 0], 'video');
  for (let i = 0; i < 2; i++) add(`2021/05/IMG_9${i}.JPG`, [2021, 5, 9, 10, i, 0]);
  return photos;
}

// The library's files under a new folder, and its wall built there by kestova-cli.
export function buildLibrary(photos = libraryPhotos()) {
  const home = mkdtempSync(join(tmpdir(), 'kestova-library-'));
  const source = join(home, 'Pictures');
  mkdirSync(source);
  const plain = [plainJpeg(home, 160, 120, 'steelblue'), plainJpeg(home, 120, 160, 'darkseagreen'), plainJpeg(home, 160, 120, 'peru')];
  const wide = plainJpeg(home, 480, 160, 'slateblue');
  photos.forEach((p, i) => {
    const date = exifDate(...p.date);
    if (p.kind === 'video') {
      const [y, mo, d, h, mi, s] = p.date;
      clip(source, p.rel, new Date(Date.UTC(y, mo - 1, d, h, mi, s)).toISOString());
      return;
    }
    put(source, p.rel, withExif(p.kind === 'panorama' ? wide : plain[i % plain.length], { date, ...(p.camera ?? canon), gps: p.gps }));
    if (p.kind === 'live') clip(source, p.rel.replace(/\.JPG$/, '.MOV'), new Date(Date.UTC(...p.date.slice(0, 1), p.date[1] - 1, ...p.date.slice(2))).toISOString());
  });
  const built = spawnSync(cli, ['build', source, '--json'], {
    env: { HOME: home, LANG: 'C.UTF-8', PATH: process.env.PATH, QT_QPA_PLATFORM: 'offscreen' }, encoding: 'utf8',
  });
  if (built.status !== 0) throw new Error(`kestova-cli build failed: ${built.stderr}`);
  // The page under test (the one the build joined), whichever page this kestova-cli carries.
  const page = join(source, '_Photo Gallery', 'index.html');
  copyFileSync(template, page);
  return { source, url: pathToFileURL(page).href };
}

// The photos of a day ([y, mo, d]), a month ([y, mo]) or a year ([y]).
export const within = (photos, [y, mo, d]) => photos.filter((p) => p.date[0] === y && (mo === undefined || p.date[1] === mo) && (d === undefined || p.date[2] === d));
