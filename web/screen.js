// The live page's screen: full screen on the toolbar's button, the F key or
// a double click, each of them a toggle; in full screen the cursor and the
// toolbar hide after kIdleMs without pointer motion and come back with it;
// and, when the user asks for it, a wake lock that keeps the screen on.
//
// None of it runs a timer of its own while nothing moves: the idle timer
// is armed by motion only, and the wake lock is a request to the browser.
'use strict';

const kIdleMs = 3000;
// Kept beside the schemes; '1' keeps the screen on, anything else does not.
const kKeepScreenOn = 'mandeldive.KeepScreenOn';

function toggleFullScreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(() => {});
  } else {
    document.documentElement.requestFullscreen().catch(() => {});
  }
}

// Shows the cursor and the toolbar and, in full screen, hides them again
// after kIdleMs unless the pointer moves meanwhile.
let idleTimer = 0;
function pointerMoved() {
  document.body.classList.remove('idle');
  clearTimeout(idleTimer);
  if (document.fullscreenElement) {
    idleTimer = setTimeout(() => document.body.classList.add('idle'), kIdleMs);
  }
}

function watchFullScreen() {
  document.getElementById('fullscreen-button')
      .addEventListener('click', toggleFullScreen);
  document.addEventListener('keydown', (event) => {
    if (event.key !== 'f' && event.key !== 'F') return;
    if (event.ctrlKey || event.altKey || event.metaKey || event.repeat) return;
    toggleFullScreen();
  });
  document.getElementById('saver').addEventListener('dblclick', toggleFullScreen);
  document.addEventListener('pointermove', pointerMoved);
  document.addEventListener('pointerdown', pointerMoved);
  document.addEventListener('fullscreenchange', pointerMoved);
}

// The wake lock: held while the setting is on and the page visible. The
// browser drops it when the page is hidden, so it is asked for again on
// return. `wanted` is the setting as used this visit, kept here even where
// storage refuses it.
const screenLock = {wanted: false, held: null, asking: false};

async function holdScreen() {
  if (!screenLock.wanted || document.hidden || screenLock.held !== null ||
      screenLock.asking || !('wakeLock' in navigator)) {
    return;
  }
  screenLock.asking = true;
  try {
    const lock = await navigator.wakeLock.request('screen');
    lock.addEventListener('release', () => {
      if (screenLock.held === lock) screenLock.held = null;
    });
    screenLock.held = lock;
    // Turned off, or hidden, while the request was under way.
    if (!screenLock.wanted || document.hidden) releaseScreen();
  } catch (e) {
    // Refused (battery saver, a policy): the screen follows its own timeout.
  } finally {
    screenLock.asking = false;
  }
}

function releaseScreen() {
  const lock = screenLock.held;
  screenLock.held = null;
  if (lock !== null) lock.release().catch(() => {});
}

function setKeepScreenOn(on) {
  screenLock.wanted = on;
  if (on) {
    holdScreen();
  } else {
    releaseScreen();
  }
}

function watchWakeLock() {
  let stored = null;
  try {
    stored = localStorage.getItem(kKeepScreenOn);
  } catch (e) {
    // Storage refused: off, as by default.
  }
  const box = document.getElementById('keep-screen-on');
  box.checked = stored === '1';
  box.addEventListener('change', () => {
    try {
      localStorage.setItem(kKeepScreenOn, box.checked ? '1' : '0');
    } catch (e) {
      // Not kept, but used for this visit all the same.
    }
    setKeepScreenOn(box.checked);
  });
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      releaseScreen();
    } else {
      holdScreen();
    }
  });
  setKeepScreenOn(box.checked);
}
