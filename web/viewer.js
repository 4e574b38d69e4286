// The web page's control: files from the picker, from a drop or from ?file=NAME go into the
// module's in-memory files; the model file among them is opened, described in the side panel,
// drawn and played. Every failure is one sentence in the page naming the file and the reason,
// and <body data-state> tells "ready" or "error" once the page has settled. "Download .glb" hands
// back the converter module's glTF conversion of the open file.
import { Scene, textureFromBytes } from './scene.js';

const MODEL_NAME = /\.(3ds|txt|bin|bvh)$/i;
const $ = id => document.getElementById(id);
const scene = new Scene($('view'));
const modulePromise = createViewerModule();
const converterPromise = createConverterModule();  // fetched now, so that Download .glb works offline
let folder = 0;
const playback = { first: 0, end: 0, rate: 30, frame: 1, playing: false, last: 0 };
let opened = null;  // the open file: { name, path } in the module's files, and all the files given

// A failure as the page shows it: one sentence, the panel cleared.
function fail(sentence) {
  stop();
  scene.clear();
  scene.draw();
  $('message').textContent = sentence;
  $('message').hidden = false;
  $('playback').hidden = true;
  $('counts').textContent = $('description').textContent = '';
  $('download').disabled = true;
  opened = null;
  document.body.dataset.state = 'error';
}

// The reason a loader gave, as the end of a sentence.
function reason(text) {
  const t = text.trim().replace(/[.\s]+$/, '');
  return t ? t : 'the loader gave no reason';
}

// files: [{ name, bytes }]. The first model or motion file is opened; the rest lie beside it.
async function openFiles(files) {
  document.body.dataset.state = 'loading';
  $('message').hidden = true;
  const model = files.find(f => MODEL_NAME.test(f.name));
  if (!model) {
    const names = files.map(f => f.name).join(', ') || 'nothing';
    return fail(`${names}: not a file this page reads (a .3ds, .txt or .bin model, or a .bvh motion).`);
  }
  try {
    const M = await modulePromise;
    const dir = `/files/${++folder}`;
    putFiles(M, dir, files);
    const error = M.ccall('vw_open', 'string', ['string'], [`${dir}/${model.name}`]);
    if (error) return fail(`${model.name} could not be opened: ${reason(error)}.`);
    const info = JSON.parse(M.ccall('vw_describe', 'string', [], []));
    info.description.file = model.name;
    opened = { name: model.name, path: `${dir}/${model.name}`, dir, files };
    await show(M, info, model.name);
  } catch (e) {  // the module itself failed (out of memory, say)
    fail(`${model.name} could not be shown: ${reason(String(e.message ?? e))}.`);
  }
}

async function show(M, info, name) {
  const maps = await Promise.all(info.textures.map(path => {
    const bytes = path && readFile(M, path);
    return bytes ? textureFromBytes(path, bytes) : null;
  }));
  $('file-name').textContent = name;
  $('counts').textContent = JSON.stringify(info.description.counts, null, 2);
  $('description').textContent = JSON.stringify(info.description, null, 2);
  $('notes').hidden = true;
  $('download').disabled = false;
  scene.show(info, maps);
  playback.first = info.first_frame;
  playback.end = info.last_frame;
  playback.rate = info.frame_rate;
  $('playback').hidden = info.last_frame <= info.first_frame;
  $('frame').min = String(info.first_frame);
  $('frame').max = String(Math.max(info.last_frame, info.first_frame));
  $('rate').textContent = `${Number(info.frame_rate.toFixed(2))} frames per second`;
  stop();
  setFrame(info.first_frame);
  document.body.dataset.state = 'ready';
}

function setFrame(frame) {
  modulePromise.then(M => {
    playback.frame = frame;
    scene.update(M, M._vw_frame(frame));
    $('frame').value = String(Math.floor(frame));
    $('frame-label').textContent = `frame ${Math.floor(frame)} / ${Math.max(playback.end, playback.first)}`;
  });
}

function stop() {
  playback.playing = false;
  $('play').textContent = 'Play';
}

function tick(now) {
  if (!playback.playing) return;
  const elapsed = (now - playback.last) / 1000;
  playback.last = now;
  let frame = playback.frame + elapsed * playback.rate;
  const span = Math.max(playback.end - playback.first, 1);
  if (frame > playback.end) frame = playback.first + (frame - playback.first) % span;
  setFrame(frame);
  requestAnimationFrame(tick);
}

$('play').addEventListener('click', () => {
  if (playback.playing) return stop();
  playback.playing = true;
  playback.last = performance.now();
  $('play').textContent = 'Pause';
  requestAnimationFrame(tick);
});
$('frame').addEventListener('input', () => { stop(); setFrame(Number($('frame').value)); });

// The open file as a .glb: the bytes vtrl3ds-convert writes for it, with the texture files given
// beside it; the converter's warnings (a map left out, say) appear in the side panel.
// A conversion that fails says why and leaves the drawing as it is.
$('download').addEventListener('click', async () => {
  if (!opened) return;
  let size = -1, text, M;
  try {
    M = await converterPromise;
    if (!M.ccall('vw_file', 'number', ['string'], [opened.path])) putFiles(M, opened.dir, opened.files);
    size = M.ccall('vw_glb', 'number', ['string'], [opened.path]);
    text = M.UTF8ToString(M._vw_glb_text()).trim();
  } catch (e) {  // the module itself failed (out of memory, say)
    text = String(e.message ?? e);
  }
  if (size < 0) {
    $('message').textContent = `${opened.name} could not be converted to glTF: ${reason(text)}.`;
    $('message').hidden = false;
    return;
  }
  const bytes = M.HEAPU8.slice(M._vw_glb_bytes(), M._vw_glb_bytes() + size);
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'model/gltf-binary' }));
  link.download = opened.name.replace(/\.[^.]*$/, '') + '.glb';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  $('notes').textContent = text;
  $('notes').hidden = !text;
});

async function readPicked(list) {
  return Promise.all([...list].map(async f => ({ name: f.name, bytes: new Uint8Array(await f.arrayBuffer()) })));
}

$('picker').addEventListener('change', async e => openFiles(await readPicked(e.target.files)));
document.addEventListener('dragover', e => { e.preventDefault(); document.body.classList.add('dragging'); });
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', async e => {
  e.preventDefault();
  document.body.classList.remove('dragging');
  openFiles(await readPicked(e.dataTransfer.files));
});

// ?file=NAME: a file served beside the page, with the texture maps it names (by bare name).
async function fetchBytes(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`the server answered ${response.status} ${response.statusText}`.trim());
  return new Uint8Array(await response.arrayBuffer());
}

async function openServed(name) {
  const base = new URL(name, location.href);
  const file = decodeURIComponent(base.pathname.split('/').pop());
  let bytes;
  try {
    bytes = await fetchBytes(base);
  } catch (e) {
    return fail(`${file} could not be fetched: ${reason(e.message)}.`);
  }
  const files = [{ name: file, bytes }];
  for (const map of await namedMaps(file, bytes)) {
    if (files.some(f => f.name.toLowerCase() === map.toLowerCase())) continue;
    try { files.push({ name: map, bytes: await fetchBytes(new URL(map, base)) }); } catch { /* drawn untextured */ }
  }
  await openFiles(files);
}

// The bare names of the texture maps a model file names; none when it does not load (openFiles
// then says why).
async function namedMaps(name, bytes) {
  if (!MODEL_NAME.test(name)) return [];
  try {
    const M = await modulePromise;
    const dir = `/files/${++folder}`;
    putFiles(M, dir, [{ name, bytes }]);
    if (M.ccall('vw_open', 'string', ['string'], [`${dir}/${name}`])) return [];
    const described = JSON.parse(M.ccall('vw_describe', 'string', [], []));
    return described.description.materials.map(m => m.texture_map?.split(/[\\/]/).pop()).filter(Boolean);
  } catch {
    return [];
  }
}

// A module's files (held by the module itself, web/memfiles.cpp): the set given, in folder dir;
// the files given before are dropped.
function putFiles(M, dir, files) {
  M._vw_forget();
  for (const f of files) {
    const at = M.ccall('vw_put', 'number', ['string', 'number'], [`${dir}/${f.name}`, f.bytes.length]);
    if (!at) throw new Error(`${f.name} does not fit in the page's memory`);
    M.HEAPU8.set(f.bytes, at);  // the heap as it is after vw_put, which may have grown it
  }
}

// A copy of the bytes of a module's file, or null when it has none at path.
function readFile(M, path) {
  const where = M.ccall('vw_file', 'number', ['string'], [path]);
  if (!where) return null;
  const [at, size] = M.HEAPU32.subarray(where / 4, where / 4 + 2);
  return M.HEAPU8.slice(at, at + size);
}

const served = new URLSearchParams(location.search).get('file');
if (served) openServed(served);
