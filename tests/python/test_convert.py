"""The Python module's convert: glTF files a reader can take apart (binary chunks, JSON, the
buffer beside a .gltf), BVH written from a motion or a MilkShape skeleton and read back the same,
and sources or targets the library refuses raising with nothing left behind."""
import json
import shutil
import struct

import pytest

import vtrl3ds
from conftest import DATA, SHARED, same_motion

WALK = DATA / "real/bvh/pybvh_test3_mixed_orders.bvh"
SOLDIER = SHARED / "ms3d_ascii/male1_soldier.txt"


def glb_document(path):
    """The JSON chunk of a .glb file, after checking its header and chunk layout."""
    data = path.read_bytes()
    magic, version, length = struct.unpack_from("<4sII", data)
    assert (magic, version, length) == (b"glTF", 2, len(data))
    size, kind = struct.unpack_from("<I4s", data, 12)
    assert kind == b"JSON" and size % 4 == 0 and 20 + size <= len(data)
    return json.loads(data[20:20 + size])


@pytest.mark.filterwarnings("ignore::UserWarning")  # test1.3ds names maps that are not beside it
@pytest.mark.parametrize("source", [WALK, DATA / "real/ms3d_ascii/orbital_note.txt", DATA / "real/3ds/test1.3ds"],
                         ids=lambda p: p.name)
def test_glb_and_gltf_files_take_apart(source, tmp_path):
    vtrl3ds.convert(source, tmp_path / "out.glb")
    doc = glb_document(tmp_path / "out.glb")
    assert doc["asset"]["version"] == "2.0" and doc["nodes"]
    vtrl3ds.convert(str(source), str(tmp_path / "out.GLTF"))
    text = json.loads((tmp_path / "out.GLTF").read_text())
    buffer = text["buffers"][0]
    assert (tmp_path / buffer["uri"]).stat().st_size == buffer["byteLength"]
    assert len(text["nodes"]) == len(doc["nodes"]) and len(text.get("meshes", [])) == len(doc.get("meshes", []))
    if source == WALK:
        assert set(vtrl3ds.load_motion(WALK).joints) <= {n.get("name") for n in doc["nodes"]}


def test_texture_maps_the_library_cannot_embed_warn(tmp_path):
    with pytest.warns(UserWarning):
        vtrl3ds.convert(DATA / "real/3ds/cube_lib3ds.3ds", tmp_path / "cube.glb")
    assert "images" not in glb_document(tmp_path / "cube.glb")


@pytest.mark.parametrize("source", [WALK, SOLDIER], ids=lambda p: p.name)
def test_bvh_target_reads_back_as_the_same_motion(source, tmp_path):
    if not source.exists():
        pytest.skip("the shared copy is not part of the tree")
    vtrl3ds.convert(source, tmp_path / "out.bvh")
    expected = vtrl3ds.load_motion(source) if source == WALK else vtrl3ds.load_model(source).skeleton
    same_motion(vtrl3ds.load_motion(tmp_path / "out.bvh"), expected)


BROKEN = b"HIERARCHY\nROOT Hips\n{\n OFFSET 0 0\n"


@pytest.mark.parametrize("source, content, target, error, message", [
    ("missing.3ds", None, "out.glb", FileNotFoundError, "cannot open"),
    ("model.obj", b"v 0 0 0\n", "out.glb", ValueError, "unsupported file name extension"),
    ("broken.bvh", BROKEN, "out.glb", ValueError, ""),
    ("broken.bvh", BROKEN, "out.bvh", ValueError, ""),
    ("test1.3ds", "copy", "out.bvh", ValueError, "has no skeleton"),
    ("walk.bvh", "copy", "no/such/out.glb", FileNotFoundError, "cannot write"),
    ("walk.bvh", "copy", "no/such/out.bvh", OSError, "cannot create"),
])
def test_refused_conversions_raise_and_leave_nothing(tmp_path, source, content, target, error, message):
    if content == "copy":
        shutil.copy(WALK if source == "walk.bvh" else DATA / "real/3ds" / source, tmp_path / source)
    elif content is not None:
        (tmp_path / source).write_bytes(content)
    before = sorted(tmp_path.iterdir())
    with pytest.raises(error, match=message):
        vtrl3ds.convert(tmp_path / source, tmp_path / target)
    assert sorted(tmp_path.iterdir()) == before
