// An independent reader of the converted files: three.js's GLTFLoader (in node) reads each .glb
// and what it finds is compared with what the model library says (gltf_reference): triangle
// counts; for a motion the joints' world positions at three times; for a skinned model the skinned
// vertices at two frames, each within 1e-4 of the figure's height; for a 3DS keyframer every
// placed mesh's world vertices at three frames, within 1e-4 of the scene's size.
// Usage: node three_check.mjs REFERENCE_PROGRAM INPUT OUTPUT.glb [INPUT OUTPUT.glb]...
import fs from 'node:fs';
import { execFileSync } from 'node:child_process';

const modules = process.env.VTRL_NODE_MODULES;
const THREE = await import(`${modules}/three/build/three.module.js`);
const { GLTFLoader } = await import(`${modules}/three/examples/jsm/loaders/GLTFLoader.js`);

const reference = (program, input, frames) =>
  JSON.parse(execFileSync(program, [input, ...frames.map(String)], { encoding: 'utf8', maxBuffer: 1 << 28 }));

function parse(file) {
  const bytes = fs.readFileSync(file);
  const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
  return new Promise((resolve, reject) => new GLTFLoader().parse(buffer, '', resolve, reject));
}

function triangles(scene) {
  let n = 0;
  scene?.traverse((o) => { if (o.isMesh) n += (o.geometry.index ? o.geometry.index.count : o.geometry.attributes.position.count) / 3; });
  return n;
}

// The objects made for glTF nodes, by node index.
function nodesByIndex(gltf) {
  const nodes = [];
  gltf.scene.traverse((o) => {
    const a = gltf.parser.associations.get(o);
    if (a && a.nodes !== undefined && !o.isSkinnedMesh) nodes[a.nodes] = nodes[a.nodes] ?? o;
  });
  return nodes;
}

function height(points) {
  let lo = Infinity, hi = -Infinity;
  for (const p of points) { lo = Math.min(lo, p[1]); hi = Math.max(hi, p[1]); }
  return Math.max(hi - lo, 1e-6);
}

// Largest distance from a point of `a` to the nearest point of `b`, on a grid of cell `cell`.
function farthestNearest(a, b, cell) {
  const grid = new Map(), key = (x, y, z) => `${x},${y},${z}`;
  for (const p of b) {
    const k = key(...p.map((c) => Math.floor(c / cell)));
    if (!grid.has(k)) grid.set(k, []);
    grid.get(k).push(p);
  }
  let worst = 0;
  for (const p of a) {
    const c = p.map((v) => Math.floor(v / cell));
    let best = Infinity;
    for (let dx = -1; dx <= 1; dx++) for (let dy = -1; dy <= 1; dy++) for (let dz = -1; dz <= 1; dz++)
      for (const q of grid.get(key(c[0] + dx, c[1] + dy, c[2] + dz)) ?? [])
        best = Math.min(best, Math.hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]));
    worst = Math.max(worst, best);
  }
  return worst;
}

function poseAt(gltf, time) {
  const mixer = new THREE.AnimationMixer(gltf.scene);
  // Played once and held at its end: a looping action would wrap its last frame back to the first.
  for (const clip of gltf.animations) {
    const action = mixer.clipAction(clip).setLoop(THREE.LoopOnce);
    action.clampWhenFinished = true;
    action.play();
  }
  mixer.setTime(time);
  gltf.scene.updateMatrixWorld(true);
}

function checkMotion(gltf, ref, fail) {
  const nodes = nodesByIndex(gltf);
  const h = height(ref.poses.flatMap((p) => p.bones));
  for (const pose of ref.poses) {
    poseAt(gltf, pose.time);
    pose.bones.forEach((b, i) => {
      const w = nodes[i + 1].getWorldPosition(new THREE.Vector3());
      const d = Math.hypot(w.x - b[0], w.y - b[1], w.z - b[2]);
      if (d > 1e-4 * h) fail(`joint ${i} at frame ${pose.frame} is ${d} away from the library's (height ${h})`);
    });
  }
}

// The vertices `collect` gathers from three.js at each pose's time against the library's
// (pose[key]), within 1e-4 of `size`, as point sets (three.js's vertices are split by normals).
function checkVertices(gltf, ref, key, size, collect, fail) {
  for (const pose of ref.poses) {
    poseAt(gltf, pose.time);
    const ours = [], v = new THREE.Vector3();
    collect((o, i, bone) => {
      v.fromBufferAttribute(o.geometry.attributes.position, i);
      if (bone) o.applyBoneTransform(i, v);
      v.applyMatrix4(o.matrixWorld);
      ours.push([v.x, v.y, v.z]);
    });
    const cell = 1e-3 * size + 1e-9;
    const d = Math.max(farthestNearest(ours, pose[key], cell), farthestNearest(pose[key], ours, cell));
    if (!(d <= 1e-4 * size)) fail(`${key} vertices at frame ${pose.frame} are up to ${d} away from the library's (size ${size})`);
  }
}

// Every vertex of a mesh object under `root` (skinned ones bent by their bones).
const meshVertices = (root, skinned) => (add) => root.traverse((o) => {
  if (!o.isMesh || (skinned && !o.isSkinnedMesh)) return;
  if (skinned) o.skeleton.update();
  for (let i = 0; i < o.geometry.attributes.position.count; i++) add(o, i, skinned);
});

function checkSkin(gltf, ref, fail) {
  const h = Math.max(ref.box[1][1] - ref.box[0][1], 1e-6);
  checkVertices(gltf, ref, 'skinned', h, meshVertices(gltf.scene, true), fail);
}

// Every mesh under the keyframer's root (node 0); the size is the diagonal of the first pose's box.
function checkKeyframer(gltf, ref, fail) {
  const box = new THREE.Box3().setFromPoints(ref.poses[0].placed.map((p) => new THREE.Vector3(...p)));
  const size = Math.max(box.getSize(new THREE.Vector3()).length(), 1e-6);
  checkVertices(gltf, ref, 'placed', size, meshVertices(nodesByIndex(gltf)[0], false), fail);
}

const [program, ...pairs] = process.argv.slice(2);
let failures = 0;
for (let i = 0; i + 1 < pairs.length; i += 2) {
  const [input, output] = [pairs[i], pairs[i + 1]];
  const fail = (m) => { console.log(`FAIL ${input}: ${m}`); failures++; };
  const gltf = await parse(output);
  const info = reference(program, input, []);
  const motion = input.toLowerCase().endsWith('.bvh');
  const last = Math.max(info.frames ?? 1, 1);
  // A keyframer at its first frame and at a third and two thirds of the stretch its keys move in.
  const [s0, [a, b]] = [info.segment?.[0], info.moving ?? [0, 0]];
  const frames = info.segment ? [s0, a + Math.floor((b - a) / 3), a + Math.floor((2 * (b - a)) / 3)]
    : motion ? [1, Math.ceil(last / 2), last] : [1, Math.min(last, Math.floor(last / 2) + 1.5)];
  const ref = info.frames || info.segment ? reference(program, input, frames) : info;
  const n = triangles(gltf.scene);
  if (n !== ref.triangles) fail(`${n} triangles, the library counts ${ref.triangles}`);
  if (motion) checkMotion(gltf, ref, fail);
  else if (info.segment) checkKeyframer(gltf, ref, fail);
  else if (gltf.animations.length && ref.poses.length && ref.poses[0].skinned.length) checkSkin(gltf, ref, fail);
  console.log(`${input}: ${n} triangles${ref.poses.length ? `, ${ref.poses.length} poses` : ''} checked`);
}
process.exit(failures ? 1 : 0);
