// The primitive solids: Cubo, Sfera, Toroide and LineFree. No globals of their own; Cubo takes
// its face normals from FindNormal's FNormal. Nothing fails here: the routines only send GL calls.
#include "vitrail/solids.h"

#include <GL/gl.h>

#include <cmath>
#include <numbers>

#include "vitrail/glstate.h"

namespace {

constexpr double pi = std::numbers::pi;

// One corner of a box face: which of the two x, y, z values it takes, and its texture
// coordinate in units of TSize.
struct BoxCorner {
    bool x2, y2, z2;
    float s, t;
};

// Four corners per face, in drawing order: z = Z2, z = Z1, y = Y2, y = Y1, x = X2, x = X1.
constexpr BoxCorner boxFaces[6][4] = {
    {{false, false, true, 0, 0},
     {true, false, true, 1, 0},
     {true, true, true, 1, 1},
     {false, true, true, 0, 1}},
    {{false, false, false, 1, 0},
     {false, true, false, 1, 1},
     {true, true, false, 0, 1},
     {true, false, false, 0, 0}},
    {{false, true, false, 0, 1},
     {false, true, true, 0, 0},
     {true, true, true, 1, 0},
     {true, true, false, 1, 1}},
    {{false, false, false, 1, 1},
     {true, false, false, 0, 1},
     {true, false, true, 0, 0},
     {false, false, true, 1, 0}},
    {{true, false, false, 1, 0},
     {true, true, false, 1, 1},
     {true, true, true, 0, 1},
     {true, false, true, 0, 0}},
    {{false, false, false, 0, 0},
     {false, false, true, 1, 0},
     {false, true, true, 1, 1},
     {false, true, false, 0, 1}},
};

struct BoxBounds {
    float x1, y1, z1, x2, y2, z2;
    float cx(const BoxCorner& c) const { return c.x2 ? x2 : x1; }
    float cy(const BoxCorner& c) const { return c.y2 ? y2 : y1; }
    float cz(const BoxCorner& c) const { return c.z2 ? z2 : z1; }
};

// One face of the box: its normal from the first three corners, then the corners in two pairs.
void boxFace(const BoxBounds& b, const BoxCorner (&face)[4], float tSize) {
    const BoxCorner &c0 = face[0], &c1 = face[1], &c2 = face[2], &c3 = face[3];
    FindNormal(b.cx(c0), b.cy(c0), b.cz(c0), b.cx(c1), b.cy(c1), b.cz(c1), b.cx(c2), b.cy(c2), b.cz(c2));
    glNormal3f(static_cast<float>(FNormal[1]), static_cast<float>(FNormal[2]),
               static_cast<float>(FNormal[3]));
    LineFree(c0.s * tSize, c0.t * tSize, c1.s * tSize, c1.t * tSize, b.cx(c0), b.cy(c0), b.cz(c0), b.cx(c1),
             b.cy(c1), b.cz(c1), true);
    LineFree(c2.s * tSize, c2.t * tSize, c3.s * tSize, c3.t * tSize, b.cx(c2), b.cy(c2), b.cz(c2), b.cx(c3),
             b.cy(c3), b.cz(c3), true);
}

// One vertex of the sphere on the ring at polar angle a, azimuth w.
void sphereVertex(float px, float py, float pz, double radius, double a, double w, double s, double t) {
    const double r = radius * std::sin(a), z = radius * std::cos(a);
    const double x = std::cos(w), y = std::sin(w);
    glNormal3d(x * r / radius, y * r / radius, z / radius);
    glTexCoord2d(s, t);
    glVertex3d(px + x * r, py + y * r, pz + z);
}

// One vertex of the torus at ring angle (cos, sin) and tube angle phi.
void torusVertex(double cosRing, double sinRing, double phi, double tubeR, double ringR) {
    const double dist = ringR + tubeR * std::cos(phi);
    glTexCoord2d(cosRing * dist, -sinRing * dist);
    glNormal3d(cosRing * std::cos(phi), -sinRing * std::cos(phi), std::sin(phi));
    glVertex3d(cosRing * dist, -sinRing * dist, tubeR * std::sin(phi));
}

}  // namespace

void LineFree(float TX1, float TY1, float TX2, float TY2, float X1, float Y1, float Z1, float X2, float Y2,
              float Z2, bool Texture) {
    if (Texture) glTexCoord2f(TX1, TY1);
    glVertex3f(X1, Y1, Z1);
    if (Texture) glTexCoord2f(TX2, TY2);
    glVertex3f(X2, Y2, Z2);
}

void Cubo(float X, float Y, float Z, float X1, float Y1, float Z1, float X2, float Y2, float Z2,
          float TSize) {
    const BoxBounds bounds{X1, Y1, Z1, X2, Y2, Z2};
    glPushMatrix();
    glTranslatef(X, Y, Z);
    glBegin(GL_QUADS);
    for (const auto& face : boxFaces) boxFace(bounds, face, TSize);
    glEnd();
    glPopMatrix();
}

void Sfera(float PX, float PY, float PZ, float Radius, int32_t NumCircle, int32_t NumLine, float TSize) {
    const double majorStep = pi / NumLine, minorStep = 2.0 * pi / NumCircle;
    for (int32_t i = 0; i < NumLine; ++i) {
        const double a = i * majorStep, b = a + majorStep;
        const double t0 = static_cast<double>(i) / NumLine / TSize;
        const double t1 = static_cast<double>(i + 1) / NumLine / TSize;
        glBegin(GL_TRIANGLE_STRIP);
        for (int32_t j = 0; j <= NumCircle; ++j) {
            const double w = j * minorStep, s = -static_cast<double>(j) / NumCircle / TSize;
            sphereVertex(PX, PY, PZ, Radius, a, w, s, t0);
            sphereVertex(PX, PY, PZ, Radius, b, w, s, t1);
        }
        glEnd();
    }
}

void Toroide(float X, float Y, float Z, float TubeR, float R, int32_t Sides, int32_t Rings) {
    const double sideDelta = 2.0 * pi / Sides, ringDelta = 2.0 * pi / Rings;
    glPushMatrix();
    glTranslatef(X, Y, Z);
    double theta = 0.0;
    for (int32_t i = 0; i < Rings; ++i) {
        const double theta1 = theta + ringDelta;
        glBegin(GL_QUAD_STRIP);
        double phi = 0.0;
        for (int32_t j = 0; j <= Sides; ++j) {
            phi += sideDelta;
            torusVertex(std::cos(theta1), std::sin(theta1), phi, TubeR, R);
            torusVertex(std::cos(theta), std::sin(theta), phi, TubeR, R);
        }
        glEnd();
        theta = theta1;
    }
    glPopMatrix();
}
