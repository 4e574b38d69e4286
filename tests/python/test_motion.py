"""The Python module's motions: world positions against assimp, BVH write and read, arrays of
one's own, rotation-order rewrites, resampling and cutting, and hostile input raising errors."""
import numpy as np
import pytest

import vtrl3ds
from conftest import DATA, assimp_positions, height, real_files, same_motion

REAL = real_files("bvh", "*.bvh")
ORDERS = ["XYZ", "XZY", "YXZ", "YZX", "ZXY", "ZYX"]

# Channel counts of 6, 3, 3 and 2 per joint, four different rotation orders.
MIXED = """HIERARCHY
ROOT Hips
{
  OFFSET 0 0 0
  CHANNELS 6 Xposition Yposition Zposition Yrotation Xrotation Zrotation
  JOINT Chest
  {
    OFFSET 0 10 0
    CHANNELS 3 Xrotation Yrotation Zrotation
    JOINT Head
    {
      OFFSET 0 5 0
      CHANNELS 3 Zrotation Yrotation Xrotation
      End Site
      {
        OFFSET 0 2 0
      }
    }
  }
  JOINT Leg
  {
    OFFSET 3 -1 0
    CHANNELS 2 Zrotation Xrotation
    End Site
    {
      OFFSET 0 -8 0
    }
  }
}
MOTION
Frames: 3
Frame Time: 0.04
1 2 3 0 0 0 0 0 0 0 0 0 0 0
1 2 3 90 0 0 0 0 0 0 0 0 90 0
0.5 2.5 -1 10 20 30 40 50 60 70 80 -20 -35 45
"""


@pytest.mark.parametrize("path", REAL, ids=lambda p: p.name)
def test_world_positions_agree_with_assimp(path):
    motion = vtrl3ds.load_motion(path)
    ours = motion.world_positions()
    assert ours.shape == (motion.frame_count, len(motion.joints), 3)
    theirs = assimp_positions(path)
    tolerance = 1e-4 * height(ours)
    for j, name in enumerate(motion.joints):
        np.testing.assert_allclose(ours[:, j], theirs[name], atol=tolerance, err_msg=name)


def test_long_motions_give_every_frame_as_a_short_one_does():
    # Eight walks in a row are long enough for a second thread; each copy places as the walk alone.
    walk = vtrl3ds.load_motion(DATA / "real/bvh/cmu_12_01_walk.bvh")
    eight = vtrl3ds.Motion.from_arrays(walk.joints, walk.parents, walk.offsets, walk.channels, walk.frame_time,
                                       np.tile(walk.motion, (8, 1)), walk.end_sites)
    alone = walk.world_positions()
    np.testing.assert_array_equal(eight.world_positions().reshape(8, *alone.shape), np.stack([alone] * 8))


def test_channel_counts_differ_and_rotation_orders_mix(bvh_file):
    path = bvh_file(MIXED)
    motion = vtrl3ds.load_motion(path)
    assert [len(c) for c in motion.channels] == [6, 3, 3, 2]
    assert motion.end_sites == [None, None, (0, 2, 0), (0, -8, 0)]
    xyz = motion.world_positions()
    # Frame 1: the hips turned 90 degrees about Y swing the leg's offset (3, -1, 0) to (0, -1, -3).
    np.testing.assert_allclose(xyz[1, 3], [1, 1, 0], atol=1e-5)
    np.testing.assert_allclose(xyz[1, 2], [1, 17, 3], atol=1e-5)
    theirs = assimp_positions(path)
    for j, name in enumerate(motion.joints):
        np.testing.assert_allclose(xyz[:, j], theirs[name], atol=1e-4, err_msg=name)


@pytest.mark.parametrize("path", REAL, ids=lambda p: p.name)
def test_bvh_write_then_read_gives_the_same_motion(path, tmp_path):
    motion = vtrl3ds.load_motion(path)
    vtrl3ds.save_bvh(motion, tmp_path / "again.bvh")
    same_motion(vtrl3ds.load_motion(tmp_path / "again.bvh"), motion)


def test_from_arrays_then_save_then_load_gives_the_same_arrays(tmp_path):
    rng = np.random.default_rng(7)
    channels = [["Xposition", "Yposition", "Zposition", "Zrotation", "Xrotation", "Yrotation"],
                ["Yrotation", "Xrotation", "Zrotation"], ["Xrotation"], ["Zrotation", "Yrotation", "Xrotation"]]
    numbers = rng.uniform(-180, 180, size=(50, 13)) * np.array([1e-3] * 3 + [1] * 10)
    made = vtrl3ds.Motion.from_arrays(["root", "spine", "arm", "tip"], [-1, 0, 1, 0],
                                      rng.normal(size=(4, 3)), channels, 1 / 60, numbers,
                                      end_sites=[None, None, (0.5, 1e-7, -3e8), None])
    vtrl3ds.save_bvh(made, str(tmp_path / "made.bvh"))
    back = vtrl3ds.load_motion(tmp_path / "made.bvh")
    same_motion(back, made)
    np.testing.assert_array_equal(back.motion, numbers.astype(np.float32))


@pytest.mark.parametrize("order", ORDERS)
def test_rotation_order_rewrite_keeps_every_joint_in_place(order, bvh_file):
    for motion in [vtrl3ds.load_motion(p) for p in REAL] + [vtrl3ds.load_motion(bvh_file(MIXED))]:
        before = motion.world_positions()
        every = motion.with_rotation_order(order)
        assert all(c[-3:] == [a + "rotation" for a in order] for c in every.channels[1:] if len(c) >= 3)
        one = motion.with_rotation_order(order, joint=motion.joints[-1])
        for rewritten in (every, one):
            np.testing.assert_allclose(rewritten.world_positions(), before, atol=1e-5 * height(before))


def test_resample_keeps_shared_frames_and_slerps_between(bvh_file):
    motion = vtrl3ds.load_motion(bvh_file(MIXED))
    double = motion.resample(50)
    assert double.frame_count == 5 and double.frame_time == pytest.approx(0.02)
    np.testing.assert_array_equal(double.motion[::2], motion.motion)
    # Halfway through the hips' 90 degree turn about Y: 45 degrees, the leg halfway round its arc.
    assert double.motion[1, 3] == pytest.approx(45, abs=1e-4)
    leg = double.world_positions()[1, 3] - double.world_positions()[1, 0]
    np.testing.assert_allclose(leg, [3 * np.cos(np.pi / 4), -1, -3 * np.sin(np.pi / 4)], atol=1e-5)
    assert motion.resample(10).frame_count == 1


def test_frames_cut_a_range_like_a_slice(bvh_file):
    motion = vtrl3ds.load_motion(bvh_file(MIXED))
    np.testing.assert_array_equal(motion.frames(1, 3).motion, motion.motion[1:3])
    for first, last in [(2, 2), (0, 4), (-1, 2), (3, 1)]:
        with pytest.raises(ValueError, match="frame"):
            motion.frames(first, last)


def test_motion_numbers_are_shared_not_copied(bvh_file):
    motion = vtrl3ds.load_motion(bvh_file(MIXED))
    assert np.shares_memory(motion.motion, motion.motion)
    numbers = motion.motion
    del motion  # the array keeps the motion alive
    numbers[0, 0] = 7
    assert numbers[0, 0] == 7
    motion = vtrl3ds.load_motion(bvh_file(MIXED))
    motion.motion[0, :3] = [5, 6, 7]
    np.testing.assert_allclose(motion.world_positions()[0, 0], [5, 6, 7])


HEADER = "HIERARCHY\nROOT a\n{\nOFFSET 0 0 0\nCHANNELS 3 Xposition Yposition Zposition\n}\n"
HOSTILE = [
    ("empty", "", "no ROOT"),
    ("binary", "\x00\x7f\x01garbage{{", "unexpected"),
    ("no brace", "HIERARCHY\nROOT a\n", "before its opening brace"),
    ("joint outside", "HIERARCHY\nJOINT a\n{\n}\n", "outside any ROOT"),
    ("short offset", "HIERARCHY\nROOT a\n{\nOFFSET 1 2\n}\n", "needs 3 numbers"),
    ("channel count", "HIERARCHY\nROOT a\n{\nCHANNELS 3 Xrotation\n}\n", "declares 3 channels"),
    ("unclosed", "HIERARCHY\nROOT a\n{\nOFFSET 0 0 0\n", "missing closing brace"),
    ("huge frames", HEADER + "MOTION\nFrames: 2000000000\nFrame Time: 0.1\n1 2 3\n", "cannot fit"),
    ("negative frames", HEADER + "MOTION\nFrames: -1\n", "negative frame count"),
    ("short row", HEADER + "MOTION\nFrames: 1\nFrame Time: 0.1\n1 2\n", "found 2"),
    ("long row", HEADER + "MOTION\nFrames: 1\nFrame Time: 0.1\n1 2 3 4\n", "more than the 3 numbers"),
    ("not a number", HEADER + "MOTION\nFrames: 1\nFrame Time: 0.1\n1 x 3\n", "is not a number"),
    ("nan", HEADER + "MOTION\nFrames: 1\nFrame Time: 0.1\n1 nan 3\n", "is not a number"),
    ("overflow", HEADER + "MOTION\nFrames: 1\nFrame Time: 0.1\n1 1e39 3\n", "is not a number"),
    ("missing frames", HEADER + "MOTION\nFrames: 2\nFrame Time: 0.1\n1 2 3\n", "ends after 1 of 2"),
    ("too deep", "HIERARCHY\nROOT r\n{\n" + "JOINT j\n{\n" * 70000, "more than 65536 joints"),
]


@pytest.mark.parametrize("text, message", [r[1:] for r in HOSTILE], ids=[r[0] for r in HOSTILE])
def test_hostile_bvh_raises_value_error(text, message, bvh_file):
    with pytest.raises(ValueError, match=message):
        vtrl3ds.load_motion(bvh_file(text))


GOOD = dict(joints=["a"], parents=[-1], offsets=[[0, 0, 0]], channels=[["Xrotation"]], frame_time=0.1,
            motion=[[1.0]])
BAD_ARRAYS = [
    ("parent after", dict(joints=["a", "b"], parents=[1, -1], offsets=np.zeros((2, 3)), channels=[[], []],
                          motion=np.zeros((1, 0))), "does not come before"),
    ("newline in name", dict(joints=["a\nMOTION"]), "name BVH cannot hold"),
    ("blank channel", dict(channels=[["X rotation"]]), "channel name BVH cannot hold"),
    ("motion width", dict(motion=np.zeros((2, 2))), r"motion must be \(frames, 1\)"),
    ("offsets shape", dict(offsets=[[0, 0]]), r"offsets must be \(1, 3\)"),
    ("nan", dict(motion=[[np.nan]]), "not finite"),
    ("frame time", dict(frame_time=0.0), "not a positive number"),
    ("no joints", dict(joints=[], parents=[], offsets=np.zeros((0, 3)), channels=[], motion=np.zeros((1, 0))),
     "at least one joint"),
]


@pytest.mark.parametrize("change, message", [r[1:] for r in BAD_ARRAYS], ids=[r[0] for r in BAD_ARRAYS])
def test_arrays_a_bvh_file_cannot_hold_raise_value_error(change, message):
    with pytest.raises(ValueError, match=message):
        vtrl3ds.Motion.from_arrays(**{**GOOD, **change})


def test_bad_paths_and_arguments_raise(tmp_path, bvh_file):
    with pytest.raises(FileNotFoundError, match="cannot open"):
        vtrl3ds.load_motion(tmp_path / "none.bvh")
    with pytest.raises(OSError, match="not a regular file"):
        vtrl3ds.load_motion(tmp_path)
    motion = vtrl3ds.load_motion(bvh_file(MIXED))
    with pytest.raises(OSError, match="cannot create"):
        vtrl3ds.save_bvh(motion, tmp_path / "no" / "such.bvh")
    for call, message in [(lambda: motion.with_rotation_order("XXZ"), "not a rotation order"),
                          (lambda: motion.with_rotation_order("XYZ", joint="Tail"), "no joint named"),
                          (lambda: motion.with_rotation_order("XYZ", joint=9), "joint 9"),
                          (lambda: motion.resample(0), "frames a second"),
                          (lambda: motion.resample(1e-300 ** -1), "frames a second")]:
        with pytest.raises(ValueError, match=message):
            call()
