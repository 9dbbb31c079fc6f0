// Opens a report in headless Chromium (Debian's /usr/bin/chromium) and
// prints how long it took until the tree was shown, then until a failed
// branch opened and a search over every step ended.
// Usage: node open-time.mjs REPORT.html PROFILE_FOLDER
import puppeteer from 'puppeteer-core';

const [report, profile] = process.argv.slice(2);
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, protocolTimeout: 600000,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 860 });
  const started = Date.now();
  await page.goto('file://' + report, { timeout: 600000, waitUntil: 'domcontentloaded' });
  await page.waitForSelector('body[data-ready="true"]', { timeout: 600000 });
  const shown = Date.now() - started;
  const script = await page.evaluate(() => window.annalistReport);
  const memory = await page.metrics();
  let at = Date.now();
  await page.click('input[name=filter][value=failed]');
  const filtered = Date.now() - at;
  at = Date.now();
  await page.$eval('#search', (e) => { e.value = 'row 777777,'; e.dispatchEvent(new Event('input')); });
  await page.waitForFunction(() => document.getElementById('search-info').dataset.query === 'row 777777,',
    { timeout: 600000 });
  const searched = Date.now() - at - 200;
  const found = await page.$eval('#search-info', (e) => e.textContent);
  console.log(`open: tree shown ${(shown / 1000).toFixed(1)} s after navigation (page script ${
    (script.openMilliseconds / 1000).toFixed(1)} s), ${script.nodes} nodes, JS heap ${
    (memory.JSHeapUsedSize / 1048576).toFixed(0)} MiB`);
  console.log(`failed only: ${(filtered / 1000).toFixed(2)} s; search over every step: ${
    (searched / 1000).toFixed(1)} s (${found})`);
} finally {
  await browser.close();
}
