// The Python convert(src, dst): a model or motion written as glTF (.glb, .gltf) through the
// library's glTF writer, or a motion (a BVH file, a MilkShape skeleton) as BVH. The library's
// warnings become Python warnings; its errors raise as the module translates them (a file that
// cannot be written: the OSError of the system's error number).
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <string>

#include "bindings.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/motion.h"

namespace vtrl3ds_python {

namespace {

void convert(const std::filesystem::path& source, const std::filesystem::path& target) {
    if (IsMotionFile(target.string())) {
        SaveMotion(LoadMotionOrSkeleton(source.string()), target.string());
        return;
    }
    TGLAll3dsMesh model;
    LoadModelOrMotion(model, source.string());
    TGltfOptions options;
    const py::object warn = py::module_::import("warnings").attr("warn");
    options.Warn = [&warn](const std::string& line) { warn(line); };
    WriteGltf(model, target.string(), options);
}

}  // namespace

void bindConvert(py::module_& m) {
    m.def("convert", &convert, py::arg("src"), py::arg("dst"),
          R"(Writes the model or motion in src to dst, in the format dst's extension names (any case).

.glb: one binary glTF 2.0 file; .gltf: glTF with its .bin and images beside it (any other
extension: .glb); .bvh: the motion of src, a BVH file as read or a MilkShape model's skeleton
sampled once a frame. PNG and JPEG texture maps go in as stored; a map that cannot be used gives
a warning (UserWarning) and a material without it. Files are written under a temporary name and
renamed when complete. Raises OSError when src cannot be read or dst cannot be written, ValueError
when the library refuses src (for a .bvh dst, a model without a skeleton too).)");
}

}  // namespace vtrl3ds_python
