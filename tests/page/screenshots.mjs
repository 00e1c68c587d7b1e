#!/usr/bin/env node
// Screenshots of a wall as people see it: desktop and phone widths, light and dark, the
// timeline in use, the viewer open with and without its info, and the shortcut list, in the
// browser language LOCALE. The wall gets the current page template first.
// Usage: node tests/page/screenshots.mjs WALL_DIR [OUT_DIR] [LOCALE]
//   (default OUT_DIR: /tmp/kestova-shots, LOCALE: en-US)
import { copyFileSync, mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { launch } from './browser.mjs';
import { template } from './wall.mjs';

const [wallDir, outDir = '/tmp/kestova-shots', browserLocale = 'en-US'] = process.argv.slice(2);
if (!wallDir) {
  console.error('usage: node tests/page/screenshots.mjs WALL_DIR [OUT_DIR] [LOCALE]');
  process.exit(2);
}
mkdirSync(outDir, { recursive: true });
copyFileSync(template, join(wallDir, 'index.html'));
const url = `file://${resolve(wallDir)}/index.html`;
const browser = await launch();
const shots = [];

async function shoot(name, { width, height, colorScheme, locale = browserLocale }, act) {
  const context = await browser.newContext({ viewport: { width, height }, colorScheme, locale, deviceScaleFactor: 1 });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForSelector('body[data-state="ready"]');
  await page.waitForFunction(() => [...document.querySelectorAll('.tile img')].slice(0, 8).every((i) => i.complete));
  if (act) await act(page);
  await page.waitForTimeout(400);
  const path = join(outDir, `${name}.png`);
  await page.screenshot({ path });
  shots.push(path);
  await context.close();
}

const desktop = { width: 1440, height: 900 };
const phone = { width: 390, height: 844 };
for (const colorScheme of ['light', 'dark']) {
  await shoot(`desktop-${colorScheme}`, { ...desktop, colorScheme });
  await shoot(`phone-${colorScheme}`, { ...phone, colorScheme });
  await shoot(`viewer-desktop-${colorScheme}`, { ...desktop, colorScheme }, async (page) => {
    await page.click('.tile[data-pos="1"]');
    await page.waitForSelector('#viewer .full.loaded, #viewer .note:not(:empty)');
  });
}
await shoot('viewer-info-desktop-light', { ...desktop, colorScheme: 'light' }, async (page) => {
  await page.click('.tile[data-pos="1"]');
  await page.waitForSelector('#viewer .full.loaded, #viewer .note:not(:empty)');
  await page.keyboard.press('i');
});
await shoot('help-desktop-light', { ...desktop, colorScheme: 'light' }, async (page) => {
  await page.keyboard.press('?');
});
await shoot('help-phone-light', { ...phone, colorScheme: 'light' }, async (page) => {
  await page.keyboard.press('?');
});
await shoot('viewer-phone-light', { ...phone, colorScheme: 'light' }, async (page) => {
  await page.click('.tile[data-pos="0"]');
  await page.waitForSelector('#viewer .full.loaded, #viewer .note:not(:empty)');
});
await shoot('timeline-hover-desktop-light', { ...desktop, colorScheme: 'light' }, async (page) => {
  const box = await page.locator('#scrubber .track').boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height * 0.55);
});
await shoot('scrolled-desktop-light', { ...desktop, colorScheme: 'light' }, async (page) => {
  await page.mouse.wheel(0, 1500);
});
await shoot('focus-desktop-light', { ...desktop, colorScheme: 'light' }, async (page) => {
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
});
await shoot('filtered-phone-dark', { ...phone, colorScheme: 'dark' }, async (page) => {
  await page.fill('#search', 'rome');
  await page.waitForFunction(() => /^\S+ \S+ \S/.test(document.getElementById('count').textContent));
});
await browser.close();
console.log(shots.join('\n'));
