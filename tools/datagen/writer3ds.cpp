// 3DS encoding (see writer3ds.h). Chunks are written through ChunkWriter, which fills in each
// chunk's length when it is closed, so nesting and lengths always agree.
#include "tools/datagen/writer3ds.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>

namespace datagen {
namespace {

enum ChunkId : uint16_t {
    main3ds = 0x4D4D,
    version = 0x0002,
    editor = 0x3D3D,
    meshVersion = 0x3D3E,
    masterScale = 0x0100,
    material = 0xAFFF,
    matName = 0xA000,
    matAmbient = 0xA010,
    matDiffuse = 0xA020,
    matSpecular = 0xA030,
    matShininess = 0xA040,
    matTransparency = 0xA050,
    matTwoSide = 0xA081,
    color24 = 0x0011,
    percent = 0x0030,
    object = 0x4000,
    triMesh = 0x4100,
    vertexList = 0x4110,
    faceList = 0x4120,
    faceMaterial = 0x4130,
    mapping = 0x4140,
    smoothing = 0x4150,
    localFrame = 0x4160,
    keyframer = 0xB000,
    kfHeader = 0xB00A,
    kfSegment = 0xB008,
    kfCurrentTime = 0xB009,
    kfObject = 0xB002,
    kfNodeId = 0xB030,
    kfHierarchy = 0xB010,
    kfPivot = 0xB013,
};
constexpr uint32_t animationFrames = 100;

class ChunkWriter {
  public:
    void Begin(uint16_t id) {
        U16(id);
        open_.push_back(out_.size());
        U32(0);  // the length, filled in by End
    }
    void End() {
        const size_t at = open_.back();
        open_.pop_back();
        const auto length = static_cast<uint32_t>(out_.size() - at + 2);
        for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void F32(double v) {
        const auto f = static_cast<float>(v);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
    }
    void Str(const std::string& s) {
        for (char c : s) U8(static_cast<uint8_t>(c));
        U8(0);
    }
    std::vector<uint8_t> Take() { return std::move(out_); }

  private:
    std::vector<uint8_t> out_;
    std::vector<size_t> open_;
};

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
    w.Begin(id);
    w.Begin(color24);
    w.U8(c.r);
    w.U8(c.g);
    w.U8(c.b);
    w.End();
    w.End();
}

void writePercent(ChunkWriter& w, uint16_t id, uint16_t value) {
    w.Begin(id);
    w.Begin(percent);
    w.U16(value);
    w.End();
    w.End();
}

void writeMaterial(ChunkWriter& w, const Material3ds& m) {
    w.Begin(material);
    w.Begin(matName);
    w.Str(m.name);
    w.End();
    writeColour(w, matAmbient, m.ambient);
    writeColour(w, matDiffuse, m.diffuse);
    writeColour(w, matSpecular, m.specular);
    writePercent(w, matShininess, m.shininessPercent);
    writePercent(w, matTransparency, m.transparencyPercent);
    if (m.twoSided) {
        w.Begin(matTwoSide);
        w.End();
    }
    w.End();
}

void writePoints(ChunkWriter& w, const Mesh3ds& m) {
    w.Begin(vertexList);
    w.U16(static_cast<uint16_t>(m.vertices.size()));
    for (const Vec3& v : m.vertices) {
        w.F32(v.x);
        w.F32(v.y);
        w.F32(v.z);
    }
    w.End();
    if (!m.mapping.empty()) {
        w.Begin(mapping);
        w.U16(static_cast<uint16_t>(m.mapping.size()));
        for (const Vec2& t : m.mapping) {
            w.F32(t.u);
            w.F32(t.v);
        }
        w.End();
    }
    // The object's local frame: the scene's own axes and origin.
    w.Begin(localFrame);
    for (double v : {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0}) w.F32(v);
    w.End();
}

// One material group per material the mesh uses, in material order.
void writeMaterialGroups(ChunkWriter& w, const Mesh3ds& m, const std::vector<Material3ds>& materials) {
    for (size_t i = 0; i < materials.size(); ++i) {
        std::vector<uint16_t> faces;
        for (size_t f = 0; f < m.faces.size(); ++f)
            if (m.faces[f].material == i) faces.push_back(static_cast<uint16_t>(f));
        if (faces.empty()) continue;
        w.Begin(faceMaterial);
        w.Str(materials[i].name);
        w.U16(static_cast<uint16_t>(faces.size()));
        for (uint16_t f : faces) w.U16(f);
        w.End();
    }
}

void writeFaces(ChunkWriter& w, const Mesh3ds& m, const std::vector<Material3ds>& materials) {
    w.Begin(faceList);
    w.U16(static_cast<uint16_t>(m.faces.size()));
    for (const Face3ds& f : m.faces) {
        w.U16(f.a);
        w.U16(f.b);
        w.U16(f.c);
        w.U16(7);  // all three edges visible
    }
    writeMaterialGroups(w, m, materials);
    w.Begin(smoothing);
    for (const Face3ds& f : m.faces) w.U32(f.smoothing);
    w.End();
    w.End();
}

void writeObject(ChunkWriter& w, const Mesh3ds& m, const std::vector<Material3ds>& materials) {
    w.Begin(object);
    w.Str(m.name);
    w.Begin(triMesh);
    writePoints(w, m);
    writeFaces(w, m, materials);
    w.End();
    w.End();
}

void writeKeyframer(ChunkWriter& w, const Scene3ds& scene) {
    w.Begin(keyframer);
    w.Begin(kfHeader);
    w.U16(5);  // keyframer revision
    w.Str("showroom");
    w.U32(animationFrames);
    w.End();
    w.Begin(kfSegment);
    w.U32(0);
    w.U32(animationFrames);
    w.End();
    w.Begin(kfCurrentTime);
    w.U32(0);
    w.End();
    for (size_t i = 0; i < scene.meshes.size(); ++i) {
        const Mesh3ds& m = scene.meshes[i];
        w.Begin(kfObject);
        w.Begin(kfNodeId);
        w.U16(static_cast<uint16_t>(i));
        w.End();
        w.Begin(kfHierarchy);
        w.Str(m.name);
        w.U16(0);  // flags
        w.U16(0);
        w.U16(0xFFFF);  // no parent
        w.End();
        w.Begin(kfPivot);
        w.F32(m.pivot.x);
        w.F32(m.pivot.y);
        w.F32(m.pivot.z);
        w.End();
        w.End();
    }
    w.End();
}

}  // namespace

std::vector<uint8_t> Encode3ds(const Scene3ds& scene) {
    checkScene(scene);
    ChunkWriter w;
    w.Begin(main3ds);
    w.Begin(version);
    w.U32(3);
    w.End();
    w.Begin(editor);
    w.Begin(meshVersion);
    w.U32(3);
    w.End();
    for (const Material3ds& m : scene.materials) writeMaterial(w, m);
    w.Begin(masterScale);
    w.F32(scene.masterScale);
    w.End();
    for (const Mesh3ds& m : scene.meshes) writeObject(w, m, scene.materials);
    w.End();
    writeKeyframer(w, scene);
    w.End();
    return w.Take();
}

}  // namespace datagen
