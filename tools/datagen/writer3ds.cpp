// 3DS encoding (see writer3ds.h) on the shared chunk writer, which fills in each chunk's length
// when it is closed, so nesting and lengths always agree; the chunk ids are the model library's.
#include "tools/datagen/writer3ds.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

#include "tools/common/chunk_writer.h"
#include "vtrl3ds/private/chunks.h"

namespace datagen {
namespace {

constexpr uint32_t animationFrames = 100;

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void fail(const std::string& what) {
    throw std::invalid_argument("3DS writer: " + what);
}

void checkName(const std::string& name, const char* kind) {
    if (name.empty() || name.find('\0') != std::string::npos)
        fail(std::string(kind) + " name is empty or holds a zero byte");
}

void checkMesh(const Mesh3ds& m, size_t materialCount) {
    checkName(m.name, "object");
    if (m.vertices.size() > 65535 || m.faces.size() > 65535)
        fail("object " + m.name + " has " + std::to_string(m.vertices.size()) + " vertices and " +
             std::to_string(m.faces.size()) + " faces, more than 65535");
    if (!m.mapping.empty() && m.mapping.size() != m.vertices.size())
        fail("object " + m.name + " has " + std::to_string(m.mapping.size()) + " mapping coordinates for " +
             std::to_string(m.vertices.size()) + " vertices");
    for (const Face3ds& f : m.faces) {
        if (std::max({f.a, f.b, f.c}) >= m.vertices.size())
            fail("object " + m.name + " has a face corner beyond its " + std::to_string(m.vertices.size()) +
                 " vertices");
        if (f.material >= materialCount)
            fail("object " + m.name + " names material " + std::to_string(f.material));
    }
}

void checkScene(const Scene3ds& scene) {
    std::vector<std::string> names;
    for (const Material3ds& m : scene.materials) {
        checkName(m.name, "material");
        if (m.transparencyPercent > 100 || m.shininessPercent > 100)
            fail("material " + m.name + " has a percentage above 100");
        names.push_back(upper(m.name));
    }
    std::sort(names.begin(), names.end());
    if (std::adjacent_find(names.begin(), names.end()) != names.end()) fail("two materials share a name");
    for (const Mesh3ds& m : scene.meshes) checkMesh(m, scene.materials.size());
}

void writeColour(ChunkWriter& w, uint16_t id, Rgb8 c) {
    w.begin(id);
    w.begin(MAT_COLOR24);
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    w.end();
    w.end();
}

void writePercent(ChunkWriter& w, uint16_t id, uint16_t value) {
    w.begin(id);
    w.begin(INT_PERCENTAGE);
    w.u16(value);
    w.end();
    w.end();
}

void writeMaterial(ChunkWriter& w, const Material3ds& m) {
    w.begin(MAT_MATRIAL);
    w.begin(MAT_MATNAME);
    w.str(m.name);
    w.end();
    writeColour(w, MAT_AMBIENT, m.ambient);
    writeColour(w, MAT_DIFFUSE, m.diffuse);
    writeColour(w, MAT_SPECULAR, m.specular);
    writePercent(w, MAT_SHININESS, m.shininessPercent);
    writePercent(w, MAT_TRANSPARENCY, m.transparencyPercent);
    if (m.twoSided) {
        w.begin(MAT_TWO_SIDE);
        w.end();
    }
    w.end();
}

void writePoints(ChunkWriter& w, const Mesh3ds& m) {
    w.begin(TRI_VERTEXL);
    w.u16(static_cast<uint16_t>(m.vertices.size()));
    for (const Vec3& v : m.vertices) {
        w.f32(v.x);
        w.f32(v.y);
        w.f32(v.z);
    }
    w.end();
    if (!m.mapping.empty()) {
        w.begin(TRI_MAPPINGCOORDS);
        w.u16(static_cast<uint16_t>(m.mapping.size()));
        for (const Vec2& t : m.mapping) {
            w.f32(t.u);
            w.f32(t.v);
        }
        w.end();
    }
    // The object's local frame: the scene's own axes and origin.
    w.begin(TRI_MATRIX);
    for (double v : {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0}) w.f32(v);
    w.end();
}

// One material group per material the mesh uses, in material order.
void writeMaterialGroups(ChunkWriter& w, const Mesh3ds& m, const std::vector<Material3ds>& materials) {
    for (size_t i = 0; i < materials.size(); ++i) {
        std::vector<uint16_t> faces;
        for (size_t f = 0; f < m.faces.size(); ++f)
            if (m.faces[f].material == i) faces.push_back(static_cast<uint16_t>(f));
        if (faces.empty()) continue;
        w.begin(TRI_MATERIAL);
        w.str(materials[i].name);
        w.u16(static_cast<uint16_t>(faces.size()));
        for (uint16_t f : faces) w.u16(f);
        w.end();
    }
}

void writeFaces(ChunkWriter& w, const Mesh3ds& m, const std::vector<Material3ds>& materials) {
    w.begin(TRI_FACEL1);
    w.u16(static_cast<uint16_t>(m.faces.size()));
    for (const Face3ds& f : m.faces) {
        w.u16(f.a);
        w.u16(f.b);
        w.u16(f.c);
        w.u16(7);  // all three edges visible
    }
    writeMaterialGroups(w, m, materials);
    w.begin(TRI_SMOOTH);
    for (const Face3ds& f : m.faces) w.u32(f.smoothing);
    w.end();
    w.end();
}

void writeObject(ChunkWriter& w, const Mesh3ds& m, const std::vector<Material3ds>& materials) {
    w.begin(EDIT_OBJECT);
    w.str(m.name);
    w.begin(OBJ_TRIMESH);
    writePoints(w, m);
    writeFaces(w, m, materials);
    w.end();
    w.end();
}

void writeKeyframer(ChunkWriter& w, const Scene3ds& scene) {
    w.begin(KEYF3DS);
    w.begin(KEYF_HDR);
    w.u16(5);  // keyframer revision
    w.str("showroom");
    w.u32(animationFrames);
    w.end();
    w.begin(KEYF_SEGMENT);
    w.u32(0);
    w.u32(animationFrames);
    w.end();
    w.begin(KEYF_CURTIME);
    w.u32(0);
    w.end();
    for (size_t i = 0; i < scene.meshes.size(); ++i) {
        const Mesh3ds& m = scene.meshes[i];
        w.begin(KEYF_OBJDES);
        w.begin(KEYF_NODE_ID);
        w.u16(static_cast<uint16_t>(i));
        w.end();
        w.begin(KEYF_OBJHIERARCH);
        w.str(m.name);
        w.u16(0);  // flags
        w.u16(0);
        w.u16(0xFFFF);  // no parent
        w.end();
        w.begin(KEYF_OBJPIVOT);
        w.f32(m.pivot.x);
        w.f32(m.pivot.y);
        w.f32(m.pivot.z);
        w.end();
        w.end();
    }
    w.end();
}

}  // namespace

std::vector<uint8_t> Encode3ds(const Scene3ds& scene) {
    checkScene(scene);
    ChunkWriter w;
    w.begin(MAIN3DS);
    w.begin(VERS3DS);
    w.u32(3);
    w.end();
    w.begin(EDIT3DS);
    w.begin(OBJ_VERINFO);
    w.u32(3);
    w.end();
    for (const Material3ds& m : scene.materials) writeMaterial(w, m);
    w.begin(MASTER_SCALE);
    w.f32(scene.masterScale);
    w.end();
    for (const Mesh3ds& m : scene.meshes) writeObject(w, m, scene.materials);
    w.end();
    writeKeyframer(w, scene);
    w.end();
    return std::move(w.data);
}

}  // namespace datagen
