// What the browser tests and the browser figures share: the page served by a plain static
// server on 127.0.0.1, Debian's chromium, and a player that keeps the ball in the air.
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { chromium } from 'playwright-core';

// python3's http.server: the plainest static server there is, with no special headers.
export function startServer(folder) {
  return new Promise((resolve, reject) => {
    const child = spawn(
      'python3',
      ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', folder, '0'],
      { stdio: ['ignore', 'pipe', 'ignore'] },
    );
    child.on('error', reject);
    child.stdout.on('data', (chunk) => {
      const port = /port (\d+)/.exec(chunk.toString());
      if (port) resolve({ child, url: `http://127.0.0.1:${port[1]}/` });
    });
  });
}

// Debian's chromium, headless. Without the network flags it keeps calling hosts this machine
// cannot reach.
export function launchChromium() {
  return chromium.launch({
    executablePath: process.env.CAVE_CHROMIUM || '/usr/bin/chromium',
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });
}

// Loads the game into `page` with its code held back until `beforeStart` has run on the loaded
// page, so that keys can be down from the game's first frame on, however slow the machine.
export async function openHeld(page, url, beforeStart) {
  let start;
  const started = new Promise((resolve) => {
    start = resolve;
  });
  await page.route('**/cave.wasm', async (route) => {
    await started;
    await route.continue();
  });
  await page.goto(url);
  await beforeStart(page);
  start();
}

// Holds the ball near row 120 with Up, as a player would, so that a slow screenshot on a busy
// machine still finds it in flight; the first hold starts the game, which waits for it. Like a
// keyboard's auto-repeat, the state is sent again and again: the game listens for keys only once
// its code has started. window.stopAutopilot() lets go of the ball.
export function startAutopilot(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('game');
    let held = false;
    const pilot = setInterval(() => {
      const picture = window.Module?.pictureCanvas;
      if (!picture) return;
      const column = picture.getContext('2d').getImageData(162, 0, 1, 240).data;
      let top = 240;
      for (let y = 1; y < 239; ++y) {
        if (column[y * 4] >= 90 && column[y * 4 + 1] === 0 && column[y * 4 + 2] === 0) {
          top = y;
          break;
        }
      }
      const type = top >= 120 ? 'keydown' : 'keyup';
      const repeat = held && type === 'keydown';
      held = type === 'keydown';
      canvas.dispatchEvent(new KeyboardEvent(type, { code: 'ArrowUp', key: 'ArrowUp', repeat }));
    }, 5);
    window.stopAutopilot = () => {
      clearInterval(pilot);
      canvas.dispatchEvent(new KeyboardEvent('keyup', { code: 'ArrowUp', key: 'ArrowUp' }));
    };
  });
}

// Starts a game that waits for its player with a short press of Up: a few frames of lift.
export async function liftOnce(page) {
  await page.locator('html.waiting').waitFor({ timeout: 10000 });
  await page.keyboard.down('ArrowUp');
  await page.waitForTimeout(60);
  await page.keyboard.up('ArrowUp');
}

// What axe-core finds against WCAG 2.2 AA and its best practices on the page as it is now, rule
// by rule (evaluated, not added as a script, which the page's policy would block).
const AXE = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
export async function axeViolations(page) {
  await page.evaluate(AXE);
  const found = await page.evaluate(() =>
    window.axe.run(document, {
      runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'],
    }),
  );
  return found.violations.map(({ id, nodes }) => `${id}: ${nodes.map((n) => n.target).join(' ')}`);
}
