// Runs the Khronos glTF-Validator on each file given; prints every error and warning and fails
// when any file has one. Usage: node validate.mjs FILE.glb|FILE.gltf...
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(process.env.VTRL_NODE_MODULES + '/');
const validator = require('gltf-validator');

let bad = 0;
for (const file of process.argv.slice(2)) {
  const dir = path.dirname(file);
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: file,
    maxIssues: 50,
    externalResourceFunction: (uri) =>
      Promise.resolve(new Uint8Array(fs.readFileSync(path.join(dir, decodeURIComponent(uri))))),
  });
  const { numErrors, numWarnings, messages } = report.issues;
  for (const m of messages)
    if (m.severity <= 1) console.log(`${file}: ${m.severity ? 'warning' : 'error'} ${m.code} ${m.pointer ?? ''}: ${m.message}`);
  console.log(`${path.basename(file)}: ${numErrors} errors, ${numWarnings} warnings, ${report.issues.numInfos} infos`);
  if (numErrors || numWarnings) bad++;
}
process.exit(bad ? 1 : 0);
