// The Python module vtrl3ds: its documentation and the translation of the library's errors into
// Python exceptions (files that cannot be opened or written: OSError with the system's error
// number; everything else the library raises: ValueError), each carrying the library's message.
#include <Python.h>

#include "bindings.h"
#include "vtrl3ds/errors.h"

namespace {

void translate(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const EFileError& e) {
        // OSError(errno, text) picks its subclass from the number (FileNotFoundError, ...).
        pybind11::object oserror = pybind11::reinterpret_borrow<pybind11::object>(PyExc_OSError);
        PyErr_SetObject(PyExc_OSError, oserror(e.FErrorCode, e.what()).ptr());
    } catch (const EModelError& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    }
}

}  // namespace

PYBIND11_MODULE(vtrl3ds, m) {
    m.doc() = R"(Motion and model files of the VTRL_3DS model library, with numpy arrays.

Motions (BVH):
    load_motion(path) -> Motion      read a BVH file
    Motion.from_arrays(...)          build a motion from your own arrays
    save_bvh(motion, path)           write any motion as BVH
    Motion.motion                    the frames x channels numbers, shared with the library
    Motion.world_positions()         frames x joints x 3 world positions
    Motion.with_rotation_order(o)    the same poses with rotation channels in order o
    Motion.resample(fps)             the same motion at another frame rate
    Motion.frames(first, last)       a range of frames

Models (3DS, MilkShape 3D ASCII, the library's binary format, BVH):
    load_model(path) -> Model        meshes as numpy arrays, materials, skeleton, pose(frame)

Converting:
    convert(src, dst)                any model or motion to glTF (.glb, .gltf), a motion to .bvh

Errors: a file that cannot be opened or written raises OSError; a file or an argument the
library refuses raises ValueError. The message is the library's own.

Example:
    import vtrl3ds
    walk = vtrl3ds.load_motion("walk.bvh")
    xyz = walk.world_positions()            # (frames, joints, 3)
    print(walk.joints[0], xyz[0, 0])
    vtrl3ds.save_bvh(walk.resample(30), "walk30.bvh")
)";
    pybind11::register_exception_translator(translate);
    vtrl3ds_python::bindMotion(m);
    vtrl3ds_python::bindModel(m);
    vtrl3ds_python::bindConvert(m);
}
