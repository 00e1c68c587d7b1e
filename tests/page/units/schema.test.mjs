// The wall's schema is the one source of what the engine writes and the page reads: both sides'
// values are made from it, and a wall the engine writes reads back by the schema's positions.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { describe, test } from 'node:test';
import vm from 'node:vm';
import { joinPage } from '../../../tools/join-page.mjs';
import { engineHeader, pageScript, positionName, readSchema } from '../../../tools/wall-schema.mjs';
import { loadPage, plain } from './page.mjs';

const schema = readSchema();
const builtHeader = process.env.KESTOVA_SCHEMA_HEADER;
const cli = process.env.KESTOVA_CLI;
const photos = new URL('../../../../shared/photos/', import.meta.url).pathname;

describe('the wall\u2019s schema', () => {
  test('gives the page its positions, flags, thumbnail size and file names', async () => {
    const page = await loadPage('table.js', 'media.js');
    assert.equal(page.wallSchemaVersion, schema.version);
    schema.positions.forEach((name, i) => assert.equal(page[positionName(name)], i, name));
    assert.equal(page.plainEntryLength, schema.plainLength);
    assert.deepEqual(plain(page.entryDefaults), schema.defaults);
    for (const [name, bit] of Object.entries(schema.mediaFlags)) assert.equal(page[name], bit, name);
    assert.equal(page.thumbSide, schema.thumbSize);
    assert.equal(page.thumbnailHeight(3264, 2448), Math.round(2448 * schema.thumbSize / 3264));
    // Every raw name pairs, in any case, and nothing else does.
    for (const ext of schema.rawExtensions) {
      assert.ok(page.rawFile.test(`a/IMG_1.${ext}`) && page.rawFile.test(`IMG_1.${ext.toUpperCase()}`), ext);
    }
    for (const other of ['IMG_1.jpg', 'IMG_1.heic', 'IMG_1.mp4', 'IMG_1.dng.txt', 'raw', 'a.rawx']) assert.ok(!page.rawFile.test(other), other);
    // A video the engine walks is asked about with the schema's container type, or not at all.
    for (const [ext, type] of Object.entries(schema.videoTypes)) assert.equal(page.videoType(`v.${ext.toUpperCase()}`, ''), type, ext);
    assert.equal(page.videoType('v.constructor', ''), '');
    // The wall's data in pieces: the index's format and version, a piece's columns.
    assert.equal(page.wallFormat, schema.wallFormat);
    assert.equal(page.wallFormatVersion, schema.wallFormatVersion);
    assert.deepEqual(plain(page.pieceColumns), schema.pieceColumns);
  });

  test('every raw file the engine walks pairs on the page', () => {
    for (const ext of schema.walkedRawExtensions) assert.ok(schema.rawExtensions.includes(ext), ext);
  });

  test('is in the joined page, once, before every script that reads it', async () => {
    const html = await joinPage();
    const script = `var thumbSide = ${schema.thumbSize};`;
    assert.match(pageScript(), new RegExp(`^export ${script}$`, 'm'));
    assert.equal(html.split(script).length, 2);
    assert.ok(html.indexOf(script) < html.indexOf('function buildTable('));
  });

  test('the engine\u2019s header is the one the schema makes', { skip: !builtHeader && 'KESTOVA_SCHEMA_HEADER is not set' }, () => {
    assert.equal(readFileSync(builtHeader, 'utf8'), engineHeader());
  });

  test('a wrong schema stops the build', () => {
    const dir = mkdtempSync(join(tmpdir(), 'kestova-schema-'));
    const original = JSON.parse(readFileSync(new URL('../../../resources/schema/wall-schema.json', import.meta.url), 'utf8'));
    const cases = [
      ['a walked raw name the page does not pair', (s) => s.rawExtensions.walked.push('pcd')],
      ['two positions of one name', (s) => s.entry.positions.push('rel')],
      ['a flag of two bits', (s) => { s.mediaFlags.isLive = 6; }],
      ['a default of no position', (s) => { s.entry.defaults.size = 0; }],
      ['an upper-case video name', (s) => { s.videoExtensions.MP4 = 'video/mp4'; }],
      ['pieces without their photos\u2019 names', (s) => { s.wallData.pieceColumns = s.wallData.pieceColumns.filter((c) => c !== 'name'); }],
      ['pieces without a position', (s) => { s.wallData.pieceColumns = s.wallData.pieceColumns.filter((c) => c !== 'mtime'); }],
      ['a piece column of no plain position', (s) => s.wallData.pieceColumns.push('codec')],
      ['a piece column twice', (s) => s.wallData.pieceColumns.push('key')],
      ['a data format of no name', (s) => { s.wallData.format = ''; }],
      ['pieces of no photos', (s) => { s.wallData.piecePhotos = 0; }],
    ];
    for (const [what, change] of cases) {
      const broken = structuredClone(original);
      change(broken);
      const file = join(dir, 'wall-schema.json');
      writeFileSync(file, JSON.stringify(broken));
      assert.throws(() => readSchema(file), /wall-schema\.json/, what);
    }
  });
});

// The pixel size of a JPEG, from its first frame header.
function jpegSize(bytes) {
  for (let at = 2; at + 9 < bytes.length;) {
    const marker = bytes[at + 1];
    if (marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker)) return [bytes.readUInt16BE(at + 7), bytes.readUInt16BE(at + 5)];
    at += 2 + bytes.readUInt16BE(at + 2);
  }
  return null;
}

describe('a wall the engine writes', { skip: !(cli && existsSync(photos)) && 'needs KESTOVA_CLI and the shared photos' }, () => {
  test('reads back by the schema\u2019s positions and flags', async () => {
    const home = mkdtempSync(join(tmpdir(), 'kestova-schema-home-'));
    const source = join(home, 'Pictures');
    mkdirSync(join(source, '2008'), { recursive: true });
    copyFileSync(join(photos, 'cameras/Canon_40D.jpg'), join(source, '2008/IMG_1.jpg'));
    copyFileSync(join(photos, 'cameras/iphone_hdr_NO.jpg'), join(source, '2008/IMG_2.jpg'));
    copyFileSync(join(photos, 'heif/samplefilehub.heif'), join(source, 'IMG_3.heif'));
    // A raw name that pairs on the page but that the engine does not walk: it stays off the wall.
    copyFileSync(join(photos, 'cameras/Pentax_K10D.jpg'), join(source, '2008/IMG_1.pef'));
    execFileSync('ffmpeg', ['-v', 'error', '-f', 'lavfi', '-i', 'testsrc2=s=160x90:d=1:r=10', '-c:v', 'libx264', '-pix_fmt', 'yuv420p', join(source, 'clip.mp4')]);
    const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: join(home, 'config'), XDG_DATA_HOME: join(home, 'data'), XDG_RUNTIME_DIR: home, LC_ALL: 'C.UTF-8', QT_QPA_PLATFORM: 'offscreen' };
    const wall = join(home, 'wall');
    execFileSync(cli, ['build', source, '--out', wall], { env, stdio: 'pipe' });

    const data = {};
    vm.runInNewContext(readFileSync(join(wall, 'manifest.js'), 'utf8'), { window: data });
    const at = Object.fromEntries(schema.positions.map((name, i) => [name, i]));
    const byPath = new Map(data.PHOTOS.map((e) => [e[at.rel], e]));
    assert.deepEqual([...byPath.keys()].sort(), ['2008/IMG_1.jpg', '2008/IMG_2.jpg', 'IMG_3.heif', 'clip.mp4']);

    const canon = byPath.get('2008/IMG_1.jpg');
    assert.equal(canon.length, schema.plainLength);
    assert.deepEqual([canon[at.width], canon[at.height], canon[at.date], canon[at.first]], [100, 68, Date.UTC(2008, 4, 30, 15, 56, 1) / 1000, '2008']);
    assert.match(canon[at.key], /^[0-9a-f]{16}$/);

    // The thumbnail is as large as the schema says, and as the page expects it.
    const page = await loadPage('table.js');
    const phone = byPath.get('2008/IMG_2.jpg');
    const key = phone[at.key];
    const size = jpegSize(readFileSync(join(wall, 'thumbs', key.slice(0, 2), `${key}.jpg`)));
    assert.deepEqual(size, [schema.thumbSize, page.thumbnailHeight(phone[at.width], phone[at.height])]);

    const flags = schema.mediaFlags;
    const heif = byPath.get('IMG_3.heif');
    assert.equal(heif[at.media], flags.hasPreview);
    assert.equal(heif.length, at.media + 1);
    const clip = byPath.get('clip.mp4');
    assert.equal(clip[at.media] & (flags.isVideo | flags.isLive), flags.isVideo);
    assert.equal(clip[at.codec], 'h264');
    assert.ok(clip[at.duration] >= 900 && clip[at.duration] <= 1100, `${clip[at.duration]} ms`);

    // The page's data holds the same entries in pieces, by the schema's columns, each piece
    // handing its text to kestovaPiece as a browser runs it.
    const index = {};
    vm.runInNewContext(readFileSync(join(wall, 'wall.js'), 'utf8'), { window: index });
    const { format, version, pieces } = index.KESTOVA_WALL;
    assert.deepEqual([format, version], [schema.wallFormat, schema.wallFormatVersion]);
    const rebuilt = [];
    for (const { file, photos: count } of pieces) {
      let piece;
      vm.runInNewContext(readFileSync(join(wall, file), 'utf8'), { kestovaPiece: (text) => { piece = JSON.parse(text); } });
      for (const column of schema.pieceColumns) assert.equal(piece[column].length, count, column);
      const entries = piece.key.map((_, i) => {
        const value = Object.fromEntries(schema.pieceColumns.map((column) => [column, piece[column][i]]));
        const rel = piece.dirs[value.dir] + value.name;
        return schema.positions.slice(0, schema.plainLength).map((name) => (name === 'rel' ? rel : name === 'first' ? rel.split('/')[0] : value[name]));
      });
      for (const [i, ...media] of piece.media) entries[i].push(...media);
      rebuilt.push(...entries);
    }
    assert.deepEqual(rebuilt, JSON.parse(JSON.stringify(data.PHOTOS)));
  });
});
