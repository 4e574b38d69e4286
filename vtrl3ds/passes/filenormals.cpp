// Normals of the formats that carry their own (MilkShape text and binary models): each mesh's
// triangles are brought to the library's winding, clockwise seen from the side they face (as a
// 3DS model's are after its axis exchange), and its face and vertex normals are made from the
// file's normals where they are usable, computed from the corners where not. Reports nothing.
#include <cmath>
#include <utility>

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

float dot(const T3dpoint& a, const T3dpoint& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

bool isZero(const T3dpoint& n) {
    return n.X == 0 && n.Y == 0 && n.Z == 0;
}

// A normal a face can be lit with: finite and not (nearly) zero.
bool usable(const T3dpoint& n) {
    return std::isfinite(n.X) && std::isfinite(n.Y) && std::isfinite(n.Z) && dot(n, n) > 1e-12f;
}

// The file's normal at corner k, or null when its index lies beyond the list or it is unusable.
const T3dpoint* fileNormal(const TGL3dsMesh& m, size_t k) {
    if (k >= m.FNormalIndices.size()) return nullptr;
    const size_t i = m.FNormalIndices[k];
    return i < m.FVNormal.size() && usable(m.FVNormal[i]) ? &m.FVNormal[i] : nullptr;
}

// The normal of the triangle at corner f as the library draws it, from its stored winding.
T3dpoint windingNormal(const TGL3dsMesh& m, size_t f) {
    return CalcNormalVector(m.FVertex[m.FIndices[f]], m.FVertex[m.FIndices[f + 1]],
                            m.FVertex[m.FIndices[f + 2]]);
}

// +1 when the file's normals of the triangle at corner f point to the side its winding gives,
// -1 when they point away, 0 when they cannot tell.
int vote(const TGL3dsMesh& m, size_t f) {
    T3dpoint sum{0, 0, 0};
    for (size_t c = 0; c < 3; ++c)
        if (const T3dpoint* n = fileNormal(m, f + c)) sum = {sum.X + n->X, sum.Y + n->Y, sum.Z + n->Z};
    const float d = dot(sum, windingNormal(m, f));
    return d > 0 ? 1 : (d < 0 ? -1 : 0);
}

// Writers of these formats wind triangles counter-clockwise seen from outside, so a mesh's last
// two corners are exchanged unless most of its own normals say it already runs clockwise (a file
// written from a model this library loaded does). Without usable normals the counter-clockwise
// convention is assumed.
void orient(TGL3dsMesh& m, size_t corners, size_t vertices) {
    int64_t balance = 0;
    for (size_t f = 0; f < corners; f += 3)
        if (faceIsValid(m, f, vertices)) balance += vote(m, f);
    if (balance > 0) return;
    for (size_t f = 0; f < corners; f += 3) {
        std::swap(m.FIndices[f + 1], m.FIndices[f + 2]);
        if (f + 2 < m.FNormalIndices.size()) std::swap(m.FNormalIndices[f + 1], m.FNormalIndices[f + 2]);
    }
}

// A face's normal: the mean of its corners' own normals, a corner whose normal is missing,
// unusable or pointing behind the face counting with the face's computed normal instead.
T3dpoint faceNormal(const TGL3dsMesh& m, size_t f, const T3dpoint& computed) {
    T3dpoint sum{0, 0, 0};
    for (size_t c = 0; c < 3; ++c) {
        const T3dpoint* n = fileNormal(m, f + c);
        const T3dpoint& use = n && (dot(*n, computed) > 0 || isZero(computed)) ? *n : computed;
        sum = {sum.X + use.X, sum.Y + use.Y, sum.Z + use.Z};
    }
    return usable(sum) ? Normalize(sum) : computed;
}

// Face normals for every whole triangle (zero for one naming a missing vertex), and an unusable
// normal of the file replaced by the computed normal of a face that uses it.
void normals(TGL3dsMesh& m, size_t corners, size_t vertices) {
    m.FaceNormal.assign(static_cast<size_t>(std::max(m.FNumIndices, 0) / 3), T3dpoint{0, 0, 0});
    for (size_t f = 0; f < corners; f += 3) {
        if (!faceIsValid(m, f, vertices)) continue;
        const T3dpoint computed = windingNormal(m, f);
        m.FaceNormal[f / 3] = faceNormal(m, f, computed);
        for (size_t c = 0; c < 3 && f + c < m.FNormalIndices.size(); ++c) {
            const size_t i = m.FNormalIndices[f + c];
            if (i < m.FVNormal.size() && !usable(m.FVNormal[i])) m.FVNormal[i] = computed;
        }
    }
}

}  // namespace

namespace vtrl3ds_internal {

void adoptFileNormals(TGLAll3dsMesh& model) {
    for (size_t i = 0; i < meshCount(model); ++i) {
        if (!model.FMesh[i]) continue;
        TGL3dsMesh& m = *model.FMesh[i];
        const size_t corners = cornerCount(m), vertices = vertexCount(m);
        orient(m, corners, vertices);
        normals(m, corners, vertices);
    }
}

}  // namespace vtrl3ds_internal
