// page_driver.js: the web page in Debian's Chromium, headless, for the
// shell tests. Every wait has a deadline; the exit code is 0 when the page
// did what was asked, 1 when it did not.
//
//   node page_driver.js fixed URL OUT.png
//       Waits for the fixed mode to end. Prints "done" and writes a real
//       screenshot of the canvas's W x H pixels, or prints "error: " and
//       the page's message, with "canvas WxH" after it (what was drawn).
//   node page_driver.js progress URL
//       A long fixed run: prints "tick N of M, canvas WxH" from the page's
//       progress line once it shows.
//   node page_driver.js live URL DIR M B
//       The saver: writes DIR/first.png (the first picture), chooses
//       Mandelbrot colour M and background colour B in the settings, writes
//       DIR/page.png (a screenshot of the page with its settings open),
//       reloads, and writes DIR/reloaded.png (the first picture after the
//       reload); then, the browser offline, reloads again and writes
//       DIR/offline.png. Prints "kept" when the reloaded panel shows M and
//       B, how many animation frames the page asked for in 2 s between two
//       steps, how many bands of the first render pass showed its progress
//       marks, and whether the service worker controlled the page.
//   node page_driver.js app URL
//       The installed saver's ways, one "name value" line each: Chromium's
//       installability errors, the manifest's icons, full screen by F and
//       double click, the cursor and toolbar hidden when idle, the wake
//       lock (through a stand-in: headless Chromium grants none), the
//       device pixel ratio and the hidden page's steps.
//   node page_driver.js blocked URL M B
//       With storage refused: chooses M and B and prints the schemes the
//       page then hands its worker.
//   node page_driver.js update URL COMMAND
//       Visits URL until its service worker controls it, runs COMMAND (a
//       new build of the site), visits again and prints the document's
//       last comment and the site's caches once a single one is left.
//   node page_driver.js hold URL SECONDS
//       Opens URL in a 1920x1080 window, waits for the saver's first
//       picture (unless URL is about:blank) under its service worker,
//       prints the browser's process id and keeps the page open for
//       SECONDS: for the tests and scripts/bench, which measure the browser
//       meanwhile.
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');

const kChromium = process.env.MANDELDIVE_CHROMIUM || '/usr/bin/chromium';
const kDeadlineMs = 120000;

async function launch(profile) {
  return puppeteer.launch({
    executablePath: kChromium,
    headless: true,
    userDataDir: profile,
    // Root in a container has no user namespaces for the sandbox.
    args: ['--no-sandbox', '--disable-dev-shm-usage', '--no-first-run',
           '--force-device-scale-factor=1'],
    protocolTimeout: kDeadlineMs,
  });
}

async function waitForState(page, states) {
  await page.waitForFunction(
      (wanted) => wanted.includes(document.documentElement.dataset.state),
      {timeout: kDeadlineMs, polling: 50}, states);
  return page.evaluate(() => document.documentElement.dataset.state);
}

async function fixed(page, url, out) {
  await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
  const state = await waitForState(page, ['done', 'error']);
  const canvas = await page.evaluate(() => {
    const c = document.getElementById('saver');
    return {width: c.width, height: c.height,
            message: document.getElementById('message').textContent};
  });
  if (state === 'error') {
    console.log(`error: ${canvas.message} canvas ${canvas.width}x${canvas.height}`);
    return true;
  }
  await page.screenshot({path: out, clip: {x: 0, y: 0, width: canvas.width,
                                           height: canvas.height}});
  console.log('done');
  return true;
}

async function progress(page, url) {
  await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
  await page.waitForFunction(
      () => !document.getElementById('progress').hidden,
      {timeout: kDeadlineMs, polling: 100});
  console.log(await page.evaluate(() => {
    const c = document.getElementById('saver');
    return `${document.getElementById('progress').textContent}, canvas ${c.width}x${c.height}`;
  }));
  return true;
}

// The canvas's own pixels, as the page drew them, into a PNG file.
async function saveCanvas(page, file) {
  const url = await page.evaluate(
      () => document.getElementById('saver').toDataURL('image/png'));
  fs.writeFileSync(file, Buffer.from(url.split(',')[1], 'base64'));
}

async function firstPicture(page) {
  await page.waitForFunction(
      () => Number(document.documentElement.dataset.ticks || 0) >= 1,
      {timeout: kDeadlineMs, polling: 50});
}

async function controlled(page) {
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null,
                             {timeout: kDeadlineMs, polling: 100});
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Counts, before the first whole picture, the bands of columns the worker
// posts during the render pass whose last column shows the progress marks
// (yellow at rows 1 and 3).
// Also counts the animation frames the page asks for.
async function watchBands(page) {
  await page.evaluateOnNewDocument(() => {
    window.framesAsked = 0;
    const ask = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => {
      ++window.framesAsked;
      return ask(callback);
    };
    window.markedBands = 0;
    window.wholePictures = 0;
    const PageWorker = window.Worker;
    window.Worker = function(url) {
      const worker = new PageWorker(url);
      worker.addEventListener('message', (event) => {
        const m = event.data;
        if (m.type === 'frame') ++window.wholePictures;
        if (m.type !== 'band' || window.wholePictures > 0) return;
        const yellow = (y) => {
          const i = 4 * (y * m.width + m.width - 1);
          return m.pixels[i] === 255 && m.pixels[i + 1] === 255 && m.pixels[i + 2] === 0;
        };
        if (yellow(1) && yellow(3)) ++window.markedBands;
      });
      return worker;
    };
  });
}

async function live(page, url, dir, mandelbrot, background) {
  await watchBands(page);
  await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
  await firstPicture(page);
  const marked = await page.evaluate(() => window.markedBands);
  // Between two steps nothing is posted, so nothing is asked of the
  // browser: the next step is 5 s after the first one's end.
  const asked = () => page.evaluate(() => window.framesAsked);
  await new Promise((resolve) => setTimeout(resolve, 200));
  const before = await asked();
  await new Promise((resolve) => setTimeout(resolve, 2000));
  const idleFrames = (await asked()) - before;
  await saveCanvas(page, path.join(dir, 'first.png'));
  await page.click('#settings-button');
  await page.click(`input[name="mandelbrot"][value="${mandelbrot}"]`);
  await page.click(`input[name="background"][value="${background}"]`);
  await page.screenshot({path: path.join(dir, 'page.png')});
  await page.reload({waitUntil: 'load', timeout: kDeadlineMs});
  await firstPicture(page);
  await saveCanvas(page, path.join(dir, 'reloaded.png'));
  const kept = await page.evaluate((m, b) =>
      document.querySelector(`input[name="mandelbrot"][value="${m}"]`).checked &&
      document.querySelector(`input[name="background"][value="${b}"]`).checked,
      mandelbrot, background);
  // The first visit installed the service worker; it controls from then on,
  // and keeps the site for a reload without a network.
  let control = 'controlled';
  try {
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null,
                               {timeout: 10000, polling: 100});
    await page.setOfflineMode(true);
    await page.reload({waitUntil: 'load', timeout: kDeadlineMs});
    await firstPicture(page);
    await saveCanvas(page, path.join(dir, 'offline.png'));
  } catch (error) {
    control = `not controlled (${error.message.split('\n')[0]})`;
  }
  console.log(`${kept ? 'kept' : 'not kept'}, ${idleFrames} idle frames, ` +
              `${marked} marked bands, ${control}`);
  return kept;
}

// Counts what the page asks of a stand-in for navigator.wakeLock, which
// headless Chromium does not grant: requests and releases.
async function standInWakeLock(page) {
  await page.evaluateOnNewDocument(() => {
    window.wakeLocks = {requested: 0, released: 0};
    Object.defineProperty(navigator, 'wakeLock', {value: {
      request: async () => {
        ++window.wakeLocks.requested;
        const lock = new EventTarget();
        lock.release = async () => {
          ++window.wakeLocks.released;
          lock.dispatchEvent(new Event('release'));
        };
        return lock;
      },
    }});
  });
}

// Counts the pictures and bands the worker posts: each is a render pass's
// or a step's work.
async function countPosts(page) {
  await page.evaluateOnNewDocument(() => {
    window.posts = 0;
    const PageWorker = window.Worker;
    window.Worker = function(url) {
      const worker = new PageWorker(url);
      worker.addEventListener('message', (event) => {
        if (event.data.type === 'frame' || event.data.type === 'band') ++window.posts;
      });
      return worker;
    };
  });
}

async function app(browser, page, url) {
  const say = (name, value) => console.log(`${name} ${value}`);
  await standInWakeLock(page);
  await countPosts(page);
  await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
  await firstPicture(page);
  const cdp = await page.createCDPSession();
  const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
  say('installability-errors', JSON.stringify(installabilityErrors));
  say('icons', await page.evaluate(async () => {
    const manifest = await (await fetch('manifest.webmanifest')).json();
    const sizes = [];
    for (const icon of manifest.icons) {
      const image = new Image();
      image.src = icon.src;
      await image.decode();
      const size = `${image.naturalWidth}x${image.naturalHeight}`;
      sizes.push(size === icon.sizes ? `${size}${icon.purpose ? '/' + icon.purpose : ''}`
                                     : `${icon.src}:${size}!=${icon.sizes}`);
    }
    return sizes.join(',');
  }));

  // Full screen: F in, the idle time, motion, then a double click out.
  const state = () => page.evaluate(() => {
    const toolbar = getComputedStyle(document.getElementById('toolbar'));
    return `${document.fullscreenElement ? 'full' : 'window'}/` +
           `${getComputedStyle(document.getElementById('saver')).cursor}/` +
           `${toolbar.visibility}`;
  });
  const until = (test) => page.waitForFunction(test, {timeout: 10000, polling: 50});
  await page.mouse.move(400, 300);
  await page.keyboard.press('f');
  await until(() => document.fullscreenElement !== null);
  say('f-key', await state());
  await until(() => document.body.classList.contains('idle'));
  say('idle', await state());
  await page.mouse.move(420, 320);
  say('moved', await state());
  await page.mouse.click(400, 300, {count: 2});
  await until(() => document.fullscreenElement === null);
  say('double-click', await state());

  // The wake lock: none while off; on, kept across a reload, let go while
  // hidden (below) and taken again on return; off again at the end.
  const locks = () => page.evaluate(() =>
      `${document.getElementById('keep-screen-on').checked ? 'on' : 'off'}:` +
      `${window.wakeLocks.requested}/${window.wakeLocks.released}`);
  say('wake-lock-off', await locks());
  await page.click('#settings-button');
  await page.click('#keep-screen-on');
  await until(() => window.wakeLocks.requested === 1);
  await page.reload({waitUntil: 'load', timeout: kDeadlineMs});
  await firstPicture(page);
  await until(() => window.wakeLocks.requested === 1);
  say('wake-lock-reloaded', await locks());

  // A new device pixel ratio, the CSS size the same: a new device size.
  await page.setViewport({width: 800, height: 600, deviceScaleFactor: 2});
  try {
    await until(() => document.getElementById('saver').width === 1600);
  } catch (error) {
    // Reported below as it stands.
  }
  say('ratio-2-canvas', await page.evaluate(() => {
    const c = document.getElementById('saver');
    return `${c.width}x${c.height}`;
  }));
  await page.setViewport({width: 800, height: 600, deviceScaleFactor: 1});
  await until(() => document.getElementById('saver').width === 800);

  // Hidden behind another tab for longer than a step's interval: nothing
  // is drawn. Shown again, the steps go on.
  const other = await browser.newPage();
  await other.bringToFront();
  await until(() => document.hidden);
  const before = await page.evaluate(() => window.posts);
  await sleep(7000);
  say('hidden-posts', (await page.evaluate(() => window.posts)) - before);
  say('wake-lock-hidden', await locks());
  await page.bringToFront();
  let resumed = 'no';
  try {
    await page.waitForFunction((n) => window.posts > n, {timeout: 15000, polling: 100},
                               before);
    resumed = 'yes';
  } catch (error) {
    // Reported as it is.
  }
  say('shown-again-steps', resumed);
  await until(() => window.wakeLocks.requested === 2).catch(() => {});
  say('wake-lock-shown', await locks());
  await page.click('#settings-button');
  await page.click('#keep-screen-on');
  say('wake-lock-turned-off', await locks());
  return true;
}

// Storage refused outright, as some private windows do: reading or
// writing localStorage throws.
async function blocked(page, url, mandelbrot, background) {
  await page.evaluateOnNewDocument(() => {
    Object.defineProperty(window, 'localStorage', {get() {
      throw new DOMException('refused', 'SecurityError');
    }});
    window.schemesPosted = null;
    const post = Worker.prototype.postMessage;
    Worker.prototype.postMessage = function(message, ...rest) {
      if (message.type === 'schemes') {
        window.schemesPosted = `${message.mandelbrot} ${message.background}`;
      }
      return post.call(this, message, ...rest);
    };
  });
  await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
  await firstPicture(page);
  await page.click('#settings-button');
  await page.click(`input[name="mandelbrot"][value="${mandelbrot}"]`);
  await page.click(`input[name="background"][value="${background}"]`);
  console.log(await page.evaluate(() => window.schemesPosted));
  return true;
}

async function update(page, url, command) {
  await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
  await controlled(page);
  await firstPicture(page);
  childProcess.execSync(command, {stdio: 'inherit'});
  await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
  // The visit opens on the old build; the new one takes over and the page
  // reloads onto it.
  await page.waitForFunction(async () => {
    const last = document.lastChild;
    return last.nodeType === Node.COMMENT_NODE && (await caches.keys()).length === 1 &&
        Number(document.documentElement.dataset.ticks || 0) >= 1;
  }, {timeout: kDeadlineMs, polling: 100});
  console.log(await page.evaluate(async () =>
      `${document.lastChild.data.trim()}; caches: ${(await caches.keys()).join(' | ')}`));
  return true;
}

async function main() {
  const [mode, url, out, ...rest] = process.argv.slice(2);
  const profile = fs.mkdtempSync(path.join(process.env.TMPDIR || '/tmp', 'mandeldive-chromium.'));
  const browser = await launch(profile);
  let ok = false;
  try {
    const page = await browser.newPage();
    page.on('pageerror', (error) => console.error(`page error: ${error.message}`));
    if (mode === 'fixed') {
      await page.setViewport({width: 1024, height: 768, deviceScaleFactor: 1});
      ok = await fixed(page, url, out);
    } else if (mode === 'hold') {
      await page.setViewport({width: 1920, height: 1080, deviceScaleFactor: 1});
      await page.goto(url, {waitUntil: 'load', timeout: kDeadlineMs});
      if (url !== 'about:blank') {
        await controlled(page);
        await page.reload({waitUntil: 'load', timeout: kDeadlineMs});
        await firstPicture(page);
      }
      console.log(browser.process().pid);
      await new Promise((resolve) => setTimeout(resolve, Number(out) * 1000));
      ok = true;
    } else if (mode === 'live') {
      await page.setViewport({width: 800, height: 600, deviceScaleFactor: 1});
      ok = await live(page, url, out, rest[0], rest[1]);
    } else if (mode === 'progress') {
      ok = await progress(page, url);
    } else if (mode === 'app') {
      await page.setViewport({width: 800, height: 600, deviceScaleFactor: 1});
      ok = await app(browser, page, url);
    } else if (mode === 'blocked') {
      ok = await blocked(page, url, out, rest[0]);
    } else if (mode === 'update') {
      ok = await update(page, url, out);
    } else {
      console.error(`page_driver.js: unknown mode '${mode}'`);
    }
  } finally {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
  process.exit(ok ? 0 : 1);
}

main().catch((error) => {
  console.error(`page_driver.js: ${error.message}`);
  process.exit(1);
});
