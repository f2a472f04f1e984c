'use strict';
// Which cave the next game flies, or which run it shows: a random cave, today's, the cave of a
// challenge link, or a run from a watch link or a demo file; and which recorded runs race it as
// ghosts (race links and the race buttons). Also what a finished game offers: its watch link to
// share and a challenge on its cave. The game reads and writes watch links
// itself (cave_watch_payload, cave_demo_error); this page only carries them.
window.caveRuns = (() => {
  const MAX_DEMO_BYTES = 1 << 20;
  const MAX_SEED = 4294967295;
  const MAX_GHOSTS = 99;
  const status = document.getElementById('status');
  const shareLink = document.getElementById('share-link');
  const challenge = document.getElementById('challenge');
  const shareButton = document.getElementById('share');
  const speeds = [...document.querySelectorAll('[data-speed]')];

  let pending = null; // a request made while a game was on
  let answer = null; // resolves the wait between games
  let lastGame = null;

  // A call into the game's code with a text; `read` turns its answer (a text by default) into
  // the caller's value.
  function callGame(name, text, read = (answer) => Module.UTF8ToString(answer)) {
    const argument = Module.allocateUTF8(text);
    try {
      return read(Module[`_${name}`](argument));
    } finally {
      Module._free(argument);
    }
  }

  const payloadOf = (demoText) => callGame('cave_watch_payload', demoText);
  // The cave a run flies; -1 when it is no run.
  const seedOf = (text) => callGame('cave_demo_seed', text, Number);
  const pageAddress = () => location.href.split('#')[0];
  const watchLink = (payload) => `${pageAddress()}#watch=${payload}`;

  // The next game is to be `request`: '', 'daily', 'cave N' or 'watch TEXT', then a line
  // 'ghost PAYLOAD' for each run it races. At once between games; a game on is ended first, as
  // Escape ends it.
  function ask(request) {
    if (answer) {
      answer(request);
      answer = null;
      return;
    }
    pending = request;
    window.caveInputs.quit();
  }

  // A run from a link or a file, once the game's own reader has found nothing wrong with it.
  async function askToWatch(text, what) {
    const error = callGame('cave_demo_error', text);
    if (error) {
      await Module.showMessage('Cannot show this run', `${what}: ${error}`);
      return false;
    }
    ask(`watch ${text}`);
    return true;
  }

  // The request that races `runs` (watch payloads) on their cave, or on `cave` ('daily'); ''
  // after naming what is wrong: a run the game cannot read, runs of different caves, too many.
  async function raceRequest(runs, what, cave = '') {
    const refuse = async (text) => {
      await Module.showMessage('Cannot race', `${what}: ${text}`);
      return '';
    };
    if (runs.length > MAX_GHOSTS) {
      return refuse(`at most ${MAX_GHOSTS} runs race at once, not ${runs.length}.`);
    }
    const seeds = new Set();
    for (const [index, run] of runs.entries()) {
      const error = callGame('cave_demo_error', run);
      if (error) return refuse(runs.length > 1 ? `run ${index + 1}: ${error}` : error);
      seeds.add(seedOf(run));
    }
    if (seeds.size !== 1) return refuse('the runs fly different caves.');
    const lines = [cave || `cave ${[...seeds][0]}`, ...runs.map((run) => `ghost ${run}`)];
    return lines.join('\n');
  }

  // Races `runs` next (see raceRequest).
  async function race(runs, what, cave = '') {
    const request = await raceRequest(runs, what, cave);
    if (request !== '') ask(request);
  }

  // What the page's address asks for: #watch=PAYLOAD, #race=PAYLOAD (once a run), #cave=N (with
  // &beat=POINTS from a challenge) or #daily. Anything malformed is named, and a random cave
  // flown instead.
  async function fromAddress() {
    const hash = location.hash.slice(1);
    if (hash.startsWith('watch=')) {
      const error = callGame('cave_demo_error', location.hash);
      if (!error) return `watch ${location.hash}`;
      await Module.showMessage('Cannot show this run', `The watch link: ${error}`);
      return '';
    }
    const params = new URLSearchParams(hash);
    if (params.has('race')) return raceRequest(params.getAll('race'), 'The race link');
    if (params.has('cave')) {
      const seed = params.get('cave');
      if (/^\d{1,10}$/.test(seed) && Number(seed) <= MAX_SEED) return `cave ${Number(seed)}`;
      await Module.showMessage('No such cave', `A cave is a number from 0 to ${MAX_SEED}.`);
      return '';
    }
    return params.has('daily') ? 'daily' : '';
  }

  // The line under the picture: which cave this is and how many ghosts race it, or that a run is
  // shown.
  function describe(request) {
    const [cave, ...company] = request.split('\n');
    const ghosts = company.filter((line) => line.startsWith('ghost ')).length;
    const where = describeCave(cave);
    if (ghosts === 0) return where;
    return `${where}${where ? ': ' : ''}racing ${ghosts} ${ghosts === 1 ? 'ghost' : 'ghosts'}`;
  }

  function describeCave(request) {
    const beat = new URLSearchParams(location.hash.slice(1)).get('beat');
    const toBeat = /^\d{1,9}$/.test(beat ?? '') ? `, ${beat} points to beat` : '';
    const today = new Date(Date.now()).toISOString().slice(0, 10);
    if (request === 'daily') return `Today's cave, ${today}`;
    if (request.startsWith('cave ')) return `Cave ${request.slice(5)}${toBeat}`;
    if (request.startsWith('watch ')) return 'Watching a run: Escape or Quit ends it';
    return '';
  }

  function setSpeed(speed) {
    Module._cave_set_watch_speed(speed);
    for (const button of speeds) {
      button.setAttribute('aria-pressed', String(Number(button.dataset.speed) === speed));
    }
  }

  // The game starts on `request`; returns it for the game.
  function begin(request) {
    const watching = request.startsWith('watch ');
    document.documentElement.classList.toggle('watching', watching);
    status.textContent = describe(request);
    status.hidden = status.textContent === '';
    setSpeed(1);
    return request;
  }

  // The next game's request: one made meanwhile, or the player's next choice.
  function next() {
    if (pending !== null) {
      const request = pending;
      pending = null;
      return Promise.resolve(request);
    }
    return new Promise((resolve) => (answer = resolve));
  }

  // A game has ended: the overlay's share and challenge offers are its.
  function ended(game) {
    lastGame = game;
    document.documentElement.classList.remove('watching');
    setSpeed(1);
    shareLink.hidden = true;
    // A watch link carries one player's keys.
    shareButton.hidden = game.players > 1;
    const beat = game.points !== null ? `&beat=${game.points}` : '';
    challenge.href = `#cave=${game.seed}${beat}`;
    challenge.textContent =
      game.points !== null ? `Challenge: beat ${game.points} on this cave` : 'Fly this cave again';
    return pending !== null;
  }

  async function share() {
    const link = watchLink(lastGame.payload);
    shareLink.value = link;
    shareLink.hidden = false;
    shareLink.select();
    const text = lastGame.points !== null ? `${lastGame.points} points in Cave` : 'A run in Cave';
    try {
      if (navigator.share) await navigator.share({ title: 'Cave', text, url: link });
      else await navigator.clipboard?.writeText(link);
    } catch {
      // Declined or not allowed: the link stays on show to copy by hand.
    }
  }

  async function openDemoFile(file) {
    if (!file) return;
    if (file.size > MAX_DEMO_BYTES) {
      await Module.showMessage('Cannot show this run', `${file.name} is larger than 1 MB.`);
      return;
    }
    await askToWatch(await file.text(), file.name);
  }

  document.getElementById('again').addEventListener('click', () => ask(''));
  for (const id of ['today', 'again-today']) {
    document.getElementById(id).addEventListener('click', () => ask('daily'));
  }
  shareButton.addEventListener('click', share);
  for (const button of speeds) {
    button.addEventListener('click', () => {
      const speed = Number(button.dataset.speed);
      setSpeed(button.getAttribute('aria-pressed') === 'true' && speed !== 1 ? 1 : speed);
    });
  }
  const demoFile = document.getElementById('demo-file');
  demoFile.addEventListener('change', () => {
    openDemoFile(demoFile.files[0]);
    demoFile.value = '';
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    openDemoFile(event.dataTransfer.files[0]);
  });
  // Links within the page: a watch link of the best scores, a challenge, or one pasted in. The
  // link already in the address starts again when it is followed again.
  const followAddress = async () => {
    const request = await fromAddress();
    if (request !== '') ask(request);
  };
  window.addEventListener('hashchange', followAddress);
  document.addEventListener('click', (event) => {
    const link = event.target.closest?.('a[href^="#"]');
    if (!link || link.hash !== location.hash) return;
    event.preventDefault();
    followAddress();
  });

  return { payloadOf, seedOf, watchLink, fromAddress, begin, next, ended, ask, race };
})();
