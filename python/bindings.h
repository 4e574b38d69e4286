// What the Python module's source files share: the binding routine of each part and the numpy
// helpers that hand the library's memory to Python without copying it.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <utility>
#include <vector>

namespace vtrl3ds_python {

namespace py = pybind11;

// Motion, load_motion, save_bvh (motion.cpp).
void bindMotion(py::module_& m);
// Model, Mesh, Material, load_model (model.cpp).
void bindModel(py::module_& m);
// convert (convert.cpp).
void bindConvert(py::module_& m);

// An array over Data (Shape, C order) that keeps Owner alive instead of copying.
template <typename T>
py::array_t<T> viewOf(T* data, std::vector<py::ssize_t> shape, py::handle owner) {
    return py::array_t<T>(std::move(shape), data, owner);
}

// An array that takes Values over: the vector moves into a capsule the array keeps.
template <typename T>
py::array_t<T> arrayOf(std::vector<T>&& values, std::vector<py::ssize_t> shape) {
    auto* held = new std::vector<T>(std::move(values));
    py::capsule owner(held, [](void* p) { delete static_cast<std::vector<T>*>(p); });
    return py::array_t<T>(std::move(shape), held->data(), owner);
}

}  // namespace vtrl3ds_python
