#!/usr/bin/env node
// The wall's schema (resources/schema/wall-schema.json) is the one place where the engine and
// the page agree on an entry's positions, the media flags, the thumbnail size, the raw and
// video names, and the format of the wall's data in pieces (wall.js and data/). This module
// checks it and makes both sides' code from it, so that neither keeps a copy that could drift
// from the other:
//
//   node tools/wall-schema.mjs header OUTPUT_FILE   the engine's header, engine/wall/WallSchema.h
//
// The page's part, the module schema.js, is made by tools/join-page.mjs when it bundles the page.
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { basename, dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

export const schemaFile = fileURLToPath(new URL('../resources/schema/wall-schema.json', import.meta.url));

const identifier = /^[a-z][A-Za-z0-9]*$/;
const extension = /^[a-z0-9]+$/;
const formatName = /^[a-z][a-z0-9-]*$/;
// The columns of a piece that stand for something other than an entry's position of their name.
const pathColumns = ['dir', 'name'];
const without = (object, key) => Object.fromEntries(Object.entries(object).filter(([k]) => k !== key));

function check(ok, message) {
  if (!ok) throw new Error(`${schemaFile}: ${message}`);
}

// The schema, checked: a mistake in it stops the build instead of reaching a wall.
export function readSchema(file = schemaFile) {
  const schema = JSON.parse(readFileSync(file, 'utf8'));
  check(Number.isInteger(schema.version) && schema.version > 0, 'version must be a positive integer');
  const { positions, plainLength } = schema.entry;
  check(Array.isArray(positions) && positions.every((p) => identifier.test(p)), 'entry.positions must be names');
  check(new Set(positions).size === positions.length, 'entry.positions must differ');
  check(Number.isInteger(plainLength) && plainLength > 0 && plainLength <= positions.length, 'entry.plainLength must lie within the positions');
  const defaults = without(schema.entry.defaults, 'about');
  for (const [name, value] of Object.entries(defaults)) {
    check(positions.includes(name), `entry.defaults.${name} names no position`);
    check(Number.isInteger(value) || typeof value === 'string', `entry.defaults.${name} must be an integer or a text`);
  }
  const flags = Object.entries(schema.mediaFlags);
  check(flags.every(([name, bit]) => identifier.test(name) && Number.isInteger(bit) && bit > 0 && (bit & (bit - 1)) === 0), 'mediaFlags must be single bits');
  check(new Set(flags.map(([, bit]) => bit)).size === flags.length, 'mediaFlags must be different bits');
  check(Number.isInteger(schema.thumbSize) && schema.thumbSize > 0, 'thumbSize must be a positive integer');
  const { all, walked } = schema.rawExtensions;
  for (const list of [all, walked]) check(Array.isArray(list) && list.every((e) => extension.test(e)) && new Set(list).size === list.length, 'raw extensions must be different lower-case names');
  // A raw file the engine puts on a wall must also pair with its JPEG on the page.
  check(walked.every((e) => all.includes(e)), 'every walked raw extension must be among all of them');
  const videos = without(schema.videoExtensions, 'about');
  check(Object.entries(videos).every(([e, type]) => extension.test(e) && typeof type === 'string'), 'videoExtensions must map lower-case names to container types');
  check(Object.keys(videos).every((e) => !all.includes(e)), 'a name cannot be both a raw file and a video');
  const { format, version: formatVersion, pieceColumns, piecePhotos } = schema.wallData ?? {};
  check(typeof format === 'string' && formatName.test(format), 'wallData.format must be a lower-case name');
  check(Number.isInteger(formatVersion) && formatVersion > 0, 'wallData.version must be a positive integer');
  check(Array.isArray(pieceColumns) && pieceColumns.every((c) => identifier.test(c)), 'wallData.pieceColumns must be names');
  check(new Set(pieceColumns).size === pieceColumns.length, 'wallData.pieceColumns must differ');
  // A piece rebuilds every position of a plain entry: rel from dir and name, first from rel.
  const rebuilt = positions.slice(0, plainLength).filter((p) => p !== 'rel' && p !== 'first');
  check(pathColumns.every((c) => pieceColumns.includes(c)), `wallData.pieceColumns must hold ${pathColumns.join(' and ')}`);
  check(pieceColumns.every((c) => pathColumns.includes(c) || rebuilt.includes(c)), 'wallData.pieceColumns may hold only dir, name and plain positions other than rel and first');
  check(rebuilt.every((p) => pieceColumns.includes(p)), 'wallData.pieceColumns must hold every plain position other than rel and first');
  check(Number.isInteger(piecePhotos) && piecePhotos > 0, 'wallData.piecePhotos must be a positive integer');
  return {
    version: schema.version,
    positions,
    plainLength,
    defaults,
    mediaFlags: Object.fromEntries(flags),
    thumbSize: schema.thumbSize,
    rawExtensions: all,
    walkedRawExtensions: walked,
    videoTypes: videos,
    wallFormat: format,
    wallFormatVersion: formatVersion,
    pieceColumns,
    piecePhotos,
  };
}

const capitalized = (name) => name[0].toUpperCase() + name.slice(1);
// The page's name for an entry's position: atKey, atRel, ...
export const positionName = (name) => `at${capitalized(name)}`;

const generatedNote = (version) =>
  `Made by the build from resources/schema/wall-schema.json (version ${version}) with tools/wall-schema.mjs: change that file, not this one.`;

// The page's part: plain globals of the page's one function, read by table.js, media.js and the rest.
export function pageScript(schema = readSchema()) {
  const videoTypes = Object.fromEntries(Object.entries(schema.videoTypes).filter(([, type]) => type));
  return [
    `// ${generatedNote(schema.version)}`,
    `export var wallSchemaVersion = ${schema.version};`,
    '// The positions of an entry of manifest.js; a plain photo\'s entry has plainEntryLength of them.',
    `export var ${schema.positions.map((p, i) => `${positionName(p)} = ${i}`).join(', ')};`,
    `export var plainEntryLength = ${schema.plainLength};`,
    '// What a position holds when the entry lacks it or holds a value of another type.',
    `export var entryDefaults = ${JSON.stringify(schema.defaults)};`,
    '// The bits of the media flags.',
    `export var ${Object.entries(schema.mediaFlags).map(([name, bit]) => `${name} = ${bit}`).join(', ')};`,
    '// Thumbnails are the photo scaled down so that neither side exceeds thumbSide pixels, never up.',
    `export var thumbSide = ${schema.thumbSize};`,
    '// Camera raw files, by name.',
    `export var rawFile = /\\.(${[...schema.rawExtensions].sort().join('|')})$/i;`,
    '// The container type a browser is asked about for a video of this extension; none: no browser plays it.',
    `export var videoContainers = ${JSON.stringify(videoTypes)};`,
    '// The wall\'s data in pieces: the format and version wall.js must name, and a piece\'s columns in order.',
    `export var wallFormat = ${JSON.stringify(schema.wallFormat)}, wallFormatVersion = ${schema.wallFormatVersion};`,
    `export var pieceColumns = ${JSON.stringify(schema.pieceColumns)};`,
    '',
  ].join('\n');
}

const cxxText = (s) => JSON.stringify(s);
const cxxList = (names) => `{${names.map(cxxText).join(', ')}}`;

// The engine's part.
export function engineHeader(schema = readSchema()) {
  const videos = Object.keys(schema.videoTypes);
  const defaults = Object.entries(schema.defaults).map(([name, value]) =>
    `inline constexpr ${typeof value === 'string' ? 'std::string_view' : 'std::int64_t'} ${name} = ${typeof value === 'string' ? cxxText(value) : value};`);
  return `// ${generatedNote(schema.version)}
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace WallSchema {

inline constexpr int version = ${schema.version};

/// The positions of an entry of manifest.js's PHOTOS.
enum Position : std::size_t {
${schema.positions.map((p, i) => `    ${p} = ${i},`).join('\n')}
};
/// A plain photo's entry ends here; media positions follow only where they are needed.
inline constexpr std::size_t plainLength = ${schema.plainLength};

/// What a reader takes when a position is absent or holds a value of another type.
namespace Default {
${defaults.join('\n')}
} // namespace Default

/// The bits of the media position.
enum MediaFlag : std::int64_t {
${Object.entries(schema.mediaFlags).map(([name, bit]) => `    ${name} = ${bit},`).join('\n')}
};

/// Largest width or height of a thumbnail, in pixels.
inline constexpr int thumbSize = ${schema.thumbSize};

/// Camera raw files by extension (lower case): the page pairs all of them with a JPEG of the
/// same name; the engine makes photos of the walked ones.
inline constexpr std::array<std::string_view, ${schema.rawExtensions.length}> rawExtensions${cxxList(schema.rawExtensions)};
inline constexpr std::array<std::string_view, ${schema.walkedRawExtensions.length}> walkedRawExtensions${cxxList(schema.walkedRawExtensions)};

/// The videos the engine walks, by extension (lower case).
inline constexpr std::array<std::string_view, ${videos.length}> videoExtensions${cxxList(videos)};

/// The wall's data as the page loads it: the index wall.js and the pieces it names.
namespace Data {
inline constexpr std::string_view format = ${cxxText(schema.wallFormat)};
inline constexpr int version = ${schema.wallFormatVersion};
/// A piece's columns, in the order a piece holds them.
enum Column : std::size_t {
${schema.pieceColumns.map((c, i) => `    ${c} = ${i},`).join('\n')}
};
inline constexpr std::array<std::string_view, ${schema.pieceColumns.length}> columns${cxxList(schema.pieceColumns)};
/// Entries a piece holds at most.
inline constexpr std::size_t piecePhotos = ${schema.piecePhotos};
} // namespace Data

} // namespace WallSchema
`;
}

if (process.argv[1] && basename(process.argv[1]) === 'wall-schema.mjs') {
  const [what, output] = process.argv.slice(2);
  if (what !== 'header' || !output) {
    console.error('usage: wall-schema.mjs header OUTPUT_FILE');
    process.exit(2);
  }
  try {
    const text = engineHeader();
    const partial = join(dirname(output), `.${basename(output)}.partial`);
    writeFileSync(partial, text);
    renameSync(partial, output);
  } catch (error) {
    console.error(`wall-schema: ${error.message}`);
    process.exit(1);
  }
}
