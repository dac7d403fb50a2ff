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

const root = path.resolve(import.meta.dirname, '../..');
const site = path.join(root, 'build/web/site');
const ctl = path.join(root, 'build/native/cli/tandemixctl');
const simSource = fs.readFileSync(path.join(root, 'build/web/sim/sim.js'), 'utf8');
const simWasm = fs.readFileSync(path.join(root, 'build/web/sim/sim.wasm')).toString('base64');
const axeSource = fs.readFileSync(path.join(import.meta.dirname, 'node_modules/axe-core/axe.min.js'), 'utf8');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tandemix-web-'));

// Runs in the page before its own scripts: a save picker that keeps the bytes, and the adapter.
function installFakes(wasmBase64, withHid) {
  const fake = (window.fake = { saved: [], latency: 0, chooser: 'choose', openError: '', times: [] });
  window.showSaveFilePicker = async ({ suggestedName }) => ({
    name: suggestedName,
    createWritable: async () => ({ write: async (b) => fake.saved.push([...b]), close: async () => {} }),
  });
  if (!withHid) return delete Navigator.prototype.hid;
  let sim;
  const ready = TandemixSim({ wasmBinary: Uint8Array.from(atob(wasmBase64), (c) => c.charCodeAt(0)) })
    .then((module) => (sim = module));
  const hid = new EventTarget();
  const later = (ms, task) => { // setTimeout would wait 4 ms at least once timers nest
    const until = performance.now() + ms, channel = new MessageChannel();
    channel.port1.onmessage = () => (performance.now() >= until ? task() : channel.port2.postMessage(0));
    channel.port2.postMessage(0);
  };
  const reports = [{ reportId: 0, items: [{ reportSize: 8, reportCount: 6 }] }];
  class FakeDevice extends EventTarget {
    vendorId = 0x3258;
    opened = false;
    collections = [{ usagePage: 0xff00, usage: 1, inputReports: reports, outputReports: reports }];
    async open() {
      if (fake.openError) throw new DOMException('Failed to open the device.', fake.openError);
      if (sim._sim_open() !== 0) throw new DOMException('Failed to open the device.', 'NotFoundError');
      this.opened = true;
      fake.times.push(performance.now());
    }
    async close() {
      sim._sim_close();
      this.opened = false;
      fake.times.push(performance.now());
    }
    async sendReport(reportId, data) {
      sim.HEAPU8.set(data, sim._sim_send_area());
      const result = sim._sim_exchange();
      if (sim._sim_unplugged() && this.opened) {
        this.opened = false;
        hid.dispatchEvent(Object.assign(new Event('disconnect'), { device: this }));
      }
      if (result === 1) throw new DOMException('Failed to write the report.', 'NotAllowedError');
      const at = sim._sim_receive_area(), answer = sim.HEAPU8.slice(at, at + 6);
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
  hid.getDevices = async () => [];
  Object.defineProperty(Navigator.prototype, 'hid', { get: () => hid, configurable: true });
  fake.reset = (failAt = 0, silentAt = 0, unplugAt = 0) => {
    sim._sim_reset(failAt, silentAt, unplugAt);
    fake.times = [];
  };
  fake.log = () => Array.from({ length: sim._sim_call_count() }, (_, i) => sim.UTF8ToString(sim._sim_call(i)));
  fake.commits = () => sim._sim_commits();
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
const server = createServer((request, response) => {
  const file = path.join(site, path.normalize(new URL(request.url, 'http://x').pathname.replace(/\/$/, '/index.html')));
  if (!file.startsWith(site) || !fs.existsSync(file)) return response.writeHead(404).end();
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
  response.end(fs.readFileSync(file));
});
await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
const origin = `http://localhost:${server.address().port}`;
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, userDataDir: path.join(work, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
    '--no-first-run', '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE localhost'],
});

let passed = 0, failed = 0;
const requests = [], pageErrors = [];
async function check(name, body) {
  try {
    await body();
    passed++;
    console.log(`ok ${name}`);
  } catch (error) {
    failed++;
    console.log(`FAIL ${name}: ${error.message.split('\n')[0]}`);
  }
}
const expect = (holds, what) => { if (!holds) throw new Error(what); };
const same = (actual, wanted, what) => expect(JSON.stringify(actual) === JSON.stringify(wanted),
  `${what}: ${JSON.stringify(actual)}, expected ${JSON.stringify(wanted)}`);
const hex = (n) => n.toString(16).toUpperCase().padStart(2, '0');

async function newPage(withHid) {
  const page = await browser.newPage();
  page.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => pageErrors.push(error.message));
  await page.evaluateOnNewDocument(`${simSource};(${installFakes})('${simWasm}', ${withHid})`);
  await page.goto(`${origin}/`);
  await page.waitForFunction(() => !document.getElementById('fields').disabled);
  return page;
}
const press = async (page, ...keys) => { for (const key of keys) await page.keyboard.press(key); };
const chord = async (page, key) => {
  await page.keyboard.down('Control');
  await page.keyboard.press(key);
  await page.keyboard.up('Control');
};
const value = (page, selector, property = 'value') => page.$eval(selector, (e, p) => e[p], property);
const shown = async (page) => [await value(page, '#mode'), await value(page, '#width'), await value(page, '#height')];
const message = (page) => page.$eval('#error', (e) => e.textContent);

// From the page's heading, Tab to the list, choose by arrow keys, Tab to each box and type over it.
async function setSettings(page, mode, width, height) {
  await page.click('h1');
  await press(page, 'Tab', 'Home', ...Array(mode).fill('ArrowDown'));
  for (const size of [width, height]) {
    await press(page, 'Tab');
    await chord(page, 'KeyA');
    await press(page, 'Backspace');
    await page.keyboard.type(String(size));
  }
  same(await shown(page), [String(mode), String(width), String(height)], 'settings typed');
}

const clear = (page) => page.evaluate(() => ['status', 'error'].forEach((id) =>
  document.getElementById(id).replaceChildren()));

// Clicks a button and waits until the command it starts has said how it ended.
async function run(page, selector) {
  await clear(page);
  await page.click(selector);
  await page.waitForFunction(() => document.body.getAttribute('aria-busy') === 'false' &&
    (/\.$/.test(document.getElementById('status').textContent) || document.getElementById('error').textContent));
}

function nativeFile(mode, width, height) {
  const file = path.join(work, `native-${mode}-${width}-${height}.TNX`);
  execFileSync(ctl, ['make', '-m', String(mode), '-x', String(width), '-y', String(height), file]);
  return fs.readFileSync(file);
}

const page = await newPage(true);
await check('the ranges and the screen\'s real pixels are shown', async () => {
  same([await value(page, '#width-range', 'textContent'), await value(page, '#height-range', 'textContent')],
    ['641 to 15361 pixels', '481 to 8641 pixels'], 'ranges');
  same((await shown(page)).slice(1), await page.evaluate(() =>
    [screen.width, screen.height].map((s) => String(Math.round(s * devicePixelRatio)))), 'default size');
});
for (const [mode, width, height] of [[0, 641, 481], [1, 15361, 8641], [2, 1920, 1080], [2, 641, 8641]])
  await check(`Ctrl+S saves mode ${mode}, ${width} x ${height} as tandemixctl make does`, async () => {
    await setSettings(page, mode, width, height);
    const before = await page.evaluate(() => fake.saved.length);
    await chord(page, 'KeyS');
    await page.waitForFunction((n) => fake.saved.length > n, {}, before);
    same(await page.evaluate(() => fake.saved.at(-1)), [...nativeFile(mode, width, height)], 'bytes');
  });
await check('Save without a save picker downloads Config.TNX', async () => {
  const downloads = path.join(work, 'downloads');
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.evaluate(() => (window.showSaveFilePicker = undefined));
  await setSettings(page, 1, 1280, 800);
  await page.click('#save');
  const file = path.join(downloads, 'Config.TNX');
  for (let wait = 0; wait < 50 && !fs.existsSync(file); wait++) await new Promise((r) => setTimeout(r, 100));
  same([...fs.readFileSync(file)], [...nativeFile(1, 1280, 800)], 'downloaded bytes');
});
for (const [width, height, range] of [[640, 1080, '641 to 15361'], [15362, 1080, '641 to 15361'],
  [1920, 480, '481 to 8641'], [1920, 8642, '481 to 8641'], ['', 1080, '641 to 15361'], ['12a', 1080, '641 to 15361']])
  await check(`the size ${width || '(empty)'} x ${height} is refused, naming ${range}`, async () => {
    await setSettings(page, 0, width, height);
    const before = await page.evaluate(() => fake.saved.length);
    await chord(page, 'KeyS');
    expect((await message(page)).includes(range), `message: ${await message(page)}`);
    same(await page.evaluate(() => fake.saved.length), before, 'files saved');
    const box = range.startsWith('641') ? 'width' : 'height';
    same(await page.evaluate(() => [document.activeElement.id, document.activeElement.ariaInvalid]),
      [box, 'true'], 'focus');
  });
await check('axe-core finds no violation, with an error shown', async () => {
  await page.evaluate(axeSource);
  const { violations } = await page.evaluate(() => axe.run());
  same(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [], 'violations');
});

const longFile = Buffer.concat([nativeFile(1, 800, 600), Buffer.from([0x55])]);
for (const [bytes, how, expected] of [[Buffer.alloc(0), 'Open…', null], [Buffer.alloc(511, 1), 'Ctrl+O', null],
  [nativeFile(2, 1280, 1024), 'drop', ['2', '1280', '1024']], [longFile, 'Open…', ['1', '800', '600']]])
  await check(`a file of ${bytes.length} bytes through ${how} is ${expected ? 'opened' : 'refused'}`, async () => {
    const file = path.join(work, `open-${bytes.length}.TNX`);
    fs.writeFileSync(file, bytes);
    await setSettings(page, 0, 1024, 768);
    await clear(page);
    if (how === 'drop') {
      await page.evaluate((content) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([new Uint8Array(content)], 'dropped.TNX'));
        document.querySelector('main').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
      }, [...bytes]);
    } else {
      const [chooser] = await Promise.all([page.waitForFileChooser(),
        how === 'Ctrl+O' ? chord(page, 'KeyO') : page.click('#open')]);
      await chooser.accept([file]);
    }
    await page.waitForFunction(() => document.getElementById('status').textContent ||
      document.getElementById('error').textContent);
    same(await shown(page), expected ?? ['0', '1024', '768'], 'settings');
    if (!expected)
      expect((await message(page)).startsWith('Invalid configuration file'), `message: ${await message(page)}`);
  });

const record = [...nativeFile(2, 1920, 1080)].slice(0, 32);
const writes = ['02 81 01 FF 00 00', ...record.map((b, n) => `02 81 00 ${hex(n)} ${hex(b)} 00`), '02 81 01 FF 48 00'];
const reads = record.map((_, n) => `02 82 00 ${hex(n)} 00 00`);
await check('Save To Tandemix sends the 34 exchanges, then verifies with 32 reads', async () => {
  await page.evaluate(() => fake.reset());
  await setSettings(page, 2, 1920, 1080);
  await run(page, '#write');
  same(await value(page, '#status', 'textContent'), 'The configuration was written into the adapter and verified.', 'status');
  same(await page.evaluate(() => fake.log()), ['open', ...writes, 'close', 'open', ...reads, 'close'], 'log');
  same([await page.evaluate(() => fake.commits()), await value(page, '#progress')], [1, 100], 'commits, progress');
});
await check('Read From Tandemix makes 32 reads and shows the adapter\'s settings', async () => {
  await setSettings(page, 0, 800, 600);
  const before = (await page.evaluate(() => fake.log())).length;
  await run(page, '#read');
  same((await page.evaluate(() => fake.log())).slice(before), ['open', ...reads, 'close'], 'log');
  same(await shown(page), ['2', '1920', '1080'], 'settings');
});

// Exchange k of a write is register 511 (k = 1), then register k - 2.
for (const fault of ['fail', 'silent', 'unplug'])
  for (const k of [1, 2, 18, 33])
    await check(`Save To Tandemix, exchange ${k} ${fault}: stops there, without the closing marker`, async () => {
      await page.evaluate((at) => fake.reset(...at), [fault === 'fail' ? k : 0, fault === 'silent' ? k : 0, fault === 'unplug' ? k : 0]);
      await setSettings(page, 2, 1920, 1080);
      await run(page, '#write');
      // A pulled-out adapter has nothing left to close.
      same(await page.evaluate(() => fake.log()), ['open', ...writes.slice(0, k), ...(fault === 'unplug' ? [] : ['close'])], 'log');
      same(await page.evaluate(() => fake.commits()), 0, 'commits');
      const reason = { fail: 'the exchange failed', silent: 'no answer within 500 ms', unplug: 'the adapter was pulled out' }[fault];
      expect((await message(page)).startsWith(`Register ${k === 1 ? 511 : k - 2}: ${reason} while writing. ` +
        'The transfer stopped and the adapter was closed without the closing commit marker'), `message: ${await message(page)}`);
    });
await check('the settings take no input while a transfer waits for an answer', async () => {
  await page.evaluate(() => fake.reset(0, 10));
  await page.click('#write');
  await page.waitForFunction(() => document.getElementById('progress').value > 0);
  same(await page.$$eval('#mode, #width, #height, #open, #save, #read', (all) => all.map((e) => e.matches(':disabled'))),
    Array(6).fill(true), 'disabled');
  await page.waitForFunction(() => document.body.getAttribute('aria-busy') === 'false');
  same(await page.evaluate(() => document.activeElement.id), 'write', 'focus afterwards');
});
for (const [fault, button, wanted] of [[[38], '#write', 'Register 3: the exchange failed while verifying. '],
  [[0, 3], '#read', 'Register 2: no answer within 500 ms while reading. ']])
  await check(`${button === '#write' ? 'the verify' : 'a read'} stops at a failed exchange`, async () => {
    await page.evaluate((at) => fake.reset(...at), fault);
    await run(page, button);
    same(await message(page), `${wanted}The transfer stopped and the adapter was closed.`, 'message');
    expect((await page.evaluate(() => fake.log())).at(-1) === 'close', 'closed');
  });

for (const [setup, wanted] of [[{ chooser: 'close' }, 'No adapter was chosen: the chooser was closed.'],
  [{ chooser: 'deny' }, 'sudo cp ~/Downloads/70-tandemix.rules /etc/udev/rules.d/'],
  [{ openError: 'NotAllowedError' }, 'On Linux the adapter needs a udev rule']])
  await check(`${Object.values(setup)[0]} is told in words`, async () => {
    await page.evaluate((s) => { fake.reset(); Object.assign(fake, { chooser: 'choose', openError: '' }, s); }, setup);
    await run(page, setup.openError ? '#write' : '#connect');
    expect((await message(page)).includes(wanted), `message: ${await message(page)}`);
    expect(!(await page.evaluate(() => fake.log())).some((c) => c.startsWith('02')), 'no exchange');
  });
await check('the chooser is offered the adapter\'s vendor on every vendor-defined usage page', async () => {
  const filters = await page.evaluate(() => fake.filters);
  same([filters.length, filters[0], filters.at(-1)], [256, { vendorId: 0x3258, usagePage: 0xff00 },
    { vendorId: 0x3258, usagePage: 0xffff }], 'filters');
});

const times = [];
await check('write + verify at 2 ms per exchange', async () => {
  await page.evaluate(() => Object.assign(fake, { chooser: 'choose', openError: '', latency: 2 }));
  for (let i = 0; i < 7; i++) {
    await page.evaluate(() => fake.reset());
    await run(page, '#write');
    const [first, , , last] = await page.evaluate(() => fake.times);
    times.push(last - first);
  }
  same(await value(page, '#status', 'textContent'), 'The configuration was written into the adapter and verified.', 'status');
});

const noHid = await newPage(false);
await check('a browser without WebHID is told which browsers have it', async () => {
  await run(noHid, '#connect');
  for (const name of ['Chrome', 'Edge', 'Opera']) expect((await message(noHid)).includes(name), `message: ${await message(noHid)}`);
});
await check('no request leaves the page\'s origin, and no script error', async () => {
  same(requests.filter((url) => !url.startsWith(`${origin}/`) && !url.startsWith('blob:' + origin)), [], 'requests');
  same(pageErrors, [], 'errors');
});

await browser.close();
server.close();
fs.rmSync(work, { recursive: true, force: true });
const sizes = (names) => names.reduce((sum, name) => sum + fs.statSync(path.join(site, name)).size, 0);
times.sort((a, b) => a - b);
console.log(`write + verify at 2 ms per exchange: median ${times[3]?.toFixed(0)} ms of ${times.length}, ` +
  `floor 66 x 2 ms = 132 ms`);
console.log(`core.wasm ${sizes(['core.wasm'])} bytes; the page ${sizes(fs.readdirSync(site))} bytes in ` +
  `${fs.readdirSync(site).length} files`);
console.log(`web: ${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
