// The tables of texts: every language says everything English says, with the same fields and
// the plural forms its language needs; the page picks the table from the browser's languages.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { loadPage, plain } from './page.mjs';

const page = await loadPage('strings.js', 'strings-de.js', 'language.js', 'text.js');
const tables = page.textTables;
const english = tables.en;
const fields = (text) => [...text.matchAll(/\{(\w+)\}/g)].map((m) => m[1]).sort();
// The fields of a text, over all its plural forms.
const fieldsOf = (entry) => (typeof entry === 'string' ? fields(entry) : [...new Set(Object.values(entry).flatMap(fields))].sort());

describe('the tables of texts', () => {
  for (const [language, table] of Object.entries(tables).filter(([l]) => l !== 'en')) {
    test(`${language} has every English text, no other, with the same fields`, () => {
      assert.deepEqual(Object.keys(table).sort(), Object.keys(english).sort());
      for (const [name, entry] of Object.entries(english)) {
        const translated = table[name];
        assert.equal(typeof translated, typeof entry, name);
        assert.deepEqual(fieldsOf(translated), fieldsOf(entry), name);
        if (typeof entry === 'string') assert.ok(translated.trim(), `${name} is empty`);
      }
    });
  }

  test('a text that counts has exactly the plural forms of its language', () => {
    for (const [language, table] of Object.entries(tables)) {
      const categories = new Intl.PluralRules(language).resolvedOptions().pluralCategories.sort();
      for (const [name, entry] of Object.entries(table)) {
        if (typeof entry === 'string') continue;
        assert.deepEqual(Object.keys(entry).sort(), categories, `${language}.${name}`);
        // Every form but a spelled-out one shows the number.
        assert.ok(entry.other.includes('{n}'), `${language}.${name}.other`);
      }
    }
  });

  test('the language is the first of the browser\u2019s that has a table, by its primary language', () => {
    const choose = (preferred) => plain(page.chooseLanguage(preferred, tables));
    assert.deepEqual(choose(['de-DE']), { language: 'de', locale: 'de-DE' });
    assert.deepEqual(choose(['de-AT', 'en-US']), { language: 'de', locale: 'de-AT' });
    assert.deepEqual(choose(['DE_ch']), { language: 'de', locale: 'de-CH' });
    assert.deepEqual(choose(['fr-FR', 'de', 'en']), { language: 'de', locale: 'de' });
    assert.deepEqual(choose(['fr-FR', 'en-GB', 'de']), { language: 'en', locale: 'en-GB' });
    assert.deepEqual(choose(['en-US']), { language: 'en', locale: 'en-US' });
    // No table: English texts, the browser's own numbers and dates.
    assert.deepEqual(choose(['fr-FR', 'it']), { language: 'en', locale: 'fr-FR' });
    assert.deepEqual(choose([]), { language: 'en', locale: 'en' });
    assert.deepEqual(choose(undefined), { language: 'en', locale: 'en' });
    assert.deepEqual(choose(['not a tag!', 'de']), { language: 'de', locale: 'de' });
  });

});
