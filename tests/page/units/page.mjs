// Loads some of the wall page's modules, bundled as the page bundles them, into one fresh
// JavaScript context, without a browser, so that their functions can be called directly. The
// page object holds what the named modules export.
// Formats default to American English, whatever this machine's locale.
import vm from 'node:vm';
import { bundlePage } from '../../../tools/join-page.mjs';

const englishByDefault = `
for (const name of ['NumberFormat', 'DateTimeFormat', 'PluralRules', 'Collator']) {
  const Base = Intl[name];
  Intl[name] = class extends Base { constructor(locales, options) { super(locales ?? 'en-US', options); } };
}`;

// The page's pause channel would keep node running after the tests: each channel the page makes
// is let go once the page has set itself up.
const channels = [];
class QuietChannel extends MessageChannel {
  constructor() { super(); channels.push(this); }
}

export async function loadPage(...names) {
  const context = vm.createContext({ performance, MessageChannel: QuietChannel, TextEncoder, URL });
  vm.runInContext(englishByDefault, context);
  // The schema's values come first, as in the page.
  const entry = ['schema.js', ...names.filter((n) => n !== 'schema.js')].map((name) => `export * from './${name}';`).join('\n');
  const { text } = await bundlePage({ entry, globalName: 'page' });
  vm.runInContext(`${text}\n;globalThis.page = page;`, context, { filename: 'page.js' });
  for (const channel of channels.splice(0)) channel.port1.unref();
  return context.page;
}

// A job that never pauses and is never cancelled.
export const endlessJob = () => ({ cancelled: false, deadline: Infinity });

// Copies a value out of the page's context, so that assert's deep comparisons see plain objects
// and arrays of this context.
export const plain = (value) => JSON.parse(JSON.stringify(value));
