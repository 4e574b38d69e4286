"""Shared fixtures of the Python module's tests: the real BVH files (the tree's copies and the
shared collection beside the repository when it is there), assimp's positions, BVH text to files."""
import os
import pathlib
import subprocess

import numpy as np
import pytest

DATA = pathlib.Path(os.environ.get("VTRL_TESTDATA_DIR", pathlib.Path(__file__).parents[1] / "data"))
SHARED = pathlib.Path(os.environ.get("VTRL_REAL_FILES_DIR", DATA.parents[2] / "shared/testdata/real"))


def real_files(kind, pattern):
    """Real files of one kind by name, the shared copy of a name winning over the tree's."""
    found = {p.name: p for p in sorted((DATA / "real" / kind).glob(pattern))}
    found.update({p.name: p for p in sorted((SHARED / kind).glob(pattern))})
    return [found[n] for n in sorted(found)]


def assimp_positions(path):
    """World positions assimp gives each animated node: {name: (keys, 3) array}."""
    out = subprocess.run([os.environ["VTRL_ASSIMP_POSITIONS"], str(path)], check=True, capture_output=True, text=True)
    nodes, name, rows = {}, None, []
    for line in out.stdout.splitlines():
        parts = line.split()
        if len(parts) == 3:
            try:
                rows.append([float(v) for v in parts])
                continue
            except ValueError:
                pass
        if name is not None:
            nodes[name] = np.array(rows)
        name, rows = line, []
    if name is not None:
        nodes[name] = np.array(rows)
    return nodes


def same_motion(a, b):
    """Two motions hold the same joints, channels and numbers (within what text round trips keep)."""
    assert a.joints == b.joints and a.channels == b.channels and a.end_sites == b.end_sites
    np.testing.assert_array_equal(a.parents, b.parents)
    np.testing.assert_allclose(a.offsets, b.offsets, atol=1e-5)
    assert a.frame_time == pytest.approx(b.frame_time, rel=1e-6)
    np.testing.assert_allclose(a.motion, b.motion, rtol=1e-5, atol=1e-5)


def height(positions):
    """The figure's extent at its first frame: the tolerance scale of position checks."""
    return float(np.ptp(positions[0], axis=0).max())


@pytest.fixture
def bvh_file(tmp_path):
    """Writes BVH text to a file of its own and returns the path."""
    def write(text, name="motion.bvh"):
        path = tmp_path / name
        path.write_text(text)
        return path
    return write
