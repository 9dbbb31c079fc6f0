// The HTML report of the demo run in headless Chromium (Debian's chromium,
// never a downloaded browser): header figures, failed branches, filters,
// search, step content that must not run, pictures, nothing from the
// network. Saves a screenshot to $ANNALIST_BROWSER_OUT/report.png.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const tool = process.env.ANNALIST_TOOL;
const examples = process.env.ANNALIST_EXAMPLES;
const out = process.env.ANNALIST_BROWSER_OUT;
export const chromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

let folder, browser, page;
const requests = [], dialogs = [], errors = [];

function run(args) {
  const result = spawnSync(tool, args, { encoding: 'utf8' });
  assert.equal(result.status, 0, `annalist ${args.join(' ')}: ${result.stderr}`);
  return result.stdout;
}

async function lines() {
  return page.$$eval('#tree .line', (all) => all.map((l) => [l.querySelector('.st').textContent,
    l.querySelector('.nm').textContent]));
}

async function select(name) {
  await page.evaluate((wanted) => {
    const line = [...document.querySelectorAll('#tree .line')].find((l) => l.querySelector('.nm').textContent === wanted);
    if (!line) throw new Error('no line ' + wanted);
    line.click();
  }, name);
}

async function searchFor(query) {
  await page.$eval('#search', (e, value) => { e.value = value; e.dispatchEvent(new Event('input')); }, query);
  await page.waitForFunction((value) => document.getElementById('search-info').dataset.query === value, {}, query);
  return page.$eval('#search-info', (e) => e.textContent);
}

async function show(filter) {
  await page.click(`input[name=filter][value=${filter}]`);
}

before(async () => {
  folder = fs.mkdtempSync(path.join(os.tmpdir(), 'annalist-browser-'));
  const results = path.join(folder, 'demo-results');
  run(['replay', path.join(examples, 'flight-booking.jsonl'), '-o', results]);
  fs.cpSync(path.join(examples, 'flight-booking-pictures'), results, { recursive: true });
  const said = run(['report', results]);
  assert.match(said, /Written to .*report\.html/);
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: [...chromiumFlags, `--user-data-dir=${path.join(folder, 'profile')}`],
  });
  page = await browser.newPage();
  page.on('request', (request) => requests.push(request.url()));
  page.on('dialog', async (dialog) => { dialogs.push(dialog.message()); await dialog.dismiss(); });
  page.on('pageerror', (error) => errors.push(error.message));
  await page.setViewport({ width: 1280, height: 860 });
  await page.goto('file://' + path.join(results, 'report.html'));
  await page.waitForSelector('body[data-ready="true"]', { timeout: 10000 });
});

after(async () => {
  if (browser) await browser.close();
  if (folder) fs.rmSync(folder, { recursive: true, force: true });
});

test('the header shows the run figures', async () => {
  const text = (id) => page.$eval('#' + id, (e) => e.textContent);
  assert.equal(await text('run-name'), 'Flight booking');
  assert.equal(await text('run-status'), 'Failed');
  assert.equal(await text('count-passed'), '18');
  assert.equal(await text('count-failed'), '2');
  assert.equal(await text('count-warnings'), '1');
  assert.equal(await text('run-start'), '3/5/2024 - 14:05:04');
  assert.equal(await text('run-end'), '3/5/2024 - 14:05:58');
  assert.equal(await text('run-duration'), '54 s');
  assert.equal(await text('run-product'), 'Corvane 11.5');
  assert.notEqual(await text('run-host'), '—');
  assert.equal(await page.title(), 'Flight booking — Failed');
});

test('failed branches are open with their failed steps, passed ones closed', async () => {
  const shown = await lines();
  const names = shown.map(([, name]) => name);
  assert.ok(names.includes('Checkpoint Fare summary'), names.join(', '));
  assert.deepEqual(shown.find(([, name]) => name === 'Run error'), ['Failed', 'Run error']);
  assert.ok(!names.includes('Edit "username"'), 'the passed action Login stays closed');
});

test('the filters hide what they should', async () => {
  await show('failed');
  let shown = await lines();
  assert.deepEqual(shown.map(([, name]) => name), ['FlightBooking', 'FlightBooking Iteration 1 (Row 1)', 'BookFlight',
    'BookFlight Iteration 2 (Row 2)', 'Checkpoint Fare summary', 'Run error']);
  assert.ok(shown.every(([word]) => word === 'Failed'));
  await show('problems');
  shown = await lines();
  assert.ok(shown.every(([word]) => word === 'Failed' || word === 'Warning'));
  assert.ok(shown.some(([word, name]) => word === 'Warning' && name === 'BookFlight Iteration 3 (Row 3)'));
  await show('all');
  assert.ok((await lines()).length > shown.length);
});

test('the search finds step names and details', async () => {
  assert.equal(await searchFor('limit 5 s'), '1 node matches');
  const names = (await lines()).map(([, name]) => name);
  assert.equal(names[names.length - 1], 'Seat map');
  assert.equal(await searchFor('Search flights'), '6 nodes match');
  assert.equal(await searchFor(''), '');
});

test('a step whose details hold <script> runs nothing', async () => {
  assert.equal(await searchFor('RunScript'), '1 node matches');
  await select('Browser "Flights"');
  const plain = await page.$eval('#details pre', (e) => e.textContent);
  assert.equal(plain, 'RunScript "<script>document.body.dataset.injected = \'plain\'</script>"');
  assert.equal(await searchFor('Fare rules'), '1 node matches');
  await select('Fare rules');
  const sandbox = await page.$eval('#details iframe', (frame) => frame.getAttribute('sandbox'));
  assert.equal(sandbox, '');
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.equal(await page.evaluate(() => document.body.dataset.injected), undefined);
  assert.deepEqual(dialogs, []);
  assert.deepEqual(errors, []);
  assert.equal(await searchFor(''), '');
});

test('pictures load, and the screenshot is saved', async () => {
  await select('Checkpoint Fare summary');
  await page.waitForFunction(() => {
    const image = document.querySelector('#details img');
    return image && image.complete && image.naturalWidth > 0;
  }, { timeout: 5000 });
  assert.equal(await page.$eval('#details figcaption', (e) => e.textContent), 'Act2\\Row2\\FareSummary.png');
  if (out) {
    fs.mkdirSync(out, { recursive: true });
    await page.screenshot({ path: path.join(out, 'report.png') });
  }
});

test('nothing is loaded from the network', () => {
  const foreign = requests.filter((url) => !/^(file|data|about):/.test(url));
  assert.deepEqual(foreign, []);
});
