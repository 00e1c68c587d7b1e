// Filtering by top folder and by text, kept in the address fragment.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launch } from './browser.mjs';
import { assertQuiet, headings, open, tileNames, topHeading, visibleNames, whenReady } from './harness.mjs';
import { civil, entry, makeWall, synthetic } from './wall.mjs';

const entries = synthetic(10000);
const wall = makeWall(entries, { thumbs: (e, i) => i < 500 });
const fmt = new Intl.NumberFormat('en-US');
const inRoot = (e) => !e[1].includes('/');
const countOf = (folder) => entries.filter((e) => !inRoot(e) && e[5] === folder).length;
const matching = (text) => entries.filter((e) => e[1].toLowerCase().includes(text));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// Waits for the wall to settle after a change of filter.
async function settled(page, count) {
  await page.waitForFunction((text) => document.body.dataset.state === 'ready' && document.getElementById('count').textContent === text, count);
}

describe('filter', () => {
  test('folders and their subfolders are listed as a tree with their counts, the loose photos last', async () => {
    const { context, page } = await open(browser, wall.url);
    const options = await page.$$eval('#folder option', (os) => os.map((o) => [o.value, o.textContent]));
    const years = [...new Set(entries.filter((e) => !inRoot(e) && e[5] !== 'Scans').map((e) => e[5]))].sort();
    const within = (folder) => entries.filter((e) => e[1].startsWith(`${folder}/`)).length;
    const subfolders = (top) => [...new Set(entries.filter((e) => e[5] === top).map((e) => e[1].split('/')[1]))].sort()
      .map((sub) => [`${top}/${sub}`, `${top} \u203a ${sub} (${fmt.format(within(`${top}/${sub}`))})`]);
    assert.deepEqual(options, [
      ['', 'All folders (10,000)'],
      ...years.flatMap((y) => [[y, `${y} (${fmt.format(countOf(y))})`], ...subfolders(y)]),
      ['Scans', `Scans (${countOf('Scans')})`],
      ...subfolders('Scans'),
      ['/', `Not in a subfolder (${entries.filter(inRoot).length})`],
    ]);
    assert.ok(options.some(([, text]) => text.startsWith('2016 \u203a Trip 4 (')));
    await context.close();
  });

  test('a subfolder filters to its own photos, and the address keeps it', async () => {
    const { context, page, record } = await open(browser, wall.url);
    const folder = '2016/Trip 4';
    const inside = entries.filter((e) => e[1].startsWith(`${folder}/`));
    await page.selectOption('#folder', folder);
    await settled(page, `${fmt.format(inside.length)} of 10,000 photos`);
    assert.equal(await page.evaluate(() => location.hash), '#folder=2016%2FTrip%204');
    const titles = await page.$$eval('.tile', (ts) => ts.map((t) => t.title));
    assert.deepEqual(titles, inside.slice(0, titles.length).map((e) => e[1]));
    await page.reload();
    await whenReady(page);
    assert.equal(await page.inputValue('#folder'), folder);
    // A folder that is not in the wall (any more) shows nothing and says so.
    await page.goto(`${wall.url}#folder=2016%2FTrip%2099`);
    await page.reload();
    await whenReady(page);
    assert.equal(await page.textContent('#count'), '0 of 10,000 photos');
    assertQuiet(record);
    await context.close();
  });

  test('choosing a folder keeps its months and the timeline; reload and Back follow the fragment', async () => {
    const { context, page, record } = await open(browser, wall.url);
    const n2019 = countOf('2019');
    await page.selectOption('#folder', '2019');
    await settled(page, `${fmt.format(n2019)} of 10,000 photos`);
    assert.equal(await page.evaluate(() => location.hash), '#folder=2019');
    const titles = await page.$$eval('.tile', (ts) => ts.map((t) => t.title));
    assert.ok(titles.length > 10 && titles.every((t) => t.startsWith('2019/')));
    const december = entries.filter((e) => e[5] === '2019' && new Date(e[4] * 1000).getUTCMonth() === 11).length;
    assert.equal((await headings(page))[0], `December 2019|${december} photos`);
    assert.equal(await page.isVisible('#scrubber'), true);

    await page.reload();
    await whenReady(page);
    assert.equal(await page.textContent('#count'), `${fmt.format(n2019)} of 10,000 photos`);
    assert.equal(await page.inputValue('#folder'), '2019');

    await page.goBack();
    await settled(page, '10,000 photos');
    assert.equal(await page.inputValue('#folder'), '');
    assert.equal((await headings(page))[0].split('|')[0], 'December 2024');
    assertQuiet(record);
    await context.close();
  });

  test('the search matches paths regardless of case, with every word', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.fill('#search', 'IMG_12');
    const hits = matching('img_12');
    await settled(page, `${fmt.format(hits.length)} of 10,000 photos`);
    assert.equal(await page.evaluate(() => location.hash), '#q=IMG_12');
    assert.deepEqual((await tileNames(page)).slice(0, 5), hits.slice(0, 5).map((e) => e[1].split('/').pop()));

    // Every word narrows: "3" is a whole number of the path (Trip 3), not any 3 in it.
    await page.fill('#search', 'trip 3 img_1');
    const both = matching('img_1').filter((e) => e[1].includes('/Trip 3/'));
    await settled(page, `${fmt.format(both.length)} of 10,000 photos`);
    assert.ok(both.length > 0 && both.length < matching('img_1').length);

    // Folder and text together, both in the fragment; a reload restores both.
    await page.fill('#search', 'trip');
    const folder = '2020';
    await page.selectOption('#folder', folder);
    const combined = entries.filter((e) => e[5] === folder && e[1].toLowerCase().includes('trip'));
    await settled(page, `${fmt.format(combined.length)} of 10,000 photos`);
    assert.equal(await page.evaluate(() => location.hash), '#folder=2020&q=trip');
    await page.reload();
    await whenReady(page);
    assert.equal(await page.inputValue('#search'), 'trip');
    assert.equal(await page.textContent('#count'), `${fmt.format(combined.length)} of 10,000 photos`);
    await context.close();
  });

  test('the timeline of a filtered wall reaches its last photo', async () => {
    const { context, page } = await open(browser, `${wall.url}#folder=Scans`);
    const scans = entries.filter((e) => e[5] === 'Scans');
    assert.equal(await page.textContent('#count'), `${scans.length} of 10,000 photos`);
    assert.deepEqual(await headings(page), [`No date|${scans.length} photos`]);
    await page.goto(`${wall.url}#folder=2015`);
    await page.reload();
    await whenReady(page);
    const box = await page.locator('#scrubber .track').boundingBox();
    const x = box.x + box.width / 2;
    // A click goes to the start of the month under the pointer.
    await page.mouse.click(x, box.y + box.height - 1);
    assert.equal(await topHeading(page), 'January 2015');
    // A drag to the end goes to the very end.
    await page.mouse.move(x, box.y + 2);
    await page.mouse.down();
    await page.mouse.move(x, box.y + box.height, { steps: 5 });
    await page.mouse.up();
    const last = entries.filter((e) => e[5] === '2015').pop();
    assert.ok((await visibleNames(page)).includes(last[1].split('/').pop()));
    await context.close();
  });

  test('a name whose lower case is longer does not shift the search of the names after it', async () => {
    const names = ['İzmir İnci/IMG_1.jpg', 'Rome/IMG_2.jpg', 'Paris/IMG_3.jpg', 'Paris/ıIMG_4.jpg'];
    const small = names.map((rel, i) => entry(rel, civil(2020, 5, 10 - i)));
    const { context, page } = await open(browser, makeWall(small).url);
    for (const [query, expected] of [['paris', ['IMG_3.jpg', 'ıIMG_4.jpg']], ['img_2.jpg', ['IMG_2.jpg']], ['paris/img_3.jpg', ['IMG_3.jpg']], ['nci/img_1.jpg', ['IMG_1.jpg']]]) {
      await page.fill('#search', query);
      await page.waitForFunction((q) => location.hash === `#q=${encodeURIComponent(q)}`, query);
      await settled(page, `${expected.length} of 4 photos`);
      assert.deepEqual(await tileNames(page), expected);
    }
    await context.close();
  });

  test('no match says so and offers to show everything', async () => {
    const { context, page } = await open(browser, wall.url);
    await page.fill('#search', 'no such photo');
    await settled(page, '0 of 10,000 photos');
    assert.equal(await page.textContent('#message'), 'No photos match this filter.Show all photos');
    assert.equal(await page.$$eval('.tile', (t) => t.length), 0);
    await page.click('#message button');
    await settled(page, '10,000 photos');
    assert.equal(await page.inputValue('#search'), '');
    assert.equal(await page.evaluate(() => location.hash), '');
    await context.close();
  });
});
