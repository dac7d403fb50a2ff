// The adapter through WebHID: the chooser, the chosen device's open and close, and its reports,
// moved as they are. What they hold, and which collection is the adapter's, the core decides.

let device = null; // the adapter the user chose
let gone = false; // it was pulled out since
let input = []; // input reports not yet taken, each with its report ID first
let waiting = null; // the exchange awaiting the next input report
let onGone = () => {};

function deliver(next) {
  const take = waiting;
  waiting = null;
  take(next);
}

function received(event) {
  const report = new Uint8Array(event.data.byteLength + 1);
  report[0] = event.reportId;
  report.set(new Uint8Array(event.data.buffer, event.data.byteOffset, event.data.byteLength), 1);
  if (waiting) deliver(report);
  else input.push(report);
}

function payloadBytes(reports) {
  const report = (reports || []).find((r) => r.reportId === 0);
  if (!report) return -1;
  return report.items.reduce((bits, item) => bits + item.reportSize * item.reportCount, 0) / 8;
}

export const hid = {
  available: () => 'hid' in navigator,
  connected: () => device !== null && !gone,

  // Shows the browser's chooser. Resolves to 'chosen', 'closed' (nothing chosen) or 'other' (a
  // device without the adapter's collection); throws when the browser refuses.
  async choose(core, whenGone) {
    const vendorId = core._web_adapter_vendor_id();
    const filters = [];
    for (let page = 0; page <= 0xffff; page++)
      if (core._web_is_adapter_usage_page(page)) filters.push({ vendorId, usagePage: page });
    const [chosen] = await navigator.hid.requestDevice({ filters });
    if (!chosen) return 'closed';
    const isAdapter = (c) =>
      core._web_is_adapter_collection(chosen.vendorId, c.usagePage,
        payloadBytes(c.inputReports), payloadBytes(c.outputReports));
    if (!chosen.collections.some(isAdapter)) return 'other';
    if (device && device !== chosen) await this.close();
    device = chosen;
    gone = false;
    onGone = whenGone;
    return 'chosen';
  },

  async open() {
    if (!device || gone) return 'missing';
    try {
      if (!device.opened) await device.open();
    } catch (error) {
      return error.name === 'NotAllowedError' || error.name === 'SecurityError'
        ? 'refused' : 'missing';
    }
    device.addEventListener('inputreport', received);
    return 'open';
  },

  async close() {
    if (!device) return;
    device.removeEventListener('inputreport', received);
    input = [];
    if (device.opened) await device.close().catch(() => {});
  },

  dropInput() {
    input = [];
  },

  async send(report) {
    if (!device || gone) return false;
    try {
      await device.sendReport(report[0], report.subarray(1));
      return true;
    } catch {
      return false;
    }
  },

  // The next input report, 'timeout' after waitMs, or 'gone'.
  nextInput(waitMs) {
    if (gone) return Promise.resolve('gone');
    if (input.length) return Promise.resolve(input.shift());
    return new Promise((resolve) => {
      const timer = setTimeout(() => deliver('timeout'), waitMs);
      waiting = (next) => {
        clearTimeout(timer);
        resolve(next);
      };
    });
  },

  wasPulledOut: () => gone,
};

if (hid.available())
  navigator.hid.addEventListener('disconnect', (event) => {
    if (event.device !== device) return;
    gone = true;
    if (waiting) deliver('gone');
    onGone();
  });
