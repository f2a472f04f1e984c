'use strict';
// What holds the game's keys on the page besides the keyboard: a finger, mouse or pen held on
// the play area (Up; with several players, each player's lift on a strip of its own), the touch
// buttons (P and Escape) and game controllers (controller n lifts player n). The game reads them
// as those keys in the same snapshot as the keyboard's (Module.pageKeys, once a read), so a game
// played this way records the same demo as one played on the keyboard. Whatever is held when a
// game ends is let go, and ignored in the next game until it is first released.
window.caveInputs = (() => {
  const UP = 1;
  const P = 2;
  const ESCAPE = 4;
  const LIFTS = [UP, 8, 16, 32]; // each player's lift, by its bit in the game's page keys
  const canvas = document.getElementById('game');
  const play = document.getElementById('play');
  const pauseButton = document.getElementById('pause');
  const pausedText = document.getElementById('paused');
  const root = document.documentElement;

  const strips = document.getElementById('strips');
  const playerKeys = document.getElementById('player-keys');
  // The keys that lift players 1 to 4: as named to the player, and their KeyboardEvent.code.
  const PLAYER_KEYS = [
    ['\u2191 Up', 'ArrowUp'],
    ['W', 'KeyW'],
    ['B', 'KeyB'],
    ['K', 'KeyK'],
  ];
  let players = 1;

  const onPlay = new Map(); // pointer held down on the play area -> the player whose strip it is
  const onButtons = new Map(); // pointer -> the key of the button it holds
  // Keys of buttons (and lifts while a game waits) pressed since the last read: a tap shorter
  // than a frame still reaches the game as one press and one release.
  let tapped = 0;
  let lastRead = 0; // every source's keys at the game's last read
  let stalePad = 0; // pad keys held over from the last game, until they are let go
  let paused = false;
  const gameOn = () => root.classList.contains('playing') && !root.classList.contains('waiting');

  // The game's picture stays the bare cave while paused: the page says so beside it.
  function showPaused(now) {
    paused = now;
    pauseButton.textContent = now ? 'Resume' : 'Pause';
    pauseButton.setAttribute('aria-pressed', String(now));
    pausedText.textContent = now ? 'Paused' : '';
  }

  // Pads are read only once the browser has shown one: reading costs a phone every frame.
  let padsSeen = false;
  addEventListener('gamepadconnected', () => (padsSeen = true));

  // The Gamepad API's standard layout: the bottom face button, the d-pad's up or the left stick
  // pushed up past half way lift; Start pauses; Back/Select quits. Alone, a player is lifted by
  // any pad; together, the n-th pad connected lifts player n, and a pad beyond the players none.
  function heldOnPads() {
    let keys = 0;
    if (!padsSeen) return keys;
    let index = 0;
    for (const pad of navigator.getGamepads?.() ?? []) {
      if (!pad?.connected) continue;
      const lift = players === 1 ? UP : index < players ? LIFTS[index] : 0;
      index += 1;
      const pressed = (index) => pad.buttons[index]?.pressed === true;
      if (pressed(0) || pressed(12) || (pad.axes[1] ?? 0) < -0.5) keys |= lift;
      if (pressed(9)) keys |= P;
      if (pressed(8)) keys |= ESCAPE;
    }
    return keys;
  }

  function padKeys() {
    const held = heldOnPads();
    stalePad &= held;
    return held & ~stalePad;
  }

  function heldOnPlay() {
    let keys = 0;
    for (const player of onPlay.values()) keys |= LIFTS[player];
    return keys;
  }

  // With several players the play area is cut into as many strips side by side, player 1's on
  // the left; a finger lifts the ball of the strip it went down on.
  function stripOf(event) {
    if (players === 1) return 0;
    const box = play.getBoundingClientRect();
    const strip = Math.floor(((event.clientX - box.left) / box.width) * players);
    return Math.min(players - 1, Math.max(0, strip));
  }

  // The strips, and each player's key, in the player's colour.
  function showPlayers() {
    const together = PLAYER_KEYS.slice(0, players > 1 ? players : 0).map(([name]) => name);
    const named = (tag, player) => {
      const element = document.createElement(tag);
      element.dataset.player = String(player + 1);
      return element;
    };
    strips.replaceChildren(
      ...together.map((_, player) => {
        const strip = named('span', player);
        strip.textContent = `Player ${player + 1}`;
        return strip;
      }),
    );
    playerKeys.replaceChildren(
      ...together.map((key, player) => {
        const line = named('span', player);
        const name = document.createElement('kbd');
        name.textContent = key;
        line.append(`Player ${player + 1} `, name);
        return line;
      }),
    );
    playerKeys.hidden = together.length === 0;
  }

  // The page's keys at one of the game's reads, given the keyboard's. The game pauses and
  // resumes on each release of P and quits (unpaused) on a release of Escape: the Pause button
  // follows it from the same reads.
  function pageKeys(keyboard) {
    let keys = tapped | padKeys() | heldOnPlay();
    for (const key of onButtons.values()) keys |= key;
    tapped = 0;
    const all = keys | keyboard;
    if (lastRead & P && !(all & P)) showPaused(!paused);
    if (lastRead & ESCAPE && !(all & ESCAPE)) showPaused(false);
    lastRead = all;
    return keys;
  }

  function letGo(event) {
    onPlay.delete(event.pointerId);
    onButtons.delete(event.pointerId);
  }

  const liftsOf = (count) => LIFTS.slice(0, count).reduce((all, lift) => all | lift, 0);

  // While a game waits for its players, a lift let go before the game next looks, or before its
  // code even listens (as the page loads), still starts it, lifting.
  function liftWhileWaiting(player) {
    if (!root.classList.contains('waiting') || player < 0) return;
    tapped |= LIFTS[player] & liftsOf(players);
  }
  canvas.addEventListener('keydown', (event) => {
    if (!event.repeat) liftWhileWaiting(PLAYER_KEYS.findIndex(([, code]) => code === event.code));
  });

  // Anywhere on the play area, the picture or around it, a held pointer lifts the ball.
  play.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'mouse' && event.button !== 0) return;
    event.preventDefault();
    canvas.focus();
    // Captured, so a finger that slides off the play area still holds until it is lifted.
    play.setPointerCapture(event.pointerId);
    const player = stripOf(event);
    onPlay.set(event.pointerId, player);
    liftWhileWaiting(player);
  });
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) {
    play.addEventListener(type, letGo);
  }
  play.addEventListener('contextmenu', (event) => event.preventDefault());

  // A button of the game's holds its key while pressed, as the key itself would, and only
  // while a game is on.
  function keyButton(button, key) {
    button.addEventListener('pointerdown', (event) => {
      if ((event.pointerType === 'mouse' && event.button !== 0) || !gameOn()) return;
      button.setPointerCapture(event.pointerId);
      onButtons.set(event.pointerId, key);
      tapped |= key;
    });
    for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) {
      button.addEventListener(type, (event) => {
        letGo(event);
        // The keyboard's keys go back to the game.
        if (type === 'pointerup') canvas.focus();
      });
    }
    // Enter or Space on the focused button: one press.
    button.addEventListener('click', (event) => {
      if (event.detail === 0 && gameOn()) tapped |= key;
    });
  }
  keyButton(pauseButton, P);
  keyButton(document.getElementById('quit'), ESCAPE);

  // A page put away lets go of everything; its pointers may never come back up.
  document.addEventListener('visibilitychange', () => {
    if (!document.hidden) return;
    onPlay.clear();
    onButtons.clear();
  });

  // Where the browser can show the page alone on the screen.
  const fullScreen = document.getElementById('full-screen');
  if (document.fullscreenEnabled) {
    fullScreen.hidden = false;
    fullScreen.addEventListener('click', () => {
      if (document.fullscreenElement) document.exitFullscreen();
      else document.documentElement.requestFullscreen().catch(() => {});
    });
    document.addEventListener('fullscreenchange', () => {
      fullScreen.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
      canvas.focus();
    });
  }

  return {
    pageKeys,
    // Whether the page lifts a ball of the game's `playing` players now, or has asked for another
    // game: what a game waiting for its players waits for.
    holdsLift(playing = 1) {
      const lifts = liftsOf(playing);
      return ((padKeys() | heldOnPlay() | tapped) & lifts) !== 0 || (tapped & ESCAPE) !== 0;
    },
    // Ends the game on as Escape does.
    quit() {
      tapped |= ESCAPE;
    },
    // A game has ended: everything held is let go, and stays ignored until it is released.
    gameEnded() {
      // A pointer still down stays captured: its release goes by unheard.
      onPlay.clear();
      onButtons.clear();
      stalePad = heldOnPads();
      tapped = 0;
      showPaused(false);
    },
    // A new game of `count` players starts unpaused with nothing held over from the last one.
    newGame(count = 1) {
      players = count;
      showPlayers();
      lastRead = 0;
      // Only lifts pressed since the page said the game waits carry into it.
      tapped &= root.classList.contains('waiting') ? liftsOf(count) : 0;
      showPaused(false);
    },
  };
})();
