"""Motion and model files of the VTRL_3DS model library, with numpy arrays."""
from os import PathLike
from typing import Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, PathLike[str]]

class Motion:
    """A motion: a joint hierarchy and its frames, as a BVH file holds them."""
    @staticmethod
    def from_arrays(
        joints: Sequence[str],
        parents: npt.ArrayLike,
        offsets: npt.ArrayLike,
        channels: Sequence[Sequence[str]],
        frame_time: float,
        motion: npt.ArrayLike,
        end_sites: Optional[Sequence[Optional[Sequence[float]]]] = None,
    ) -> Motion:
        """Builds a motion from your own arrays (copied); ValueError when the parts disagree."""
    @property
    def joints(self) -> list[str]:
        """Joint names, parents first."""
    @property
    def parents(self) -> npt.NDArray[np.int32]:
        """Index of each joint's parent, -1 for a root."""
    @property
    def offsets(self) -> npt.NDArray[np.float32]:
        """(J, 3) rest offsets from the parents, shared with the motion."""
    @property
    def channels(self) -> list[list[str]]:
        """Each joint's channel names, in the order of its columns."""
    @property
    def end_sites(self) -> list[Optional[tuple[float, float, float]]]:
        """For each joint, its End Site offset or None."""
    @property
    def frame_time(self) -> float:
        """Seconds between frames."""
    @property
    def frame_count(self) -> int:
        """Number of frames."""
    @property
    def motion(self) -> npt.NDArray[np.float32]:
        """(F, C) motion numbers, shared with the library (not a copy)."""
    def world_positions(self) -> npt.NDArray[np.float32]:
        """(F, J, 3) world position of every joint at every frame."""
    def with_rotation_order(self, order: str, joint: Union[None, int, str] = None) -> Motion:
        """The same poses with rotation channels in order ("XYZ" ... "ZYX"), for every joint or one."""
    def resample(self, fps: float) -> Motion:
        """The motion at fps frames a second (rotations by slerp)."""
    def frames(self, first: int, last: int) -> Motion:
        """Frames first .. last - 1 (0-based, last excluded)."""

class Material:
    """A material: colours, opacity and texture map file name."""
    name: str
    texture: str
    ambient: tuple[float, float, float]
    diffuse: tuple[float, float, float]
    specular: tuple[float, float, float]
    opacity: float
    two_sided: bool

class Mesh:
    """A triangle mesh as numpy arrays."""
    name: str
    positions: npt.NDArray[np.float32]
    normals: npt.NDArray[np.float32]
    uvs: npt.NDArray[np.float32]
    triangles: npt.NDArray[np.uint32]
    face_materials: npt.NDArray[np.uint16]
    material: Optional[str]

class Model:
    """A model the library read: meshes, materials and skeleton."""
    name: str
    meshes: list[Mesh]
    materials: list[Material]
    skeleton: Optional[Motion]
    def pose(self, frame: float) -> list[npt.NDArray[np.float32]]:
        """Skinned vertex positions of every mesh at frame (0-based)."""

def load_motion(path: _Path) -> Motion:
    """Reads a BVH file; OSError when it cannot be read, ValueError when it is not BVH."""

def save_bvh(motion: Motion, path: _Path) -> None:
    """Writes a motion as a BVH file whose numbers read back the same."""

def load_model(path: _Path) -> Model:
    """Reads any model the library reads (.3ds, .txt, .bin, .bvh)."""

def convert(src: _Path, dst: _Path) -> None:
    """Writes src as glTF (.glb, .gltf) or, for a .bvh dst, its motion (BVH or MilkShape skeleton) as BVH."""
