// The joined template: one script, named by its hash, every placeholder filled.
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { describe, test } from 'node:test';
import { generatedScripts, joinPage, pageStrings, scriptNames, sourceDir } from '../../../tools/join-page.mjs';
import { declaredHashes, inlineScriptHashes } from '../csp.mjs';

const built = process.env.KESTOVA_TEMPLATE;

describe('the joined template', () => {
  test('names its one inline script by its hash', async () => {
    for (const html of [await joinPage(), ...(built ? [readFileSync(built, 'utf8')] : [])]) {
      assert.equal(inlineScriptHashes(html).length, 1);
      assert.deepEqual(declaredHashes(html), inlineScriptHashes(html));
      assert.doesNotMatch(html.replace(/<script>[\s\S]*<\/script>/, ''), /\{\{|\}\}/);
    }
  });

  test('the build\u2019s template is the one the sources make', { skip: !built && 'KESTOVA_TEMPLATE is not set' }, async () => {
    assert.equal(readFileSync(built, 'utf8'), await joinPage());
  });

  test('uses every script and style sheet of its sources, and takes its texts from strings.js', async () => {
    const html = await joinPage();
    const sources = readdirSync(sourceDir);
    const scripts = await scriptNames();
    assert.deepEqual(sources.filter((f) => f.endsWith('.js')).sort(), scripts.filter((name) => !generatedScripts[name]).sort());
    for (const sheet of sources.filter((f) => f.endsWith('.css'))) assert.ok(html.includes(readFileSync(`${sourceDir}/${sheet}`, 'utf8').trim()), sheet);
    assert.ok(html.includes(`<noscript><p style="text-align:center">${pageStrings().noScript}</p></noscript>`));
    assert.ok(html.includes('aria-label="Show photos from folder"'));
  });
});
