// Geometry capture for the toolkit's drawing tests: runs a drawing routine in GL feedback mode
// under an orthographic set-up whose window coordinates map straight back to object coordinates,
// and returns the polygons, lines and points the GL produced with their texture coordinates.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "support/gl_test.h"

struct CapturedVertex {
    float x, y, z;     // object coordinates (model-view identity at the start of the capture)
    float s, t, r, q;  // texture coordinates after the texture matrix
};

struct CapturedPrimitive {
    GLenum token;  // GL_POLYGON_TOKEN, GL_LINE_TOKEN, GL_LINE_RESET_TOKEN or GL_POINT_TOKEN
    std::vector<CapturedVertex> vertices;
};

// Runs `draw` in feedback mode; everything within `half` units of the origin is captured
// (farther geometry is clipped). Culling and lighting are off during the capture. With
// `normals`, texture-coordinate generation in normal-map mode puts each vertex's normal into
// its s, t, r (the model-view matrix is the identity, so eye and object normals agree).
inline std::vector<CapturedPrimitive> CaptureFeedback(const std::function<void()>& draw, float half = 100.0f,
                                                      bool normals = false) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    GLuint texture = 0;
    if (normals) {
        // Generated coordinates reach the feedback buffer only while the unit has a texture on.
        const GLubyte texel[4] = {255, 255, 255, 255};
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glEnable(GL_TEXTURE_2D);
        for (GLenum c : {GL_S, GL_T, GL_R}) glTexGeni(c, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
        for (GLenum c : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) glEnable(c);
    }
    glViewport(0, 0, static_cast<GLint>(2 * half), static_cast<GLint>(2 * half));
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-half, half, -half, half, -half, half);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const std::vector<FedPrimitive> fed = FeedbackOf(draw);
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    if (texture) glDeleteTextures(1, &texture);

    std::vector<CapturedPrimitive> out;
    for (const FedPrimitive& p : fed) {
        CapturedPrimitive c{p.token, {}};
        for (const FedVertex& v : p.vertices)
            c.vertices.push_back({v.x - half, v.y - half, (1.0f - 2.0f * v.z) * half, v.s, v.t, v.r, v.q});
        out.push_back(std::move(c));
    }
    return out;
}

// A vertex as a test expects it: position and texture coordinate.
struct ExpectedVertex {
    double x, y, z, s, t;
};

inline bool SameVertex(const CapturedVertex& v, const ExpectedVertex& e, double tol = 1e-3) {
    return std::abs(v.x - e.x) < tol && std::abs(v.y - e.y) < tol && std::abs(v.z - e.z) < tol &&
           std::abs(v.s - e.s) < tol && std::abs(v.t - e.t) < tol;
}

// True when every captured vertex of `prims` is one of `want` and every one of `want` appears:
// the primitives cover exactly those vertices, in whatever order the GL split them.
inline bool CoversExactly(const std::vector<const CapturedPrimitive*>& prims,
                          const std::vector<ExpectedVertex>& want) {
    std::vector<bool> seen(want.size(), false);
    for (const CapturedPrimitive* p : prims)
        for (const CapturedVertex& v : p->vertices) {
            bool found = false;
            for (size_t i = 0; i < want.size(); ++i)
                if (SameVertex(v, want[i])) found = seen[i] = true;
            if (!found) return false;
        }
    for (bool s : seen)
        if (!s) return false;
    return true;
}

// The normal of a captured triangle by its winding: counter-clockwise seen from where it points.
inline std::array<float, 3> WindingNormal(const CapturedPrimitive& p) {
    const CapturedVertex &a = p.vertices[0], &b = p.vertices[1], &c = p.vertices[2];
    const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    return {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
}
