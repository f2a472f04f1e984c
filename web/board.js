'use strict';
// The shared board, where the page is served by cave-board: a finished game can be sent there
// (the server replays it and ranks the points its replay makes), and so can a demo file recorded
// by the desktop game; then the run's rank, today's board and the all-time board are shown, each
// entry with its watch link. Served by any other web server the page shows none of it. Names and
// every text from the server go on the page as text, never as markup.
window.caveBoard = (() => {
  const MAX_DEMO_BYTES = 256 * 1024; // the server refuses larger requests
  const NAME_KEY = 'cave/board-name';
  const section = document.getElementById('board');
  const form = document.getElementById('board-form');
  const nameField = document.getElementById('board-name');
  const sendButton = document.getElementById('board-send');
  const demoFile = document.getElementById('board-file');
  const demoFileLabel = document.getElementById('board-file-label');
  const result = document.getElementById('board-result');
  const boards = {
    daily: document.getElementById('board-daily'),
    all: document.getElementById('board-all'),
  };

  let payload = null; // the watch payload of the game to send, null when there is none

  // The server's answer as JSON; an Error with its {"error"} text when it refuses.
  async function call(path, options) {
    const response = await fetch(path, options);
    const body = await response.json().catch(() => null);
    if (!response.ok) throw new Error(body?.error || `the board answered ${response.status}`);
    if (body === null) throw new Error('the board answered with no JSON');
    return body;
  }

  // Whether cave-board serves this page: it marks its answers, so that a plain web server is
  // never asked for an API it does not have (each such request would be an error in the
  // console).
  async function boardServes() {
    // Offline, from the service worker's copy, there is no board to reach.
    if (!navigator.onLine) return false;
    try {
      const page = await fetch('./', { method: 'HEAD', cache: 'no-store' });
      if (!page.headers.has('Cave-Board')) return false;
      return Array.isArray((await call('api/boards/all?limit=1')).entries);
    } catch {
      return false;
    }
  }

  function rememberedName() {
    try {
      return localStorage.getItem(NAME_KEY) ?? '';
    } catch {
      return ''; // storage refused: the field starts empty
    }
  }

  function rememberName(name) {
    try {
      localStorage.setItem(NAME_KEY, name);
    } catch {
      // The name is still sent; it is just typed again next time.
    }
  }

  const today = () => new Date(Date.now()).toISOString().slice(0, 10);

  function boardName(board) {
    if (board === 'all') return 'the all-time board';
    const day = board.replace('daily/', '');
    return day === today() ? "today's board" : `the board of ${day}`;
  }

  function say(text, isError = false) {
    result.textContent = text;
    result.classList.toggle('error', isError);
  }

  // An entry's watch or race link (`kind`): its demo is fetched when it is followed and becomes
  // the page's own #watch= or #race= link, which the page then plays (runs.js follows links
  // within the page).
  function runLink(id, kind) {
    const link = document.createElement('a');
    link.textContent = kind;
    link.href = `api/runs/${encodeURIComponent(id)}/demo`;
    link.addEventListener('click', async (event) => {
      if (link.getAttribute('href').startsWith('#')) return;
      event.preventDefault();
      try {
        const response = await fetch(link.href);
        if (!response.ok) throw new Error(`the board answered ${response.status}`);
        const runPayload = window.caveRuns.payloadOf(await response.text());
        if (!runPayload) throw new Error('the board sent a demo the game cannot read');
        link.href = `#${kind}=${runPayload}`;
        link.click();
      } catch (error) {
        say(`Cannot show this run: ${error.message}`, true);
      }
    });
    return link;
  }

  function fillBoard(table, entries, sentId) {
    const rows = entries.map(({ rank, name, points, date, id }) => {
      const row = document.createElement('tr');
      row.classList.toggle('new', id === sentId);
      for (const text of [rank, name, points, String(date).slice(0, 10)]) {
        row.insertCell().textContent = text;
      }
      row.insertCell().append(runLink(id, 'watch'), runLink(id, 'race'));
      return row;
    });
    table.tBodies[0].replaceChildren(...rows);
    table.hidden = rows.length === 0;
  }

  async function showBoards(sentId) {
    const [daily, all] = await Promise.all([
      call(`api/boards/daily/${today()}?limit=10`),
      call('api/boards/all?limit=10'),
    ]);
    fillBoard(boards.daily, daily.entries, sentId);
    fillBoard(boards.all, all.entries, sentId);
  }

  // Sends a run (a watch payload or a demo's text) under the name in the field.
  async function send(demo) {
    const name = nameField.value.trim();
    rememberName(name);
    sendButton.disabled = true;
    say('Sending the run; the board replays it...');
    try {
      const sent = await call('api/runs', {
        method: 'POST',
        headers: { 'Content-Type': 'application/json' },
        body: JSON.stringify({ name, demo }),
      });
      say(`${sent.points} points: rank ${sent.rank} on ${boardName(sent.board)}.`);
      if (demo === payload) payload = null;
      sendButton.disabled = payload === null;
      await showBoards(sent.id).catch((error) => say(`Cannot read the board: ${error.message}`));
    } catch (error) {
      say(`The board did not take the run: ${error.message}`, true);
      sendButton.disabled = payload === null;
    }
  }

  async function sendFile(file) {
    if (!form.reportValidity()) return;
    if (file.size > MAX_DEMO_BYTES) {
      say(`${file.name} is larger than the board takes (256 KB).`, true);
      return;
    }
    await send(await file.text());
  }

  // The runs today's board races (see race.js), best first: their watch payloads.
  async function todaysRace() {
    const { runs } = await call(`api/boards/daily/${today()}/race?limit=99`);
    return runs.map((run) => run.payload);
  }

  // A game has ended: one played here by one player with a score report can be sent; a watched
  // run cannot.
  function ended(game) {
    const sendable = !game.watched && game.points !== null && game.players === 1;
    payload = sendable ? game.payload : null;
    sendButton.hidden = payload === null;
    sendButton.disabled = payload === null;
    say('');
  }

  nameField.value = rememberedName();
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (payload !== null) send(payload);
  });
  demoFile.addEventListener('change', () => {
    const [file] = demoFile.files;
    demoFile.value = '';
    if (file) sendFile(file);
  });
  const served = boardServes();
  served.then((serving) => {
    section.hidden = !serving;
    demoFileLabel.hidden = !serving;
  });

  return { ended, served, todaysRace };
})();
