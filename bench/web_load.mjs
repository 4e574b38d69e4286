// The anchor 3DS model loaded by the WebAssembly module under node against the native loader
// in the same run (bench_load3ds's BM_Vtrl3ds, median of 7), and the size of the viewer's module
// (vtrl3ds_web; the converter's, vtrl3ds_glb, which the page fetches beside it for Download .glb,
// is shown apart). Goals: at most 1.5 times the native load; .wasm plus .js at most 400 KB
// (400,000 bytes).
// Usage: node --no-experimental-fetch bench/web_load.mjs BUILD   (after `make build web`)
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

const build = path.resolve(process.argv[2] ?? 'build');
const model = path.join(os.tmpdir(), `vtrl_web_bench_${process.pid}.3ds`);
const native = path.join(build, 'bench', 'bench_load3ds');
execFileSync(native, [`--write-model=${model}`]);

const nativeRun = JSON.parse(execFileSync(native, ['--benchmark_filter=^BM_Vtrl3ds/', '--benchmark_format=json'],
  { maxBuffer: 1 << 24 }));
const nativeMs = nativeRun.benchmarks.find(b => b.aggregate_name === 'median').real_time;

const M = await createRequire(import.meta.url)(path.join(build, 'web', 'vtrl3ds_web.js'))();
const bytes = fs.readFileSync(model);
const at = M.ccall('vw_put', 'number', ['string', 'number'], ['/anchor.3ds', bytes.length]);
M.HEAPU8.set(bytes, at);  // the heap as vw_put left it
fs.unlinkSync(model);
const times = [];
for (let i = 0; i < 8; ++i) {
  const start = performance.now();
  const error = M.ccall('vw_open', 'string', ['string'], ['/anchor.3ds']);
  times.push(performance.now() - start);
  if (error) throw new Error(error);
}
times.shift();  // the first load also grows the module's memory
times.sort((a, b) => a - b);
const wasmMs = times[Math.floor(times.length / 2)];
const sizeOf = name => ['wasm', 'js'].reduce((n, ext) => n + fs.statSync(path.join(build, 'web', `${name}.${ext}`)).size, 0);
const size = sizeOf('vtrl3ds_web');
console.log(`anchor 3DS load: native ${nativeMs.toFixed(1)} ms, WebAssembly ${wasmMs.toFixed(1)} ms, ` +
            `ratio ${(wasmMs / nativeMs).toFixed(2)} (goal <= 1.5)`);
console.log(`viewer module: ${size} bytes, ${(size / 1000).toFixed(0)} KB of .wasm and .js (KB = 1000 bytes; ` +
            `goal <= 400 KB); converter module: ${(sizeOf('vtrl3ds_glb') / 1000).toFixed(0)} KB`);
