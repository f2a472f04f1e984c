// The browser build's figures, in Debian's headless chromium against the page served on
// 127.0.0.1:
//   1. page weight: every file of build/web, raw and gzipped;
//   2. navigation to the first game frame (median of several loads);
//   3. a played game (a small autopilot holds Up whenever the ball sinks below row 120): the
//      periods between presents against 1/31 s, and the main thread's time per frame from each
//      wake-up of the game to its next wait, present included.
// Usage: node bench/web_figures.mjs BUILD_WEB_DIR [SECONDS]   (default 10 s of play)
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launchChromium, openHeld, startAutopilot, startServer } from '../tests/web/driver.mjs';

const folder = process.argv[2];
const seconds = Number(process.argv[3] ?? 10);
const PERIOD = 1000 / 31;

function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

function pageWeight() {
  const files = readdirSync(folder).filter((name) => /\.(html|css|js|wasm)$/.test(name));
  let game = [0, 0];
  let all = [0, 0];
  for (const name of files.sort()) {
    const bytes = readFileSync(join(folder, name));
    const gz = gzipSync(bytes, { level: 9 }).length;
    console.log(`  ${name.padEnd(12)} ${String(bytes.length).padStart(8)} B raw ${String(gz).padStart(7)} B gzipped`);
    all = [all[0] + bytes.length, all[1] + gz];
    if (/^cave\.(js|wasm)$/.test(name)) game = [game[0] + bytes.length, game[1] + gz];
  }
  console.log(`  cave.js + cave.wasm ${game[0]} B raw, ${game[1]} B gzipped; whole page ${all[0]} B raw, ${all[1]} B gzipped`);
}

// Installed before the page's own code: present times, and the game's waits and wake-ups.
function instrument() {
  const marks = { presents: [], busy: 0, wakes: 0, awake: null };
  window.figures = marks;
  const wake = () => {
    marks.awake = performance.now();
  };
  const sleep = () => {
    if (marks.awake !== null) marks.busy += performance.now() - marks.awake;
    marks.awake = null;
  };
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    marks.presents.push(performance.now());
    return put.apply(this, args);
  };
  const timeout = window.setTimeout;
  window.setTimeout = (callback, ms, ...args) => {
    sleep();
    return timeout(() => {
      wake();
      callback(...args);
    }, ms);
  };
  const post = MessagePort.prototype.postMessage;
  MessagePort.prototype.postMessage = function (...args) {
    sleep();
    return post.apply(this, args);
  };
  const handler = Object.getOwnPropertyDescriptor(MessagePort.prototype, 'onmessage');
  Object.defineProperty(MessagePort.prototype, 'onmessage', {
    set(callback) {
      handler.set.call(this, (event) => {
        wake();
        callback(event);
      });
    },
  });
}

const { child, url } = await startServer(folder);
const browser = await launchChromium();

try {
  console.log('page weight');
  pageWeight();

  const firsts = [];
  for (let load = 0; load < 7; ++load) {
    const page = await browser.newPage();
    await page.addInitScript(instrument);
    await page.goto(url);
    await page.waitForFunction(() => window.figures.presents.length > 0);
    firsts.push(await page.evaluate(() => window.figures.presents[0]));
    await page.close();
  }
  console.log(`navigation to the first frame: median ${quantile(firsts, 0.5).toFixed(1)} ms ` +
    `(${firsts.map((t) => t.toFixed(0)).join(', ')})`);

  const page = await browser.newPage();
  await page.addInitScript(instrument);
  // The game's code waits until the autopilot flies, so the ball is caught in time.
  await openHeld(page, url, startAutopilot);
  await page.waitForTimeout(seconds * 1000);
  const marks = await page.evaluate(() => window.figures);
  const over = await page.locator('#message[open], #over:not([hidden])').count();
  await page.close();
  const periods = marks.presents.slice(1).map((t, i) => t - marks.presents[i]);
  const deviations = periods.map((p) => Math.abs(p - PERIOD));
  console.log(`played ${seconds} s: ${marks.presents.length} frames${over ? ' (the ball crashed on the way)' : ''}`);
  console.log(`frame period |period - 1/31 s|: p50 ${quantile(deviations, 0.5).toFixed(3)} ms, ` +
    `p99 ${quantile(deviations, 0.99).toFixed(3)} ms, max ${Math.max(...deviations).toFixed(3)} ms; ` +
    `period p50 ${quantile(periods, 0.5).toFixed(3)} ms`);
  console.log(`main thread per frame (wake-up to next wait, present included): ` +
    `${((marks.busy / marks.presents.length) * 1000).toFixed(0)} us`);
} finally {
  await browser.close();
  child.kill();
}
