// The Python Model, Mesh and Material classes and load_model: a model the library reads, its
// meshes copied into numpy arrays (counts never trusted past the arrays that hold them), its
// materials, its skeleton as a Motion and its skinned positions at a frame.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "bindings.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/motion.h"

namespace vtrl3ds_python {

namespace {

using Colour = std::array<float, 3>;

struct Material {
    std::string name, texture;
    Colour ambient{}, diffuse{}, specular{};
    float opacity = 1;
    bool twoSided = false;
};

struct Mesh {
    std::string name;
    py::array_t<float> positions, normals, uvs;
    py::array_t<uint32_t> triangles;
    py::array_t<uint16_t> faceMaterials;
    std::optional<std::string> material;
};

struct Model {
    std::shared_ptr<TGLAll3dsMesh> model;
    std::vector<Mesh> meshes;
    std::vector<Material> materials;
    std::shared_ptr<TMotion> skeleton;
};

size_t vertices(const TGL3dsMesh& m) {
    return std::min(static_cast<size_t>(std::max(m.FNumVertex, 0)), m.FVertex.size());
}

template <typename T>
py::array_t<float> floats(const std::vector<T>& v, size_t n, py::ssize_t width) {
    if (v.size() < n) n = 0;  // a per-vertex list shorter than the vertices is left out
    std::vector<float> out(n * static_cast<size_t>(width));
    if (n) std::copy_n(reinterpret_cast<const float*>(v.data()), out.size(), out.data());
    return arrayOf(std::move(out), {static_cast<py::ssize_t>(n), width});
}

Mesh meshOf(const TGLAll3dsMesh& model, const TGL3dsMesh& m) {
    Mesh out;
    out.name = m.FName;
    const size_t n = vertices(m);
    out.positions = floats(m.FVertex, n, 3);
    out.normals = floats(m.FVNormal, n, 3);
    out.uvs = floats(m.FMapping, n, 2);
    const size_t corners =
        std::min(static_cast<size_t>(std::max(m.FNumIndices, 0)), m.FIndices.size()) / 3 * 3;
    out.triangles = arrayOf(
        std::vector<uint32_t>(m.FIndices.begin(), m.FIndices.begin() + static_cast<std::ptrdiff_t>(corners)),
        {static_cast<py::ssize_t>(corners / 3), 3});
    const size_t faces = std::min(corners / 3, m.FMatID.size());
    out.faceMaterials = arrayOf(
        std::vector<uint16_t>(m.FMatID.begin(), m.FMatID.begin() + static_cast<std::ptrdiff_t>(faces)),
        {static_cast<py::ssize_t>(faces)});
    if (!m.FMatName.empty())
        out.material = m.FMatName.front();
    else if (faces && m.FMatID[0] < model.FMaterial.size() && model.FMaterial[m.FMatID[0]])
        out.material = model.FMaterial[m.FMatID[0]]->FName;
    return out;
}

Material materialOf(const TGL3dsMaterial& m) {
    return {m.FName,
            m.FFileName,
            {m.FAmbR, m.FAmbG, m.FAmbB},
            {m.FDifR, m.FDifG, m.FDifB},
            {m.FSpcR, m.FSpcG, m.FSpcB},
            m.FTransparency,
            m.FTwoSided};
}

Model loadModel(const std::filesystem::path& path) {
    Model out;
    out.model = std::make_shared<TGLAll3dsMesh>();
    LoadModelOrMotion(*out.model, path.string());
    for (const TGL3dsMesh* mesh : out.model->FMesh)
        if (mesh) out.meshes.push_back(meshOf(*out.model, *mesh));
    for (const TGL3dsMaterial* material : out.model->FMaterial)
        if (material) out.materials.push_back(materialOf(*material));
    if (TGLSkeleton* skeleton = CurrentSkeleton(*out.model); skeleton && !skeleton->FBone.empty())
        out.skeleton = std::make_shared<TMotion>(MotionFromSkeleton(*skeleton));
    return out;
}

// Skinned positions of every mesh at Frame (0-based, fractional allowed, clamped to the frames);
// meshes no bone moves keep their positions.
py::list pose(Model& model, double frame) {
    model.model->AdvanceAnimation(static_cast<float>(frame + 1));
    py::list out;
    for (const TGL3dsMesh* mesh : model.model->FMesh) {
        if (!mesh) continue;
        const size_t n = vertices(*mesh);
        out.append(mesh->FSkinVertex.size() >= n ? floats(mesh->FSkinVertex, n, 3)
                                                 : floats(mesh->FVertex, n, 3));
    }
    return out;
}

}  // namespace

void bindModel(py::module_& m) {
    py::class_<Material>(m, "Material", "A material: colours (RGB, 0..1), opacity and texture map file name.")
        .def_readonly("name", &Material::name, "Material name.")
        .def_readonly("texture", &Material::texture,
                      "Texture map file name as stored in the file ('' for none).")
        .def_readonly("ambient", &Material::ambient, "Ambient colour (r, g, b).")
        .def_readonly("diffuse", &Material::diffuse, "Diffuse colour (r, g, b).")
        .def_readonly("specular", &Material::specular, "Specular colour (r, g, b).")
        .def_readonly("opacity", &Material::opacity, "1 for opaque, smaller for see-through.")
        .def_readonly("two_sided", &Material::twoSided, "Both faces are drawn.")
        .def(
            "__repr__", [](const Material& x) { return "<vtrl3ds.Material '" + x.name + "'>"; },
            "The material's name.");
    py::class_<Mesh>(m, "Mesh", "A triangle mesh as numpy arrays (copies of the model's).")
        .def_readonly("name", &Mesh::name, "Object name.")
        .def_readonly("positions", &Mesh::positions, "Vertex positions: (N, 3) float32.")
        .def_readonly("normals", &Mesh::normals,
                      "Vertex normals: (N, 3) float32, (0, 3) when the model has none.")
        .def_readonly("uvs", &Mesh::uvs,
                      "Texture coordinates: (N, 2) float32, (0, 2) when the model has none.")
        .def_readonly("triangles", &Mesh::triangles, "Vertex indices of each triangle: (M, 3) uint32.")
        .def_readonly("face_materials", &Mesh::faceMaterials,
                      "Index into Model.materials per triangle: (M,) uint16.")
        .def_readonly("material", &Mesh::material, "Name of the mesh's (first) material, or None.")
        .def(
            "__repr__",
            [](const Mesh& x) {
                return "<vtrl3ds.Mesh '" + x.name + "': " + std::to_string(x.positions.shape(0)) +
                       " vertices, " + std::to_string(x.triangles.shape(0)) + " triangles>";
            },
            "Name, vertex and triangle counts in one line.");
    py::class_<Model>(m, "Model", "A model the library read: meshes, materials and skeleton.")
        .def_property_readonly(
            "name", [](const Model& x) { return x.model->FName; }, "The file it was read from.")
        .def_readonly("meshes", &Model::meshes, "The meshes, in file order.")
        .def_readonly("materials", &Model::materials, "The materials, in file order.")
        .def_readonly("skeleton", &Model::skeleton,
                      "The skeleton's animation as a Motion (sampled once a frame), or None without bones.")
        .def("pose", &pose, py::arg("frame"),
             "Skinned vertex positions of every mesh at frame (0-based, fractional allowed): a list of (N, "
             "3) arrays.")
        .def("__repr__", [](const Model& x) {
            return "<vtrl3ds.Model '" + x.model->FName + "': " + std::to_string(x.meshes.size()) +
                   " meshes, " + std::to_string(x.materials.size()) + " materials>";
        });
    m.def("load_model", &loadModel, py::arg("path"),
          R"(Reads any model the library reads (.3ds, MilkShape 3D ASCII .txt, binary .bin) or a .bvh
motion as a model with a skeleton only. OSError when the file cannot be read, ValueError when the
library refuses it.)");
}

}  // namespace vtrl3ds_python
