'use strict';
// Races: recorded runs flown as ghosts beside the live game. While a race flies, the line under
// the picture gives each live player's place as it stands: every ghost still flying will score at
// least as much, so a place improves as ghosts crash. The end gives the places runs finished in.
// The buttons race the game just ended, the best score on its cave (also offered beside a game of
// a chosen cave that waits for its player) and, where cave-board serves the page, today's
// board.
window.caveRace = (() => {
  const readout = document.getElementById('race');
  const result = document.getElementById('race-result');
  const raceRun = document.getElementById('race-run');
  const raceBest = document.getElementById('race-best');
  const raceBestWaiting = document.getElementById('race-best-waiting');
  const raceBoard = [...document.querySelectorAll('.race-board')];

  let racing = false;
  let shown = '';
  let lastRun = null; // the watch payload of the game just ended
  let bestRun = null; // of the best score on its cave
  let bestCave = ''; // the cave line that flies that cave again ('daily' for today's)
  let waitingBest = null; // the best run on the cave of the game waiting, and its cave line

  // Each live player's place, and what every place is out of.
  const standing = () => ({
    places: Array.from({ length: Module._cave_race_players() }, (_, n) =>
      Module._cave_race_place(n),
    ),
    field: Module._cave_race_field(),
    flying: Module._cave_race_flying(),
  });

  // With several players, each one's place in its colour: "P1 2 · P2 1".
  function eachPlace(places) {
    return places.flatMap((place, n) => {
      const one = document.createElement('span');
      one.dataset.player = String(n + 1);
      one.textContent = `P${n + 1} ${place}`;
      return n === 0 ? [one] : [' \u00b7 ', one];
    });
  }

  // After every frame; the text changes only when a place does.
  function update() {
    if (!racing) return;
    const { places, field, flying } = standing();
    if (field === 0) return;
    const rest = ` of ${field}, ${flying} still flying`;
    const text = places.join() + rest;
    if (text === shown) return;
    shown = text;
    if (places.length === 1) readout.textContent = `Place ${places[0]}${rest}`;
    else readout.replaceChildren('Places ', ...eachPlace(places), rest);
  }

  function finished(places, field) {
    if (places.length === 1) return `Your run finished in place ${places[0]} of ${field}.`;
    const each = places.map((place, n) => `player ${n + 1} in place ${place}`);
    return `Finished: ${each.join(', ')}, of ${field}.`;
  }

  function begin(request) {
    racing = request.includes('\nghost ');
    readout.hidden = !racing;
    readout.textContent = shown = racing ? 'Racing' : '';
  }

  // The game waiting for its player flies a cave with a best score, `best` ({payload, points,
  // cave}), or null.
  function offerBest(best) {
    waitingBest = best;
    raceBestWaiting.hidden = best === null;
    if (best) raceBestWaiting.textContent = `Race your best (${best.points})`;
  }

  // A game has ended, `bestOnCave` the payload of the best score on its cave (or null).
  function ended(game, bestOnCave) {
    const { places, field } = standing();
    result.hidden = !(racing && field > 0 && game.points !== null);
    result.textContent = result.hidden ? '' : finished(places, field);
    racing = false;
    readout.hidden = true;
    lastRun = game.players === 1 && game.payload ? game.payload : null;
    raceRun.hidden = lastRun === null;
    bestRun = bestOnCave;
    const today = new Date(Date.now()).toISOString().slice(0, 10);
    bestCave = game.cave === `daily-${today}` ? 'daily' : '';
    raceBest.hidden = bestRun === null || bestRun === lastRun;
  }

  async function raceTodaysBoard() {
    let runs;
    try {
      runs = await window.caveBoard.todaysRace();
    } catch (error) {
      await Module.showMessage('Cannot race the board', error.message);
      return;
    }
    if (runs.length === 0) {
      await Module.showMessage('Cannot race the board', 'No run has been sent for today yet.');
      return;
    }
    await window.caveRuns.race(runs, "Today's board", 'daily');
  }

  raceRun.addEventListener('click', () => window.caveRuns.race([lastRun], 'This run'));
  raceBest.addEventListener('click', () =>
    window.caveRuns.race([bestRun], 'Your best run', bestCave),
  );
  raceBestWaiting.addEventListener('click', () =>
    window.caveRuns.race([waitingBest.payload], 'Your best run', waitingBest.cave),
  );
  for (const button of raceBoard) button.addEventListener('click', raceTodaysBoard);
  window.caveBoard.served.then((serving) => {
    for (const button of raceBoard) button.hidden = !serving;
  });

  return { begin, update, ended, offerBest };
})();
