'use strict';
// What holds the game's keys on the page besides the keyboard: a finger, mouse or pen held on
// the picture (Up), the touch buttons (P and Escape) and game controllers. The game reads them as
// those keys in the same snapshot as the keyboard's (Module.pageKeys, once a read), so a game
// played this way records the same demo as one played on the keyboard.
window.caveInputs = (() => {
  const UP = 1;
  const P = 2;
  const ESCAPE = 4;
  const canvas = document.getElementById('game');
  const pauseButton = document.getElementById('pause');

  const onPicture = new Set(); // pointers held down on the picture
  const onButtons = new Map(); // pointer -> the key of the button it holds
  // Keys of buttons pressed since the last read: a tap shorter than a frame still reaches the
  // game as one press and one release.
  let tapped = 0;
  let lastRead = 0; // every source's keys at the game's last read
  let paused = false;

  function showPaused(now) {
    paused = now;
    pauseButton.textContent = now ? 'Resume' : 'Pause';
    pauseButton.setAttribute('aria-pressed', String(now));
  }

  // Pads are read only once the browser has shown one: reading costs a phone every frame.
  let padsSeen = false;
  addEventListener('gamepadconnected', () => (padsSeen = true));

  // The Gamepad API's standard layout: the bottom face button, the d-pad's up or the left stick
  // pushed up past half way lift; Start pauses; Back/Select quits.
  function padKeys() {
    let keys = 0;
    if (!padsSeen) return keys;
    for (const pad of navigator.getGamepads?.() ?? []) {
      if (!pad?.connected) continue;
      const pressed = (index) => pad.buttons[index]?.pressed === true;
      if (pressed(0) || pressed(12) || (pad.axes[1] ?? 0) < -0.5) keys |= UP;
      if (pressed(9)) keys |= P;
      if (pressed(8)) keys |= ESCAPE;
    }
    return keys;
  }

  // The page's keys at one of the game's reads, given the keyboard's. The game pauses and
  // resumes on each release of P and quits (unpaused) on a release of Escape: the Pause button
  // follows it from the same reads.
  function pageKeys(keyboard) {
    let keys = tapped | padKeys() | (onPicture.size > 0 ? UP : 0);
    for (const key of onButtons.values()) keys |= key;
    tapped = 0;
    const all = keys | keyboard;
    if (lastRead & P && !(all & P)) showPaused(!paused);
    if (lastRead & ESCAPE && !(all & ESCAPE)) showPaused(false);
    lastRead = all;
    return keys;
  }

  function letGo(event) {
    onPicture.delete(event.pointerId);
    onButtons.delete(event.pointerId);
  }

  canvas.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'mouse' && event.button !== 0) return;
    event.preventDefault();
    canvas.focus();
    // Captured, so a finger that slides off the picture still holds until it is lifted.
    canvas.setPointerCapture(event.pointerId);
    onPicture.add(event.pointerId);
  });
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) {
    canvas.addEventListener(type, letGo);
  }
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  // A button of the game's holds its key while pressed, as the key itself would.
  function keyButton(button, key) {
    button.addEventListener('pointerdown', (event) => {
      if (event.pointerType === 'mouse' && event.button !== 0) return;
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
      if (event.detail === 0) tapped |= key;
    });
  }
  keyButton(pauseButton, P);
  keyButton(document.getElementById('quit'), ESCAPE);

  // A page put away lets go of everything; its pointers may never come back up.
  document.addEventListener('visibilitychange', () => {
    if (!document.hidden) return;
    onPicture.clear();
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
    // Ends the game on as Escape does.
    quit() {
      tapped |= ESCAPE;
    },
    // A new game starts unpaused with nothing held over from the last one.
    newGame() {
      lastRead = 0;
      tapped = 0;
      showPaused(false);
    },
  };
})();
