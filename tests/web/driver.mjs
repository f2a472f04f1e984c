// What the browser tests and the browser figures share: the page served by a plain static
// server on 127.0.0.1, Debian's chromium, and a player that keeps the ball in the air.
import { spawn } from 'node:child_process';
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
// machine still finds it in flight. Like a keyboard's auto-repeat, the state is sent again and
// again: the game listens for keys only once its code has started. window.stopAutopilot() lets
// go of the ball.
export function startAutopilot(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('game');
    const context = canvas.getContext('2d');
    const pilot = setInterval(() => {
      const column = context.getImageData(162, 0, 1, 240).data;
      let top = 240;
      for (let y = 1; y < 239; ++y) {
        if (column[y * 4] >= 90 && column[y * 4 + 1] === 0 && column[y * 4 + 2] === 0) {
          top = y;
          break;
        }
      }
      const type = top > 120 ? 'keydown' : 'keyup';
      canvas.dispatchEvent(new KeyboardEvent(type, { code: 'ArrowUp', key: 'ArrowUp' }));
    }, 5);
    window.stopAutopilot = () => clearInterval(pilot);
  });
}

