// The page served by cave-board, in Debian's chromium: a played game sent to the board and
// ranked, its entry's watch link replaying it, a desktop demo file sent, and a name with markup
// refused by the server and shown only as text. (Served by a plain static server the page shows
// no board: the page test sees to that.)
//   CAVE_WEB_DIR=build/web CAVE_BOARD=build/default/src/board/cave-board \
//     CAVE_CAVESIM=build/default/tools/cavesim/cavesim node --test tests/web/board.test.mjs
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';
import { axeViolations, launchChromium, liftOnce, openHeld, startAutopilot } from './driver.mjs';

const UP_RHYTHM = join(
  dirname(fileURLToPath(import.meta.url)),
  '..',
  'replay',
  'scripts',
  'up_rhythm.demo',
);

let data;
let server;
let url;
let browser;

// cave-board on a free port of 127.0.0.1, with its SQLite file in a fresh folder.
function startBoard() {
  data = mkdtempSync(join(tmpdir(), 'cave-board-page-'));
  const args = ['--listen', '127.0.0.1:0', '--data', data, '--web', process.env.CAVE_WEB_DIR];
  server = spawn(process.env.CAVE_BOARD, args, { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.on('exit', (status) => reject(new Error(`cave-board ended with ${status}`)));
    server.stdout.on('data', (chunk) => {
      const address = /listening on (http:\S+)/.exec(chunk.toString());
      if (address) resolve(`${address[1]}/`);
    });
  });
}

// Whatever happens, the server goes with the test.
process.on('exit', () => server?.kill('SIGKILL'));

before(async () => {
  for (const name of ['CAVE_WEB_DIR', 'CAVE_BOARD', 'CAVE_CAVESIM']) {
    assert.ok(process.env[name], `${name} is set`);
  }
  url = await startBoard();
  // The page looks for the board only where the server marks its answers.
  const page = await fetch(url, { method: 'HEAD' });
  assert.ok(page.headers.has('Cave-Board'), 'cave-board does not mark the page (Cave-Board)');
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  server?.kill('SIGKILL');
  if (data) rmSync(data, { recursive: true, force: true });
});

async function openPage(beforeStart = async () => {}, address = url) {
  const page = await browser.newPage({ viewport: { width: 1000, height: 900 } });
  page.errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  page.on('pageerror', (error) => page.errors.push(error.message));
  await openHeld(page, address, beforeStart);
  return page;
}

// The score box's lines once it is open.
async function boxLines(page) {
  await page.locator('#message[open]').waitFor({ timeout: 10000 });
  return (await page.locator('#message-text').textContent()).replace(/\n$/, '').split('\n');
}

// Dismisses the box and waits for the game-over overlay with the board on it.
async function toOverlay(page) {
  await page.keyboard.press('Enter');
  await page.locator('#over').waitFor({ timeout: 5000 });
  await page.locator('#board').waitFor({ timeout: 5000 });
}

// The rows of a board table: rank, name, points; `new` marks the run just sent.
function boardRows(page, id) {
  return page.locator(`#${id} tbody tr`).evaluateAll((rows) =>
    rows.map((row) => {
      const [rank, name, points] = [...row.cells].map((cell) => cell.textContent);
      return [rank, name, points, row.className];
    }),
  );
}

const pointsOf = (lines) => /^Player 1: (\d+) Punkte$/.exec(lines.at(-1))[1];

function cavesimPoints(demoPath) {
  const run = spawnSync(process.env.CAVE_CAVESIM, ['--demo', demoPath, '--trace', '-']);
  assert.equal(run.status, 0, run.stderr.toString());
  return /Player 1: (\d+) Punkte/.exec(run.stdout.toString().trimEnd().split('\n').at(-1))[1];
}

test("a game sent to the board is ranked and listed, its entry replays it, today's board races it", async () => {
  const page = await openPage(startAutopilot, `${url}#daily`);
  await page.waitForTimeout(1500);
  await page.evaluate(() => window.stopAutopilot());
  const report = await boxLines(page);
  await toOverlay(page);
  await page.locator('#board-name').fill('  Pilot 1 ');
  await page.locator('#board-send').click();
  await page.locator('#board-all tbody tr').first().waitFor({ timeout: 30000 });
  assert.equal(
    await page.locator('#board-result').textContent(),
    `${pointsOf(report)} points: rank 1 on today's board.`,
  );
  assert.deepEqual(await boardRows(page, 'board-all'), [['1', 'Pilot 1', pointsOf(report), 'new']]);
  assert.equal(await page.locator('#board-send').isDisabled(), true, 'the run can be sent twice');
  assert.deepEqual(await axeViolations(page), [], 'axe on the board');

  // The entry's watch link plays the run the server keeps, to the very same box.
  await page.locator('#board-all a:text("watch")').click();
  await page.locator('#over').waitFor({ state: 'hidden' });
  await page.locator('[data-speed="4"]').click();
  assert.deepEqual(await boxLines(page), report);
  assert.match(page.url(), /#watch=1/);
  await toOverlay(page);
  assert.equal(await page.locator('#board-send').isVisible(), false, 'a watched run to send');

  // Today's board, raced: the run just sent flies as the ghost of a game of today's cave.
  await page.locator('#over .race-board').click();
  await page.locator('html.waiting').waitFor({ timeout: 5000 });
  assert.match(await page.locator('#status').textContent(), /^Today's cave, .*: racing 1 ghost$/);

  // The name is remembered for the next visit.
  await page.reload();
  assert.equal(await page.locator('#board-name').inputValue(), 'Pilot 1');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test("a demo file is sent; a name with markup gets the server's error, as text", async () => {
  const page = await openPage();
  await liftOnce(page);
  await boxLines(page);
  await toOverlay(page);
  const markup = '<img src=x><b>';
  await page.locator('#board-name').fill(markup);
  await page.locator('#board-file').setInputFiles(UP_RHYTHM);
  const result = page.locator('#board-result.error');
  await result.waitFor({ timeout: 30000 });
  assert.match(await result.textContent(), /^The board did not take the run: .*name/);
  assert.equal(await page.locator('#board img, #board b').count(), 0, 'markup from a name');

  await page.locator('#board-name').fill('Desk top');
  await page.locator('#board-file').setInputFiles(UP_RHYTHM);
  await page.locator('#board-all tr.new').waitFor({ timeout: 30000 });
  const rows = await boardRows(page, 'board-all');
  const points = cavesimPoints(UP_RHYTHM);
  assert.ok(
    rows.some(([, name, listed, mark]) => [name, listed, mark].join() === `Desk top,${points},new`),
    JSON.stringify(rows),
  );
  // The browser reports the refused request itself; nothing else went wrong.
  assert.deepEqual(page.errors, [
    'Failed to load resource: the server responded with a status of 400 (Bad Request)',
  ]);
  await page.close();
});
