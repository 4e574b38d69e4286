// The web page in headless Chromium, served from 127.0.0.1: every real model and motion file
// shows the native inspector's counts; a malformed file shows its error sentence; two models
// drawn from the viewer's camera cover vtrl3ds-view's silhouette; a motion and a 3DS keyframer
// scene move between frames; "Download .glb" gives vtrl3ds-convert's bytes for the same files;
// a 3DS model's normals are those vtrl3ds-convert writes (its smoothing groups); the viewer's
// module finds its files, and refuses missing ones, as the loaders do on disk.
// Usage: node page_test.mjs WEBDIR NPMDIR INSPECTOR VIEWER CONVERTER OUTDIR DATADIR...
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import path from 'node:path';

const [webDir, npmDir, inspector, viewer, converter, outDir, ...given] = process.argv.slice(2);
const dataDirs = given.map(d => path.resolve(d));
const require = createRequire(path.join(path.resolve(npmDir), 'package.json'));
const { chromium } = require('playwright-core');
const { PNG } = require('pngjs');
const MODEL = /\.(3ds|txt|bin|bvh)$/i;
let failures = 0;
const check = (ok, what) => { if (!ok) { failures++; console.log(`FAIL ${what}`); } };

// Page files at /, data folder i at /data/i/.
function serve() {
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const m = url.match(/^\/data\/(\d+)\/(.*)$/);
    const file = m ? path.join(dataDirs[Number(m[1])], m[2]) : path.join(webDir, url === '/' ? 'index.html' : url);
    if (url.includes('..') || !fs.existsSync(file) || !fs.statSync(file).isFile()) { res.writeHead(404); return res.end(); }
    const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
    res.end(fs.readFileSync(file));
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function realFiles(pattern = MODEL) {
  const files = [];
  dataDirs.forEach((dir, i) => {
    if (!fs.existsSync(dir)) return;
    for (const f of fs.readdirSync(dir, { recursive: true }))
      if (pattern.test(f) && !f.includes('malformed')) files.push({ url: `data/${i}/${f}`, path: path.join(dir, f) });
  });
  return files;
}

async function open(page, base, url) {
  await page.goto(`${base}/index.html?file=${encodeURIComponent(url)}`);
  await page.waitForSelector('body[data-state="ready"], body[data-state="error"]', { timeout: 60000 });
  return page.evaluate(() => document.body.dataset.state);
}

// Pixels of a PNG that differ from the background colour.
function mask(png) {
  const bg = [png.data[0], png.data[1], png.data[2]];
  const m = new Uint8Array(png.width * png.height);
  for (let i = 0; i < m.length; ++i)
    m[i] = Math.abs(png.data[4 * i] - bg[0]) + Math.abs(png.data[4 * i + 1] - bg[1]) + Math.abs(png.data[4 * i + 2] - bg[2]) > 24;
  return m;
}

function overlap(a, b) {
  let both = 0, either = 0;
  for (let i = 0; i < a.length; ++i) { both += a[i] & b[i]; either += a[i] | b[i]; }
  return either ? both / either : 0;
}

async function counts(page, base, files) {
  for (const f of files) {
    const state = await open(page, base, f.url);
    const native = JSON.parse(execFileSync(inspector, [f.path], { maxBuffer: 1 << 28 })).counts;
    const shown = state === 'ready' ? JSON.parse(await page.textContent('#counts')) : null;
    check(JSON.stringify(shown) === JSON.stringify(native), `${f.url}: page ${JSON.stringify(shown)}, inspector ${JSON.stringify(native)}`);
  }
}

async function malformed(page, base) {
  const state = await open(page, base, 'data/0/3ds/malformed/empty.3ds');
  const sentence = await page.textContent('#message');
  check(state === 'error' && sentence === 'empty.3ds could not be opened: nothing in it that the model library recognises.',
    `malformed file: state ${state}, message "${sentence}"`);
  check(await open(page, base, 'data/0/absent.3ds') === 'error' && /absent\.3ds could not be fetched: .*404/.test(await page.textContent('#message')),
    'a missing file names itself and the 404');
}

// Only the drawing is compared: the playback bar over it is hidden.
const hideBar = page => page.addStyleTag({ content: '#playback { visibility: hidden; }' });

async function silhouette(page, base, url, file) {
  await open(page, base, url);
  await hideBar(page);
  const canvas = await page.$('#view');
  const box = await canvas.boundingBox();
  const name = path.basename(file).replace(/\.\w+$/, '');
  const web = path.join(outDir, `${name}-web.png`), native = path.join(outDir, `${name}-view.png`);
  await canvas.screenshot({ path: web });
  execFileSync(viewer, [file, '--png', native, '--size', `${Math.round(box.width)}x${Math.round(box.height)}`],
    { stdio: 'ignore' });  // its warnings about texture maps not beside the model
  const score = overlap(mask(PNG.sync.read(fs.readFileSync(web))), mask(PNG.sync.read(fs.readFileSync(native))));
  console.log(`silhouette ${name}: ${(100 * score).toFixed(1)}% overlap`);
  check(score >= 0.9, `${name}: silhouettes overlap ${(100 * score).toFixed(1)}% (< 90%)`);
}

// The picture at the first frame and at `frame`, which must differ.
async function playback(page, base, url, frame) {
  await open(page, base, url);
  await hideBar(page);
  const name = path.basename(url).replace(/\.\w+$/, '');
  const first = await page.locator('#view').screenshot();
  await page.$eval('#frame', (slider, f) => { slider.value = f; slider.dispatchEvent(new Event('input')); }, String(frame));
  await page.waitForFunction(f => document.getElementById('frame-label').textContent.startsWith(`frame ${f} `), frame);
  const later = await page.locator('#view').screenshot();
  fs.writeFileSync(path.join(outDir, `${name}-first-frame.png`), first);
  fs.writeFileSync(path.join(outDir, `${name}-frame-${frame}.png`), later);
  const a = mask(PNG.sync.read(first)), b = mask(PNG.sync.read(later));
  check(overlap(a, b) < 0.9, `${name} shows the same picture at its first frame and at frame ${frame}`);
}

// The first of `names` found in a data folder, with the files named after it, copied together
// into a folder of their own; null when it is in none.
function gathered(names) {
  for (const [model, ...maps] of names) {
    const found = realFiles().find(f => path.basename(f.path) === model);
    const beside = maps.map(m => realFiles(/./).find(f => path.basename(f.path) === m));
    if (!found || beside.includes(undefined)) continue;
    const dir = fs.mkdtempSync(path.join(outDir, 'glb-'));
    return [found, ...beside].map(f => { const to = path.join(dir, path.basename(f.path)); fs.copyFileSync(f.path, to); return to; });
  }
  return null;
}

// A model and its texture maps given through the file picker: "Download .glb" hands back the
// bytes vtrl3ds-convert writes for the same files side by side.
async function download(page, base, names) {
  const files = gathered(names);
  if (!files) return check(false, `none of ${names.map(n => n[0]).join(', ')} found`);
  const converted = files[0].replace(/\.\w+$/, '-convert.glb'), downloaded = files[0].replace(/\.\w+$/, '-page.glb');
  execFileSync(converter, [files[0], '-o', converted], { stdio: 'ignore' });
  await page.goto(`${base}/index.html`);
  await page.setInputFiles('#picker', files);
  await page.waitForSelector('body[data-state="ready"], body[data-state="error"]', { timeout: 60000 });
  const [file] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  await file.saveAs(downloaded);
  const same = spawnSync('cmp', [converted, downloaded], { stdio: 'inherit' }).status === 0;
  console.log(`download ${path.basename(files[0])}: ${fs.statSync(downloaded).size} bytes, ${same ? 'the converter\'s' : 'differs'}`);
  check(same && file.suggestedFilename() === path.basename(files[0]).replace(/\.\w+$/, '.glb'),
    `${path.basename(files[0])}: the page's .glb (${file.suggestedFilename()}) is not the converter's`);
}

// The viewer's module under node, and a file put among its files.
const viewerModule = () => createRequire(import.meta.url)(path.resolve(webDir, 'vtrl3ds_web.js'))(
  { wasmBinary: fs.readFileSync(path.join(webDir, 'vtrl3ds_web.wasm')) });
function put(M, name, bytes) {
  const at = M.ccall('vw_put', 'number', ['string', 'number'], [name, bytes.length]);
  M.HEAPU8.set(bytes, at);  // the heap as vw_put left it
}

// The module's own files as the loaders and the texture lookup meet them: each row puts its
// files (the others dropped), opens a path and expects the loader's answer and the map it finds.
async function moduleFiles() {
  const M = await viewerModule();
  const model = fs.readFileSync(path.join(dataDirs[0], '3ds/cube_lib3ds.3ds')), map = Uint8Array.of(1, 2, 3);
  const rows = [
    [{ '/m/cube.3ds': model }, '/m/absent.3ds', /^TFileStream: '\/m\/absent\.3ds': cannot open: No such file/],
    [{ '/m/d.3ds/x': map }, '/m/d.3ds', /not a regular file: Is a directory$/],
    [{ '/m/cube.3ds': map }, '/m/cube.3ds/x.3ds', /cannot open/],
    [{ '/m/cube.3ds': model, '/m/CUBE.TGA': map }, '/m/.//cube.3ds', /^$/, 'CUBE.TGA'],
    [{}, '/m/cube.3ds', /cannot open/],
  ];
  check(M.ccall('vw_put', 'number', ['string', 'number'], ['/m/big.3ds', 0xC0000000]) === 0,
    'module files: a file beyond the memory is refused');  // and the rows below still run
  for (const [files, opened, answer, found] of rows) {
    M._vw_forget();
    for (const [name, bytes] of Object.entries(files)) put(M, name, bytes);
    const said = M.ccall('vw_open', 'string', ['string'], [opened]);
    const texture = said ? undefined : JSON.parse(M.ccall('vw_describe', 'string', [], [])).textures[0];
    const where = texture ? M.ccall('vw_file', 'number', ['string'], [texture]) / 4 : 0;
    const bytes = where ? M.HEAPU8.slice(M.HEAPU32[where], M.HEAPU32[where] + M.HEAPU32[where + 1]) : null;
    check(answer.test(said) && (found ? texture.endsWith(`/${found}`) && Buffer.compare(bytes, map) === 0 : !texture),
      `module files: ${opened} gives "${said}", map ${texture}`);
  }
}

// Every normal of the NORMAL attributes in a .glb's buffer.
function glbNormals(bytes) {
  const json = JSON.parse(bytes.subarray(20, 20 + bytes.readUInt32LE(12)).toString());
  const bin = bytes.subarray(28 + bytes.readUInt32LE(12));
  const normals = [];
  for (const p of json.meshes.flatMap(m => m.primitives)) {
    const a = json.accessors[p.attributes.NORMAL], v = json.bufferViews[a.bufferView];
    const at = (v.byteOffset ?? 0) + (a.byteOffset ?? 0), stride = v.byteStride ?? 12;
    for (let i = 0; i < a.count; ++i) normals.push([0, 4, 8].map(o => bin.readFloatLE(at + i * stride + o)));
  }
  return normals;
}

// A 3DS file without its keyframer chunk: its meshes as stored, which the converter writes
// without placing them.
function withoutKeyframer(bytes) {
  const kept = [bytes.subarray(0, 6)];
  for (let at = 6; at + 6 <= bytes.length && bytes.readUInt32LE(at + 2) >= 6; at += bytes.readUInt32LE(at + 2))
    if (bytes.readUInt16LE(at) !== 0xB000) kept.push(bytes.subarray(at, at + bytes.readUInt32LE(at + 2)));
  const out = Buffer.concat(kept);
  out.writeUInt32LE(out.length, 2);
  return out;
}

// The viewer module's corner normals for a 3DS model against the converter's (its smoothing
// groups): turned into glTF's frame (Z negated) and to unit length, each is one of the .glb's,
// where faceted normals would not be.
async function smoothNormals(file) {
  const still = path.join(outDir, path.basename(file).replace(/\.\w+$/, '-still.3ds')), glb = still.replace(/3ds$/, 'glb');
  fs.writeFileSync(still, withoutKeyframer(fs.readFileSync(file)));
  execFileSync(converter, [still, '-o', glb], { stdio: 'ignore' });
  const cell = n => n.map(x => Math.round(x * 100)).join();
  const written = new Map();
  for (const n of glbNormals(fs.readFileSync(glb))) written.set(cell(n), [...(written.get(cell(n)) ?? []), n]);
  const M = await viewerModule();
  put(M, '/still.3ds', fs.readFileSync(still));
  check(M.ccall('vw_open', 'string', ['string'], ['/still.3ds']) === '', `${still} opens in the module`);
  const corners = M._vw_frame(0), at = M._vw_normals() / 4;
  let unmatched = 0;
  for (let k = 0; k < corners; ++k) {
    const [x, y, z] = M.HEAPF32.subarray(at + 3 * k, at + 3 * k + 3), length = Math.hypot(x, y, z);
    const n = [x / length, y / length, -z / length];
    const near = [-1, 0, 1].flatMap(i => [-1, 0, 1].flatMap(j => [-1, 0, 1].map(l => [n[0] + i / 100, n[1] + j / 100, n[2] + l / 100])));
    unmatched += length > 0 && !near.some(c => (written.get(cell(c)) ?? []).some(w => Math.hypot(w[0] - n[0], w[1] - n[1], w[2] - n[2]) < 1e-4));
  }
  console.log(`normals ${path.basename(file)}: ${corners - unmatched} of ${corners} corners as the converter's`);
  check(corners > 0 && unmatched === 0, `${path.basename(file)}: ${unmatched} corner normals are not the converter's`);
}

fs.mkdirSync(outDir, { recursive: true });
const server = await serve();
const base = `http://127.0.0.1:${server.address().port}`;
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-quic',
         '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage({ viewport: { width: 1120, height: 640 } });
  page.on('pageerror', e => check(false, `page error: ${e.message}`));
  const files = realFiles();
  check(files.length >= 13, `only ${files.length} real files found`);
  await counts(page, base, files);
  await malformed(page, base);
  await silhouette(page, base, 'data/0/3ds/allemagne.3ds', path.join(dataDirs[0], '3ds/allemagne.3ds'));
  await smoothNormals(path.join(dataDirs[0], '3ds/indochine.3ds'));
  await moduleFiles();
  await silhouette(page, base, 'data/0/ms3d_ascii/orbital_note.txt', path.join(dataDirs[0], 'ms3d_ascii/orbital_note.txt'));
  await playback(page, base, 'data/0/bvh/cmu_12_01_walk.bvh', 200);
  await playback(page, base, 'data/0/3ds/CameraRollAnimWithChildObject.3ds', 50);
  await download(page, base, [['mp5_sil.3ds', 'mp5sil.bmp'], ['allemagne.3ds']]);
  await download(page, base, [['seagull.txt', 'gull.bmp'], ['orbital_note.txt']]);
} finally {
  await browser.close();
  server.close();
}
console.log(failures ? `${failures} failure(s)` : 'web page: all checks passed');
process.exit(failures ? 1 : 0);
