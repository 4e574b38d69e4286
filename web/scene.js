// The web page's drawing: the module's triangles and bones of one frame as three.js objects,
// the materials and texture maps of the model, a camera framed as vtrl3ds-view frames it (a
// sphere of radius 10, yaw 30 and pitch 20 degrees, 45-degree view) and lights that stay with
// the viewer. Orbit and zoom come from three.js's OrbitControls.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { TGALoader } from 'three/addons/loaders/TGALoader.js';

const RADIUS = 10, FILL = 2 / 3, TAN_HALF_FOV = Math.tan(Math.PI / 8);
const YAW = 30, PITCH = 20;
export const BACKGROUND = new THREE.Color().setRGB(0.17, 0.19, 0.23, THREE.SRGBColorSpace);

export class Scene {
  constructor(canvas) {
    this.canvas = canvas;
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(1);
    this.scene = new THREE.Scene();
    this.scene.background = BACKGROUND;
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.05, 1000);
    this.scene.add(this.camera);
    this.scene.add(new THREE.AmbientLight(0xffffff, 0.45));
    for (const [x, y, z, strength] of [[-0.45, 0.6, 1, 1.6], [0.7, -0.1, 0.6, 0.5]]) {
      const light = new THREE.DirectionalLight(0xffffff, strength);
      light.position.set(x, y, z);
      this.camera.add(light);  // fixed to the viewer: the target stays at the world's origin
    }
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener('change', () => this.draw());
    this.root = new THREE.Group();
    this.root.matrixAutoUpdate = false;
    this.scene.add(this.root);
    new ResizeObserver(() => this.resize()).observe(canvas);
  }

  // Drops the model drawn so far, with its GPU buffers and textures.
  clear() {
    this.root.traverse(o => { o.geometry?.dispose(); });
    for (const m of this.materials ?? []) { m.map?.dispose(); m.dispose(); }
    this.root.clear();
    this.mesh = this.bones = null;
    this.materials = [];
  }

  // A new model: info is the module's description (vw_describe), maps its texture images by
  // material index; the camera is framed afresh.
  show(info, maps) {
    this.clear();
    this.info = info;
    const defaultMaterial = new THREE.MeshPhongMaterial({ color: new THREE.Color(0.7, 0.7, 0.7), side: THREE.DoubleSide });
    this.materials = [defaultMaterial, ...info.description.materials.map((m, i) => material(m, maps[i]))];
    this.mesh = new THREE.Mesh(new THREE.BufferGeometry(), this.materials);
    this.bones = new THREE.LineSegments(new THREE.BufferGeometry(),
      new THREE.LineBasicMaterial({ color: new THREE.Color(1, 0.8, 0.15), depthTest: false }));
    this.bones.renderOrder = 1;
    this.bones.visible = info.motion;
    this.root.add(this.mesh, this.bones);
    this.frameCamera();
  }

  // The module's arrays for the frame just posed (vw_frame) into the geometry.
  update(module, corners) {
    const floats = (ptr, n) => module.HEAPF32.slice(ptr / 4, ptr / 4 + n);
    const g = this.mesh.geometry;
    g.setAttribute('position', new THREE.BufferAttribute(floats(module._vw_positions(), corners * 3), 3));
    g.setAttribute('normal', new THREE.BufferAttribute(floats(module._vw_normals(), corners * 3), 3));
    g.setAttribute('uv', new THREE.BufferAttribute(floats(module._vw_maps(), corners * 2), 2));
    g.clearGroups();
    const runs = module.HEAP32.slice(module._vw_runs() / 4, module._vw_runs() / 4 + module._vw_run_count() * 3);
    for (let r = 0; r < runs.length; r += 3) {
      const slot = runs[r + 2] + 1 < this.materials.length ? runs[r + 2] + 1 : 0;
      if (runs[r + 1] > 0) g.addGroup(runs[r], runs[r + 1], slot);
    }
    g.computeBoundingSphere();
    const lines = floats(module._vw_bones(), module._vw_bone_count() * 6);
    this.bones.geometry.setAttribute('position', new THREE.BufferAttribute(lines, 3));
    this.bones.geometry.computeBoundingSphere();
    this.draw();
  }

  // The box scaled to radius 10 about its centre (a 3DS model mirrored back in Z), turned by
  // yaw and pitch; the camera at the nearest distance that keeps the box within 2/3 of the view.
  frameCamera() {
    const box = this.info.box ?? { min: [0, 0, 0], max: [0, 0, 0] };
    const lo = new THREE.Vector3(...box.min), hi = new THREE.Vector3(...box.max);
    const centre = lo.clone().add(hi).multiplyScalar(0.5);
    const r = hi.distanceTo(lo) / 2, s = RADIUS / (r > 1e-6 ? r : 1);
    const turn = new THREE.Matrix4().makeRotationX(PITCH * Math.PI / 180)
      .multiply(new THREE.Matrix4().makeRotationY(YAW * Math.PI / 180));
    this.root.matrix.copy(turn).multiply(new THREE.Matrix4().makeScale(s, s, this.info.mirrored ? -s : s))
      .multiply(new THREE.Matrix4().makeTranslation(-centre.x, -centre.y, -centre.z));
    this.root.matrixWorldNeedsUpdate = true;
    const aspect = this.aspect();
    let d = RADIUS;
    for (let i = 0; i < 8; ++i) {
      const c = new THREE.Vector3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z).applyMatrix4(this.root.matrix);
      d = Math.max(d, c.z + Math.abs(c.y) / (FILL * TAN_HALF_FOV), c.z + Math.abs(c.x) / (FILL * TAN_HALF_FOV * aspect));
    }
    this.camera.position.set(0, 0, d);
    this.camera.far = d + 20 * RADIUS;
    this.controls.target.set(0, 0, 0);
    this.controls.update();
    this.resize();
  }

  aspect() {
    return this.canvas.clientHeight > 0 ? this.canvas.clientWidth / this.canvas.clientHeight : 1;
  }

  resize() {
    this.renderer.setSize(this.canvas.clientWidth, this.canvas.clientHeight, false);
    this.camera.aspect = this.aspect();
    this.camera.updateProjectionMatrix();
    this.draw();
  }

  draw() {
    this.renderer.render(this.scene, this.camera);
  }
}

// A material of the inspector's description as a lit three.js material; map is a texture or null.
function material(m, map) {
  const colour = rgb => new THREE.Color(rgb[0], rgb[1], rgb[2]);
  return new THREE.MeshPhongMaterial({
    color: map ? new THREE.Color(1, 1, 1) : colour(m.diffuse), specular: colour(m.specular).multiplyScalar(0.3),
    map, transparent: m.transparency < 1, opacity: m.transparency, side: THREE.DoubleSide,
  });
}

// A texture from an image file's bytes: TGA through three.js's reader, anything else the
// browser decodes (BMP, PNG, JPEG). Null when it cannot be read.
export async function textureFromBytes(name, bytes) {
  try {
    if (/\.tga$/i.test(name)) {
      const texture = new TGALoader().parse(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength));
      if (texture && !texture.isTexture) return dataTexture(texture);
      return texture;
    }
    const url = URL.createObjectURL(new Blob([bytes]));
    const image = new Image();
    image.src = url;
    await image.decode();
    URL.revokeObjectURL(url);
    const texture = new THREE.Texture(image);
    finishTexture(texture);
    return texture;
  } catch {
    return null;
  }
}

function dataTexture(texData) {
  const texture = new THREE.DataTexture(texData.data, texData.width, texData.height);
  texture.flipY = texData.flipY ?? false;
  finishTexture(texture);
  return texture;
}

function finishTexture(texture) {
  texture.colorSpace = THREE.SRGBColorSpace;
  texture.wrapS = texture.wrapT = THREE.RepeatWrapping;
  texture.needsUpdate = true;
}
