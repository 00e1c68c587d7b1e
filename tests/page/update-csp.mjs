#!/usr/bin/env node
// Writes the hash of the page's inline script into its Content-Security-Policy.
// Run after every edit of the script in resources/template.html.
import { readFileSync, writeFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { inlineScriptHashes } from './csp.mjs';

const template = fileURLToPath(new URL('../../resources/template.html', import.meta.url));
const html = readFileSync(template, 'utf8');
const hashes = inlineScriptHashes(html);
if (hashes.length !== 1) {
  console.error(`update-csp: expected one inline script in ${template}, found ${hashes.length}`);
  process.exit(1);
}
const updated = html.replace(/'sha256-[A-Za-z0-9+/=]+'/, `'sha256-${hashes[0]}'`);
if (updated === html) console.log(`update-csp: already up to date (sha256-${hashes[0]})`);
else {
  writeFileSync(template, updated);
  console.log(`update-csp: wrote sha256-${hashes[0]}`);
}
