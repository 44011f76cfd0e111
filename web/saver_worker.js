// The page's worker: the engine (mandeldive.js, WebAssembly) runs here, so
// a render pass never blocks the page. It posts pictures; the page shows
// the newest on its next animation frame.
//
// In:  {type: 'labels'}
//      {type: 'fixed', words}  the renderer's options, each word ended by a
//                              line break: run all the ticks, then post
//                              the picture; a run that lasts posts it
//                              about every second on the way too
//      {type: 'live', width, height, mandelbrot, background, generation}
//                              the saver: a tick soon, then one at the
//                              engine's interval after the end of each
//      {type: 'schemes', mandelbrot, background}  for the next render
//      {type: 'pause'}, {type: 'resume'}  the page is hidden, or shows
//                              again: no ticks meanwhile; the next one an
//                              interval after the return
// Out: {type: 'labels', inside, escape, caption}
//      {type: 'failed', reason}  the engine did not start
//      {type: 'error', message}
//      {type: 'frame', width, height, pixels, captioned, tick, ticks, done}
//                              pixels null: the picture is unchanged;
//                              ticks: a fixed run's count
//      {type: 'band', x, width, height, pixels}  columns x.. of a live pass
'use strict';

let engine = null;
const queued = [];
let timer = 0;
let ticks = 0;
let size = {width: 0, height: 0};
let captioned = false;
let generation = 0;  // the page's count of live starts, echoed back
let live = false;
let paused = false;
const kProgressMs = 1000;  // a fixed run's picture is posted this often

// A module that fails to load or compile (missing, or an error page in its
// place) aborts asynchronously, which no error event reports: the abort
// is posted instead.
self.Module = {
  onRuntimeInitialized() {
    engine = self.Module;
    for (const message of queued.splice(0)) handle(message);
  },
  onAbort(what) {
    self.postMessage({type: 'failed', reason: String(what)});
  },
};
importScripts('mandeldive.js');

function withString(text, use) {
  const bytes = engine.lengthBytesUTF8(text) + 1;
  const at = engine._malloc(bytes);
  try {
    engine.stringToUTF8(text, at, bytes);
    return use(at);
  } finally {
    engine._free(at);
  }
}

function labels(group) {
  const out = [];
  for (let i = 0; ; ++i) {
    const at = engine._mandeldive_scheme_label(group, i);
    if (at === 0) return out;
    out.push(engine.UTF8ToString(at));
  }
}

// Posts the whole picture as it stands; its pixels are a copy, handed over.
// With `same`, the tick changed no pixel (the caption is the page's to
// write): the post then carries none, and the page keeps what it shows.
function post(extra, same) {
  const pixels = same ? null : band(0, size.width);
  self.postMessage(Object.assign({type: 'frame', width: size.width,
                                  height: size.height, pixels, captioned,
                                  tick: ticks, generation},
                                 extra),
                   pixels ? [pixels.buffer] : []);
}

// A copy of columns x0..x1 - 1, as ImageData rows.
function band(x0, x1) {
  const at = engine._mandeldive_band(x0, x1);
  const bytes = (x1 - x0) * size.height * 4;
  return new Uint8ClampedArray(engine.HEAPU8.buffer, at, bytes).slice();
}

// Called by the engine during a live render pass, at most about once an
// animation frame: the columns drawn since the last call and the one it
// is on, with its progress marks.
self.mandeldiveShowProgress = (x0, x1) => {
  captioned = false;
  const pixels = band(x0, x1);
  self.postMessage({type: 'band', x: x0, width: x1 - x0, height: size.height,
                    pixels, generation}, [pixels.buffer]);
};

// Returns the phase the tick did (render 0, caption 1, zoom 2).
function tick() {
  const phase = engine._mandeldive_tick();
  ++ticks;
  // The caption stays on screen from its own tick until the next render.
  captioned = phase !== 0;
  return phase;
}

// Stops the live ticks and forgets the old dive's size and count.
function restart(width, height) {
  clearTimeout(timer);
  size = {width, height};
  ticks = 0;
  captioned = false;
}

// The next live tick in `ms`, unless paused: resuming schedules it then.
function schedule(ms) {
  clearTimeout(timer);
  timer = 0;
  if (live && !paused) timer = setTimeout(liveTick, ms);
}

function liveTick() {
  // The engine draws the caption with no text of its own here, so a caption
  // tick leaves the pixels as they are.
  post({done: false}, tick() === 1);
  schedule(engine._mandeldive_tick_ms(1));
}

function handle(message) {
  switch (message.type) {
    case 'labels':
      self.postMessage({type: 'labels', inside: labels(0), escape: labels(1),
                        caption: engine.UTF8ToString(engine._mandeldive_caption())});
      break;
    case 'fixed': {
      if (!withString(message.words, (at) => engine._mandeldive_parse(at))) {
        self.postMessage({type: 'error',
                          message: engine.UTF8ToString(engine._mandeldive_error())});
        break;
      }
      const option = (i) => engine._mandeldive_option(i);
      live = false;
      restart(option(0), option(1));
      engine._mandeldive_start_parsed();
      const count = option(2);
      let shown = performance.now();
      for (let i = 0; i < count; ++i) {
        tick();
        if (i + 1 < count && performance.now() - shown >= kProgressMs) {
          post({done: false, ticks: count});
          shown = performance.now();
        }
      }
      post({done: true, ticks: count});
      break;
    }
    case 'live':
      live = true;
      restart(message.width, message.height);
      generation = message.generation;
      engine._mandeldive_start_live(message.width, message.height,
                                    message.mandelbrot, message.background);
      schedule(engine._mandeldive_tick_ms(0));
      break;
    case 'pause':
      paused = true;
      clearTimeout(timer);
      timer = 0;
      break;
    case 'resume':
      if (!paused) break;
      paused = false;
      schedule(engine._mandeldive_tick_ms(ticks === 0 ? 0 : 1));
      break;
    case 'schemes':
      engine._mandeldive_set_schemes(message.mandelbrot, message.background);
      break;
  }
}

self.onmessage = (event) => {
  if (engine === null) queued.push(event.data);
  else handle(event.data);
};
