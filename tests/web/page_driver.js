// page_driver.js: the web page in Debian's Chromium, headless, for the
// shell tests. Every wait has a deadline; the exit code is 0 when the page
// did what was asked, 1 when it did not.
//
//   node page_driver.js fixed URL OUT.png
//       Waits for the fixed mode to end. Prints "done" and writes a real
//       screenshot of the canvas's W x H pixels, or prints "error: " and
//       the page's message, with "canvas WxH" after it (what was drawn).
//   node page_driver.js live URL DIR M B
//       The saver: writes DIR/first.png (the first picture), chooses
//       Mandelbrot colour M and background colour B in the settings, writes
//       DIR/page.png (a screenshot of the page with its settings open),
//       reloads, and writes DIR/reloaded.png (the first picture after the
//       reload). Prints "kept" when the reloaded panel shows M and B, how
//       many animation frames the page asked for in 2 s between two steps,
//       and how many bands of the first render pass showed its progress
//       marks.
//   node page_driver.js hold URL SECONDS
//       Opens URL in a 1920x1080 window, waits for the saver's first
//       picture (unless URL is about:blank), prints the browser's process
//       id and keeps the page open for SECONDS: for scripts/bench, which
//       measures the browser meanwhile.
'use strict';
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
  console.log(`${kept ? 'kept' : 'not kept'}, ${idleFrames} idle frames, ` +
              `${marked} marked bands`);
  return kept;
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
      if (url !== 'about:blank') await firstPicture(page);
      console.log(browser.process().pid);
      await new Promise((resolve) => setTimeout(resolve, Number(out) * 1000));
      ok = true;
    } else if (mode === 'live') {
      await page.setViewport({width: 800, height: 600, deviceScaleFactor: 1});
      ok = await live(page, url, out, rest[0], rest[1]);
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
