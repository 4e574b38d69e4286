// Serves the drawing page, three.js, one converted model and the viewer's picture of it from
// 127.0.0.1, opens the page in headless Chromium (software WebGL) and waits for its result: the
// three.js picture is written to OUT.png and the silhouette overlap printed.
// Usage: node serve_draw.mjs MODEL.glb VIEWER.png OUT.png WIDTH HEIGHT YAW PITCH
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { spawn } from 'node:child_process';

const [glb, viewerPng, out, w, h, yaw, pitch] = process.argv.slice(2);
const here = path.dirname(new URL(import.meta.url).pathname);
const modules = process.env.VTRL_NODE_MODULES;
const types = { '.html': 'text/html', '.mjs': 'text/javascript', '.js': 'text/javascript', '.png': 'image/png', '.glb': 'model/gltf-binary' };
const files = { '/draw.html': path.join(here, 'draw.html'), '/draw.mjs': path.join(here, 'draw.mjs'), '/model.glb': glb, '/viewer.png': viewerPng };

let browser;
const finish = (code, message) => {
  console.log(message);
  if (browser) browser.kill('SIGKILL');
  process.exit(code);
};
const server = http.createServer((req, res) => {
  const url = new URL(req.url, 'http://127.0.0.1');
  if (req.method === 'POST' && url.pathname === '/result') {
    let body = '';
    req.on('data', (c) => (body += c));
    req.on('end', () => {
      res.end();
      const r = JSON.parse(body);
      if (r.error) finish(1, `the page failed: ${r.error}`);
      fs.writeFileSync(out, Buffer.from(r.png.split(',')[1], 'base64'));
      finish(0, `overlap ${r.overlap.toFixed(4)} (three.js ${r.three} pixels, viewer ${r.viewer} pixels)`);
    });
    return;
  }
  const file = url.pathname.startsWith('/modules/') ? path.join(modules, url.pathname.slice(9)) : files[url.pathname];
  if (!file || !file.startsWith('/') || !fs.existsSync(file)) return res.writeHead(404).end();
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
  fs.createReadStream(file).pipe(res);
});
server.listen(0, '127.0.0.1', () => {
  const { port } = server.address();
  const page = `http://127.0.0.1:${port}/draw.html?glb=/model.glb&png=/viewer.png&w=${w}&h=${h}&yaw=${yaw}&pitch=${pitch}`;
  const profile = fs.mkdtempSync(path.join(path.dirname(out), 'chromium-'));
  browser = spawn('chromium', ['--headless', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--disable-gpu-sandbox', `--user-data-dir=${profile}`, '--no-first-run', '--remote-debugging-port=0', page],
    { stdio: 'ignore' });
  browser.on('exit', (code) => finish(1, `chromium ended (${code}) before the page reported`));
});
setTimeout(() => finish(1, 'no result from the page within 90 s'), 90000);
