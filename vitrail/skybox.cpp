// The sky box and the grid-cell quad it is built from (SkyBox, FindCharacter). No globals; the
// caller binds the sky texture. Nothing fails here: the routines only send GL calls.
#include "vitrail/skybox.h"

#include <GL/gl.h>

namespace {

// One wall of the box: its turn about the centre and the cell and half-sizes it is drawn with.
struct SkyFace {
    float angle, axisX, axisY;   // glRotatef(angle, axisX, axisY, 0); angle 0 means no turn
    float px, py;                // cell position, slightly off whole numbers by design
    float sxDivisor, syDivisor;  // half-sizes are edge / divisor
};

// Front, right, back, left, floor, ceiling. The divisors below 2 make the faces overlap a little
// at the box's edges, so no seam shows; the fractional cell positions move the sampled region by
// the same small amount. The left wall's 3.998 reaches past s = 1 and relies on GL_REPEAT.
constexpr SkyFace skyFaces[6] = {
    {0.0f, 0.0f, 0.0f, 0.998f, 0.0f, 2.0f, 1.99f},       {-90.0f, 0.0f, 1.0f, 1.998f, 0.001f, 2.0f, 1.99f},
    {-180.0f, 0.0f, 1.0f, 2.998f, 0.0015f, 2.0f, 1.99f}, {-270.0f, 0.0f, 1.0f, 3.998f, 0.0015f, 2.0f, 1.99f},
    {90.0f, -1.0f, 0.0f, 0.0f, 1.0015f, 1.995f, 1.988f}, {90.0f, 1.0f, 0.0f, 1.0f, 1.0015f, 1.995f, 2.0f},
};

}  // namespace

void FindCharacter(float X, float Y, float PX, float PY, float SX, float SY, int32_t Rows, int32_t Columns) {
    const double rows = Rows, columns = Columns;
    const auto s0 = static_cast<float>(PX / rows);
    const auto s1 = static_cast<float>(PX / rows + 1.0 / rows);
    const auto t1 = static_cast<float>(1.0 - PY / columns);
    const auto t0 = static_cast<float>(1.0 - PY / columns - 1.0 / columns);
    glPushMatrix();
    glTranslatef(X, Y, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex3f(-SX, -SY, 0.0f);
    glTexCoord2f(s1, t0);
    glVertex3f(SX, -SY, 0.0f);
    glTexCoord2f(s1, t1);
    glVertex3f(SX, SY, 0.0f);
    glTexCoord2f(s0, t1);
    glVertex3f(-SX, SY, 0.0f);
    glEnd();
    glPopMatrix();
}

void SkyBox(float X, float Y, float Z, float Size) {
    const float edge = Size + 100.0f;
    const float half = edge / 2.0f;
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor3ub(255, 255, 255);
    for (const SkyFace& f : skyFaces) {
        glPushMatrix();
        glTranslatef(X, Y, Z);
        if (f.angle != 0.0f) glRotatef(f.angle, f.axisX, f.axisY, 0.0f);
        glTranslatef(0.0f, 0.0f, -half);
        FindCharacter(0.0f, 0.0f, f.px, f.py, edge / f.sxDivisor, edge / f.syDivisor, 4, 2);
        glPopMatrix();
    }
    glEnable(GL_LIGHTING);
}
