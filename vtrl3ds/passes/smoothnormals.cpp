// Smoothing-group normals (normals.h): face normals and corner angles, the angle-weighted sums of
// the vertices whose faces all have the same groups made face by face, those of the others per
// corner from the faces around them that share a group bit. Reports nothing; triangles naming
// missing vertices take part in nothing.
#include <cmath>
#include <cstdint>

#include "vtrl3ds/normals.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

// The angle at corner a of the triangle a, b, c (radians, 0 for a degenerate corner).
double cornerAngle(const T3dpoint& a, const T3dpoint& b, const T3dpoint& c) {
    const double u[3] = {double(b.X) - a.X, double(b.Y) - a.Y, double(b.Z) - a.Z};
    const double v[3] = {double(c.X) - a.X, double(c.Y) - a.Y, double(c.Z) - a.Z};
    const double cx = u[1] * v[2] - u[2] * v[1], cy = u[2] * v[0] - u[0] * v[2],
                 cz = u[0] * v[1] - u[1] * v[0];
    const double angle =
        std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), u[0] * v[0] + u[1] * v[1] + u[2] * v[2]);
    return std::isfinite(angle) ? angle : 0;
}

// The smoothing groups of face f, 0 for a face without an entry.
struct Groups {
    const std::vector<uint32_t>& of;
    uint32_t operator()(size_t f) const { return f < of.size() ? of[f] : 0u; }
};

// Vertices whose faces with groups do not all have the same groups: the only ones whose sums
// differ from one corner to another.
std::vector<char> mixedVertices(const TGL3dsMesh& mesh, size_t corners, size_t vertices,
                                const Groups& groups) {
    std::vector<uint32_t> seen(vertices, 0);
    std::vector<char> mixed(vertices, 0);
    for (size_t f = 0; f < corners; f += 3) {
        const uint32_t g = groups(f / 3);
        if (g == 0 || !faceIsValid(mesh, f, vertices)) continue;
        for (size_t c = 0; c < 3; ++c) {
            uint32_t& first = seen[mesh.FIndices[f + c]];
            if (first == 0) first = g;
            mixed[mesh.FIndices[f + c]] |= first != g;
        }
    }
    return mixed;
}

// The faces around each mixed vertex as one list: faces of vertex v are Faces[Start[v] .. Start[v + 1]).
struct Around {
    std::vector<uint32_t> Start, Faces;
};

Around facesAround(const TGL3dsMesh& mesh, size_t corners, size_t vertices, const std::vector<char>& mixed) {
    Around a;
    a.Start.assign(vertices + 1, 0);
    for (size_t f = 0; f < corners; f += 3)
        if (faceIsValid(mesh, f, vertices))
            for (size_t c = 0; c < 3; ++c) a.Start[mesh.FIndices[f + c] + 1] += mixed[mesh.FIndices[f + c]];
    for (size_t v = 0; v < vertices; ++v) a.Start[v + 1] += a.Start[v];
    a.Faces.resize(a.Start[vertices]);
    std::vector<uint32_t> fill(a.Start.begin(), a.Start.end() - 1);
    for (size_t f = 0; f < corners; f += 3)
        if (faceIsValid(mesh, f, vertices))
            for (size_t c = 0; c < 3; ++c)
                if (mixed[mesh.FIndices[f + c]])
                    a.Faces[fill[mesh.FIndices[f + c]]++] = static_cast<uint32_t>(f / 3);
    return a;
}

// The weight of face f (at corner index f) at vertex v: the angle of its first corner on v.
double weightAt(const TGL3dsMesh& mesh, const std::vector<double>& angle, size_t f, uint16_t v) {
    return angle[f + (mesh.FIndices[f] == v ? 0 : mesh.FIndices[f + 1] == v ? 1 : 2)];
}

// The sums of the vertices that are not mixed, each face added in face order as the faces around
// the vertex would be (a face on the vertex twice, twice): the angle-weighted face normals.
std::vector<double> plainSums(const TGL3dsMesh& mesh, size_t corners, size_t vertices, const Groups& groups,
                              const std::vector<char>& mixed, const std::vector<T3dpoint>& face,
                              const std::vector<double>& angle) {
    std::vector<double> sum(3 * vertices, 0.0);
    for (size_t f = 0; f < corners; f += 3) {
        if (groups(f / 3) == 0 || !faceIsValid(mesh, f, vertices)) continue;
        const T3dpoint& n = face[f / 3];
        for (size_t c = 0; c < 3; ++c) {
            const uint16_t v = mesh.FIndices[f + c];
            if (mixed[v]) continue;
            const double w = weightAt(mesh, angle, f, v);
            double* s = &sum[3 * size_t(v)];
            s[0] += w * n.X, s[1] += w * n.Y, s[2] += w * n.Z;
        }
    }
    return sum;
}

// Face normals of every valid triangle (the load's FaceNormal where the mesh holds one per face:
// CalcNormalVector of the same corners), and the corner angles of those that have smoothing groups
// (a flat face lends its angles to no sum).
void faceNormalsAndAngles(const TGL3dsMesh& mesh, size_t corners, size_t vertices, const Groups& groups,
                          std::vector<T3dpoint>& face, std::vector<double>& angle) {
    const bool known = mesh.FaceNormal.size() == corners / 3;
    for (size_t f = 0; f < corners; f += 3) {
        if (!faceIsValid(mesh, f, vertices)) continue;
        const T3dpoint& a = mesh.FVertex[mesh.FIndices[f]];
        const T3dpoint& b = mesh.FVertex[mesh.FIndices[f + 1]];
        const T3dpoint& c = mesh.FVertex[mesh.FIndices[f + 2]];
        face[f / 3] = known ? mesh.FaceNormal[f / 3] : CalcNormalVector(a, b, c);
        if (groups(f / 3) == 0) continue;
        angle[f] = cornerAngle(a, b, c), angle[f + 1] = cornerAngle(b, c, a),
        angle[f + 2] = cornerAngle(c, a, b);
    }
}

// The angle-weighted sum of the normals of the faces around mixed vertex v that share a bit of
// group g, normalised.
T3dpoint smoothNormal(const TGL3dsMesh& mesh, const Around& around, const Groups& groups,
                      const std::vector<T3dpoint>& face, const std::vector<double>& angle, uint16_t v,
                      uint32_t g) {
    double s[3] = {0, 0, 0};
    for (uint32_t k = around.Start[v]; k < around.Start[v + 1]; ++k) {
        const uint32_t other = around.Faces[k];
        if ((groups(other) & g) == 0) continue;
        const double w = weightAt(mesh, angle, size_t(other) * 3, v);
        s[0] += w * face[other].X, s[1] += w * face[other].Y, s[2] += w * face[other].Z;
    }
    return Normalize(T3dpoint{float(s[0]), float(s[1]), float(s[2])});
}

}  // namespace

std::vector<T3dpoint> SmoothingGroupNormals(const TGL3dsMesh& mesh) {
    const size_t corners = cornerCount(mesh), vertices = vertexCount(mesh);
    std::vector<T3dpoint> out(static_cast<size_t>(std::max(mesh.FNumIndices, 0)), T3dpoint{0, 0, 0});
    std::vector<T3dpoint> face(corners / 3, T3dpoint{0, 0, 0});
    std::vector<double> angle(corners, 0);
    const Groups groups{mesh.FSmoothingGroup};
    faceNormalsAndAngles(mesh, corners, vertices, groups, face, angle);
    const std::vector<char> mixed = mixedVertices(mesh, corners, vertices, groups);
    const std::vector<double> sum = plainSums(mesh, corners, vertices, groups, mixed, face, angle);
    const Around around = facesAround(mesh, corners, vertices, mixed);
    // Each sum is normalised once per vertex and groups: the last one made at each vertex is kept
    // with its groups and taken again (group 0 marks none).
    std::vector<uint32_t> lastGroups(vertices, 0);
    std::vector<T3dpoint> lastNormal(vertices);
    for (size_t f = 0; f < corners; f += 3) {
        if (!faceIsValid(mesh, f, vertices)) continue;
        const uint32_t g = groups(f / 3);
        for (size_t c = 0; c < 3; ++c) {
            const uint16_t v = mesh.FIndices[f + c];
            if (g == 0) {
                out[f + c] = face[f / 3];
            } else if (lastGroups[v] == g) {
                out[f + c] = lastNormal[v];
            } else {
                const double* s = &sum[3 * size_t(v)];
                out[f + c] = lastNormal[v] = mixed[v]
                                                 ? smoothNormal(mesh, around, groups, face, angle, v, g)
                                                 : Normalize(T3dpoint{float(s[0]), float(s[1]), float(s[2])});
                lastGroups[v] = g;
            }
        }
    }
    return out;
}
