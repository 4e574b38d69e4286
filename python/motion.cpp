// The Python Motion class over the library's motion table, and load_motion / save_bvh. The
// motion numbers and offsets are numpy views of the table's own memory; arrays given to
// from_arrays are checked for shape here and for consistency by the library (ValueError).
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "bindings.h"
#include "vtrl3ds/motion.h"

namespace vtrl3ds_python {

namespace {

using Motion = std::shared_ptr<TMotion>;
using Floats = py::array_t<float, py::array::c_style | py::array::forcecast>;
using Ints = py::array_t<int32_t, py::array::c_style | py::array::forcecast>;

Motion held(TMotion&& m) {
    return std::make_shared<TMotion>(std::move(m));
}

[[noreturn]] void shapeError(const std::string& what) {
    throw py::value_error("Motion.from_arrays: " + what);
}

std::vector<T3dpoint> points(const Floats& a, size_t n, const char* name) {
    if (a.ndim() != 2 || static_cast<size_t>(a.shape(0)) != n || a.shape(1) != 3)
        shapeError(std::string(name) + " must be (" + std::to_string(n) + ", 3)");
    std::vector<T3dpoint> out(n);
    for (size_t j = 0; j < n; ++j) out[j] = {a.at(j, 0), a.at(j, 1), a.at(j, 2)};
    return out;
}

void endSites(TMotion& m, const std::optional<std::vector<std::optional<std::vector<float>>>>& sites) {
    const size_t n = m.FJoints.size();
    m.FHasEndSite.assign(n, false);
    m.FEndSites.assign(n, T3dpoint{0, 0, 0});
    if (!sites) return;
    if (sites->size() != n) shapeError("end_sites must have one entry (None or x, y, z) per joint");
    for (size_t j = 0; j < n; ++j) {
        if (!(*sites)[j]) continue;
        const std::vector<float>& p = *(*sites)[j];
        if (p.size() != 3) shapeError("an End Site offset must be three numbers");
        m.FHasEndSite[j] = true;
        m.FEndSites[j] = {p[0], p[1], p[2]};
    }
}

Motion fromArrays(std::vector<std::string> joints, const Ints& parents, const Floats& offsets,
                  std::vector<std::vector<std::string>> channels, double frameTime, const Floats& motion,
                  const std::optional<std::vector<std::optional<std::vector<float>>>>& sites) {
    TMotion m;
    const size_t n = joints.size();
    m.FJoints = std::move(joints);
    if (parents.ndim() != 1 || static_cast<size_t>(parents.shape(0)) != n)
        shapeError("parents must hold one index per joint (" + std::to_string(n) + ")");
    m.FParents.assign(parents.data(), parents.data() + n);
    m.FOffsets = points(offsets, n, "offsets");
    m.FChannels = std::move(channels);
    m.FFrameTime = frameTime;
    if (motion.ndim() != 2 || static_cast<size_t>(motion.shape(1)) != m.ChannelCount())
        shapeError("motion must be (frames, " + std::to_string(m.ChannelCount()) +
                   "), one column per channel");
    m.FNumFrames = static_cast<size_t>(motion.shape(0));
    m.FValues.assign(motion.data(), motion.data() + motion.size());
    endSites(m, sites);
    m.Check("Motion.from_arrays");
    return held(std::move(m));
}

// A joint given by index or name; -1 (every joint) for None.
int32_t jointIndex(const TMotion& m, const py::object& joint) {
    if (joint.is_none()) return -1;
    if (py::isinstance<py::str>(joint)) {
        const std::string name = joint.cast<std::string>();
        for (size_t j = 0; j < m.FJoints.size(); ++j)
            if (m.FJoints[j] == name) return static_cast<int32_t>(j);
        throw py::value_error("with_rotation_order: no joint named '" + name + "'");
    }
    const int64_t j = joint.cast<int64_t>();
    if (j < 0 || static_cast<size_t>(j) >= m.FJoints.size())
        throw py::value_error("with_rotation_order: joint " + std::to_string(j) + " of a motion of " +
                              std::to_string(m.FJoints.size()) + " joints");
    return static_cast<int32_t>(j);
}

std::string describe(const TMotion& m) {
    return "<vtrl3ds.Motion: " + std::to_string(m.FJoints.size()) + " joints, " +
           std::to_string(m.ChannelCount()) + " channels, " + std::to_string(m.FNumFrames) + " frames at " +
           std::to_string(1 / m.FFrameTime) + " fps>";
}

py::object endSiteList(const TMotion& m) {
    py::list out;
    for (size_t j = 0; j < m.FJoints.size(); ++j) {
        const T3dpoint& p = m.FEndSites[j];
        out.append(m.FHasEndSite[j] ? py::object(py::make_tuple(p.X, p.Y, p.Z)) : py::object(py::none()));
    }
    return out;
}

void bindMotionClass(py::module_& module) {
    py::class_<TMotion, Motion> c(module, "Motion",
                                  R"(A motion: a joint hierarchy and its frames, as a BVH file holds them.

Joints come parents first; each joint has its own list of channels (Xposition, Yposition,
Zposition, Xrotation, Yrotation, Zrotation in any order and number), and every frame is one row of
`motion` with one column per channel, joint after joint. Angles are in degrees, the first rotation
channel of a joint outermost.)");
    c.def_static("from_arrays", &fromArrays, py::arg("joints"), py::arg("parents"), py::arg("offsets"),
                 py::arg("channels"), py::arg("frame_time"), py::arg("motion"),
                 py::arg("end_sites") = py::none(),
                 R"(Builds a motion from your own arrays.

joints: list of J names; parents: J ints, -1 for a root, each parent before its child;
offsets: (J, 3) rest offsets from the parent; channels: for each joint a list of channel names;
frame_time: seconds between frames; motion: (F, C) numbers, C the number of channels over all
joints; end_sites: optional list of J entries, None or the (x, y, z) offset of the joint's End Site.
The numbers are copied. Raises ValueError when the parts disagree.)");
    c.def_property_readonly(
        "joints", [](const TMotion& m) { return m.FJoints; }, "Joint names, parents first.");
    c.def_property_readonly(
        "parents",
        [](const TMotion& m) {
            return py::array_t<int32_t>(static_cast<py::ssize_t>(m.FParents.size()), m.FParents.data());
        },
        "Index of each joint's parent (int32 array), -1 for a root.");
    c.def_property_readonly(
        "offsets",
        [](py::object self) {
            auto& m = self.cast<TMotion&>();
            return viewOf(&m.FOffsets.data()->X, {static_cast<py::ssize_t>(m.FOffsets.size()), 3}, self);
        },
        "Rest offset of each joint from its parent: (J, 3) float32, shared with the motion.");
    c.def_property_readonly(
        "channels", [](const TMotion& m) { return m.FChannels; },
        "Each joint's channel names, in the order of its columns.");
    c.def_property_readonly("end_sites", &endSiteList,
                            "For each joint, its End Site offset (x, y, z) or None.");
    c.def_property_readonly(
        "frame_time", [](const TMotion& m) { return m.FFrameTime; }, "Seconds between frames.");
    c.def_property_readonly(
        "frame_count", [](const TMotion& m) { return m.FNumFrames; }, "Number of frames.");
    c.def_property_readonly(
        "motion",
        [](py::object self) {
            auto& m = self.cast<TMotion&>();
            return viewOf(
                m.FValues.data(),
                {static_cast<py::ssize_t>(m.FNumFrames), static_cast<py::ssize_t>(m.ChannelCount())}, self);
        },
        "The motion numbers: (F, C) float32, one row per frame, shared with the library (not a copy).");
    c.def(
        "world_positions",
        [](const TMotion& m) {
            return arrayOf(WorldPositions(m), {static_cast<py::ssize_t>(m.FNumFrames),
                                               static_cast<py::ssize_t>(m.FJoints.size()), 3});
        },
        "World position of every joint at every frame: (F, J, 3) float32.");
    c.def(
        "with_rotation_order",
        [](const TMotion& m, const std::string& order, const py::object& joint) {
            return held(WithRotationOrder(m, order, jointIndex(m, joint)));
        },
        py::arg("order"), py::arg("joint") = py::none(),
        R"(The same poses with rotation channels in another axis order.

order: "XYZ", "XZY", "YXZ", "YZX", "ZXY" or "ZYX" (the first axis outermost); joint: None for
every joint that has rotation channels, or one joint by index or name. World positions stay within
1e-5 of the figure's height.)");
    c.def(
        "resample", [](const TMotion& m, double fps) { return held(Resample(m, fps)); }, py::arg("fps"),
        R"(The motion at fps frames a second over the same time span: rotations of joints with one
rotation channel per axis by slerp, the other channels linearly.)");
    c.def(
        "frames",
        [](const TMotion& m, int64_t first, int64_t last) {
            if (first < 0 || last < 0) throw py::value_error("frames: a frame index is negative");
            return held(CutFrames(m, static_cast<size_t>(first), static_cast<size_t>(last)));
        },
        py::arg("first"), py::arg("last"),
        "Frames first .. last - 1 (0-based, last excluded, like a slice).");
    c.def("__repr__", &describe, "Joints, channels, frames and rate in one line.");
}

}  // namespace

void bindMotion(py::module_& m) {
    bindMotionClass(m);
    m.def(
        "load_motion", [](const std::filesystem::path& path) { return held(LoadMotion(path.string())); },
        py::arg("path"),
        "Reads a BVH file into a Motion. OSError when it cannot be read, ValueError when it is not BVH.");
    m.def(
        "save_bvh",
        [](const TMotion& motion, const std::filesystem::path& path) { SaveMotion(motion, path.string()); },
        py::arg("motion"), py::arg("path"),
        "Writes a motion as a BVH file whose numbers read back the same. OSError when it cannot be written.");
}

}  // namespace vtrl3ds_python
