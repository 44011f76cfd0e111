// The page: the dive on a canvas, drawn by the engine in a worker.
//
// Without parameters it is the saver: the canvas fills the window at
// device pixels, a tick every 5 s (none while the page is hidden), with the
// settings (two schemes, and whether to keep the screen on) kept in
// localStorage, full screen (screen.js), and the picture saved as PNG.
//
// With ?size=WxH&mandelbrot-color=M&background-color=B&ticks=N&time=T (any
// of them) it is fixed: N ticks at once on a W x H canvas at the top left,
// then documentElement.dataset.state = "done". The values are the
// renderer's options with the renderer's ranges; a bad one shows its
// reason in one line and draws nothing (state "error"). A run that takes
// more than a second shows its picture and "tick N of M" as it goes
// (dataset.progress is N).
//
// Either way a service worker keeps the site for use without a network,
// where the browser allows it (service_worker.js.in).
'use strict';

// The page's parameters, each the renderer's option of the same name.
const kParameters = ['size', 'mandelbrot-color', 'background-color', 'ticks',
                     'time'];
// Where the settings live: the browser's counterpart of the saver's
// registry values.
const kStored = {mandelbrot: 'mandeldive.MandelbrotColor',
                 background: 'mandeldive.BackgroundColor'};
const kCaptionColour = '#ffff00';
const kCaptionFont = '12px Arial, "Liberation Sans", Helvetica, sans-serif';

// A module that uses WebAssembly SIMD, which the engine needs.
const kSimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0,
                                   1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0, 65, 0,
                                   253, 15, 253, 98, 11]);
// Control characters would cut or split the words handed to the engine.
const kControl = /[\u0000-\u001f\u007f]/;

const canvas = document.getElementById('saver');
const context = canvas.getContext('2d', {alpha: false});
let worker = null;
let caption = '';
let labels = null;
// The schemes in use: read from storage once, then what the panel chose,
// whether or not storage keeps it.
let chosen = null;
// What the worker posted since the last animation frame, in order: at most
// one whole picture (a newer one replaces it), then the bands of columns
// drawn after it. An animation frame is asked for only while something is
// pending, so between steps the page runs nothing at all.
let pending = [];
let frameAsked = false;
let shown = 0;      // pictures of whole ticks shown (live mode)

function setState(state) {
  document.documentElement.dataset.state = state;
}

function showMessage(text) {
  const message = document.getElementById('message');
  message.textContent = text;
  message.hidden = false;
}

// A one-line reason on the page, and no picture.
function fail(reason) {
  canvas.width = 0;
  canvas.height = 0;
  showMessage(`mandeldive: ${reason}`);
  setState('error');
}

function drawCaption(width, height) {
  context.save();
  context.fillStyle = kCaptionColour;
  context.font = kCaptionFont;
  context.textAlign = 'center';
  context.textBaseline = 'bottom';
  context.fillText(caption, width / 2, height - 1);
  context.restore();
}

// A frame without pixels leaves the picture as it is shown.
function show(frame) {
  if (frame.pixels !== null) {
    if (canvas.width !== frame.width || canvas.height !== frame.height) {
      canvas.width = frame.width;
      canvas.height = frame.height;
    }
    context.putImageData(
        new ImageData(frame.pixels, frame.width, frame.height), 0, 0);
  }
  if (frame.captioned) drawCaption(frame.width, frame.height);
}

// A band belongs to the picture on the canvas; one of another size is left
// over from before a restart.
function showBand(band) {
  if (band.height !== canvas.height || band.x + band.width > canvas.width) return;
  context.putImageData(new ImageData(band.pixels, band.width, band.height),
                       band.x, 0);
}

function showPending() {
  if (frameAsked || pending.length === 0) return;
  frameAsked = true;
  requestAnimationFrame(drawPending);
}

function showProgress(frame) {
  const progress = document.getElementById('progress');
  progress.hidden = frame.done;
  progress.textContent = `tick ${frame.tick} of ${frame.ticks}`;
  document.documentElement.dataset.progress = String(frame.tick);
}

function drawPending() {
  frameAsked = false;
  for (const message of pending) {
    if (message.type === 'band') {
      showBand(message);
      continue;
    }
    show(message);
    if (!document.body.classList.contains('live')) {
      showProgress(message);
      if (message.done) setState('done');
    } else {
      document.documentElement.dataset.ticks = String(++shown);
      // A new device size that no event reported starts the dive again
      // here, a step later at the latest.
      resized();
    }
  }
  pending = [];
}

// The fixed mode's words for the worker, or a one-line reason why not.
// Each word ends with a line break, so an empty value is a word too.
function fixedWords(params) {
  const words = [];
  for (const key of new Set(params.keys())) {
    if (kControl.test(key)) {
      return {error: 'a parameter\'s name holds a control character'};
    }
    if (!kParameters.includes(key)) {
      return {error: `unknown parameter '${key}' (known: ${kParameters.join(', ')})`};
    }
    if (params.getAll(key).length > 1) {
      return {error: `parameter '${key}' is given more than once`};
    }
    if (kControl.test(params.get(key))) {
      return {error: `parameter '${key}' holds a control character`};
    }
    words.push(`--${key}`, params.get(key));
  }
  return {words: words.map((word) => `${word}\n`).join('')};
}

function storedScheme(key, count) {
  let text = null;
  try {
    text = localStorage.getItem(kStored[key]);
  } catch (e) {
    return 0;  // storage refused (private mode): the defaults
  }
  const value = Number(text);
  return text !== null && Number.isInteger(value) && value >= 0 && value < count
      ? value : 0;
}

function store(key, value) {
  try {
    localStorage.setItem(kStored[key], String(value));
  } catch (e) {
    // Not kept, but used for this visit all the same.
  }
}

function schemes() {
  return {mandelbrot: chosen.mandelbrot, background: chosen.background};
}

function buildSettings() {
  chosen = {mandelbrot: storedScheme('mandelbrot', labels.inside.length),
            background: storedScheme('background', labels.escape.length)};
  const groups = [
    {key: 'mandelbrot', element: 'mandelbrot-group', names: labels.inside},
    {key: 'background', element: 'background-group', names: labels.escape},
  ];
  for (const group of groups) {
    const fieldset = document.getElementById(group.element);
    group.names.forEach((name, index) => {
      const label = document.createElement('label');
      const input = document.createElement('input');
      input.type = 'radio';
      input.name = group.key;
      input.value = String(index);
      input.checked = index === chosen[group.key];
      input.addEventListener('change', () => {
        chosen[group.key] = index;
        store(group.key, index);
        worker.postMessage(Object.assign({type: 'schemes'}, schemes()));
      });
      label.append(input, ' ', name);
      fieldset.append(label);
    });
  }
  const panel = document.getElementById('settings');
  const button = document.getElementById('settings-button');
  const toggle = (open) => {
    panel.hidden = !open;
    button.setAttribute('aria-expanded', String(open));
  };
  button.addEventListener('click', () => toggle(panel.hidden));
  document.getElementById('settings-close').addEventListener('click',
                                                             () => toggle(false));
}

function deviceSize() {
  const ratio = window.devicePixelRatio || 1;
  return {width: Math.max(1, Math.round(window.innerWidth * ratio)),
          height: Math.max(1, Math.round(window.innerHeight * ratio))};
}

// A new size starts the dive again at it, from the full view, as the
// saver does when its window changes size; a quarter second after the last
// change, so that dragging a window's edge does not restart it at every
// step. Nothing is restarted for the same size.
let resizing = 0;
function resized() {
  const size = deviceSize();
  if (size.width === liveSize.width && size.height === liveSize.height) return;
  clearTimeout(resizing);
  resizing = setTimeout(startLive, 250);
}

let liveSize = {width: 0, height: 0};
let generation = 0;  // live starts; what an older one posts is dropped
function startLive() {
  const size = deviceSize();
  if (size.width === liveSize.width && size.height === liveSize.height) return;
  liveSize = size;
  // The surface starts white, and the first pass's columns land on it.
  pending = [];
  canvas.width = size.width;
  canvas.height = size.height;
  context.fillStyle = '#ffffff';
  context.fillRect(0, 0, size.width, size.height);
  ++generation;
  worker.postMessage(Object.assign({type: 'live', generation}, size, schemes()));
}

// A change of the device pixel ratio (a zoom, or the window moved to a
// screen of another scale) changes the device size without a resize
// event: `onChange` runs then, and the watch goes on at the new ratio.
function watchPixelRatio(onChange) {
  const ratio = window.matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
  ratio.addEventListener('change', () => {
    onChange();
    watchPixelRatio(onChange);
  }, {once: true});
}

// Nobody sees a hidden page: its worker takes no steps until it shows
// again, and then goes on with the dive where it was.
function pauseWhileHidden() {
  const tell = () => worker.postMessage({type: document.hidden ? 'pause' : 'resume'});
  document.addEventListener('visibilitychange', tell);
  if (document.hidden) tell();
}

function live() {
  document.body.classList.add('live');
  document.getElementById('toolbar').hidden = false;
  buildSettings();
  watchFullScreen();
  watchWakeLock();
  pauseWhileHidden();
  document.getElementById('save-button').addEventListener('click', () => {
    canvas.toBlob((blob) => {
      if (blob === null) return;
      const link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = 'mandeldive.png';
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, 'image/png');
  });
  window.addEventListener('resize', resized);
  watchPixelRatio(resized);
  setState('live');
  startLive();
}

function onWorkerMessage(event) {
  const message = event.data;
  switch (message.type) {
    case 'labels': {
      labels = message;
      caption = message.caption;
      const params = new URLSearchParams(location.search);
      if ([...params.keys()].length === 0) {
        live();
        break;
      }
      const fixed = fixedWords(params);
      if (fixed.error !== undefined) {
        fail(fixed.error);
        break;
      }
      setState('rendering');
      worker.postMessage({type: 'fixed', words: fixed.words});
      break;
    }
    case 'error':
      fail(message.message);
      break;
    case 'failed':
      failedToStart(message.reason);
      break;
    case 'band':
      if (message.generation === generation) pending.push(message);
      showPending();
      break;
    case 'frame':
      if (message.generation !== generation) break;
      if (!document.body.classList.contains('live')) {
        // One canvas pixel to one device pixel.
        const ratio = window.devicePixelRatio || 1;
        canvas.style.width = `${message.width / ratio}px`;
        canvas.style.height = `${message.height / ratio}px`;
      }
      // A whole picture makes what is pending before it moot; one that
      // only says the picture stands goes after it.
      if (message.pixels !== null) pending = [message];
      else pending.push(message);
      showPending();
      break;
  }
}

function failedToStart(reason) {
  if (!WebAssembly.validate(kSimdProbe)) {
    fail('the engine did not start: this browser has no WebAssembly SIMD');
  } else {
    fail(`the engine did not start (${String(reason).replace(/\s+/g, ' ')})`);
  }
}

// The site offline, where the browser keeps it. A page that already had a
// worker when it opened and now gets another was opened on an older build:
// it reloads, at its start, onto the new one. Where storage is refused (a
// private window) the registration fails and the page works online only.
function keepOffline() {
  if (!('serviceWorker' in navigator)) return;
  const older = navigator.serviceWorker.controller !== null;
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (older) location.reload();
  });
  navigator.serviceWorker.register('service_worker.js').catch(() => {});
}

function start() {
  if (location.protocol === 'file:') {
    fail('a page opened from a file cannot start its engine; serve its folder ' +
         '(python3 -m http.server there) and open http://localhost:8000/');
    return;
  }
  if (typeof WebAssembly !== 'object') {
    fail('the engine did not start: this browser has no WebAssembly');
    return;
  }
  keepOffline();
  setState('loading');
  worker = new Worker('saver_worker.js');
  worker.onmessage = onWorkerMessage;
  worker.onerror = (event) => {
    event.preventDefault();
    failedToStart(event.message || 'its script did not load');
  };
  worker.postMessage({type: 'labels'});
}

start();
