// The intro's web page in a real browser (Debian's chromium, headless): the
// box, the keys, the text file by parameter and by drop, the user's assets
// packed beside the page by corvane-pack --web, and pictures and sound that
// must equal the native build's, pixel for pixel and sample for sample (the
// capture tool renders both from the same program).
//
// node browser.test.mjs SITE_DIR CAPTURE_TOOL PACK_TOOL MODGEN
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import zlib from 'node:zlib';

import { chromium } from 'playwright-core';

const [siteDir, captureTool, packTool, modgen] = process.argv.slice(2);
const keptFrames = [101, 150, 285, 302];
const audioSeconds = 2;
const rate = 44100;

const pagesText = [
  'CVNTYPER', '2',
  '"  first  page    "', '"  typed  in the  "', '"  browser  from  "', '"  a text file    "',
  '"  given  by  its "', '"  address        "',
  '"  second page    "', '"  0123456789     "', '"  abcdefghijklmno"', '"  pqrstuvwxyz    "',
  '"                 "', '"  the end        "',
].join('\r\n') + '\r\n';
const badText = 'NOTTYPER\r\n1\r\n"x"\r\n';
// The user's own assets for corvane-pack --web: a UTF-8 page, a tune that is
// not ours, a logo with a palette (its colours join the display's) and a
// 24-bit glyph sheet of orange blocks, both as PNG, which the page reads as
// the bitmap files corvane-pack makes of them.
const packedText = 'CVNTYPER\r\n1\r\n"                 "\r\n"  packed  for the "\r\n"  web:  grüße    "\r\n' +
                   '"                 "\r\n"                 "\r\n"                 "\r\n';
const packedTune = `title Web tune
sample 1 bell lead volume 40
sample 2 bass bass volume 44
order 0
pattern 0
 0 | E-3 bell F05 | A-1 bass | --- | ---
16 | G-3 bell     | ---      | --- | ---
32 | D-3 bell     | D-2 bass | --- | ---
63 | ---          | ... B00  | --- | ---
`;

let work, server, origin, browser, capture, packedCapture, droppedCapture;

// --- PNG and WAV, read back in full. The capture tool writes 8-bit RGB, or
// a palette of 1, 2, 4 or 8 bits a pixel for pictures of few colours.
function readPng(file) {
  const bytes = fs.readFileSync(file);
  let width = 0, height = 0, depth = 8, colourType = 2, palette = null;
  const data = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      [depth, colourType] = [body[8], body[9]];
      const known = (colourType === 2 && depth === 8) || (colourType === 3 && [1, 2, 4, 8].includes(depth));
      assert.ok(known && body[12] === 0, `${file}: RGB or a palette, not interlaced`);
    }
    if (type === 'PLTE') palette = body;
    if (type === 'IDAT') data.push(body);
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const bits = colourType === 2 ? 24 : depth;
  const stride = Math.ceil((width * bits) / 8), step = Math.max(1, bits >> 3);
  const lines = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const left = x >= step ? lines[y * stride + x - step] : 0;
      const up = y > 0 ? lines[(y - 1) * stride + x] : 0;
      const corner = x >= step && y > 0 ? lines[(y - 1) * stride + x - step] : 0;
      const p = left + up - corner, pa = Math.abs(p - left), pb = Math.abs(p - up), pc = Math.abs(p - corner);
      const paeth = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      const predictor = [0, left, up, (left + up) >> 1, paeth][filter];
      lines[y * stride + x] = (line[x] + predictor) & 0xff;
    }
  }
  if (colourType === 2) return { width, height, rgb: lines };
  assert.ok(palette, `${file}: a palette picture without its palette`);
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const bit = x * depth, byte = lines[y * stride + (bit >> 3)];
      const index = (byte >> (8 - depth - (bit & 7))) & ((1 << depth) - 1);
      palette.copy(rgb, (y * width + x) * 3, index * 3, index * 3 + 3);
    }
  }
  return { width, height, rgb };
}

function withoutLeadingSilence(samples) {
  let first = 0;
  while (first + 1 < samples.length && samples[first] === 0 && samples[first + 1] === 0) first += 2;
  return samples.subarray(first);
}

function readWavSamples(file) {
  const bytes = fs.readFileSync(file);
  const samples = new Int16Array(bytes.buffer.slice(bytes.byteOffset + 44, bytes.byteOffset + bytes.length));
  return withoutLeadingSilence(samples);
}

function comparePicture(base64, png, frame) {
  const rgba = Buffer.from(base64, 'base64');
  assert.equal(rgba.length, png.width * png.height * 4, `frame ${frame}: size`);
  let differing = 0, firstAt = -1;
  for (let i = 0; i < png.width * png.height; ++i) {
    for (let c = 0; c < 3; ++c) {
      if (rgba[i * 4 + c] !== png.rgb[i * 3 + c]) {
        if (differing++ === 0) firstAt = i;
        break;
      }
    }
  }
  assert.equal(differing, 0,
    `frame ${frame}: ${differing} pixels differ, first at (${firstAt % png.width}, ${Math.floor(firstAt / png.width)})`);
}

// --- The assets for corvane-pack and the capture tool: --text, --music,
// --logo and --font options naming them.
function makePackedAssets(dir) {
  fs.mkdirSync(dir);
  const file = (name) => path.join(dir, name);
  fs.writeFileSync(file('text.txt'), packedText, 'utf8');
  fs.writeFileSync(file('tune.txt'), packedTune);
  execFileSync(modgen, [file('tune.txt'), file('tune.mod')]);
  execFileSync('convert', ['-size', '320x246', 'gradient:rgb(40,200,60)-rgb(200,40,160)', 'PNG8:' + file('logo.png')]);
  const blocks = [];
  for (let glyph = 0; glyph < 43; ++glyph) {
    const x = (glyph % 15) * 17, y = Math.floor(glyph / 15) * 17;
    blocks.push('-draw', `rectangle ${x + 3},${y + 1} ${x + 13},${y + 15}`);
  }
  execFileSync('convert', ['-size', '255x51', 'xc:white', '-fill', 'rgb(240,130,0)', ...blocks, 'PNG24:' + file('font.png')]);
  return ['--text', file('text.txt'), '--music', file('tune.mod'), '--logo', file('logo.png'), '--font', file('font.png')];
}

function captureFrames(out, frames, options) {
  execFileSync(captureTool, ['--frames', frames, ...options, '--out', out], { stdio: ['ignore', 'ignore', 'inherit'] });
  return out;
}

// --- The sites, served with the test's text files beside them.
async function serve(dir) {
  const child = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir],
                      { stdio: ['ignore', 'pipe', 'ignore'] });
  const port = await new Promise((resolve, reject) => {
    let text = '';
    child.stdout.on('data', (chunk) => {
      text += chunk;
      const found = /port (\d+)/.exec(text);
      if (found) resolve(Number(found[1]));
    });
    child.on('exit', (code) => reject(new Error(`http.server ended (${code})`)));
  });
  return { child, origin: `http://127.0.0.1:${port}` };
}

// A copy of a site's files as links, with the test's text files beside them.
function linkedSite(dir, from) {
  fs.mkdirSync(dir);
  for (const name of fs.readdirSync(from)) fs.symlinkSync(path.resolve(from, name), path.join(dir, name));
  fs.writeFileSync(path.join(dir, 'pages.txt'), pagesText, 'latin1');
  fs.writeFileSync(path.join(dir, 'bad.txt'), badText, 'latin1');
  return dir;
}

before(async () => {
  assert.ok(fs.existsSync(path.join(siteDir, 'index.html')), `no site in ${siteDir}: run scripts/build-web.sh`);
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'corvane-web-'));
  const site = linkedSite(path.join(work, 'site'), siteDir);
  // The native program's pictures and music for the same text.
  const pages = ['--text', path.join(site, 'pages.txt')];
  capture = captureFrames(path.join(work, 'capture'), `${keptFrames[0]}:${keptFrames.at(-1)}`, pages);
  // The site with the user's assets, its twin with a bit of the pack
  // changed, and the capture tool's pictures and music for those assets.
  const packed = makePackedAssets(path.join(work, 'assets'));
  execFileSync(packTool, ['--web', path.join(work, 'packed'), '--site', siteDir, ...packed], { stdio: 'inherit' });
  const damaged = linkedSite(path.join(work, 'damaged'), path.join(work, 'packed'));
  const pack = fs.readFileSync(path.join(damaged, 'corvane.pack'));
  pack[100] ^= 0x08;
  fs.rmSync(path.join(damaged, 'corvane.pack'));
  fs.writeFileSync(path.join(damaged, 'corvane.pack'), pack);
  linkedSite(path.join(work, 'packed-text'), path.join(work, 'packed'));
  packedCapture = captureFrames(path.join(work, 'packed-capture'), `${keptFrames[0]}:${keptFrames.at(-1)}`, packed);
  droppedCapture = captureFrames(path.join(work, 'dropped-capture'), '150:150', [...packed, ...pages]);
  ({ child: server, origin } = await serve(work));
  browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
  });
});

after(async () => {
  await browser?.close();
  server?.kill();
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

// --- Steps the cases are made of.
const state = (page, wanted) => page.waitForFunction((s) => window.corvane.state === s, wanted, { timeout: 0 });
const frameAfter = (page, frame) =>
  page.waitForFunction((f) => window.corvane.frame > f, frame, { timeout: 0, polling: 50 });
const fullScreen = (page, on) =>
  page.waitForFunction((o) => !!document.fullscreenElement === o, on, { timeout: 0 });
const boxes = (page) => page.evaluate(() => window.corvane.boxes);
const noTextBox = { caption: 'Warnung', text: 'No CORVANE textfile found, using standart text.' };

// Waits for the next box, checks it and answers it with a click on OK.
async function answerBox(page, expected) {
  const answered = await page.evaluate(() => window.corvane.answered);
  await page.waitForFunction((n) => window.corvane.state === 'box' && window.corvane.boxes.length > n, answered,
                             { timeout: 0 });
  assert.ok(await page.isVisible('#box'), 'the box is shown in the page');
  assert.equal(await page.textContent('#box .caption'), expected.caption);
  assert.equal(await page.textContent('#box .text'), expected.text);
  assert.equal(await page.evaluate(() => window.corvane.pictures), 0, 'nothing is drawn while the box is up');
  await page.click('#box-ok');
  await page.waitForFunction((n) => window.corvane.answered > n, answered, { timeout: 0 });
}

async function expectCaptureFrames(page, frames, from = capture) {
  await page.waitForFunction((fs) => fs.every((f) => f in window.corvane.kept), frames, { timeout: 0, polling: 100 });
  const kept = await page.evaluate(() => window.corvane.kept);
  for (const frame of frames)
    comparePicture(kept[frame], readPng(path.join(from, `frame-${String(frame).padStart(6, '0')}.png`)), frame);
}

// The first seconds of sound played equal the capture tool's music.wav.
async function expectCaptureSound(page, from = capture) {
  await page.waitForFunction(() => window.corvane.recordedAudio !== null, null, { timeout: 0, polling: 100 });
  const recorded = Buffer.from(await page.evaluate(() => window.corvane.recordedAudio), 'base64');
  const played = new Int16Array(recorded.buffer, recorded.byteOffset, recorded.length / 2);
  const native = readWavSamples(path.join(from, 'music.wav')).subarray(0, played.length);
  assert.equal(played.length, audioSeconds * rate * 2);
  const first = played.findIndex((value, i) => value !== native[i]);
  assert.equal(first, -1, `sample ${first} differs: ${played[first]} against ${native[first]}`);
}

// The start of a packed site: its text brings no box. (A pack that is not
// taken brings the box for the missing text, and the case ends there.)
async function packedStart(page) {
  await page.waitForFunction(() => window.corvane.frame > 101 || window.corvane.boxes.length > 0, null, { timeout: 0 });
  assert.deepEqual(await boxes(page), [], 'the packed text brings no box');
}

async function dropText(page, text) {
  const runs = await page.evaluate(() => window.corvane.runs);
  await page.evaluate((content) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([content], 'pages.txt', { type: 'text/plain' }));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, text);
  await page.waitForFunction((n) => window.corvane.runs === n + 1, runs, { timeout: 0 });
}

const cases = [
  {
    name: 'the box appears, its OK starts the intro, the picture is scaled whole',
    query: '',
    async run(page) {
      await answerBox(page, noTextBox);
      await frameAfter(page, 101);
      const scale = await page.evaluate(() => {
        const canvas = document.getElementById('screen');
        return [parseFloat(canvas.style.width) / canvas.width, getComputedStyle(canvas).imageRendering];
      });
      assert.ok(Number.isInteger(scale[0]) && scale[0] >= 1, `scale ${scale[0]}`);
      assert.equal(scale[1], 'pixelated');
    },
  },
  {
    name: 'deterministic frames and the sound equal the native ones for a text file by parameter',
    query: `?deterministic&text=pages.txt&keep=${keptFrames}&record-audio=${audioSeconds}`,
    async run(page) {
      await expectCaptureFrames(page, keptFrames);
      await expectCaptureSound(page);
      assert.deepEqual(await boxes(page), [], 'a good text file brings no box');
    },
  },
  {
    name: 'F1 enters and leaves the browser\'s full screen',
    query: '?text=pages.txt',
    async run(page) {
      await frameAfter(page, 101);
      // The intro starts in full screen, which the page cannot take without
      // a gesture: the first F1 is the window, the second full screen again.
      // A key is handled before the next frame, so a frame after it means
      // the switch is done.
      const press = async (key) => {
        await page.keyboard.press(key);
        await frameAfter(page, await page.evaluate(() => window.corvane.frame));
      };
      await press('F1');
      assert.equal(await page.evaluate(() => !!document.fullscreenElement), false);
      await press('F1');
      await fullScreen(page, true);
      await press('F1');
      await fullScreen(page, false);
    },
  },
  {
    name: 'Escape ends the intro and the page says so',
    query: '?text=pages.txt',
    async run(page) {
      await frameAfter(page, 101);
      await page.keyboard.press('Escape');
      await state(page, 'ended');
      assert.match(await page.textContent('#status'), /Corvane has ended \(exit code 0\)/);
    },
  },
  {
    name: 'a dropped text file starts the intro again with its pages',
    query: '?deterministic&keep=150',
    async run(page) {
      await answerBox(page, noTextBox);
      await frameAfter(page, 101);
      await dropText(page, pagesText);
      await expectCaptureFrames(page, [150]);
      assert.deepEqual(await boxes(page), [noTextBox], 'the second run brings no box');
    },
  },
  {
    name: 'a bad text file by parameter gives its message, then the built-in text',
    query: '?text=bad.txt',
    async run(page) {
      await answerBox(page, { caption: 'Warnung', text: 'This is not a valid CORVANE textfile' });
      await answerBox(page, noTextBox);
      await frameAfter(page, 101);
    },
  },
  {
    name: 'a site written by corvane-pack --web shows and plays its packed assets as the capture tool does',
    site: 'packed',
    query: `?deterministic&keep=${keptFrames}&record-audio=${audioSeconds}`,
    async run(page, warnings) {
      await packedStart(page);
      assert.deepEqual(warnings, []);
      await expectCaptureFrames(page, keptFrames, packedCapture);
      await expectCaptureSound(page, packedCapture);
    },
  },
  {
    name: 'a text file dropped on a packed site is shown in place of the packed text, with the packed pictures',
    site: 'packed-text',
    query: '?deterministic&keep=150',
    async run(page) {
      await packedStart(page);
      await dropText(page, pagesText);
      await expectCaptureFrames(page, [150], droppedCapture);
      assert.deepEqual(await boxes(page), []);
    },
  },
  {
    name: 'a damaged pack is said in one line and the intro\'s own assets are used',
    site: 'damaged',
    query: '?deterministic&text=pages.txt&keep=150',
    async run(page, warnings) {
      await expectCaptureFrames(page, [150]);
      assert.deepEqual(warnings, ['corvane: /corvane.pack: the packed assets are damaged (a checksum that does not ' +
                                  'match); the intro\'s own assets are used']);
    },
  },
];

for (const { name, site = 'site', query, run } of cases) {
  test(name, async () => {
    const page = await browser.newPage();
    const problems = [], warnings = [];
    page.on('pageerror', (error) => problems.push(String(error)));
    // What the program and the page say (the browser's own warnings aside).
    page.on('console', (message) => {
      if (message.type() === 'warning' && message.text().startsWith('corvane')) warnings.push(message.text());
    });
    try {
      await page.goto(`${origin}/${site}/index.html${query}`);
      await run(page, warnings);
      assert.deepEqual(problems, [], 'no error in the page');
    } finally {
      await page.close();
    }
  });
}
