// The web page in headless Chromium, with navigator.hid replaced before the page loads by a
// device that runs the simulated adapter (compiled to WebAssembly): files saved by the page
// against the native tandemixctl's, opened files of every size, the simulator's log of each
// transfer, faults at several exchanges, the page's wording of each failure, its requests, and
// axe-core. Driven by keyboard and mouse; prints each case and "web: N passed, N failed".
import puppeteer from 'puppeteer-core';
import { createServer } from 'node:http';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const site = path.join(root, 'build/web/site');
const read = (file, encoding) => fs.readFileSync(path.join(root, file), encoding);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tandemix-web-'));

// Runs in the page before its own scripts: a save picker that keeps the bytes, and the adapter.
function installFakes(wasmBase64, withHid) {
  const fake = (window.fake = { saved: [], latency: 0, chooser: 'choose', openError: '', times: [] });
  window.showSaveFilePicker = async ({ suggestedName }) => ({ name: suggestedName,
    createWritable: async () => ({ write: async (b) => fake.saved.push([...b]), close: async () => {} }) });
  if (!withHid) return delete Navigator.prototype.hid;
  let sim;
  const ready = TandemixSim({ wasmBinary: Uint8Array.from(atob(wasmBase64), (c) => c.charCodeAt(0)) })
    .then((module) => (sim = module));
  const later = (ms, task) => { // setTimeout would wait 4 ms at least once timers nest
    const until = performance.now() + ms, channel = new MessageChannel();
    channel.port1.onmessage = () => (performance.now() >= until ? task() : channel.port2.postMessage(0));
    channel.port2.postMessage(0);
  };
  const hid = new EventTarget(), reports = [{ reportId: 0, items: [{ reportSize: 8, reportCount: 6 }] }];
  class FakeDevice extends EventTarget {
    vendorId = 0x3258;
    opened = false;
    collections = [{ usagePage: 0xff00, usage: 1, inputReports: reports, outputReports: reports }];
    async open() {
      if (fake.openError || sim._sim_open() !== 0)
        throw new DOMException('Failed to open the device.', fake.openError || 'NotFoundError');
      this.opened = true;
      fake.times.push(performance.now());
    }
    async close() {
      sim._sim_close();
      this.opened = false;
      fake.times.push(performance.now());
    }
    async sendReport(reportId, data) {
      sim.HEAPU8.set(data, sim._sim_areas());
      const result = sim._sim_exchange(), answer = sim.HEAPU8.slice(sim._sim_areas() + 8, sim._sim_areas() + 14);
      if (sim._sim_unplugged() && this.opened) {
        this.opened = false;
        hid.dispatchEvent(Object.assign(new Event('disconnect'), { device: this }));
      }
      if (result === 1) throw new DOMException('Failed to write the report.', 'NotAllowedError');
      if (result === 0)
        later(fake.latency, () => this.dispatchEvent(Object.assign(new Event('inputreport'),
          { device: this, reportId, data: new DataView(answer.buffer) })));
    }
  }
  hid.requestDevice = async ({ filters }) => {
    fake.filters = filters;
    if (fake.chooser === 'deny') throw new DOMException('Access denied.', 'SecurityError');
    await ready;
    return fake.chooser === 'close' ? [] : [new FakeDevice()];
  };
  Object.defineProperty(Navigator.prototype, 'hid', { get: () => hid, configurable: true });
  fake.reset = (failAt = 0, silentAt = 0, unplugAt = 0) => {
    fake.times = [];
    sim._sim_reset(failAt, silentAt, unplugAt);
  };
  fake.log = () => Array.from({ length: sim._sim_call_count() }, (_, i) => sim.UTF8ToString(sim._sim_call(i)));
  fake.commits = () => sim._sim_commits();
}
const fakes = `${read('build/web/sim/sim.js', 'utf8')};(${installFakes})('${read('build/web/sim/sim.wasm').toString('base64')}'`;

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
const server = createServer((request, response) => {
  const file = path.join(site, path.normalize(new URL(request.url, 'http://x').pathname.replace(/\/$/, '/index.html')));
  if (!file.startsWith(site) || !fs.existsSync(file)) return response.writeHead(404).end();
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' }).end(fs.readFileSync(file));
});
await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
const origin = `http://localhost:${server.address().port}`;
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
  userDataDir: path.join(work, 'profile'), args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--no-first-run', '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE localhost'] });

let passed = 0, failed = 0;
const requests = [], pageErrors = [];
async function check(name, body) {
  const failure = await body().then(() => '', (error) => `: ${error.message.split('\n')[0]}`);
  failure ? failed++ : passed++;
  console.log(`${failure ? 'FAIL' : 'ok'} ${name}${failure}`);
}
const expect = (holds, what) => { if (!holds) throw new Error(what); };
const same = (actual, wanted, what) => expect(JSON.stringify(actual) === JSON.stringify(wanted),
  `${what}: ${JSON.stringify(actual)}, expected ${JSON.stringify(wanted)}`);

async function newPage(withHid) {
  const page = await browser.newPage();
  page.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => pageErrors.push(error.message));
  await page.evaluateOnNewDocument(`${fakes}, ${withHid})`);
  await page.goto(`${origin}/`);
  await page.waitForFunction(() => !document.getElementById('fields').disabled);
  return page;
}
const page = await newPage(true);
const inPage = (task, ...args) => page.evaluate(task, ...args);
const press = async (...keys) => { for (const key of keys) await page.keyboard.press(key); };
const chord = async (key) => { await page.keyboard.down('Control'); await press(key); await page.keyboard.up('Control'); };
const text = (selector, on = page) => on.$eval(selector, (e) => e.textContent);
const shown = () => page.$$eval('#mode, #width, #height', (all) => all.map((e) => e.value));
const clear = () => inPage(() => ['status', 'error'].forEach((id) => document.getElementById(id).replaceChildren()));
const saved = () => inPage(() => fake.saved.length);

// From the page's heading, Tab to the list, choose by arrow keys, Tab to each box and type over it.
async function setSettings(mode, width, height) {
  await page.click('h1');
  await press('Tab', 'Home', ...Array(mode).fill('ArrowDown'));
  for (const size of [width, height]) {
    await press('Tab');
    await chord('KeyA');
    await press('Backspace');
    await page.keyboard.type(String(size));
  }
  same(await shown(), [mode, width, height].map(String), 'settings typed');
}

// Clicks a button and waits until the command it starts has said how it ended.
async function run(selector, on = page) {
  await clear();
  await on.click(selector);
  await on.waitForFunction(() => document.body.getAttribute('aria-busy') === 'false' &&
    (/\.$/.test(document.getElementById('status').textContent) || document.getElementById('error').textContent));
}

function nativeFile(mode, width, height) {
  const file = path.join(work, `native-${mode}-${width}-${height}.TNX`);
  execFileSync(path.join(root, 'build/native/cli/tandemixctl'), ['make', '-m', mode, '-x', width, '-y', height, file].map(String));
  return fs.readFileSync(file);
}

await check('the ranges and the screen\'s real pixels are shown', async () => same(
  [await text('#width-range'), await text('#height-range'), ...(await shown()).slice(1)], ['641 to 15361 pixels',
    '481 to 8641 pixels', ...await inPage(() => [screen.width, screen.height].map((s) => `${Math.round(s * devicePixelRatio)}`))],
  'ranges, default size'));
// Saved by Ctrl+S: the native program's bytes, or for a size out of range nothing, with the range named.
for (const [mode, width, height, range] of [[0, 641, 481], [1, 15361, 8641], [2, 1920, 1080], [2, 641, 8641],
  [0, 640, 1080, '641 to 15361'], [0, 15362, 1080, '641 to 15361'], [0, 1920, 480, '481 to 8641'],
  [0, 1920, 8642, '481 to 8641'], [0, '', 1080, '641 to 15361'], [0, '12a', 1080, '641 to 15361']])
  await check(`Ctrl+S with mode ${mode}, ${width || '(empty)'} x ${height}`, async () => {
    await setSettings(mode, width, height);
    const before = await saved();
    await chord('KeyS');
    if (range) {
      expect((await text('#error')).includes(range), `message: ${await text('#error')}`);
      return same(await inPage(() => [fake.saved.length, document.activeElement.id, document.activeElement.ariaInvalid]),
        [before, range.startsWith('641') ? 'width' : 'height', 'true'], 'files saved, focus');
    }
    await page.waitForFunction((n) => fake.saved.length > n, {}, before);
    same(await inPage(() => fake.saved.at(-1)), [...nativeFile(mode, width, height)], 'bytes');
  });
await check('axe-core finds no violation, with an error shown', async () => {
  await inPage(read('tests/web/node_modules/axe-core/axe.min.js', 'utf8'));
  const { violations } = await inPage(() => axe.run());
  same(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [], 'violations');
});
await check('Save without a save picker downloads Config.TNX', async () => {
  const downloads = path.join(work, 'downloads'), file = path.join(downloads, 'Config.TNX');
  await (await page.createCDPSession()).send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await inPage(() => (window.showSaveFilePicker = undefined));
  await setSettings(1, 1280, 800);
  await page.click('#save');
  for (let wait = 0; wait < 50 && !fs.existsSync(file); wait++) await new Promise((r) => setTimeout(r, 100));
  same([...fs.readFileSync(file)], [...nativeFile(1, 1280, 800)], 'downloaded bytes');
});

const longFile = Buffer.concat([nativeFile(1, 800, 600), Buffer.from([0x55])]);
for (const [bytes, how, opened] of [[Buffer.alloc(0), 'Open…'], [Buffer.alloc(511, 1), 'Ctrl+O'],
  [nativeFile(2, 1280, 1024), 'drop', ['2', '1280', '1024']], [longFile, 'Open…', ['1', '800', '600']]])
  await check(`a file of ${bytes.length} bytes through ${how} is ${opened ? 'opened' : 'refused'}`, async () => {
    const file = path.join(work, `open-${bytes.length}.TNX`);
    fs.writeFileSync(file, bytes);
    await setSettings(0, 1024, 768);
    await clear();
    if (how === 'drop') {
      await inPage((content) => {
        const dataTransfer = new DataTransfer();
        dataTransfer.items.add(new File([new Uint8Array(content)], 'dropped.TNX'));
        document.querySelector('main').dispatchEvent(new DragEvent('drop', { dataTransfer, bubbles: true }));
      }, [...bytes]);
    } else {
      const [chooser] = await Promise.all([page.waitForFileChooser(), how === 'Ctrl+O' ? chord('KeyO') : page.click('#open')]);
      await chooser.accept([file]);
    }
    await page.waitForFunction(() => document.getElementById('status').textContent || document.getElementById('error').textContent);
    same(await shown(), opened ?? ['0', '1024', '768'], 'settings');
    expect(opened || (await text('#error')).startsWith('Invalid configuration file'), `message: ${await text('#error')}`);
  });

const hex = (n) => n.toString(16).toUpperCase().padStart(2, '0');
const record = [...nativeFile(2, 1920, 1080)].slice(0, 32);
const reads = ['open', ...record.map((_, n) => `02 82 00 ${hex(n)} 00 00`), 'close'];
const writes = ['open', '02 81 01 FF 00 00', ...record.map((b, n) => `02 81 00 ${hex(n)} ${hex(b)} 00`),
  '02 81 01 FF 48 00', 'close', ...reads];
// Seven times at 2 ms per exchange, for the time of a write and its verify.
const times = [];
await check('Save To Tandemix sends the 34 exchanges, then verifies with 32 reads', async () => {
  await setSettings(2, 1920, 1080);
  for (let i = 0; i < 7; i++) {
    await inPage(() => Object.assign(fake, { latency: 2 }).reset());
    await run('#write');
    same(await text('#status'), 'The configuration was written into the adapter and verified.', 'status');
    same(await inPage(() => [fake.log(), fake.commits(), document.getElementById('progress').value, fake.filters.length,
      fake.filters[0], fake.filters.at(-1)]), [writes, 1, 100, 256, { vendorId: 0x3258, usagePage: 0xff00 },
      { vendorId: 0x3258, usagePage: 0xffff }], 'log, commits, progress, the chooser\'s filters');
    times.push(await inPage(() => fake.times[3] - fake.times[0]));
  }
});
await check('Read From Tandemix makes 32 reads and shows the adapter\'s settings', async () => {
  await setSettings(0, 800, 600);
  const before = (await inPage(() => fake.log())).length;
  await run('#read');
  same([(await inPage(() => fake.log())).slice(before), await shown()], [reads, ['2', '1920', '1080']], 'log, settings');
});

// Exchange k fails, goes unanswered or meets a pulled-out adapter: the transfer stops there, and a
// pulled-out adapter has nothing left to close.
const faults = ['fail', 'silent', 'unplug'];
for (const [button, fault, k] of [...faults.flatMap((f) => [1, 2, 18, 33].map((k) => ['#write', f, k])),
  ['#write', 'fail', 38], ['#read', 'silent', 3], ['#read', 'unplug', 32]])
  await check(`${button.slice(1)}, exchange ${k} ${fault}: stops there`, async () => {
    await inPage((at) => fake.reset(...at), faults.map((f) => (f === fault ? k : 0)));
    await setSettings(2, 1920, 1080);
    await run(button);
    const all = button === '#write' ? writes : reads;
    const log = all.slice(0, all.map((c, i) => (c.startsWith('02') ? i : -1)).filter((i) => i >= 0)[k - 1] + 1);
    const stage = button === '#read' ? 'reading' : k <= 34 ? 'writing' : 'verifying';
    same(await inPage(() => [fake.log(), fake.commits()]),
      [[...log, ...(fault === 'unplug' ? [] : ['close'])], stage === 'verifying' ? 1 : 0], 'log, commits');
    const reason = { fail: 'the exchange failed', silent: 'no answer within 500 ms', unplug: 'the adapter was pulled out' }[fault];
    expect((await text('#error')).startsWith(`Register ${parseInt(log.at(-1).slice(6, 11).replace(' ', ''), 16)}: ` +
      `${reason} while ${stage}. The transfer stopped and the adapter was closed${stage === 'writing' ?
        ' without the closing commit marker' : '.'}`), `message: ${await text('#error')}`);
  });
await check('the settings take no input while a transfer waits for an answer', async () => {
  await inPage(() => fake.reset(0, 10));
  await page.click('#write');
  await page.waitForFunction(() => document.getElementById('progress').value > 0);
  same(await page.$$eval('#mode, #width, #height, #open, #save, #read', (all) => all.map((e) => e.matches(':disabled'))),
    Array(6).fill(true), 'disabled');
  await page.waitForFunction(() => document.body.getAttribute('aria-busy') === 'false');
  same(await inPage(() => document.activeElement.id), 'write', 'focus afterwards');
});

for (const [setup, wanted] of [[{ chooser: 'close' }, 'No adapter was chosen: the chooser was closed.'],
  [{ chooser: 'deny' }, 'sudo cp ~/Downloads/70-tandemix.rules /etc/udev/rules.d/'],
  [{ openError: 'NotAllowedError' }, 'On Linux the adapter needs a udev rule']])
  await check(`${Object.values(setup)[0]} is told in words`, async () => {
    await inPage((s) => Object.assign(fake, { chooser: 'choose', openError: '' }, s).reset(), setup);
    await run(setup.openError ? '#write' : '#connect');
    expect((await text('#error')).includes(wanted), `message: ${await text('#error')}`);
    expect(!(await inPage(() => fake.log())).some((c) => c.startsWith('02')), 'no exchange');
  });
const noHid = await newPage(false);
await check('a browser without WebHID is told which browsers have it', async () => {
  await run('#connect', noHid);
  const words = await text('#error', noHid);
  expect(['Chrome', 'Edge', 'Opera'].every((name) => words.includes(name)), `message: ${words}`);
});
await check('no request leaves the page\'s origin, and no script error', async () => {
  same(requests.filter((url) => !url.startsWith(`${origin}/`) && !url.startsWith(`blob:${origin}/`)), [], 'requests');
  same(pageErrors, [], 'errors');
});

await browser.close();
server.close();
fs.rmSync(work, { recursive: true, force: true });
const bytes = (names) => names.reduce((sum, name) => sum + fs.statSync(path.join(site, name)).size, 0);
console.log(`write + verify at 2 ms per exchange: median ${times.sort((a, b) => a - b)[3]?.toFixed(0)} ms of 7 ` +
  `(floor 66 x 2 ms = 132 ms)\ncore.wasm ${bytes(['core.wasm'])} bytes; the page ${bytes(fs.readdirSync(site))} bytes ` +
  `in ${fs.readdirSync(site).length} files\nweb: ${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
