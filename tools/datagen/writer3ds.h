// A small writer for 3DS model files: materials with colours, transparency and two-sidedness;
// triangle meshes with vertices, mapping coordinates, local frame, faces, material groups and
// smoothing groups; and a keyframer section with one object description and pivot per mesh.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/vecmath.h"

namespace datagen {

struct Rgb8 {
    uint8_t r = 0, g = 0, b = 0;
};

struct Material3ds {
    std::string name;  // unique, compared without regard to case
    Rgb8 ambient, diffuse, specular;
    uint16_t shininessPercent = 0;
    uint16_t transparencyPercent = 0;  // 0 opaque .. 100 invisible
    bool twoSided = false;
};

struct Face3ds {
    uint16_t a = 0, b = 0, c = 0;  // corners counter-clockwise seen from outside
    uint16_t material = 0;         // index into Scene3ds::materials
    uint32_t smoothing = 0;        // smoothing-group bits
};

struct Mesh3ds {
    std::string name;
    std::vector<Vec3> vertices;  // z up
    std::vector<Vec2> mapping;   // empty, or one per vertex
    std::vector<Face3ds> faces;
    Vec3 pivot;  // the keyframer's pivot point of this object
};

struct Scene3ds {
    std::vector<Material3ds> materials;
    std::vector<Mesh3ds> meshes;
    float masterScale = 1.0f;
};

// The file's bytes. Throws std::invalid_argument when the scene does not fit the format (more
// than 65535 vertices or faces in a mesh, a corner or material index out of range, a mapping
// list of the wrong length, a transparency above 100, duplicate material names).
std::vector<uint8_t> Encode3ds(const Scene3ds& scene);

}  // namespace datagen
