// The anchor 3DS model loaded by the WebAssembly module under node against the native loader
// in the same run (bench_load3ds's BM_Vtrl3ds, median of 7), and the size of the page's module.
// Goals: at most 1.5 times the native load; .wasm plus .js at most 400 KB.
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
M.FS.writeFile('/anchor.3ds', fs.readFileSync(model));
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
const size = ['vtrl3ds_web.wasm', 'vtrl3ds_web.js'].reduce((n, f) => n + fs.statSync(path.join(build, 'web', f)).size, 0);
console.log(`anchor 3DS load: native ${nativeMs.toFixed(1)} ms, WebAssembly ${wasmMs.toFixed(1)} ms, ` +
            `ratio ${(wasmMs / nativeMs).toFixed(2)} (goal <= 1.5)`);
console.log(`module: ${(size / 1024).toFixed(0)} KB of .wasm and .js (goal <= 400 KB)`);
