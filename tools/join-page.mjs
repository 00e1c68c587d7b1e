#!/usr/bin/env node
// Joins the wall page's sources (resources/page) into the one self-contained template.html that
// is copied into every wall. Walls open from file://, where modules cannot load, so the scripts
// become one inline script inside one function; the Content-Security-Policy names that script by
// its hash, computed here so that no one has to refresh it by hand.
//
// In shell.html:
//   {{style: a.css}}            the named style sheet
//   {{script: a.js b.js ...}}   the named scripts, in this order, as one script
//   {{scriptHash}}              the SHA-256 of that script, base64
//   {{name}}                    the text called name in strings.js, escaped for HTML
//
// Three scripts are not sources: schema.js is made from the wall's schema (see wall-schema.mjs),
// outline.js holds the world's outlines for the map (see world-outline.mjs), and cluster.js is the
// clustering index from npm (supercluster, with its own dependency), bundled by esbuild into one
// function that names it Supercluster.
//
//   node tools/join-page.mjs SOURCE_DIR OUTPUT_FILE
import { createHash } from 'node:crypto';
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { basename, dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import vm from 'node:vm';
import { buildSync } from 'esbuild';
import { pageScript } from './wall-schema.mjs';
import { outlineScript } from './world-outline.mjs';

export const sourceDir = fileURLToPath(new URL('../resources/page/', import.meta.url));

const read = (dir, name) => readFileSync(join(dir, name), 'utf8');

// The scripts the join makes itself rather than reads from the sources.
export const generatedScripts = { 'schema.js': () => pageScript(), 'outline.js': () => outlineScript(), 'cluster.js': () => clusterScript() };

function clusterScript() {
  const bundle = buildSync({
    stdin: { contents: "export { default } from 'supercluster';", resolveDir: fileURLToPath(new URL('.', import.meta.url)) },
    bundle: true, format: 'iife', globalName: 'superclusterModule', minify: true, write: false, target: 'es2020', legalComments: 'inline',
  });
  return `// supercluster 9.1.0 (ISC, Mapbox) and kdbush, bundled by esbuild.\n${bundle.outputFiles[0].text}var Supercluster = superclusterModule.default;\n`;
}
// A script of the page as it is joined.
export const pageSource = (name, dir = sourceDir) => (generatedScripts[name] ? generatedScripts[name]() : read(dir, name));
const escapeHtml = (s) => s.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');

// The page's scripts, in the order the shell names them.
export function scriptNames(dir = sourceDir) {
  const found = read(dir, 'shell.html').match(/\{\{script:([^}]*)\}\}/);
  if (!found) throw new Error(`${join(dir, 'shell.html')} names no scripts`);
  return found[1].trim().split(/\s+/);
}

// The table of texts, as the page sees it.
export function pageStrings(dir = sourceDir) {
  return vm.runInNewContext(`${read(dir, 'strings.js')}\n;strings`, {}, { filename: 'strings.js' });
}

export function joinScript(dir = sourceDir) {
  const parts = scriptNames(dir).map((name) => {
    const text = pageSource(name, dir);
    // Inside an inline script, this sequence would end the script early.
    if (/<\/script/i.test(text)) throw new Error(`${name} contains "</script", which would end the page's script`);
    return text.endsWith('\n') ? text : `${text}\n`;
  });
  return `\n(function () {\n'use strict';\n\n${parts.join('\n')}})();\n`;
}

export function joinPage(dir = sourceDir) {
  const strings = pageStrings(dir);
  const script = joinScript(dir);
  const hash = createHash('sha256').update(script, 'utf8').digest('base64');
  const page = read(dir, 'shell.html').replace(/\{\{([^}]*)\}\}/g, (whole, inside) => {
    const [, kind, rest] = inside.match(/^\s*(\w+)\s*(?::([\s\S]*))?$/) || [];
    if (kind === 'style' && rest) return read(dir, rest.trim()).replace(/\n$/, '');
    if (kind === 'script' && rest !== undefined) return '\u0000script\u0000';
    if (kind === 'scriptHash') return hash;
    if (kind && rest === undefined && typeof strings[kind] === 'string') return escapeHtml(strings[kind]);
    throw new Error(`shell.html: ${whole} names nothing known`);
  });
  // The script goes in last so that nothing in it is taken for a placeholder; it replaces the
  // whole line with the markers, which then sit directly inside <script>…</script>.
  return page.replace(/\n?\u0000script\u0000\n?/, () => script);
}

if (process.argv[1] && basename(process.argv[1]) === 'join-page.mjs') {
  const [dir, output] = process.argv.slice(2);
  if (!dir || !output) {
    console.error('usage: join-page.mjs SOURCE_DIR OUTPUT_FILE');
    process.exit(2);
  }
  try {
    const html = joinPage(dir);
    // Written whole and then renamed, so that a copy made meanwhile is never half a page.
    const partial = join(dirname(output), `.${basename(output)}.partial`);
    writeFileSync(partial, html);
    renameSync(partial, output);
  } catch (error) {
    console.error(`join-page: ${error.message}`);
    process.exit(1);
  }
}
