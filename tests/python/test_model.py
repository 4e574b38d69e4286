"""The Python module's models: meshes as arrays with the counts the library reads, materials, a
MilkShape skeleton as a motion written to BVH and back, skinned poses, and refused files."""
import numpy as np
import pytest

import vtrl3ds
from conftest import DATA, SHARED

# File, triangles over all meshes (as the loaders' own tests count them), materials, bones.
MODELS = [(DATA / "real/ms3d_ascii/orbital_note.txt", 128, None, 0),
          (SHARED / "ms3d_ascii/male1_soldier.txt", 620, None, 19),
          (DATA / "real/3ds/test1.3ds", None, None, 0)]


@pytest.mark.parametrize("path, triangles, materials, bones", MODELS, ids=lambda v: getattr(v, "name", None))
def test_meshes_come_as_consistent_arrays(path, triangles, materials, bones):
    if not path.exists():
        pytest.skip("the shared copy is not part of the tree")
    model = vtrl3ds.load_model(path)
    assert model.meshes
    for mesh in model.meshes:
        n = len(mesh.positions)
        assert mesh.positions.dtype == np.float32 and mesh.positions.shape == (n, 3)
        assert mesh.normals.shape in {(n, 3), (0, 3)} and mesh.uvs.shape in {(n, 2), (0, 2)}
        assert mesh.triangles.dtype == np.uint32 and (mesh.triangles < n).all()
        assert mesh.material is None or mesh.material in {m.name for m in model.materials}
    if triangles is not None:
        assert sum(len(m.triangles) for m in model.meshes) == triangles
    assert (len(model.skeleton.joints) if model.skeleton else 0) == bones


def test_milkshape_skeleton_writes_as_bvh_and_poses_its_meshes(tmp_path):
    path = SHARED / "ms3d_ascii/male1_soldier.txt"
    if not path.exists():
        pytest.skip("the shared copy is not part of the tree")
    model = vtrl3ds.load_model(path)
    skeleton = model.skeleton
    assert skeleton.frame_count == 30 and all(len(c) == 6 for c in skeleton.channels)
    vtrl3ds.save_bvh(skeleton, tmp_path / "soldier.bvh")
    back = vtrl3ds.load_motion(tmp_path / "soldier.bvh")
    np.testing.assert_array_equal(back.motion, skeleton.motion)
    np.testing.assert_allclose(back.world_positions(), skeleton.world_positions(), atol=1e-4)
    # Bound vertices are held in their bones' space; a pose puts them back into the model's.
    posed = model.pose(15)
    assert [p.shape for p in posed] == [m.positions.shape for m in model.meshes]
    assert any(not np.allclose(p, m.positions) for p, m in zip(posed, model.meshes))


@pytest.mark.parametrize("name, content, error, message", [
    ("model.obj", b"v 0 0 0\n", ValueError, "unsupported file name extension"),
    ("empty.3ds", b"", ValueError, ""),
    ("missing.3ds", None, FileNotFoundError, "cannot open"),
])
def test_refused_models_raise(tmp_path, name, content, error, message):
    if content is not None:
        (tmp_path / name).write_bytes(content)
    with pytest.raises(error, match=message):
        vtrl3ds.load_model(tmp_path / name)
