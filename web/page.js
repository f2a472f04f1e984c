'use strict';
// The page around the game: whole-multiple scaling, the keyboard focus, the message box the game
// waits for, and what follows the end of a game.
(() => {
  const canvas = document.getElementById('game');
  const screen = canvas.parentElement;
  const over = document.getElementById('over');
  const again = document.getElementById('again');
  const dialog = document.getElementById('message');

  // The largest whole multiple of the picture, in device pixels, that fits the viewport beside
  // the rest of the page.
  function fitCanvas() {
    const ratio = window.devicePixelRatio || 1;
    const main = document.querySelector('main');
    const roomX = window.innerWidth - (main.offsetWidth - canvas.offsetWidth);
    const roomY = window.innerHeight - (main.offsetHeight - canvas.offsetHeight);
    const scale = Math.max(
      1,
      Math.floor(Math.min((roomX * ratio) / canvas.width, (roomY * ratio) / canvas.height)),
    );
    canvas.style.width = `${(canvas.width * scale) / ratio}px`;
    canvas.style.height = `${(canvas.height * scale) / ratio}px`;
    // Centring can put the picture half a pixel off the device's grid, which blurs every pixel
    // edge: nudge it onto the grid.
    screen.style.left = '0';
    screen.style.top = '0';
    const box = canvas.getBoundingClientRect();
    screen.style.left = `${Math.round(box.left * ratio) / ratio - box.left}px`;
    screen.style.top = `${Math.round(box.top * ratio) / ratio - box.top}px`;
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

  document.getElementById('message-ok').addEventListener('click', () => dialog.close());
  window.addEventListener('resize', fitCanvas);
  // Late fonts change the height of the text around the picture, and so where it is centred.
  new ResizeObserver(fitCanvas).observe(document.querySelector('main'));
  fitCanvas();
  canvas.focus();

  window.Module = {
    canvas,
    showMessage,
    // The game waits until the player asks for the next one.
    onGameEnd() {
      over.hidden = false;
      again.focus();
      return new Promise((resolve) => {
        again.addEventListener(
          'click',
          () => {
            over.hidden = true;
            canvas.focus();
            resolve();
          },
          { once: true },
        );
      });
    },
  };
})();
