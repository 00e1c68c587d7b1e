#!/usr/bin/env node
// Measures the wall page in headless Chromium for large walls:
//   - navigation to the first row of thumbnails painted (manifest parse included),
//   - the longest main-thread task while loading, and while scrolling fast: a real mouse drag
//     along the timeline, a fast mouse wheel (real input, through the browser's own scrolling)
//     and big script scroll steps through the whole wall,
//   - a timeline jump to a month until its thumbnails are on screen (thumbnails already read
//     once, so in the disk cache),
//   - the most DOM elements seen.
//
// Usage: node bench/page.mjs [COUNT|month ...]      (default: 100000 1000000 month)
// Needs tests/page/node_modules (scripts/setup) and /usr/bin/chromium. Walls are written under
// $KESTOVA_BENCH_DIR (default /tmp) as kestova-bench-COUNT and reused when already there.
// $KESTOVA_BENCH_TEMPLATES, template files separated by spaces, compares page templates in one
// run: each wall is measured with each template in turn (default: the current page).
import { execFileSync } from 'node:child_process';
import { existsSync, linkSync, mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { loadavg } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launch } from '../tests/page/browser.mjs';
import { civil, entry, manifestText, synthetic, template, writeWallData } from '../tests/page/wall.mjs';

// A wall is a number of photos over 25 years, or 'month', 300,000 photos of one month and
// 300,000 undated.
const walls = process.argv.slice(2).filter((a) => a === 'month' || Number(a) > 0);
const sharedPhotos = fileURLToPath(new URL('../../shared/photos', import.meta.url));
// A million thumbnail files would take longer to write than the benchmark runs, so photos share
// 4,096 keys whose files are hard links to a few real 420-pixel thumbnails.
const distinctKeys = 4096;
// The photos of one piece, as the engine writes them ($KESTOVA_BENCH_PIECE to try others).
const piecePhotos = Number(process.env.KESTOVA_BENCH_PIECE) || 5000;

function makeThumbnails(dir) {
  const sources = ['orientation/Landscape_1.jpg', 'orientation/Portrait_1.jpg', 'cameras/iphone_hdr_NO.jpg', 'cameras/Canon_40D.jpg'];
  return sources.map((source, i) => {
    const out = join(dir, `source-${i}.jpg`);
    execFileSync('vipsthumbnail', [join(sharedPhotos, source), '--size', '420x420', '-o', `${out}[Q=55,strip]`]);
    return out;
  });
}

function monthWall() {
  const start = civil(2024, 7, 31, 23, 59);
  const dated = Array.from({ length: 300000 }, (_, i) => entry(`2024/07 Summer/IMG_${i}.jpg`, start - Math.floor(i * 8.9)));
  const undated = Array.from({ length: 300000 }, (_, i) => entry(`Scans/box ${i % 40}/scan_${i}.jpg`, 0, 3000, 2000));
  return dated.concat(undated);
}

// The wall's data both ways, as the engine writes them: manifest.js, and the index with its pieces.
function makeBenchWall(kind, page) {
  const dir = join(process.env.KESTOVA_BENCH_DIR || '/tmp', `kestova-bench-${kind}`);
  const manifest = join(dir, 'manifest.js');
  const made = existsSync(manifest) && existsSync(join(dir, 'wall.js'));
  if (!made) {
    rmSync(dir, { recursive: true, force: true });
    mkdirSync(dir, { recursive: true });
  }
  // Always the current page; the photos are made once.
  writeFileSync(join(dir, 'index.html'), readFileSync(page));
  if (made) return dir;
  const entries = kind === 'month' ? monthWall() : synthetic(Number(kind), { years: 25 });
  const keys = Array.from({ length: distinctKeys }, (_, i) => (0x1000000000000000n + BigInt(i) * 0x9e3779b97f4a7n).toString(16).slice(0, 16));
  entries.forEach((e, i) => { e[0] = keys[i % distinctKeys]; });
  writeFileSync(manifest, manifestText(`Benchmark ${kind}`, '/home/ana/Pictures', entries));
  writeWallData(dir, `Benchmark ${kind}`, '/home/ana/Pictures', entries, { perPiece: piecePhotos });
  const thumbs = makeThumbnails(dir);
  keys.forEach((key, i) => {
    const sub = join(dir, 'thumbs', key.slice(0, 2));
    mkdirSync(sub, { recursive: true });
    linkSync(thumbs[i % thumbs.length], join(sub, `${key}.jpg`));
  });
  return dir;
}

// Marks the first row's images (the page tags them) and keeps every long animation frame.
function observe() {
  window.__firstRow = [];
  new PerformanceObserver((list) => {
    for (const e of list.getEntries()) if (e.identifier === 'first-row') window.__firstRow.push(e.renderTime || e.loadTime);
  }).observe({ type: 'element', buffered: true });
}

// The tasks on the page's main thread in a Chromium trace, longest first: wall time and the
// thread's own CPU time in milliseconds, and for the longest few what took the time (the events
// inside them by self time: script, style, layout, garbage collection). On a shared machine the
// CPU time is the steadier figure.
function longestTasks(trace) {
  const events = JSON.parse(trace).traceEvents;
  // A navigation may use more than one renderer; the page's is the one that worked hardest.
  const mains = events.filter((e) => e.name === 'thread_name' && e.args.name === 'CrRendererMain');
  let best = [], bestCpu = -1, thread = [];
  for (const m of mains) {
    const own = events.filter((e) => e.pid === m.pid && e.tid === m.tid && e.ph === 'X');
    const tasks = own.filter((e) => e.name === 'RunTask');
    const cpu = tasks.reduce((sum, t) => sum + (t.tdur ?? t.dur), 0);
    if (cpu > bestCpu) { best = tasks; bestCpu = cpu; thread = own; }
  }
  const sorted = best.map((t) => ({ wall: t.dur / 1000, cpu: (t.tdur ?? t.dur) / 1000, task: t })).sort((a, b) => b.wall - a.wall);
  sorted.slice(0, 3).forEach((t) => { t.inside = insideTask(t.task, thread); });
  return sorted;
}

// Self time by event name of everything inside task on its thread, the largest first.
function insideTask(task, thread) {
  const end = task.ts + task.dur;
  const inside = thread.filter((e) => e !== task && e.ts >= task.ts && e.ts + e.dur <= end).sort((a, b) => a.ts - b.ts || b.dur - a.dur);
  const self = new Map();
  const open = [];
  for (const e of inside) {
    while (open.length && open.at(-1).ts + open.at(-1).dur <= e.ts) open.pop();
    const parent = open.at(-1);
    if (parent) self.set(parent.name, (self.get(parent.name) || 0) - e.dur);
    self.set(e.name, (self.get(e.name) || 0) + e.dur);
    open.push(e);
  }
  return [...self.entries()].filter(([, d]) => d > 0).sort((a, b) => b[1] - a[1]).slice(0, 4).map(([n, d]) => `${n} ${(d / 1000).toFixed(0)}`).join(', ');
}
const describeTasks = (tasks) => {
  const cpu = tasks.reduce((most, t) => Math.max(most, t.cpu), 0);
  return `${tasks.slice(0, 3).map((t) => `${ms(t.wall)} (cpu ${ms(t.cpu)}${t.inside ? `: ${t.inside}` : ''})`).join(', ')}; most cpu in one task ${ms(cpu)}`;
};

async function traced(browser, page, action) {
  await browser.startTracing(page, { categories: ['devtools.timeline', 'disabled-by-default-devtools.timeline'] });
  await action();
  const buffer = await browser.stopTracing();
  return longestTasks(buffer.toString('utf8'));
}

// The JS heap in use, exactly (performance.memory is rounded and only updated now and then).
async function usedHeap(page) {
  const cdp = await page.context().newCDPSession(page);
  const { usedSize } = await cdp.send('Runtime.getHeapUsage');
  await cdp.detach();
  return usedSize;
}

const median = (xs) => xs.slice().sort((a, b) => a - b)[xs.length >> 1];
const ms = (x) => `${x.toFixed(0)} ms`;

async function firstRow(browser, url) {
  const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
  const page = await context.newPage();
  await page.addInitScript(observe);
  let tasks = [];
  tasks = await traced(browser, page, async () => {
    await page.goto(url, { timeout: 180000 });
    await page.waitForSelector('body[data-state="ready"]', { timeout: 120000 });
    const tiles = await page.$$eval('img[elementtiming="first-row"]', (i) => i.length);
    await page.waitForFunction((n) => window.__firstRow.length >= n, tiles, { timeout: 60000 });
  });
  const painted = await page.evaluate(() => Math.max(...window.__firstRow));
  const phases = await page.evaluate(() => Object.fromEntries(performance.getEntriesByType('mark')
    .filter((m) => m.name.startsWith('kestova:')).map((m) => [m.name.slice(8), m.startTime])));
  const heap = await usedHeap(page);
  return { context, page, painted, tasks, heap, phases };
}

async function run(browser, n, pageFile) {
  const dir = makeBenchWall(n, pageFile);
  const url = `file://${dir}/index.html`;
  const mb = (bytes) => `${(bytes / 1e6).toFixed(1)} MB`;
  const pieces = readdirSync(join(dir, 'data')).reduce((sum, f) => sum + statSync(join(dir, 'data', f)).size, 0);
  console.log(`\n${n === 'month' ? '300,000 photos of one month and 300,000 undated' : `${Number(n).toLocaleString('en-US')} photos`} (manifest.js ${mb(statSync(join(dir, 'manifest.js')).size)}; wall.js and pieces ${mb(statSync(join(dir, 'wall.js')).size + pieces)}), page ${pageFile}, load average ${loadavg()[0].toFixed(1)}`);

  const paints = [];
  const phases = [];
  let load = null;
  for (let i = 0; i < 5; i++) {
    const r = await firstRow(browser, url);
    paints.push(r.painted);
    phases.push(r.phases);
    if (load) await load.context.close();
    load = r;
  }
  const { page } = load;
  console.log(`  first row painted:       ${paints.map(ms).join(', ')} (median ${ms(median(paints))})`);
  const phase = (name) => (phases.every((p) => p[name] !== undefined) ? ms(median(phases.map((p) => p[name]))) : '-');
  console.log(`    medians: data read at ${phase('manifest')} (manifest.js) / ${phase('index')} (index); first photos in the table at ${phase('table')}; first screen shown at ${phase('shown')}; whole wall laid out at ${phase('ready')}`);
  console.log(`  longest tasks in load:   ${describeTasks(load.tasks)}`);
  console.log(`  JS heap after load:      ${(load.heap / 1e6).toFixed(0)} MB`);

  // A fast pass through the whole wall with the timeline, then with big scroll steps.
  const box = await page.locator('#scrubber .track').boundingBox();
  const x = box.x + box.width / 2;
  let most = 0;
  const dragTasks = await traced(browser, page, async () => {
    await page.mouse.move(x, box.y + 1);
    await page.mouse.down();
    for (let i = 0; i <= 120; i++) {
      await page.mouse.move(x, box.y + (box.height * i) / 120);
      if (i % 10 === 0) most = Math.max(most, await page.evaluate(() => document.getElementsByTagName('*').length));
    }
    await page.mouse.up();
  });
  // A fast mouse wheel over the photos, as a hand flicks it: real wheel events, scrolled by the
  // browser itself, each one sent once the page has drawn the frame before.
  await page.evaluate(() => scrollTo(0, 0));
  await page.waitForTimeout(200);
  await page.mouse.move(400, 500);
  const wheels = 240, wheelStep = 2500;
  const wheelTasks = await traced(browser, page, async () => {
    for (let i = 0; i < wheels; i++) {
      await page.mouse.wheel(0, wheelStep);
      await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => resolve())));
      if (i % 20 === 0) most = Math.max(most, await page.evaluate(() => document.getElementsByTagName('*').length));
    }
    await page.waitForTimeout(300);
  });
  const wheeled = await page.evaluate(() => scrollY);
  await page.evaluate(() => scrollTo(0, 0));
  await page.waitForTimeout(200);
  let scrollSteps = 0;
  const scrollTasks = await traced(browser, page, async () => {
    const r = await page.evaluate(async () => {
      const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
      let last = -1, steps = 0, biggest = 0;
      while (scrollY !== last && steps < 3000) {
        last = scrollY;
        scrollBy(0, 20000);
        await frame();
        steps++;
        biggest = Math.max(biggest, document.getElementsByTagName('*').length);
      }
      return { steps, biggest };
    });
    scrollSteps = r.steps;
    most = Math.max(most, r.biggest);
  });
  console.log(`  longest tasks, timeline drag top to bottom (121 moves): ${describeTasks(dragTasks)}`);
  console.log(`  longest tasks, ${wheels} wheel events of ${wheelStep} px (${(wheeled / 1e6).toFixed(1)} million px): ${describeTasks(wheelTasks)}`);
  console.log(`  longest tasks, ${scrollSteps} scroll steps of 20,000 px: ${describeTasks(scrollTasks)}`);

  // Timeline jumps: each month visited once first, so its thumbnails are in the disk cache.
  // The last is the oldest month, at the end of the timeline.
  const fractions = [0.15, 0.35, 0.55, 0.75, 0.9, 0.999];
  const jump = (f) => page.evaluate(async ({ y, x }) => {
    const start = performance.now();
    const target = document.elementFromPoint(x, y);
    const options = { bubbles: true, clientX: x, clientY: y, pointerId: 1, button: 0, isPrimary: true, pointerType: 'mouse' };
    target.dispatchEvent(new PointerEvent('pointerdown', options));
    target.dispatchEvent(new PointerEvent('pointerup', options));
    const top = document.getElementById('top').getBoundingClientRect().bottom;
    const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
    for (;;) {
      await frame();
      const visible = [...document.querySelectorAll('.tile img')].filter((i) => {
        const b = i.parentNode.getBoundingClientRect();
        return b.bottom > top && b.top < innerHeight;
      });
      if (visible.length && visible.every((i) => i.classList.contains('loaded') || i.parentNode.classList.contains('missing'))) {
        return { ms: performance.now() - start, tiles: visible.length };
      }
    }
  }, { y: box.y + box.height * f, x });
  for (const f of fractions) { await jump(f); await page.evaluate(() => scrollTo(0, 0)); }
  const jumps = [];
  for (const f of fractions) {
    jumps.push(await jump(f));
    most = Math.max(most, await page.evaluate(() => document.getElementsByTagName('*').length));
    await page.evaluate(() => scrollTo(0, 0));
    await page.waitForTimeout(100);
  }
  console.log(`  timeline jump to a month, its thumbnails on screen: ${jumps.map((j) => ms(j.ms)).join(', ')} (${jumps[0].tiles} tiles on screen)`);
  console.log(`  most DOM elements seen:  ${most}`);
  console.log(`  JS heap at the end:      ${((await usedHeap(page)) / 1e6).toFixed(0)} MB`);
  await load.context.close();
}

const browser = await launch();
console.log(`Chromium ${browser.version()}, load average ${loadavg().map((l) => l.toFixed(1)).join(' ')} on 2 cores`);
const templates = (process.env.KESTOVA_BENCH_TEMPLATES || template).split(/\s+/).filter(Boolean);
for (const n of walls.length ? walls : ['100000', '1000000', 'month']) {
  for (const t of templates) await run(browser, n, t);
}
await browser.close();
