// The wall page's words and decisions for videos: lengths, counts, what the browser is asked.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { endlessJob, loadPage } from './page.mjs';

const page = await loadPage('strings.js', 'strings-de.js', 'language.js', 'text.js', 'table.js', 'media.js');
// The table's media flags, as table.js keeps them: photos 1 and 3 of five are videos, 4 a live
// photo.
function entry(i, media) {
  const e = [];
  Object.assign(e, { [page.atKey]: `${i}`.padStart(16, '0'), [page.atRel]: `IMG_${i}.jpg`, [page.atWidth]: 4, [page.atHeight]: 3, [page.atDate]: 1.5e9 - i });
  if (media) Object.assign(e, { [page.atMedia]: media, [page.atDuration]: 7000, [page.atCodec]: 'h264', [page.atMotion]: media === page.isLive ? `IMG_${i}.MOV` : '' });
  return e;
}
assert.ok(await page.buildTable([entry(0), entry(1, page.isVideo), entry(2), entry(3, page.isVideo), entry(4, page.isLive)], endlessJob()));
assert.deepEqual([...page.mediaOf], [0, page.isVideo, 0, page.isVideo, page.isLive]);
assert.equal(page.videosInTable, 2);

describe('video lengths', () => {
  test('read as a clock shows them, rounded to the second, never "0:00" for a real clip', () => {
    assert.equal(page.lengthText(400), '0:01');
    assert.equal(page.lengthText(1499), '0:01');
    assert.equal(page.lengthText(7000), '0:07');
    assert.equal(page.lengthText(59600), '1:00');
    assert.equal(page.lengthText(750000), '12:30');
    assert.equal(page.lengthText(3723000), '1:02:03');
    assert.equal(page.lengthText(36000000), '10:00:00');
  });
  test('an unknown or broken length gives no text', () => {
    for (const ms of [0, -5, NaN, undefined, null, '7000']) assert.equal(page.lengthText(ms), '', String(ms));
  });
});

describe('what the browser is asked about a video', () => {
  test('the container from the file name, the codec from the wall', () => {
    assert.equal(page.videoType('a/VID_1.mp4', 'h264'), 'video/mp4; codecs="avc1.42E01E"');
    assert.equal(page.videoType('IMG_4.MOV', 'hevc'), 'video/mp4; codecs="hvc1.1.6.L93.B0"');
    assert.equal(page.videoType('clip.webm', 'vp9'), 'video/webm; codecs="vp09.00.10.08"');
    assert.equal(page.videoType('clip.mkv', 'av1'), 'video/webm; codecs="av01.0.05M.08"');
    assert.equal(page.videoType('old.3gp', ''), 'video/mp4');
  });
  test('containers and codecs no browser here plays are never tried', () => {
    assert.equal(page.videoType('tape.avi', 'h264'), '');
    assert.equal(page.videoType('cam.MTS', 'h264'), '');
    assert.equal(page.videoType('studio.mov', 'prores'), '');
    assert.equal(page.videoType('odd.mp4', 'cinepak'), '');
  });
  test('it plays only what the browser answers for', () => {
    const asked = [];
    const probe = (answer) => ({ canPlayType: (type) => { asked.push(type); return answer; } });
    assert.equal(page.mayPlay('VID.mp4', 'h264', probe('probably')), true);
    assert.equal(page.mayPlay('VID.mp4', 'hevc', probe('')), false);
    assert.equal(page.mayPlay('VID.avi', 'h264', probe('probably')), false);
    assert.deepEqual(asked, ['video/mp4; codecs="avc1.42E01E"', 'video/mp4; codecs="hvc1.1.6.L93.B0"']);
  });
  test('codecs by the names people know', () => {
    assert.equal(page.codecName('hevc'), 'HEVC (H.265)');
    assert.equal(page.codecName('h264'), 'H.264');
    assert.equal(page.codecName('cinepak'), 'CINEPAK');
    assert.equal(page.codecName(''), '');
  });
});

describe('counts', () => {
  test('a wall without videos counts photos as ever; with them, both', () => {
    assert.equal(page.itemCount(1204, 0), '1,204 photos');
    assert.equal(page.itemCount(1241, 37), '1,204 photos and 37 videos');
    assert.equal(page.itemCount(2, 1), '1 photo and 1 video');
    assert.equal(page.itemCount(3, 3), '3 videos');
    assert.equal(page.itemCount(1, 1), '1 video');
  });
  test('the header counts all of the wall, or what the filter shows of it', () => {
    assert.equal(page.wallCount([0, 1, 2, 3, 4], 5), '3 photos and 2 videos');
    assert.equal(page.wallCount([1, 2], 5), '1 photo and 1 video of 3 photos and 2 videos');
    assert.equal(page.wallCount([3], 5), '1 video of 3 photos and 2 videos');
    assert.equal(page.videosIn([0, 1, 2, 3, 4], 2, 5), 1);
  });
});
