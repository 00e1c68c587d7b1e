// Loads some of the wall page's scripts into one fresh JavaScript context, as the joined page
// would run them but without a browser, so that their pure functions can be called directly.
// Formats default to American English, whatever this machine's locale.
import vm from 'node:vm';
import { pageSource } from '../../../tools/join-page.mjs';

const englishByDefault = `
for (const name of ['NumberFormat', 'DateTimeFormat', 'PluralRules', 'Collator']) {
  const Base = Intl[name];
  Intl[name] = class extends Base { constructor(locales, options) { super(locales ?? 'en-US', options); } };
}`;

export function loadPage(...names) {
  const context = vm.createContext({ performance, MessageChannel, TextEncoder, URL });
  vm.runInContext(englishByDefault, context);
  // The schema's values come first, as in the page.
  for (const name of ['schema.js', ...names.filter((n) => n !== 'schema.js')]) vm.runInContext(`'use strict';${pageSource(name)}`, context, { filename: name });
  // The page's pause channel would keep node running after the tests.
  context.channel?.port1.unref();
  return context;
}

// A job that never pauses and is never cancelled.
export const endlessJob = () => ({ cancelled: false, deadline: Infinity });

// Copies a value out of the page's context, so that assert's deep comparisons see plain objects
// and arrays of this context.
export const plain = (value) => JSON.parse(JSON.stringify(value));
