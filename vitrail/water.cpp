// Water surface: owns PosHW, VelHW, VertHW, NormHW and the water settings, and the routines that
// simulate, rebuild and draw the surface. A bad Grid or Density throws std::out_of_range, and a
// simulation step that would overflow 32 bits throws std::overflow_error, both before any grid is
// written; GL errors are not queried.
#include "vitrail/water.h"

#include <GL/gl.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "vitrail/glstate.h"
#include "vitrail/vtrl_ext.h"

HighWater PosHW{};
HighWater VelHW{};
VectorWater VertHW{};
VectorWater NormHW{};
int32_t SetGridHW = 0;
bool WaweOnOffHW = false;
float RWaweHW = 0;
float SWaweHW = 0;
float HWaveHW = 0;
float UVHW = 0;
bool UVInvHV = false;
GLName TextureHW = 0;
GLName TextureReflectHW = 0;
float XHW = 0, YHW = 0;
bool MirrorHW = false;
VTRLProcedure MirrorObjHW = nullptr;
const double ClipPlaneHW[4] = {0, 0, -1, 0};

namespace {

void checkGrid(const char* routine, int32_t Grid) {
    if (Grid >= 1 && Grid <= MAXGRIDSIZEW) return;
    throw std::out_of_range(std::string(routine) + ": Grid " + std::to_string(Grid) + " is outside 1.." +
                            std::to_string(MAXGRIDSIZEW));
}

void checkDensity(const char* routine, int32_t Density) {
    if (Density >= 1) return;
    throw std::out_of_range(std::string(routine) + ": Density " + std::to_string(Density) + " is below 1");
}

// The first-sweep velocity of point (a, b): its velocity plus the pull of its eight neighbours,
// in 32-bit arithmetic with truncating division. False when any operation overflows.
bool pulledVelocity(int32_t a, int32_t b, int32_t& velocity) {
    const HighWater& P = PosHW;
    int32_t s = 0, pull = 0;
    const bool overflow =
        __builtin_add_overflow(P[a - 1][b], P[a + 1][b], &s) || __builtin_add_overflow(s, P[a][b - 1], &s) ||
        __builtin_add_overflow(s, P[a][b + 1], &s) || __builtin_mul_overflow(s, 4, &s) ||
        __builtin_add_overflow(s, P[a - 1][b - 1], &s) || __builtin_add_overflow(s, P[a + 1][b - 1], &s) ||
        __builtin_add_overflow(s, P[a - 1][b + 1], &s) || __builtin_add_overflow(s, P[a + 1][b + 1], &s) ||
        __builtin_sub_overflow(P[a][b], s / 24, &pull) ||
        __builtin_add_overflow(VelHW[a][b], pull / 8, &velocity);
    return !overflow;
}

// Whether the whole step of point (a, b) fits in 32 bits: the pull, the new height and the
// product of the damping.
bool stepFits(int32_t a, int32_t b, int32_t Density) {
    int32_t velocity = 0, scratch = 0;
    return pulledVelocity(a, b, velocity) && !__builtin_sub_overflow(PosHW[a][b], velocity, &scratch) &&
           !__builtin_mul_overflow(velocity, Density - 1, &scratch);
}

// Throws when any point of the step would overflow, before anything is written.
void checkStep(int32_t Grid, int32_t Density) {
    for (int32_t a = 2; a <= Grid - 2; ++a)
        for (int32_t b = 2; b <= Grid - 2; ++b)
            if (!stepFits(a, b, Density))
                throw std::overflow_error("MoveWater: 32-bit overflow at point (" + std::to_string(a) + ", " +
                                          std::to_string(b) + ") with Density " + std::to_string(Density));
}

// Replaces the heights of points 0..Grid by the travelling wave of phase UVHW.
void applyWave(int32_t Grid) {
    MuveUV(RWaweHW, RWaweHW, SWaweHW);
    const double k = 1.0 + HWaveHW;
    const double half = Grid / 2.0;
    for (int32_t b = 0; b <= Grid; ++b) {
        const double lift = std::numbers::pi * std::sin(b + static_cast<double>(UVHW));
        for (int32_t a = 0; a <= Grid; ++a) {
            const double c = std::cos(lift + a);
            VertHW[a][b] = {static_cast<float>(a - half), static_cast<float>(std::sin(c) / k),
                            static_cast<float>(b - half)};
            NormHW[a][b].X = static_cast<float>(std::cos(c) / k);
            NormHW[a][b].Z = static_cast<float>(std::sin(c) / k);
        }
    }
}

// One vertex of a surface strip: point (j, k) with its scrolling texture coordinate.
void sendPoint(int32_t j, int32_t k, int32_t Grid) {
    const float grid = static_cast<float>(Grid);
    glTexCoord2f(static_cast<float>(j) / grid, static_cast<float>(k) / grid + UVHW / (2 * grid));
    glNormal3fv(&NormHW[j][k].X);
    glVertex3fv(&VertHW[j][k].X);
}

// Binds the reflection texture with sphere mapping, additive blending and the overlay's texture
// matrix (offset by XHW, YHW, scaled by 1.5). Leaves GL_TEXTURE the current matrix mode.
void reflectionOverlayOn() {
    glBindTexture(GL_TEXTURE_2D, TextureReflectHW);
    EffectRealWater();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glTranslatef(XHW, YHW, 0);
    glPushMatrix();
    glScalef(1.5f, 1.5f, 0);
}

// Undoes reflectionOverlayOn and returns to GL_MODELVIEW.
void reflectionOverlayOff() {
    glPopMatrix();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_BLEND);
    EffectRealWaterOff();
}

// The base pass: the water texture repeated six times across the grid, both faces drawn.
void drawBasePass(int32_t Grid) {
    glBindTexture(GL_TEXTURE_2D, TextureHW);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glScalef(6, 6, 0);
    glDisable(GL_CULL_FACE);
    RenderWater(Grid);
    glEnable(GL_CULL_FACE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// The additive sphere-mapped reflection over the base pass.
void drawReflectionOverlay(int32_t Grid) {
    reflectionOverlayOn();
    glDisable(GL_CULL_FACE);
    RenderWater(Grid);
    glEnable(GL_CULL_FACE);
    reflectionOverlayOff();
}

// Mirror, steps in frame F: writes 1 into the stencil wherever the surface covers the screen,
// with colour writes off.
void drawStencilMask(int32_t Grid) {
    glPushMatrix();
    glTranslatef(0, 0, 0);
    glPushMatrix();
    glRotatef(90, 1, 0, 0);
    reflectionOverlayOn();
    glCullFace(GL_FRONT);
    RenderWater(Grid);
    glCullFace(GL_BACK);
    reflectionOverlayOff();
    glPopMatrix();
    glPopMatrix();
}

// Draws the caller's object mirrored below the surface, only where the stencil holds 1 and on the
// far side of the clip plane. A null procedure mirrors nothing.
void drawMirroredObject(VTRLProcedure ObjName) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_EQUAL, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glEnable(GL_CLIP_PLANE0);
    glClipPlane(GL_CLIP_PLANE0, ClipPlaneHW);
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    glTranslatef(0, -1, 0);
    glRotatef(90, 0, 0, 1);
    glScalef(1, 1, -1);
    glColor4f(0.1f, 0.1f, 0.1f, 0.1f);
    glEnable(GL_BLEND);
    glCullFace(GL_FRONT);
    glPushMatrix();
    glRotatef(90, -1, 0, 0);
    glRotatef(180, 1, 0, 0);
    TwoSideOn();
    if (ObjName) ObjName();
    TwoSideOff();
    glPopMatrix();
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glPopMatrix();
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_STENCIL_TEST);
}

// The reflection overlay once more, over the mirrored object.
void drawSurfaceOverReflection(int32_t Grid) {
    glPushMatrix();
    glTranslatef(0, 0, 0);
    glPushMatrix();
    glRotatef(90, 1, 0, 0);
    drawReflectionOverlay(Grid);
    glPopMatrix();
    glPopMatrix();
}

}  // namespace

float WaterHeightScale(int32_t Grid) {
    return 131072.0f / static_cast<float>(Grid);
}

float VectorLength(const TGLVector& V) {
    return std::sqrt(V.X * V.X + V.Y * V.Y + V.Z * V.Z);
}

void Normalize(TGLVector& V) {
    const float length = VectorLength(V);
    if (length == 0) return;
    V.X /= length;
    V.Y /= length;
    V.Z /= length;
}

void CreateHighWater(int32_t Grid, int32_t Density) {
    checkGrid("CreateHighWater", Grid);
    checkDensity("CreateHighWater", Density);
    SetGridHW = Grid;
    MoveWater(Grid, Density);
    InitPlane(Grid);
    // The surface's own push and pop are on the model-view stack whatever matrix mode the caller
    // is in: inside a CubeMapBegin bracket the texture matrix is current, and pushing it here
    // while the passes return to GL_MODELVIEW would leave the texture stack two deeper and pop
    // the caller's model-view matrices on every call. The caller's mode is restored at the end.
    GLint callerMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &callerMode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    drawBasePass(Grid);
    if (!MirrorHW) {
        drawReflectionOverlay(Grid);
    } else {
        glPushMatrix();
        glRotatef(180, 1, 0, 0);
        Mirror(MirrorObjHW, Grid);
        glPopMatrix();
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(callerMode));
}

void CreateWaweHW(float Timer, float Speed, float High) {
    WaweOnOffHW = true;
    RWaweHW = Timer;
    SWaweHW = Speed;
    HWaveHW = High;
}

void EffectRealWater() {
    SetGLHiSmooth();
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
}

void EffectRealWaterOff() {
    SetGLSmooth();
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
}

void MoveWater(int32_t Grid, int32_t Density) {
    checkGrid("MoveWater", Grid);
    checkDensity("MoveWater", Density);
    checkStep(Grid, Density);
    // The first sweep reads heights only; the second moves each point by its own velocity and
    // damps it. checkStep has shown that none of this overflows.
    for (int32_t a = 2; a <= Grid - 2; ++a)
        for (int32_t b = 2; b <= Grid - 2; ++b) pulledVelocity(a, b, VelHW[a][b]);
    for (int32_t a = 2; a <= Grid - 2; ++a)
        for (int32_t b = 2; b <= Grid - 2; ++b) {
            PosHW[a][b] -= VelHW[a][b];
            VelHW[a][b] = VelHW[a][b] * (Density - 1) / Density;
        }
}

void InitPlane(int32_t Grid) {
    checkGrid("InitPlane", Grid);
    const double height = WaterHeightScale(Grid);
    const double half = Grid / 2.0;
    for (int32_t a = 0; a <= Grid; ++a)
        for (int32_t b = 0; b <= Grid; ++b)
            VertHW[a][b] = {static_cast<float>(a - half), static_cast<float>(PosHW[a][b] / height),
                            static_cast<float>(b - half)};
    // Height differences are taken in double precision, so neighbours at opposite ends of the
    // 32-bit range still give a slope instead of an overflow.
    for (int32_t a = 0; a <= Grid; ++a)
        for (int32_t b = 0; b <= Grid; ++b) {
            if (a == 0 || b == 0 || a == Grid || b == Grid) {
                NormHW[a][b] = {0, 1, 0};
                continue;
            }
            TGLVector L{static_cast<float>(static_cast<double>(PosHW[a + 1][b]) - PosHW[a - 1][b]),
                        static_cast<float>(-2 * height),
                        static_cast<float>(static_cast<double>(PosHW[a][b + 1]) - PosHW[a][b - 1])};
            Normalize(L);
            NormHW[a][b] = L;
        }
}

void RenderWater(int32_t Grid) {
    checkGrid("RenderWater", Grid);
    if (WaweOnOffHW) applyWave(Grid);
    for (int32_t i = 0; i < Grid; ++i) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int32_t j = 0; j <= Grid; ++j) {
            sendPoint(j, i + 1, Grid);
            sendPoint(j, i, Grid);
        }
        glEnd();
    }
}

void MuveUV(float Move1, float Move2, float Val) {
    if (UVHW < Move1) UVInvHV = !UVInvHV;
    if (UVHW > -Move2) UVInvHV = !UVInvHV;
    UVHW = UVInvHV ? UVHW - Val : UVHW + Val;
}

void Mirror(VTRLProcedure ObjName, int32_t Grid) {
    checkGrid("Mirror", Grid);
    glClear(GL_STENCIL_BUFFER_BIT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
    glRotatef(90, 1, 0, 0);  // frame F: the surface lies in its plane z = 0
    drawStencilMask(Grid);
    drawMirroredObject(ObjName);
    drawSurfaceOverReflection(Grid);
    glPopMatrix();
}
