// The browser build's figures, in Debian's headless chromium against the page served on
// 127.0.0.1:
//   1. page weight: every file of build/web, raw and gzipped;
//   2. navigation to the first game frame (median of several loads);
//   3. the main thread's CPU while a run plays (a watch link of a replay demo, so that no
//      autopilot reads the picture): the renderer's task time over wall time;
//   4. the same run again, instrumented: the periods between presents against 1/31 s, and each
//      frame's work on the main thread from the wake-up that ended its wait to its next wait,
//      present included. (An autopilot reading the picture would take the main thread from the
//      game, which a player's page never does.)
//   5. the main thread's CPU while the same run is flown live, alone and raced by 99 ghosts of
//      itself (a race link): the ratio is what the ghosts cost.
// Usage: node bench/web_figures.mjs BUILD_WEB_DIR [SECONDS]   (default 10 s of play)
import { readdirSync, readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { launchChromium, startServer } from '../tests/web/driver.mjs';

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

// Installed before the page's own code: when the game presents, when it gives the main thread
// away (a timer or a message to itself) and when it gets it back.
function instrument() {
  const marks = { presents: [], presentCost: 0, yields: [], wakes: [] };
  window.figures = marks;
  const wake = () => marks.wakes.push(performance.now());
  const yieldNow = () => marks.yields.push(performance.now());
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    const start = performance.now();
    marks.presents.push(start);
    const result = put.apply(this, args);
    marks.presentCost += performance.now() - start;
    return result;
  };
  // The picture is then drawn, scaled, on the page's canvas: part of the present too.
  const draw = CanvasRenderingContext2D.prototype.drawImage;
  CanvasRenderingContext2D.prototype.drawImage = function (...args) {
    const start = performance.now();
    const result = draw.apply(this, args);
    marks.presentCost += performance.now() - start;
    return result;
  };
  const timeout = window.setTimeout;
  window.setTimeout = (callback, ms, ...args) => {
    yieldNow();
    return timeout(() => {
      wake();
      callback(...args);
    }, ms);
  };
  const post = MessagePort.prototype.postMessage;
  MessagePort.prototype.postMessage = function (...args) {
    yieldNow();
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

// A frame's work: from the wake-up that ended the last wait to the first wait after its present
// (keys, ball, picture, present, and the stack's way out to the browser and back).
function frameCosts({ presents, wakes, yields }) {
  const costs = [];
  let w = 0;
  let y = 0;
  for (const present of presents) {
    while (w + 1 < wakes.length && wakes[w + 1] < present) ++w;
    while (y < yields.length && yields[y] < present) ++y;
    if (w < wakes.length && wakes[w] < present && y < yields.length) {
      costs.push(yields[y] - wakes[w]);
    }
  }
  return costs;
}

// tests/replay/scripts/up_rhythm.demo as a watch link: 14 s of play.
const UP_RHYTHM_PAYLOAD =
  '16A8REAkoCQgJEAkQISAJGBEYCRAhIAkQCQgJKAkQCQgJEBkICRAJCBEICSA5kAFpwAEJCAkgYSgRKCE4EUARIDk4I' +
  'UAJEAkIMaABGQhxoAFBSAkQMQgpCAlIGTAhUBkICUgRKCEIIQ';

// The Up changes of up_rhythm.demo as [poll, held] pairs.
const UP_RHYTHM_CHANGES = readFileSync(
  join(dirname(fileURLToPath(import.meta.url)), '..', 'tests', 'replay', 'scripts', 'up_rhythm.demo'),
  'utf8',
)
  .split('\n')
  .map((line) => line.split(' '))
  .filter(([poll, code]) => /^\d+$/.test(poll) && code === '200')
  .map(([poll, , how]) => [Number(poll), how === 'down']);

// Flies the waiting game live with the run's Up changes, fed to the game's own reads of the
// page's keys: frame for frame, with nothing reading the picture.
function flyLive(changes) {
  let reads = 0;
  let next = 0;
  let held = false;
  const keys = Module.pageKeys;
  Module.holdsLift = () => true;
  Module.pageKeys = (keyboard) => {
    reads += 1;
    while (next < changes.length && changes[next][0] <= reads) held = changes[next++][1];
    return keys(keyboard) | (held ? 1 : 0);
  };
}

// The renderer main thread's busy time (every task: the game, the present, the browser's own
// work for the page) over 8 s of a run, median of three: the run watched, or (`live`) flown.
async function playingCpu(address, live = false) {
  const shares = [];
  for (let run = 0; run < 3; ++run) {
    const page = await browser.newPage();
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Performance.enable');
    if (live) {
      await page.goto(address);
      await page.locator('html.waiting').waitFor();
      await page.evaluate(flyLive, UP_RHYTHM_CHANGES);
    } else {
      await page.goto(`${address}#watch=${UP_RHYTHM_PAYLOAD}`);
    }
    await page.waitForTimeout(1500);
    const read = async () => {
      const { metrics } = await cdp.send('Performance.getMetrics');
      return Object.fromEntries(metrics.map(({ name, value }) => [name, value]));
    };
    const before = await read();
    await page.waitForTimeout(8000);
    const after = await read();
    shares.push((100 * (after.TaskDuration - before.TaskDuration)) / (after.Timestamp - before.Timestamp));
    await page.close();
  }
  return quantile(shares, 0.5);
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

  console.log(`main thread while a run plays: ${(await playingCpu(url)).toFixed(2)}% of one core`);

  const page = await browser.newPage();
  await page.addInitScript(instrument);
  await page.goto(`${url}#watch=${UP_RHYTHM_PAYLOAD}`);
  await page.waitForTimeout(seconds * 1000);
  const marks = await page.evaluate(() => window.figures);
  const over = await page.locator('#message[open], #over:not([hidden])').count();
  await page.close();
  const mean = (values) => values.reduce((a, b) => a + b, 0) / values.length;
  // From the second second on: the first frames wait for the page's files.
  const presents = marks.presents.filter((t) => t > marks.presents[0] + 1000);
  const periods = presents.slice(1).map((t, i) => t - presents[i]);
  const deviations = periods.map((p) => Math.abs(p - PERIOD));
  console.log(`watched ${seconds} s: ${marks.presents.length} frames${over ? ' (the run ended on the way)' : ''}`);
  console.log(`frame period |period - 1/31 s|: p50 ${quantile(deviations, 0.5).toFixed(3)} ms, ` +
    `p99 ${quantile(deviations, 0.99).toFixed(3)} ms, max ${Math.max(...deviations).toFixed(3)} ms; ` +
    `period p50 ${quantile(periods, 0.5).toFixed(3)} ms, mean ${mean(periods).toFixed(3)} ms ` +
    `(${(1000 / mean(periods)).toFixed(2)} frames a second)`);
  // The browser coarsens its clock (to 100 us where the page is not cross-origin isolated),
  // with jitter: the mean of many frames is still true, a quantile is not.
  const costs = frameCosts(marks);
  const wakesPerFrame = marks.wakes.length / marks.presents.length;
  console.log(`frame work on the main thread (wake-up to next wait, present included): mean ` +
    `${(mean(costs) * 1000).toFixed(0)} us over ${costs.length} frames, of which the present ` +
    `${((marks.presentCost / marks.presents.length) * 1000).toFixed(0)} us; ` +
    `${wakesPerFrame.toFixed(1)} wake-ups per frame`);

  const alone = await playingCpu(`${url}#cave=2024`, true);
  const ghosts = Array(99).fill(`race=${UP_RHYTHM_PAYLOAD}`).join('&');
  const raced = await playingCpu(`${url}#${ghosts}`, true);
  console.log(`main thread while the run is flown live: alone ${alone.toFixed(2)}%, ` +
    `raced by 99 ghosts ${raced.toFixed(2)}% of one core (${(raced / alone).toFixed(2)}x)`);
} finally {
  await browser.close();
  child.kill();
}
