// The wall page allows only its own inline script, named by its SHA-256 in the
// Content-Security-Policy. These helpers find that script and its hash.
import { createHash } from 'node:crypto';

const inlineScript = /<script>([\s\S]*?)<\/script>/g;
const declared = /'sha256-([A-Za-z0-9+/=]+)'/g;

export function inlineScriptHashes(html) {
  return [...html.matchAll(inlineScript)].map((m) => createHash('sha256').update(m[1], 'utf8').digest('base64'));
}

export function declaredHashes(html) {
  const meta = html.match(/<meta http-equiv="Content-Security-Policy" content="([^"]*)">/);
  return meta ? [...meta[1].matchAll(declared)].map((m) => m[1]) : [];
}
