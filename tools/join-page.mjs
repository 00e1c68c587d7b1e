#!/usr/bin/env node
// Joins the wall page's sources (resources/page) into the one self-contained template.html that
// is copied into every wall. The scripts are ES modules, each importing what it uses from the
// others; walls open from file://, where modules cannot load, so esbuild bundles them, from
// entry.js, into one classic inline script. The Content-Security-Policy names that script by its
// hash, computed here from the exact bytes that go into the page, so that no one has to refresh
// it by hand.
//
// In shell.html:
//   {{style: a.css}}            the named style sheet
//   {{script}}                  the bundled scripts
//   {{scriptHash}}              the SHA-256 of that script, base64
//   {{name}}                    the text called name in strings.js, escaped for HTML
//
// Two modules are not sources: schema.js is made from the wall's schema (see wall-schema.mjs),
// and outline.js holds the world's outlines for the map (see world-outline.mjs). The clustering
// index comes from npm (supercluster, with its own dependency).
//
//   node tools/join-page.mjs SOURCE_DIR OUTPUT_FILE
import { createHash } from 'node:crypto';
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { basename, dirname, join, relative, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import vm from 'node:vm';
import { build, transformSync } from 'esbuild';
import { pageScript } from './wall-schema.mjs';
import { outlineScript } from './world-outline.mjs';

export const sourceDir = fileURLToPath(new URL('../resources/page/', import.meta.url));

const read = (dir, name) => readFileSync(join(dir, name), 'utf8');

// The modules the join makes itself rather than reads from the sources.
export const generatedScripts = { 'schema.js': () => pageScript(), 'outline.js': () => outlineScript() };

// Serves the generated modules to esbuild wherever a source imports them ('./schema.js').
function generatedModules(dir) {
  return {
    name: 'generated',
    setup(bundler) {
      const names = Object.keys(generatedScripts).map((n) => n.replace(/\./g, '\\.')).join('|');
      bundler.onResolve({ filter: new RegExp(`^\\./(${names})$`) }, (args) => ({ path: basename(args.path), namespace: 'generated' }));
      bundler.onLoad({ filter: /.*/, namespace: 'generated' }, (args) => ({ contents: generatedScripts[args.path](), loader: 'js', resolveDir: dir }));
    },
  };
}

// Bundles the page's modules into one classic script: from the entry module, or from entry, the
// text of a module of its own that imports from the sources. The page's bundle keeps its
// whitespace and names, so that a wall's script stays readable where it is; comments go.
// format 'iife' with globalName gives a script that leaves the entry's exports in that variable.
export async function bundlePage({ dir = sourceDir, entry, format = 'iife', globalName, metafile = false } = {}) {
  const result = await build({
    ...(entry === undefined ? { entryPoints: [join(dir, 'entry.js')] } : { stdin: { contents: entry, resolveDir: dir, sourcefile: 'modules.js' } }),
    bundle: true, format, globalName, target: 'es2020', write: false, metafile,
    charset: 'utf8', legalComments: 'inline', logLevel: 'silent',
    // Packages from npm come from the build's own, wherever the sources are.
    nodePaths: [fileURLToPath(new URL('../node_modules/', import.meta.url))],
    // Modules are strict on their own; the bundle says so, as one classic script.
    banner: { js: "'use strict';" },
    plugins: [generatedModules(dir)],
  });
  return { text: result.outputFiles[0].text, metafile: result.metafile };
}

const escapeHtml = (s) => s.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');

// The modules the page's bundle takes from the sources and from the join, by name.
export async function scriptNames(dir = sourceDir) {
  const { metafile } = await bundlePage({ dir, metafile: true });
  const root = resolve(dir);
  return Object.keys(metafile.inputs).flatMap((input) => {
    if (input.startsWith('generated:')) return [input.slice('generated:'.length)];
    const path = relative(root, resolve(input));
    return path.includes('/') || path.startsWith('..') ? [] : [path];
  });
}

// What a module of the sources exports under this name, read without a browser: the tables of
// texts, which the page's HTML takes its texts from too.
export function moduleValue(file, name, dir = sourceDir) {
  const { code } = transformSync(read(dir, file), { format: 'iife', globalName: 'pageModule', target: 'es2020', sourcefile: file });
  return vm.runInNewContext(`${code}\n;pageModule[${JSON.stringify(name)}]`, {}, { filename: file });
}

// The table of texts, as the page sees it.
export const pageStrings = (dir = sourceDir) => moduleValue('strings.js', 'strings', dir);

export async function joinScript(dir = sourceDir) {
  const script = `\n${(await bundlePage({ dir })).text}`;
  // Inside an inline script, this sequence would end the script early.
  if (/<\/script/i.test(script)) throw new Error('the page\'s script contains "</script", which would end it early');
  return script;
}

export async function joinPage(dir = sourceDir) {
  const strings = pageStrings(dir);
  const script = await joinScript(dir);
  const hash = createHash('sha256').update(script, 'utf8').digest('base64');
  const page = read(dir, 'shell.html').replace(/\{\{([^}]*)\}\}/g, (whole, inside) => {
    const [, kind, rest] = inside.match(/^\s*(\w+)\s*(?::([\s\S]*))?$/) || [];
    if (kind === 'style' && rest) return read(dir, rest.trim()).replace(/\n$/, '');
    if (kind === 'script' && rest === undefined) return '\u0000script\u0000';
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
    const html = await joinPage(dir);
    // Written whole and then renamed, so that a copy made meanwhile is never half a page.
    const partial = join(dirname(output), `.${basename(output)}.partial`);
    writeFileSync(partial, html);
    renameSync(partial, output);
  } catch (error) {
    console.error(`join-page: ${error.message}`);
    process.exit(1);
  }
}
