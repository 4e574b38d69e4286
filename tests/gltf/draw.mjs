// The page's script: loads the .glb named in the query, frames it as vtrl3ds-view does (the box's
// centre, scaled to a sphere of radius 10, turned by yaw then pitch, at the distance where the box
// fills two thirds of the picture), draws it with three.js, and compares the silhouette (every
// pixel that is not background) with the viewer's picture of the same model.
import * as THREE from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';

const q = new URLSearchParams(location.search);
const W = +q.get('w'), H = +q.get('h'), yaw = +q.get('yaw'), pitch = +q.get('pitch');
const background = [0.17, 0.19, 0.23];
const kRadius = 10, tanHalf = 0.41421356, fill = 2 / 3, aspect = W / H;

const report = (body) => fetch('/result', { method: 'POST', body: JSON.stringify(body) });

// The viewer's turn: about Y by yaw, then about X by pitch (degrees).
function turned(p) {
  const y = (yaw * Math.PI) / 180, x = (pitch * Math.PI) / 180;
  const a = [p[0] * Math.cos(y) + p[2] * Math.sin(y), p[1], -p[0] * Math.sin(y) + p[2] * Math.cos(y)];
  return [a[0], a[1] * Math.cos(x) - a[2] * Math.sin(x), a[1] * Math.sin(x) + a[2] * Math.cos(x)];
}

function frame(box) {
  const centre = box.getCenter(new THREE.Vector3());
  const r = box.getSize(new THREE.Vector3()).length() / 2;
  const s = kRadius / (r > 1e-6 ? r : 1);
  let d = kRadius;
  for (let i = 0; i < 8; i++) {
    const c = [i & 1 ? box.max.x : box.min.x, i & 2 ? box.max.y : box.min.y, i & 4 ? box.max.z : box.min.z];
    const t = turned([(c[0] - centre.x) * s, (c[1] - centre.y) * s, (c[2] - centre.z) * s]);
    d = Math.max(d, t[2] + Math.abs(t[1]) / (fill * tanHalf), t[2] + Math.abs(t[0]) / (fill * tanHalf * aspect));
  }
  return { centre, s, d };
}

// The silhouette of RGBA pixels: not within a few steps of the background colour.
function silhouette(pixels) {
  const bg = background.map((c) => Math.round(c * 255)), mask = new Uint8Array(pixels.length / 4);
  for (let i = 0; i < mask.length; i++)
    mask[i] = Math.abs(pixels[4 * i] - bg[0]) + Math.abs(pixels[4 * i + 1] - bg[1]) + Math.abs(pixels[4 * i + 2] - bg[2]) > 12;
  return mask;
}

async function pixelsOf(source) {
  const canvas = new OffscreenCanvas(W, H), ctx = canvas.getContext('2d');
  ctx.drawImage(source, 0, 0, W, H);
  return ctx.getImageData(0, 0, W, H).data;
}

try {
  const gltf = await new GLTFLoader().loadAsync(q.get('glb'));
  const renderer = new THREE.WebGLRenderer({ antialias: false, preserveDrawingBuffer: true });
  renderer.setSize(W, H);
  renderer.setClearColor(new THREE.Color().setRGB(...background, THREE.SRGBColorSpace));
  document.body.appendChild(renderer.domElement);
  const scene = new THREE.Scene();
  scene.add(new THREE.AmbientLight(0xffffff, 0.7));
  const light = new THREE.DirectionalLight(0xffffff, 2.2);
  light.position.set(-0.45, 0.6, 1);
  scene.add(light);
  const { centre, s, d } = frame(new THREE.Box3().setFromObject(gltf.scene));
  const holder = new THREE.Group();
  holder.matrixAutoUpdate = false;
  holder.matrix = new THREE.Matrix4().makeTranslation(0, 0, -d)
    .multiply(new THREE.Matrix4().makeRotationX((pitch * Math.PI) / 180))
    .multiply(new THREE.Matrix4().makeRotationY((yaw * Math.PI) / 180))
    .multiply(new THREE.Matrix4().makeScale(s, s, s))
    .multiply(new THREE.Matrix4().makeTranslation(-centre.x, -centre.y, -centre.z));
  holder.add(gltf.scene);
  scene.add(holder);
  const camera = new THREE.PerspectiveCamera(45, aspect, Math.max(0.05, d - 1.1 * kRadius), d + 1.1 * kRadius);
  renderer.render(scene, camera);
  const ours = silhouette(await pixelsOf(renderer.domElement));
  const img = new Image();
  img.src = q.get('png');
  await img.decode();
  const theirs = silhouette(await pixelsOf(img));
  let both = 0, either = 0, a = 0, b = 0;
  for (let i = 0; i < ours.length; i++) {
    both += ours[i] & theirs[i];
    either += ours[i] | theirs[i];
    a += ours[i];
    b += theirs[i];
  }
  await report({ overlap: either ? both / either : 0, three: a, viewer: b, png: renderer.domElement.toDataURL('image/png') });
} catch (e) {
  await report({ error: String(e && e.stack ? e.stack : e) });
}
