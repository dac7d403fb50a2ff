// The page: the settings, the file commands and the adapter's two transfers, over the core that
// is compiled from the utility's own C++ sources. Every rule of the record and of the register
// protocol is the core's; this script shows the settings and words the outcomes.
import TandemixCore from './core.js';
import { hid } from './hid.js';

const ui = Object.fromEntries(
  ['fields', 'mode', 'width', 'height', 'open', 'save', 'file', 'connect', 'write', 'read',
    'adapter', 'progress', 'progress-label', 'status', 'error']
    .map((id) => [id.replace(/-(\w)/, (_, c) => c.toUpperCase()), document.getElementById(id)]));
const buttons = [ui.open, ui.save, ui.connect, ui.write, ui.read];
const defaultFileName = 'Config.TNX';
let busy = false;

const core = await TandemixCore({
  hid,
  onProgress(stage, percent) {
    ui.progress.value = percent;
    ui.progressLabel.textContent = `${stage[0].toUpperCase()}${stage.slice(1)}: ${percent}%`;
  },
}).catch((error) => {
  showError('The page could not load its core, core.wasm.', String(error));
  throw error;
});
const call = (name, ...args) =>
  core.ccall(name, 'number', args.map((a) => (typeof a === 'string' ? 'string' : 'number')), args);
const text = (name, ...args) => core.ccall(name, 'string', args.map(() => 'number'), args);
const boxes = [
  { box: ui.width, isWidth: 1, label: 'X Size' },
  { box: ui.height, isWidth: 0, label: 'Y Size' },
];

function element(tag, content, attributes = {}) {
  const made = Object.assign(document.createElement(tag), attributes);
  made.append(...[content].flat());
  return made;
}

function showStatus(message) {
  ui.error.replaceChildren();
  ui.status.textContent = message;
}

function showError(...paragraphs) {
  ui.status.textContent = '';
  ui.error.replaceChildren(...paragraphs.map((p) => element('p', p)));
}

function rangeText({ isWidth }) {
  return `${core._web_lowest_size(isWidth)} to ${core._web_highest_size(isWidth)}`;
}

// Marks a box whose size would be refused.
function checkBox(size) {
  const accepted = call('web_size_accepted', size.isWidth, size.box.value.trim()) === 1;
  size.box.setAttribute('aria-invalid', String(!accepted));
}

// The record for the settings, or null after saying which box is refused and why.
function buildRecord() {
  const result = call('web_build_record', Number(ui.mode.value), ui.width.value.trim(),
    ui.height.value.trim());
  if (result !== 0) {
    const size = boxes[result - 1];
    const value = size.box.value.trim();
    checkBox(size);
    showError(`${size.label} ${value === '' ? 'is empty' : `"${value}" is refused`}: it must be a ` +
      `whole number from ${rangeText(size)}. Nothing was saved or sent.`);
    size.box.focus();
    size.box.select();
    return null;
  }
  const at = core._web_record();
  return core.HEAPU8.slice(at, at + core._web_record_size());
}

function showSettings() {
  ui.mode.value = String(core._web_shown_control_mode());
  for (const size of boxes) {
    size.box.value = String(core._web_shown_size(size.isWidth) >>> 0);
    checkBox(size);
  }
}

async function saveFile() {
  const bytes = buildRecord();
  if (!bytes) return;
  if (typeof window.showSaveFilePicker !== 'function') {
    const link = element('a', [], {
      href: URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' })),
      download: defaultFileName,
    });
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    showStatus(`The configuration was saved as ${defaultFileName} in your downloads.`);
    return;
  }
  let handle;
  try {
    handle = await window.showSaveFilePicker({ suggestedName: defaultFileName });
  } catch (error) {
    if (error.name !== 'AbortError') showError('Error saving the file', error.message);
    return;
  }
  try {
    const writable = await handle.createWritable();
    await writable.write(bytes);
    await writable.close();
    showStatus(`The configuration was saved as ${handle.name}.`);
  } catch (error) {
    showError('Error saving the file', error.message);
  }
}

async function openFile(file) {
  let bytes;
  try {
    bytes = new Uint8Array(await file.slice(0, core._web_record_size()).arrayBuffer());
  } catch (error) {
    showError('Error opening the file', error.message);
    return;
  }
  core.HEAPU8.set(bytes, core._web_file_area());
  if (!core._web_take_file(file.size)) {
    showError('Invalid configuration file', `${file.name} holds ${file.size} bytes; a ` +
      `configuration file has at least ${core._web_record_size()}. Nothing was changed.`);
    return;
  }
  showSettings();
  showStatus(`${file.name} was opened.`);
}

const noWebHid = () => [
  'This browser cannot reach the adapter: it has no WebHID.',
  window.isSecureContext
    ? 'Use Google Chrome or Microsoft Edge 89 or later, or Opera 75 or later, on Windows, macOS, ' +
      'Linux or ChromeOS. Opening and saving configuration files works in this browser too.'
    : 'WebHID needs a secure page: open it from an https:// address or from http://localhost, ' +
      'in Google Chrome, Microsoft Edge or Opera.',
];

const refused = () => [
  'The browser was not allowed to open the adapter.',
  element('span', ['On Linux the adapter needs a udev rule that gives the user at the seat ' +
    'access to it: download ', element('a', '70-tandemix.rules', {
    href: '70-tandemix.rules', download: '70-tandemix.rules' }), ', install it with ',
  element('code', 'sudo cp ~/Downloads/70-tandemix.rules /etc/udev/rules.d/ && ' +
    'sudo udevadm control --reload && sudo udevadm trigger'),
  ', then plug the adapter in again and choose Connect.']),
];

const pulledOut = 'The adapter was pulled out. Plug it in again and choose Connect.';

function adapterGone() {
  ui.adapter.textContent = pulledOut;
  if (!busy) showError(pulledOut);
}

async function connect() {
  if (!hid.available()) {
    showError(...noWebHid());
    return false;
  }
  let chosen;
  try {
    chosen = await hid.choose(core, adapterGone);
  } catch (error) {
    if (error.name === 'NotFoundError') chosen = 'closed';
    else if (error.name === 'SecurityError' || error.name === 'NotAllowedError') {
      showError(...refused());
      return false;
    } else {
      showError('The adapter chooser could not be shown.', error.message);
      return false;
    }
  }
  if (chosen === 'closed') {
    showError('No adapter was chosen: the chooser was closed. Plug the adapter\'s KB/MOUSE port ' +
      'into a USB port and choose Connect again.');
    return false;
  }
  if (chosen === 'other') {
    showError('The chosen device is not a Tandemix adapter: it has no collection with the ' +
      'adapter\'s six-byte reports.');
    return false;
  }
  ui.adapter.textContent = 'Adapter connected.';
  return true;
}

function lock(locked) {
  busy = locked;
  ui.fields.disabled = locked;
  for (const button of buttons) button.disabled = locked;
  document.body.setAttribute('aria-busy', String(locked));
}

function transferFailure(result) {
  if (result === 'refused') return refused();
  if (result === 'not-found')
    return [hid.wasPulledOut() ? pulledOut : 'The adapter could not be opened. Plug its KB/MOUSE ' +
      'port into a USB port and choose Connect.'];
  const register = core._web_failed_register();
  if (result === 'verify-differs')
    return [`Verify: register ${register} holds another value than was written ` +
      `(${core._web_differing_registers()} of ${core._web_image_size()} registers differ).`];
  const stage = text('web_stage');
  const reason = hid.wasPulledOut() ? 'the adapter was pulled out'
    : core._web_last_exchange_timed_out()
      ? `no answer within ${core._web_answer_timeout_ms()} ms` : 'the exchange failed';
  return [`Register ${register}: ${reason} while ${stage}. The transfer stopped and the adapter ` +
    `was closed${stage === 'writing' ? ' without the closing commit marker, so it does not take ' +
      'the half-written configuration' : ''}.`, ...(hid.wasPulledOut() ? [pulledOut] : [])];
}

async function transfer(writing) {
  if (writing && ui.mode.value === '-1') {
    showError('Choose a Control Mode first: Save To Tandemix sends one.');
    ui.mode.focus();
    return;
  }
  if (writing && !buildRecord()) return;
  if (!hid.connected() && !(await connect())) return;
  const focused = document.activeElement;
  lock(true);
  showStatus(writing ? 'Writing the configuration into the adapter…' : 'Reading the adapter…');
  ui.progress.value = 0;
  const result = text('web_result_name', await core.ccall(
    writing ? 'web_write_and_verify' : 'web_read', 'number', [], [], { async: true }));
  lock(false);
  focused?.focus();
  if (result !== 'done') {
    showError(...transferFailure(result));
    return;
  }
  if (!writing) showSettings();
  showStatus(writing ? 'The configuration was written into the adapter and verified.'
    : 'The configuration was read from the adapter.');
}

for (let index = 0; index < core._web_control_mode_count(); index++)
  ui.mode.append(element('option', text('web_control_mode_name', index), { value: index }));
ui.mode.value = '0';
ui.width.value = String(Math.round(screen.width * devicePixelRatio));
ui.height.value = String(Math.round(screen.height * devicePixelRatio));
for (const size of boxes) {
  document.getElementById(`${size.box.id}-range`).textContent = `${rangeText(size)} pixels`;
  size.box.addEventListener('change', () => checkBox(size));
}

ui.open.addEventListener('click', () => ui.file.click());
ui.file.addEventListener('change', () => {
  if (ui.file.files[0]) openFile(ui.file.files[0]);
  ui.file.value = '';
});
ui.save.addEventListener('click', saveFile);
ui.connect.addEventListener('click', async () => {
  if (await connect()) showStatus('The adapter is connected.');
});
ui.write.addEventListener('click', () => transfer(true));
ui.read.addEventListener('click', () => transfer(false));
document.addEventListener('keydown', (event) => {
  const key = (event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase();
  if (key !== 's' && key !== 'o') return;
  event.preventDefault();
  if (busy) return;
  if (key === 's') saveFile();
  else ui.file.click();
});
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.toggle('dragging', !busy);
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (event) => {
  event.preventDefault();
  document.body.classList.remove('dragging');
  if (!busy && event.dataTransfer.files[0]) openFile(event.dataTransfer.files[0]);
});

lock(false);
if (!hid.available()) showError(...noWebHid());
