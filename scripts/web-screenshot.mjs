// The README's picture of the web page: a model and its texture map given through the file
// picker, in headless Chromium, written as docs/web-page.png. Needs `make web` first.
// Usage: node scripts/web-screenshot.mjs BUILD MODEL [FILES...]
import http from 'node:http';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const [build, ...files] = process.argv.slice(2);
const web = path.resolve(build, 'web');
const { chromium } = createRequire(path.resolve(build, 'npm', 'package.json'))('playwright-core');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
const server = http.createServer((req, res) => {
  const file = path.join(web, path.normalize(new URL(req.url, 'http://x').pathname));
  if (!file.startsWith(web) || !fs.existsSync(file)) { res.writeHead(404); return res.end(); }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
  res.end(fs.readFileSync(file));
});
await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
});
const page = await browser.newPage({ viewport: { width: 1000, height: 560 } });
await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
await page.setInputFiles('#picker', files);
await page.waitForSelector('body[data-state="ready"], body[data-state="error"]');
await page.screenshot({ path: 'docs/web-page.png' });
await browser.close();
server.close();
