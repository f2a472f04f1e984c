'use strict';
// The game's picture on the screen: the largest whole number of device pixels per game pixel
// that fits the play area, on a canvas whose size is counted in device pixels, so that every
// column and row of the game is drawn as wide as every other at any pixel ratio.
window.caveScreen = (() => {
  const WIDTH = 320;
  const HEIGHT = 240;
  const canvas = document.getElementById('game');
  const play = document.getElementById('play');
  const context = canvas.getContext('2d', { desynchronized: true });
  let last = null; // the last picture shown and where, drawn again after a resize
  let asked = [0, 0]; // the canvas's size in device pixels that fit() asked for

  // Device pixels per game pixel for the play area as it is laid out now.
  function scaleFor(ratio) {
    const across = (play.clientWidth * ratio) / WIDTH;
    const down = (play.clientHeight * ratio) / HEIGHT;
    return Math.max(1, Math.floor(Math.min(across, down)));
  }

  // The canvas in the middle of the play area, its corner on the device's pixel grid (half a
  // pixel off, every edge in the picture would blur).
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const scale = scaleFor(ratio);
    const box = play.getBoundingClientRect();
    const place = (start, room, size) =>
      Math.round(start * ratio + Math.max(0, room * ratio - size) / 2) / ratio - start;
    // A quarter of a device pixel over: layout keeps sizes in 64ths of a CSS pixel, and a box
    // that comes out a hair short would lose a whole device pixel to rounding.
    canvas.style.width = `${(WIDTH * scale + 0.25) / ratio}px`;
    canvas.style.height = `${(HEIGHT * scale + 0.25) / ratio}px`;
    canvas.style.left = `${place(box.left, play.clientWidth, WIDTH * scale)}px`;
    canvas.style.top = `${place(box.top, play.clientHeight, HEIGHT * scale)}px`;
    asked = [WIDTH * scale, HEIGHT * scale];
    resizeBacking(...asked);
    document.documentElement.classList.remove('unsized');
  }

  function resizeBacking(width, height) {
    if (canvas.width === width && canvas.height === height) return;
    canvas.width = width;
    canvas.height = height;
    if (last) show(...last);
  }

  // The picture scaled by whole device pixels, `left`..`bottom` being where the game put it in
  // its own picture.
  function show(picture, left, top, right, bottom) {
    last = [picture, left, top, right, bottom];
    const scale = Math.max(
      1,
      Math.floor(Math.min(canvas.width / picture.width, canvas.height / picture.height)),
    );
    context.imageSmoothingEnabled = false;
    context.drawImage(
      picture,
      left * scale,
      top * scale,
      (right - left) * scale,
      (bottom - top) * scale,
    );
  }

  // The browser says how many device pixels the canvas really covers once it is laid out: a
  // pixel more than asked for
  // is taken. Where it cannot say, or says something else (emulated
  // pixel ratios do), the size asked for stands.
  new ResizeObserver(([entry]) => {
    const [device] = entry.devicePixelContentBoxSize ?? [];
    const near = (size, wanted) => size >= wanted && size <= wanted + 1;
    if (device && near(device.inlineSize, asked[0]) && near(device.blockSize, asked[1])) {
      resizeBacking(device.inlineSize, device.blockSize);
    }
  }).observe(canvas);
  new ResizeObserver(fit).observe(play);
  window.addEventListener('resize', fit);
  // A new pixel ratio (zoom, another screen) changes the fitting multiple.
  matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', fit);
  fit();

  return { fit, show };
})();
