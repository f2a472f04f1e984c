// The game's page in Debian's chromium, served by a plain static server on 127.0.0.1: what the
// player sees, and what the keys, the message box and "Play again" do.
//   CAVE_WEB_DIR=build/web node --test tests/web/page.test.mjs
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';
import {
  axeViolations,
  launchChromium,
  liftOnce,
  openHeld,
  startAutopilot,
  startServer,
} from './driver.mjs';

const RED = [255, 0, 0];
const WHITE = [255, 255, 255];
const GHOST_GREY = [150, 150, 150];
const FPS_TEXT = [10, 10, 80, 30]; // left, top, right, bottom around the read-out at (10, 10)
const SCORE_TEXT = [270, 190, 310, 210];
const BALL_COLUMNS = [158, 170]; // the flying ball's image covers columns 160..167

let server;
let url;
let browser;

before(async () => {
  const folder = process.env.CAVE_WEB_DIR;
  assert.ok(folder, 'CAVE_WEB_DIR names the built page folder');
  ({ child: server, url } = await startServer(folder));
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  server?.kill();
});

// A fresh page on the game (see openHeld), with every console error and uncaught exception
// collected. Each page has storage of its own unless it is opened in a shared `context`.
async function openGame(
  beforeStart = async () => {},
  initScript = null,
  context = browser,
  address = url,
) {
  const page = await context.newPage({ viewport: { width: 1000, height: 700 } });
  page.errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  page.on('pageerror', (error) => page.errors.push(error.message));
  await page.addInitScript(installReader);
  if (initScript) await page.addInitScript(initScript);
  await page.route((at) => at.pathname === '/', underPolicy);
  await openHeld(page, address, beforeStart);
  return page;
}

// The page as cave-board serves it, under its Content-Security-Policy: anything the policy
// blocks (an inline script or style, eval) is an error in the console.
const POLICY =
  "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; " +
  "img-src 'self' data: blob:; connect-src 'self'; worker-src 'self'; manifest-src 'self'; " +
  "base-uri 'none'; form-action 'self'; frame-ancestors 'none'";

async function underPolicy(route) {
  const response = await route.fetch();
  const headers = { ...response.headers(), 'content-security-policy': POLICY };
  await route.fulfill({ response, headers });
}

// The game's 320x240 picture as the screenshot of the canvas shows it, scaled back down: the
// page scales by whole multiples with sharp pixels, so the middle of every k x k square is one
// of the game's pixels.
// The browser decodes the PNG; its pixels come back as one base64 string (RGB rows).
async function screenshot(page) {
  const png = await page.locator('#game').screenshot();
  return page.evaluate(async (data) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    canvas.getContext('2d').drawImage(image, 0, 0);
    return window.rgbOf(canvas, Math.floor(image.width / 320));
  }, png.toString('base64'));
}

// What the game last presented, read from the canvas at once: for checks that race the game.
function presented(page) {
  return page.evaluate(() => window.rgbOf(window.Module.pictureCanvas, 1));
}

async function picture(page, read = presented) {
  const pixels = Buffer.from(await read(page), 'base64');
  const at = (x, y) => [...pixels.subarray((y * 320 + x) * 3, (y * 320 + x) * 3 + 3)];
  return { pixels, at };
}

// Installed in every page: the middle pixel of every `scale` x `scale` square of a canvas, as
// base64 RGB rows.
function installReader() {
  window.rgbOf = (canvas, scale) => {
    const all = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let out = '';
    for (let y = 0; y < 240; ++y) {
      const row = [];
      for (let x = 0; x < 320; ++x) {
        const middle = Math.floor(scale / 2);
        const i = ((y * scale + middle) * canvas.width + x * scale + middle) * 4;
        row.push(all[i], all[i + 1], all[i + 2]);
      }
      out += String.fromCharCode(...row);
    }
    return btoa(out);
  };
}

// Up held down from the game's first frame on, repeating as a held key does.
function holdUp(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('game');
    const down = { code: 'ArrowUp', key: 'ArrowUp' };
    canvas.dispatchEvent(new KeyboardEvent('keydown', down));
    const repeat = { ...down, repeat: true };
    setInterval(() => canvas.dispatchEvent(new KeyboardEvent('keydown', repeat)), 5);
  });
}

function region({ at }, [left, top, right, bottom]) {
  const out = [];
  for (let y = top; y < bottom; ++y) for (let x = left; x < right; ++x) out.push(at(x, y));
  return out;
}

const same = (a, b) => a[0] === b[0] && a[1] === b[1] && a[2] === b[2];

function hasBorder(shot) {
  const edges = [
    ...region(shot, [0, 0, 320, 1]),
    ...region(shot, [0, 239, 320, 240]),
    ...region(shot, [0, 0, 1, 240]),
    ...region(shot, [319, 0, 320, 240]),
  ];
  return edges.every((p) => same(p, RED));
}

// Top row of the flying ball, or null: its shading rings are pure reds, the cave is grey.
function ballTop(shot) {
  for (let y = 1; y < 239; ++y) {
    const row = region(shot, [BALL_COLUMNS[0], y, BALL_COLUMNS[1], y + 1]);
    if (row.some(([r, g, b]) => r >= 90 && g === 0 && b === 0)) return y;
  }
  return null;
}

async function firstFrame(page) {
  await page.waitForFunction(() => window.Module?.pictureCanvas, null, { timeout: 10000 });
  for (let tries = 0; tries < 100; ++tries) {
    const shot = await picture(page);
    if (hasBorder(shot)) return shot;
    await page.waitForTimeout(20);
  }
  throw new Error('no picture with the red border');
}

async function press(page, key) {
  await page.keyboard.down(key);
  await page.waitForTimeout(300); // the game reads the keys once a frame, paused every 100 ms
  await page.keyboard.up(key);
}

// The dialog's text, line by line, once it is open.
async function dialogLines(page) {
  await page.locator('#message[open]').waitFor({ timeout: 10000 });
  const text = await page.locator('#message-text').textContent();
  return text.replace(/\n$/, '').split('\n');
}

// A new game in the same page: the game has the keys again, and left alone it ends with a
// report on one player, so the last game's roster is gone. (The points depend on the seed,
// which comes from the clock.)
async function playAgain(page, lift = liftOnce) {
  await page.locator('#again').click();
  await page.locator('#over').waitFor({ state: 'hidden' });
  assert.equal(await page.evaluate(() => document.activeElement.id), 'game');
  await lift(page);
  const [heading, blank, player, ...rest] = await dialogLines(page);
  assert.deepEqual([heading, blank, rest], ['Spielstand:', '', []]);
  assert.match(player, /^Player 1: \d+ Punkte$/);
}

test('the picture: red border, textured rock, white read-outs, the ball near the centre', async () => {
  const page = await openGame(startAutopilot);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'game');
  await firstFrame(page);
  await page.waitForTimeout(200);
  const shot = await picture(page, screenshot);
  assert.ok(hasBorder(shot), 'red border');
  const top = ballTop(shot);
  assert.ok(top !== null && top >= 105 && top <= 135, `ball top at ${top}`);
  assert.ok(region(shot, FPS_TEXT).some((p) => same(p, WHITE)), 'white frame rate read-out');
  assert.ok(region(shot, SCORE_TEXT).some((p) => same(p, WHITE)), 'white score read-out');
  const colours = new Set(region(shot, [1, 1, 319, 239]).map((p) => p.join()));
  assert.ok(colours.size >= 100, `only ${colours.size} colours: no texture`);
  await page.close();
});

// The ball starts with its top at row 120; held Up lifts it into the ceiling in about 44
// frames (a finger let go lets it fall: see the phone's test).
test('holding ArrowUp lifts the ball', async () => {
  const page = await openGame(holdUp);
  await firstFrame(page);
  await page.waitForTimeout(500);
  const top = ballTop(await picture(page));
  assert.ok(top < 118, `the held ball rose from row 120 to ${top}`);
  await page.close();
});

// The picture once it has stopped changing for 300 ms (paused), or once it differs from
// `from` (running); null when neither comes within a few seconds.
async function settled(page, from = null) {
  let last = await picture(page);
  for (let tries = 0; tries < 20; ++tries) {
    await page.waitForTimeout(300);
    const now = await picture(page);
    if (from ? !now.pixels.equals(from.pixels) : now.pixels.equals(last.pixels)) return now;
    last = now;
  }
  return null;
}

test('P pauses the picture and P resumes it', async () => {
  const page = await openGame(startAutopilot);
  await firstFrame(page);
  await press(page, 'p');
  const paused = await settled(page);
  assert.ok(paused, 'the picture kept changing after P');
  await press(page, 'p');
  assert.ok(await settled(page, paused), 'the picture stayed paused after the second P');
  await page.close();
});

// Up still held, repeating, from the game that Escape ended does not start the next one: only
// a new press does.
test('Escape ends the game at once with no box; held Up carries over to no new game', async () => {
  const page = await openGame(startAutopilot);
  await firstFrame(page);
  await page.evaluate(() => window.stopAutopilot());
  await page.keyboard.down('ArrowUp');
  await press(page, 'Escape');
  await page.locator('#over').waitFor({ timeout: 2000 });
  assert.equal(await page.locator('#message').getAttribute('open'), null, 'a box was shown');
  await page.evaluate(() => {
    const canvas = document.getElementById('game');
    const repeat = () =>
      canvas.dispatchEvent(new KeyboardEvent('keydown', { code: 'ArrowUp', repeat: true }));
    window.repeating = setInterval(repeat, 30);
  });
  await page.locator('#again').click();
  await page.waitForTimeout(600);
  assert.ok(await page.locator('html.waiting').count(), 'a held-over Up started the game');
  await page.evaluate(() => clearInterval(window.repeating));
  await page.keyboard.up('ArrowUp');
  await liftOnce(page);
  await dialogLines(page);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A key pressed and let go in one task, before the waiting game's next look: only a press
// kept for the game's first read starts it.
async function tapUp(page) {
  await page.locator('html.waiting').waitFor({ timeout: 10000 });
  await page.evaluate(() => {
    const canvas = document.getElementById('game');
    for (const type of ['keydown', 'keyup']) {
      canvas.dispatchEvent(new KeyboardEvent(type, { code: 'ArrowUp', bubbles: true }));
    }
  });
}

// A click on the picture sent as one burst of input.
async function clickQuickly(page) {
  await page.locator('html.waiting').waitFor({ timeout: 10000 });
  const [x, y] = await middleOfPicture(page);
  await page.mouse.move(x, y);
  await Promise.all([page.mouse.down(), page.mouse.up()]);
}

// The wall clock seeds the game; at 1000000 ms (give or take the one the clock moves while the
// game starts) a game with just a short lift ends with 0 points, as most do. The lifts here are
// taps quicker than the waiting game looks: the key's, then the mouse's.
test('a short lift ends with 0 points in the box; Enter dismisses it; "Play again"', async () => {
  const page = await openGame(async () => {}, () => {
    Date.now = () => 1000000;
  });
  await tapUp(page);
  assert.deepEqual(await dialogLines(page), ['Spielstand:', '', 'Player 1: 0 Punkte']);
  assert.equal(await page.locator('#message-title').textContent(), 'Game Over!');
  await page.keyboard.press('Enter');
  await page.locator('#over').waitFor({ timeout: 2000 });
  assert.equal(await page.locator('#message').getAttribute('open'), null);
  await playAgain(page, clickQuickly);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The report's text as the Linux cavesim replays the demo.
function replayedReport(demoText) {
  const folder = mkdtempSync(join(tmpdir(), 'cave-web-demo-'));
  try {
    const demo = join(folder, 'page.demo');
    writeFileSync(demo, demoText);
    const run = spawnSync(process.env.CAVE_CAVESIM, ['--demo', demo, '--trace', '-']);
    assert.equal(run.status, 0, run.stderr.toString());
    const lines = run.stdout.toString().trimEnd().split('\n');
    assert.match(lines.at(-1), /^E report /);
    return lines.at(-1).slice('E report '.length).replace(/\\n$/, '').split('\\n');
  } finally {
    rmSync(folder, { recursive: true });
  }
}

// The texts of the game's stored files, through the page's own store.
function storedFiles(page, paths) {
  return page.evaluate(
    (names) =>
      window.Module.fileStore('readonly', (store) => {
        const reads = names.map((name) => store.get(name));
        return () => reads.map(({ result }) => result);
      }),
    paths,
  );
}

// A game flown for a while with Up and then let go: its report enters the best scores in the
// site's storage, the page lists it as this game's, and its demo replays to the very same report.
test('a reported game enters the best scores with a demo that replays to its report', async () => {
  const page = await openGame(startAutopilot);
  await firstFrame(page);
  await page.waitForTimeout(1500);
  await page.evaluate(() => window.stopAutopilot());
  const report = await dialogLines(page);
  const points = /^Player 1: (\d+) Punkte$/.exec(report.at(-1))[1];
  await page.keyboard.press('Enter');
  await page.locator('#over').waitFor({ timeout: 2000 });
  const rows = await page.locator('#best tbody tr').evaluateAll((all) =>
    all.map((row) => [row.className, row.cells[1].textContent, row.querySelector('a').download]),
  );
  assert.equal(rows.length, 1);
  const [mark, listed, demoName] = rows[0];
  assert.deepEqual([mark, listed], ['new', points]);
  const [demo] = await storedFiles(page, [`cave/${demoName}`]);
  assert.match(demo, /^# cave demo 1 seed \d+\n/);
  assert.ok(demo.split('\n').length > 4, 'the demo holds the key changes');
  assert.deepEqual(replayedReport(demo), report);
  // Its watch link, as a file's text, replays the same.
  await page.locator('#share').click();
  assert.deepEqual(replayedReport(await page.locator('#share-link').inputValue()), report);
  // A plain web server has no board: none is offered, and none was asked for.
  assert.equal(await page.locator('#board').isVisible(), false, 'a board offered');
  assert.deepEqual(page.errors, []);
  await page.close();
});

// Another tab of the page holds the table's lock and enters a game of its own meanwhile: the game
// that ends here waits for the lock before its box, then adds its score to the other tab's table
// instead of writing over it.
test('a game ending while another tab writes the best scores waits, and both are kept', async () => {
  const context = await browser.newContext();
  const other = await context.newPage();
  await other.route('**/cave.wasm', (route) => route.abort());
  await other.goto(url);
  await other.evaluate(() => {
    navigator.locks.request(
      'cave/scores.lock',
      () => new Promise((release) => (window.releaseTable = release)),
    );
  });
  const page = await openGame(async () => {}, () => (Date.now = () => 1000000), context);
  await firstFrame(page);
  await liftOnce(page);
  assert.ok(await settled(page), 'the game did not end');
  assert.equal(await page.locator('#message').getAttribute('open'), null, 'a box without the lock');
  await other.evaluate(async () => {
    await window.Module.fileStore('readwrite', (store) => {
      store.put('# cave demo 1 seed 7\n', 'cave/other.demo');
      store.put('# cave best scores 1\n5 2026-01-02T03:04:05 other.demo\n', 'cave/scores.txt');
      return () => {};
    });
    window.releaseTable();
  });
  await dialogLines(page);
  await page.keyboard.press('Enter');
  await page.locator('#over').waitFor({ timeout: 2000 });
  const rows = await page.locator('#best tbody tr').evaluateAll((all) =>
    all.map((row) => [row.className, row.cells[1].textContent]),
  );
  assert.deepEqual(rows, [['new', '5'], ['new', '0']]);
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('a reload in the middle of a game leaves no error', async () => {
  const page = await openGame();
  await firstFrame(page);
  await page.waitForTimeout(300);
  await page.reload();
  await firstFrame(page);
  await page.waitForTimeout(300);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A phone held upright: what most people open a page on.
const PHONE = {
  viewport: { width: 390, height: 844 },
  deviceScaleFactor: 3,
  hasTouch: true,
  isMobile: true,
};

// One finger on the screen at (x, y) in CSS pixels, through the browser's own touch input.
async function touch(page, type, x = 0, y = 0) {
  page.cdp ??= await page.context().newCDPSession(page);
  const touchPoints = type === 'touchEnd' ? [] : [{ x, y }];
  await page.cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
}

async function middleOfPicture(page) {
  const box = await page.locator('#game').boundingBox();
  return [box.x + box.width / 2, box.y + box.height / 2];
}

// The first game waits for its player: seconds later it still shows the ball at its start and
// asks for a finger. A finger held on the play area, beside the picture, starts it and lifts the
// ball, as held Up does; lifted, the ball falls. The game ends with a report whose demo (one
// whose lift was held from its first frame) replays in the native cavesim to the same text.
test('phone: the game waits for a finger, which lifts the ball, and its demo replays', async () => {
  const context = await browser.newContext(PHONE);
  const page = await openGame(async () => {}, () => (Date.now = () => 1000000), context);
  const start = await firstFrame(page);
  await page.waitForTimeout(4000);
  assert.ok((await picture(page)).pixels.equals(start.pixels), 'the waiting picture changed');
  assert.equal(await page.locator('#prompt').innerText(), 'Hold to fly');
  assert.ok(await page.locator('#prompt').isVisible());
  assert.equal(await page.locator('#message').getAttribute('open'), null, 'the game ended');
  const box = await page.locator('#game').boundingBox();
  await touch(page, 'touchStart', box.x + box.width / 2, box.y - 20);
  await page.waitForTimeout(500);
  const held = ballTop(await picture(page));
  assert.ok(held !== null && held < 118, `the ball under a finger rose from row 120 to ${held}`);
  await touch(page, 'touchEnd');
  const lifted = ballTop(await picture(page));
  let fell = lifted;
  for (let tries = 0; tries < 20 && fell <= lifted; ++tries) {
    await page.waitForTimeout(100);
    fell = ballTop(await picture(page));
  }
  assert.ok(fell > lifted, `the ball let go stayed at ${fell} (was ${lifted})`);
  const report = await dialogLines(page);
  await page.locator('#message-ok').tap();
  await page.locator('#over').waitFor({ timeout: 2000 });
  const demoName = await page.locator('#best tbody tr.new a[download]').getAttribute('download');
  const [demo] = await storedFiles(page, [`cave/${demoName}`]);
  assert.deepEqual(replayedReport(demo), report);
  assert.deepEqual(page.errors, []);
  await context.close();
});

// Where everything is in CSS pixels, and how the picture is scaled.
function layout(page) {
  return page.evaluate(() => {
    const box = (id) => document.getElementById(id).getBoundingClientRect();
    const shown = (selector) => document.querySelector(selector).checkVisibility();
    const game = box('game');
    return {
      scale: Math.round(game.width * devicePixelRatio) / 320,
      // Layout positions come in 64ths of a CSS pixel: a third of one is as near as it gets.
      onGrid: [game.left, game.top].map((at) => {
        const device = at * devicePixelRatio;
        return Math.abs(device - Math.round(device)) < 0.05;
      }),
      inside:
        game.left >= 0 && game.top >= 0 && game.right <= innerWidth && game.bottom <= innerHeight,
      scrolls: document.scrollingElement.scrollHeight > innerHeight,
      buttons: ['pause', 'quit'].map((id) => Math.min(box(id).width, box(id).height)),
      keysListed: shown('.controls'),
      touchHint: shown('.touch-text'),
    };
  });
}

test('phone: the page fits upright and sideways, and the buttons work by tap', async () => {
  const context = await browser.newContext(PHONE);
  const page = await openGame(startAutopilot, null, context);
  await firstFrame(page);
  for (const [width, height] of [[390, 844], [844, 390]]) {
    await page.setViewportSize({ width, height });
    await page.waitForTimeout(100);
    const seen = await layout(page);
    const where = `${width}x${height}`;
    assert.ok(Number.isInteger(seen.scale) && seen.scale >= 2, `scale ${seen.scale} at ${where}`);
    assert.deepEqual([seen.onGrid, seen.inside, seen.scrolls], [[true, true], true, false], where);
    assert.ok(seen.buttons.every((size) => size >= 44), `buttons of ${seen.buttons} px`);
    assert.deepEqual([seen.keysListed, seen.touchHint], [false, true]);
  }

  await page.locator('#pause').tap();
  const paused = await settled(page);
  assert.ok(paused, 'the picture kept changing after the Pause tap');
  assert.equal(await page.locator('#pause').textContent(), 'Resume');

  // Even on a page long enough to scroll, a swipe over the picture scrolls nothing, and a long
  // press opens no menu. (Paused, so that the finger's lift cannot fly the ball into the rock
  // however slowly a busy machine lets the test go on.)
  await page.evaluate(() => {
    document.body.style.minHeight = '3000px';
    window.menus = 0;
    addEventListener('contextmenu', (event) => (window.menus += event.defaultPrevented ? 0 : 1));
  });
  const [x, y] = await middleOfPicture(page);
  await touch(page, 'touchStart', x, y);
  for (let step = 1; step <= 10; ++step) await touch(page, 'touchMove', x, y - step * 15);
  await touch(page, 'touchEnd');
  await touch(page, 'touchStart', x, y);
  await page.waitForTimeout(900);
  await touch(page, 'touchEnd');
  await page.locator('#game').dispatchEvent('contextmenu');
  assert.deepEqual(await page.evaluate(() => [scrollY, window.menus]), [0, 0]);

  await page.locator('#pause').tap();
  assert.ok(await settled(page, paused), 'the picture stayed paused after the Resume tap');
  assert.equal(await page.locator('#pause').textContent(), 'Pause');
  await page.locator('#quit').tap();
  await page.locator('#over').waitFor({ timeout: 2000 });
  assert.equal(await page.locator('#message').getAttribute('open'), null, 'Quit showed a box');
  await page.evaluate(() => window.stopAutopilot());

  // Between games there is no Quit or Pause to tap: the next game waits for its player, plays,
  // and ends with its report.
  assert.deepEqual(
    [await page.locator('#quit').isVisible(), await page.locator('#pause').isVisible()],
    [false, false],
  );
  // A game started on a page zoomed in is shown whole: the zoom goes back to 1.
  await page.cdp.send('Emulation.setPageScaleFactor', { pageScaleFactor: 1.5 });
  await page.evaluate(() => document.getElementById('again').click());
  await page.waitForTimeout(500);
  assert.equal(await page.evaluate(() => visualViewport.scale), 1, 'the game started zoomed');
  assert.ok(await page.locator('#prompt').isVisible(), 'the next game is not waiting');
  await touch(page, 'touchStart', ...(await middleOfPicture(page)));
  await page.waitForTimeout(500);
  const lifted = ballTop(await picture(page));
  assert.ok(lifted < 118, `the next game's ball rose from row 120 to ${lifted}`);
  await touch(page, 'touchEnd');
  await dialogLines(page);
  await page.locator('#message-ok').tap();
  await page.locator('#over').waitFor({ timeout: 2000 });

  // The game-over panel on the narrowest phone: nothing runs off sideways, every target is big
  // enough, and axe finds nothing to fault.
  await page.setViewportSize({ width: 320, height: 568 });
  await page.waitForTimeout(100);
  const overflow = await page.evaluate(() => {
    const panel = document.getElementById('over');
    return [panel.scrollWidth - panel.clientWidth, document.scrollingElement.scrollWidth - 320];
  });
  assert.deepEqual(overflow, [0, 0], 'sideways scroll on the game-over panel');
  assert.deepEqual(await axeViolations(page), []);
  assert.deepEqual(page.errors, []);
  await context.close();
});

// At pixel ratios of 2 and 2.625 the canvas holds as many pixels as the device pixels it covers,
// and every game pixel is drawn as the same square of them.
test('phone: whole device pixels per game pixel at pixel ratios 2 and 2.625', async () => {
  for (const [ratio, width, height] of [[2, 320, 568], [2.625, 412, 915]]) {
    const phone = { ...PHONE, deviceScaleFactor: ratio, viewport: { width, height } };
    const context = await browser.newContext(phone);
    const page = await openGame(async () => {}, null, context);
    await firstFrame(page);
    const seen = await page.evaluate(async () => {
      const canvas = document.getElementById('game');
      const picture = window.Module.pictureCanvas;
      const scale = Math.floor(canvas.width / picture.width);
      const shown = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      const game = picture.getContext('2d').getImageData(0, 0, 320, 240).data;
      let differing = 0;
      for (let y = 0; y < 240 * scale; ++y) {
        for (let x = 0; x < 320 * scale; ++x) {
          const i = (y * canvas.width + x) * 4;
          const j = (Math.floor(y / scale) * 320 + Math.floor(x / scale)) * 4;
          for (let c = 0; c < 3; ++c) differing += shown[i + c] !== game[j + c] ? 1 : 0;
        }
      }
      const box = canvas.getBoundingClientRect();
      return {
        backing: [canvas.width, canvas.height],
        device: [box.width, box.height].map((size) => Math.round(size * devicePixelRatio)),
        scale,
        spare: [canvas.width - 320 * scale, canvas.height - 240 * scale],
        differing,
        css: [box.width, box.height],
      };
    });
    const where = `ratio ${ratio}: ${JSON.stringify(seen)}`;
    assert.deepEqual(seen.backing, seen.device, where);
    assert.ok(seen.spare.every((spare) => spare >= 0 && spare <= 1), where);
    assert.equal(seen.differing, 0, where);
    // The small phone's picture is at least 320x240 CSS pixels.
    assert.ok(seen.css[0] >= 320 && seen.css[1] >= 240, where);
    await context.close();
  }
});

// A pad in the Gamepad API's standard layout, its buttons set by the test.
function installPad() {
  window.padButtons = new Array(17).fill(false);
  const pad = {
    connected: true,
    mapping: 'standard',
    axes: [0, 0, 0, 0],
    get buttons() {
      return window.padButtons.map((pressed) => ({ pressed, value: pressed ? 1 : 0 }));
    },
  };
  navigator.getGamepads = () => [null, pad];
  addEventListener('load', () => dispatchEvent(new Event('gamepadconnected')));
}

async function pushPad(page, button) {
  await page.evaluate((index) => (window.padButtons[index] = true), button);
  await page.waitForTimeout(300);
  await page.evaluate((index) => (window.padButtons[index] = false), button);
}

test("a pad's A lifts the ball, Start pauses, Back quits; the full screen button", async () => {
  const holdA = (opened) => opened.evaluate(() => (window.padButtons[0] = true));
  const page = await openGame(holdA, installPad);
  await firstFrame(page);
  await page.waitForTimeout(500);
  const held = ballTop(await picture(page));
  assert.ok(held !== null && held < 118, `the ball on A rose from row 120 to ${held}`);
  const fullScreen = page.locator('#full-screen');
  await fullScreen.click();
  await page.waitForFunction(() => document.fullscreenElement === document.documentElement);
  await page.locator('#full-screen:text("Leave full screen")').waitFor({ timeout: 2000 });
  await fullScreen.click();
  await page.waitForFunction(() => document.fullscreenElement === null);
  await pushPad(page, 9);
  assert.ok(await settled(page), 'the picture kept changing after Start');
  assert.equal(await page.locator('#pause').textContent(), 'Resume');
  await pushPad(page, 8);
  await page.locator('#over').waitFor({ timeout: 2000 });
  assert.equal(await page.locator('#message').getAttribute('open'), null, 'Back showed a box');

  assert.deepEqual(page.errors, []);
  await page.close();
});

const REPLAY_SCRIPTS = join(dirname(fileURLToPath(import.meta.url)), '..', 'replay', 'scripts');
// The watch link of replay/scripts/up_rhythm.demo, as links made today must keep working.
const UP_RHYTHM_PAYLOAD =
  '16A8REAkoCQgJEAkQISAJGBEYCRAhIAkQCQgJKAkQCQgJEBkICRAJCBEICSA5kAFpwAEJCAkgYSgRKCE4EUARIDk4I' +
  'UAJEAkIMaABGQhxoAFBSAkQMQgpCAlIGTAhUBkICUgRKCEIIQ';

// A watch link plays its run, at 4x and held still as the player asks, to the very box cavesim
// gives for the demo; the run shown shares as the same link; a demo file plays the same.
test('a watch link and a demo file play their run to the box cavesim gives', async () => {
  const demoPath = join(REPLAY_SCRIPTS, 'up_rhythm.demo');
  const expected = replayedReport(readFileSync(demoPath, 'utf8'));
  const page = await openGame(undefined, null, browser, `${url}#watch=${UP_RHYTHM_PAYLOAD}`);
  await firstFrame(page);
  const watching = 'Watching a run: Escape or Quit ends it';
  assert.equal(await page.locator('#status').textContent(), watching);
  assert.equal(await page.locator('#prompt').isVisible(), false, 'a prompt while watching');
  await page.locator('[data-speed="0"]').click();
  const held = await settled(page);
  assert.ok(held, 'the run went on while held still');
  await page.locator('[data-speed="4"]').click();
  assert.ok(await settled(page, held), 'the run stayed still at 4x');
  assert.deepEqual(await dialogLines(page), expected);
  await page.keyboard.press('Enter');
  await page.locator('#share').click();
  assert.equal(await page.locator('#share-link').inputValue(), `${url}#watch=${UP_RHYTHM_PAYLOAD}`);

  await page.locator('#demo-file').setInputFiles(demoPath);
  await page.locator('#over').waitFor({ state: 'hidden' });
  await page.locator('[data-speed="4"]').click();
  assert.deepEqual(await dialogLines(page), expected);
  // A damaged link is named, and plays nothing.
  await page.keyboard.press('Enter');
  await page.locator('#over').waitFor({ timeout: 2000 });
  await page.evaluate(() => (location.hash = '#watch=1AIA'));
  const [error] = await dialogLines(page);
  assert.equal(error, 'The watch link: the payload ends in the middle of key change 1');
  await page.keyboard.press('Enter');
  assert.equal(await page.locator('#over').isVisible(), true);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The top row of the ghost's grey ring near the ball's column, or null.
function ghostTop(shot) {
  for (let y = 1; y < 239; ++y) {
    const row = region(shot, [BALL_COLUMNS[0], y, BALL_COLUMNS[1], y + 1]);
    if (row.filter((p) => same(p, GHOST_GREY)).length >= 2) return y;
  }
  return null;
}

// A race link flies its run as a ghost that moves on its own while the live ball, let go, falls;
// the live crash ends the game with the live player's box alone and the place it finished in.
test('a race link flies its ghost beside the live ball; the end gives every player a place', async () => {
  const page = await openGame(undefined, null, browser, `${url}#race=${UP_RHYTHM_PAYLOAD}`);
  await firstFrame(page);
  assert.match(await page.locator('#status').textContent(), /^Cave \d+: racing 1 ghost$/);
  await liftOnce(page);
  const rows = new Set();
  for (let tries = 0; tries < 40 && rows.size < 3; ++tries) {
    rows.add(ghostTop(await picture(page)));
    await page.waitForTimeout(50);
  }
  rows.delete(null);
  assert.ok(rows.size >= 2, `the ghost stood still at rows ${[...rows]}`);
  assert.match(await page.locator('#race').textContent(), /^Place [12] of 2, [01] still flying$/);
  const [heading, blank, player, ...rest] = await dialogLines(page);
  assert.deepEqual([heading, blank, rest], ['Spielstand:', '', []]);
  assert.match(player, /^Player 1: \d+ Punkte$/);
  await page.keyboard.press('Enter');
  await page.locator('#over').waitFor({ timeout: 2000 });
  assert.match(await page.locator('#race-result').textContent(), /finished in place [12] of 2\.$/);

  // Raced again by two players: each one's place, in its colour.
  await page.locator('#race-run').click();
  await page.locator('#players').selectOption('2');
  await page.locator('#player-keys').waitFor();
  await liftOnce(page);
  assert.equal((await dialogLines(page)).length, 4);
  const places = page.locator('#race');
  assert.match(await places.textContent(), /^Places P1 [12] \u00b7 P2 [12] of 2, [01] still flying$/);
  assert.match(await places.locator('span[data-player="2"]').textContent(), /^P2 [12]$/);
  await page.keyboard.press('Enter');
  await page.locator('#over').waitFor({ timeout: 2000 });
  assert.match(
    await page.locator('#race-result').textContent(),
    /^Finished: player 1 in place [12], player 2 in place [12], of 2\.$/,
  );
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The first picture a game presents, kept by the page's canvas as it is put there.
function keepFirstPicture() {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
    if (image.width === 320 && !window.firstPicture) {
      let rgb = '';
      for (let i = 0; i < image.data.length; i += 4) {
        rgb += String.fromCharCode(image.data[i], image.data[i + 1], image.data[i + 2]);
      }
      window.firstPicture = btoa(rgb);
    }
    return put.call(this, image, ...rest);
  };
  Date.now = () => Date.UTC(2026, 11, 8, 12, 0, 0); // the day of the test's cave
}

// cavesim's first picture of the same cave (its first frame shows the back buffer as start-up left
// it, black), as RGB rows.
function cavesimFirstPicture(args) {
  const folder = mkdtempSync(join(tmpdir(), 'cave-web-cave-'));
  try {
    const frame = join(folder, 'first.ppm');
    const options = [...args, '--frames', '2', '--dump-frame', frame];
    const run = spawnSync(process.env.CAVE_CAVESIM, options);
    assert.equal(run.status, 0, run.stderr.toString());
    const ppm = readFileSync(frame);
    return ppm.subarray(ppm.length - 320 * 240 * 3);
  } finally {
    rmSync(folder, { recursive: true });
  }
}

const BALL_MOVES = [150, 100, 180, 140]; // where the ball is in the page's waiting picture and
// in cavesim's after the first frame

// Every pixel but the frame rate read-out, which depends on real time, and the ball.
function sameCave(pagePixels, expected) {
  const differing = [];
  const inside = (x, y, [left, top, right, bottom]) =>
    x >= left && x < right && y >= top && y < bottom;
  for (let y = 0; y < 240; ++y) {
    for (let x = 0; x < 320; ++x) {
      const i = (y * 320 + x) * 3;
      const skipped = inside(x, y, FPS_TEXT) || inside(x, y, BALL_MOVES);
      if (!skipped && !pagePixels.subarray(i, i + 3).equals(expected.subarray(i, i + 3))) {
        differing.push([x, y]);
      }
    }
  }
  return differing;
}

test("today's cave and a challenge's cave are cavesim's; the best scores name caves", async () => {
  const caves = [
    ['#daily', ['--daily', '2026-12-08']],
    ['#cave=123456&beat=7', ['--seed', '123456']],
  ];
  for (const [hash, args] of caves) {
    const page = await openGame(undefined, keepFirstPicture, browser, `${url}${hash}`);
    await page.waitForFunction(() => window.firstPicture);
    const pixels = Buffer.from(await page.evaluate(() => window.firstPicture), 'base64');
    const differing = sameCave(pixels, cavesimFirstPicture(args));
    assert.deepEqual(differing.slice(0, 5), [], `${hash}: ${differing.length} pixels differ`);
    if (hash === '#daily') {
      assert.equal(await page.locator('#status').textContent(), "Today's cave, 2026-12-08");
      await liftOnce(page);
      await dialogLines(page);
      await page.keyboard.press('Enter');
      await page.locator('#over').waitFor({ timeout: 2000 });
      const cells = await page.locator('#best tbody tr.new td').allTextContents();
      assert.equal(cells[3], 'day 2026-12-08');
      const watch = page.locator('#best tr.new a:text("watch")');
      assert.match(await watch.getAttribute('href'), /^#watch=1/);
      assert.equal(await page.locator('#challenge').getAttribute('href'), '#cave=20261208&beat=0');
      await page.locator('#again-today').click();
      // The cave has a best score now: the game waiting on it offers to race it.
      await page.locator('#race-best-waiting').click();
      const racing = "Today's cave, 2026-12-08: racing 1 ghost";
      await page.locator('#status').filter({ hasText: racing }).waitFor({ timeout: 5000 });
      await liftOnce(page);
      await dialogLines(page);
    } else {
      assert.equal(await page.locator('#status').textContent(), 'Cave 123456, 7 points to beat');
    }
    assert.deepEqual(page.errors, []);
    await page.close();
  }
});

// The width and height of the picture at `src`, as the page loads it.
function imageSize(page, src) {
  return page.evaluate(async (source) => {
    const image = new Image();
    image.src = source;
    await image.decode();
    return `${image.naturalWidth}x${image.naturalHeight}`;
  }, src);
}

// The picture at `src`: how many pixels are not fully opaque, how many are the ball's red, and
// how many of those lie outside the centred circle of 80% of its width that maskable icons keep.
function iconPixels(page, src) {
  return page.evaluate(async (source) => {
    const image = new Image();
    image.src = source;
    await image.decode();
    const size = image.naturalWidth;
    const context = new OffscreenCanvas(size, size).getContext('2d');
    context.drawImage(image, 0, 0);
    const { data } = context.getImageData(0, 0, size, size);
    const counts = { seeThrough: 0, red: 0, redOutside: 0 };
    for (let i = 0; i < data.length; i += 4) {
      const [r, g, b, a] = data.subarray(i, i + 4);
      counts.seeThrough += a < 255;
      if (r > 64 && g < r / 2 && b < r / 2) {
        const pixel = i / 4;
        const [x, y] = [(pixel % size) + 0.5, Math.floor(pixel / size) + 0.5];
        counts.red += 1;
        counts.redOutside += Math.hypot(x - size / 2, y - size / 2) > 0.4 * size;
      }
    }
    return counts;
  }, src);
}

// After one visit the page starts with no network, every file from its service worker; the
// manifest names the game's icons at their own sizes. The icons that home screens cut to their
// own shape (the maskable one, the iPhone's) are opaque, the ball within the maskable one's safe
// circle; the others keep their see-through corners.
test('offline after one visit: the service worker starts the game; manifest and icons', async () => {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.addInitScript(installReader);
  await page.goto(url);
  await firstFrame(page);
  const state = await page.evaluate(async () => {
    const worker = (await navigator.serviceWorker.ready).active;
    while (worker.state === 'activating') {
      await new Promise((resolve) => worker.addEventListener('statechange', resolve));
    }
    return worker.state;
  });
  assert.equal(state, 'activated');

  await context.setOffline(true);
  const fromWorker = {};
  page.on('response', (response) => {
    fromWorker[response.url().slice(url.length) || 'index.html'] = response.fromServiceWorker();
  });
  await page.reload();
  await firstFrame(page);
  for (const file of ['index.html', 'cave.js', 'cave.wasm', 'page.js']) {
    assert.equal(fromWorker[file], true, `${file} did not come from the service worker`);
  }

  const manifest = await page.evaluate(async () => (await fetch('manifest.webmanifest')).json());
  assert.deepEqual([manifest.name, manifest.display], ['Cave', 'fullscreen']);
  for (const icon of manifest.icons) assert.equal(await imageSize(page, icon.src), icon.sizes);
  const links = await page.evaluate(() =>
    ['apple-touch-icon', 'icon'].map((rel) => document.querySelector(`link[rel="${rel}"]`).href),
  );
  assert.deepEqual(
    [await imageSize(page, links[0]), await imageSize(page, links[1])],
    ['180x180', '32x32'],
  );
  const maskable = manifest.icons.filter((icon) => icon.purpose === 'maskable');
  assert.deepEqual(maskable.map((icon) => icon.src), ['icon-maskable-512.png']);
  const [square, touch, rounded] = [
    await iconPixels(page, maskable[0].src),
    await iconPixels(page, links[0]),
    await iconPixels(page, 'icon-512.png'),
  ];
  assert.ok(square.red > 0.05 * 512 * 512, `the maskable icon has ${square.red} red pixels`);
  assert.deepEqual(
    [square.seeThrough, square.redOutside, touch.seeThrough, rounded.seeThrough > 0],
    [0, 0, 0, true],
  );
  assert.deepEqual(page.errors ?? [], []);
  await context.close();
});
