'use strict';
// The page around the game: the keyboard focus, the message box the game waits for, the start
// of each game and what follows its end.
(() => {
  const canvas = document.getElementById('game');
  const over = document.getElementById('over');
  const again = document.getElementById('again');
  const dialog = document.getElementById('message');
  const best = document.getElementById('best');
  const playersChoice = document.getElementById('players');

  // A game started on a page zoomed in (a pinch on the game-over panel) would show a part of the
  // picture and no way back, as fingers on a game fly the ball: the zoom goes back to 1, and
  // pinching is allowed again once it has.
  const viewport = document.querySelector('meta[name="viewport"]');
  const freeViewport = viewport.content;
  function unzoom() {
    if (!window.visualViewport || visualViewport.scale <= 1.001) return;
    viewport.content = `${freeViewport}, maximum-scale=1`;
    setTimeout(() => (viewport.content = freeViewport), 300);
  }

  function showMessage(title, text) {
    document.getElementById('message-title').textContent = title;
    document.getElementById('message-text').textContent = text;
    return new Promise((resolve) => {
      dialog.addEventListener(
        'close',
        () => {
          canvas.focus();
          resolve();
        },
        { once: true },
      );
      dialog.showModal();
      document.getElementById('message-ok').focus();
    });
  }

  // The game's files, its best scores and their demos, live in the site's IndexedDB: one record
  // a file, keyed by its path. `work` queues its requests on the store and returns a function that
  // reads their outcome; the promise gives that outcome once the transaction is committed.
  let database = null;
  function fileStore(mode, work) {
    database ??= new Promise((resolve, reject) => {
      const open = indexedDB.open('cave', 1);
      open.onupgradeneeded = () => open.result.createObjectStore('files');
      open.onsuccess = () => resolve(open.result);
      open.onerror = () => reject(open.error);
    });
    return database.then(
      (files) =>
        new Promise((resolve, reject) => {
          const transaction = files.transaction('files', mode);
          const outcome = work(transaction.objectStore('files'));
          transaction.oncomplete = () => resolve(outcome());
          transaction.onerror = () => reject(transaction.error);
          transaction.onabort = () => reject(transaction.error);
        }),
    );
  }

  // The texts of the files at `paths`, '' for one that is missing.
  const readFiles = (paths) =>
    fileStore('readonly', (store) => {
      const reads = paths.map((path) => store.get(path));
      return () => reads.map(({ result }) => result || '');
    });

  // The table: a header line, then "points date demo cave" a line, best first, each demo beside
  // it (the first version had no cave: those games flew random ones). A table that is not the
  // game's own is the game's to move aside; the page just shows none, as it does when the browser
  // refuses the storage.
  async function storedBestScores() {
    try {
      const [table] = await readFiles(['cave/scores.txt']);
      const lines = table.split('\n');
      if (lines[0] !== '# cave best scores 2' && lines[0] !== '# cave best scores 1') return [];
      return lines
        .slice(1)
        .filter((line) => line !== '')
        .map((line) => {
          const [points, date, demo, cave = 'random'] = line.split(' ');
          return { points, date, demo, cave };
        });
    } catch {
      return [];
    }
  }

  // The demos in the table when it was last shown: an entry not among them is this game's.
  let knownDemos = new Set();
  let demoLinks = [];

  const caveName = (label) =>
    label.startsWith('daily-') ? `day ${label.slice(6)}` : label.replace('cave-', 'cave ');

  function runLinks(cell, demo, download, payload) {
    const file = document.createElement('a');
    file.textContent = 'demo';
    file.download = demo;
    file.href = download;
    cell.append(file, ' ');
    if (!payload) return;
    for (const kind of ['watch', 'race']) {
      const link = document.createElement('a');
      link.textContent = kind;
      link.href = `#${kind}=${payload}`;
      cell.append(link);
    }
  }

  // The table, with this game's entry marked, every demo ready to download, to watch and to
  // race. Returns the payload of the best run on the cave of `seed`, or null.
  async function showBestScores(seed) {
    const scores = await storedBestScores();
    // The demos are read only here, where their links are made: the start needs just the names.
    const demos = await readFiles(scores.map(({ demo }) => `cave/${demo}`)).catch(() => []);
    demoLinks.forEach((link) => URL.revokeObjectURL(link));
    demoLinks = scores.map((_, index) => URL.createObjectURL(new Blob([demos[index] || ''])));
    let bestOnCave = null;
    const rows = scores.map(({ points, date, demo, cave }, index) => {
      const row = document.createElement('tr');
      row.classList.toggle('new', !knownDemos.has(demo));
      for (const text of [index + 1, points, date.replace('T', ' '), caveName(cave)]) {
        row.insertCell().textContent = text;
      }
      const payload = demos[index] ? window.caveRuns.payloadOf(demos[index]) : '';
      runLinks(row.insertCell(), demo, demoLinks[index], payload);
      if (payload && bestOnCave === null && window.caveRuns.seedOf(payload) === seed) {
        bestOnCave = payload;
      }
      return row;
    });
    best.tBodies[0].replaceChildren(...rows);
    best.hidden = rows.length === 0;
    knownDemos = new Set(scores.map(({ demo }) => demo));
    return bestOnCave;
  }

  // The best stored run on the cave `request` chooses ('daily' or 'cave N'), as
  // {payload, points, cave}; null for any other request or a cave with no best score.
  async function bestRunFor(request) {
    const today = new Date(Date.now()).toISOString().slice(0, 10);
    const label = request === 'daily' ? `daily-${today}` : request.replace(/^cave /, 'cave-');
    if (!/^(daily|cave)-/.test(label)) return null;
    const entry = (await storedBestScores()).find(({ cave }) => cave === label);
    if (!entry) return null;
    const [demo] = await readFiles([`cave/${entry.demo}`]).catch(() => ['']);
    const payload = demo ? window.caveRuns.payloadOf(demo) : '';
    return payload ? { payload, points: entry.points, cave: request } : null;
  }

  // The game of `request` starts: at once for a run to watch, else once a player lifts a ball.
  // A new game is flown by as many players as the Players choice says.
  let current = null; // the request of the game on, once the first has begun
  function begin(request) {
    const root = document.documentElement;
    const watching = request.startsWith('watch ');
    const players = watching ? 1 : Number(playersChoice.value);
    current = request;
    over.hidden = true;
    root.classList.add('playing');
    // Until the game's code says so, a new game is taken to wait for its player.
    root.classList.toggle('waiting', !watching);
    unzoom();
    window.caveInputs.newGame(players);
    window.caveRace.begin(request);
    window.caveRace.offerBest(null);
    if (!watching) {
      bestRunFor(request).then((best) => current === request && window.caveRace.offerBest(best));
    }
    canvas.focus();
    const company = players > 1 ? `\nplayers ${players}` : '';
    return window.caveRuns.begin(request) + company;
  }

  // Another number of players: the game waiting for its players starts again with them.
  playersChoice.addEventListener('change', () => {
    if (current !== null) window.caveRuns.ask(current);
  });

  document.getElementById('message-ok').addEventListener('click', () => dialog.close());
  canvas.focus();
  storedBestScores().then((scores) => scores.forEach(({ demo }) => knownDemos.add(demo)));
  // The site's files are kept for starts without the network, once the game is under way so that
  // it never slows the start. Browsers allow it on https and on this machine only.
  if ('serviceWorker' in navigator && window.isSecureContext) {
    addEventListener('load', () => {
      setTimeout(() => navigator.serviceWorker.register('sw.js').catch(() => {}), 1000);
    });
  }

  window.Module = {
    canvas,
    showMessage,
    fileStore,
    pageKeys: window.caveInputs.pageKeys,
    holdsLift: window.caveInputs.holdsLift,
    showPicture(...where) {
      window.caveScreen.show(...where);
      window.caveRace.update();
    },
    awaitsLift(waiting) {
      document.documentElement.classList.toggle('waiting', waiting);
    },
    // What the first game is to be: the page's address may ask for a cave or a run.
    async firstGame() {
      return begin(await window.caveRuns.fromAddress());
    },
    // The game waits until the player asks for the next one, unless that was asked already.
    async onGameEnd(status, game) {
      document.documentElement.classList.remove('playing');
      window.caveInputs.gameEnded();
      if (!window.caveRuns.ended(game)) {
        window.caveBoard.ended(game);
        window.caveRace.ended(game, await showBestScores(game.seed));
        over.hidden = false;
        again.focus();
      }
      return begin(await window.caveRuns.next());
    },
  };
})();
