// The web page's frame cost in headless chromium: the page in its
// deterministic mode makes frames as fast as it can; the time between two
// pictures far apart, divided by the frames between them, is one frame's
// cost (the browser's turn between two frames included, as in the page).
//   node page-frame-cost.mjs SITE_URL  -> prints microseconds per frame
import { chromium } from 'playwright-core';

const [site] = process.argv.slice(2);
const [from, to] = [300, 2300];
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
});
try {
  const page = await browser.newPage();
  await page.goto(`${site}/index.html?deterministic`);
  await page.waitForFunction(() => window.corvane.state === 'box', null, { timeout: 0 });
  await page.click('#box-ok');
  const at = async (frame) => {
    await page.waitForFunction((f) => window.corvane.frame >= f, frame, { timeout: 0, polling: 'raf' });
    return page.evaluate(() => [window.corvane.frame, window.corvane.shownAt]);
  };
  const [firstFrame, firstTime] = await at(from);
  const [lastFrame, lastTime] = await at(to);
  console.log((1000 * (lastTime - firstTime) / (lastFrame - firstFrame)).toFixed(1));
} finally {
  await browser.close();
}
