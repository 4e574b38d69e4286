// GL state switches: owns FNormal, OffX and OffY and the routines that put the fixed-function
// pipeline into the toolkit's drawing states (2D overlay, point light, materials, shading,
// two-sided lighting, sprites, texturing). Nothing reports failure; GL errors are not queried.
#include "vitrail/glstate.h"

#include <GL/gl.h>

#include <cmath>

#include "vitrail/window.h"

double FNormal[4] = {0, 0, 0, 0};
float OffX = 0;
float OffY = 0;

namespace {

// Scales (x, y, z) to unit length; a zero vector stays zero.
void reduceToUnit(double& x, double& y, double& z) {
    float length = static_cast<float>(std::sqrt(x * x + y * y + z * z));
    if (length == 0.0f) length = 1.0f;
    x /= length;
    y /= length;
    z /= length;
}

void setMaterial(GLenum what, float a, float b, float c) {
    const float values[4] = {a, b, c, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, what, values);
}

}  // namespace

void OpenGL_I2D(double A, double R, double G, double B) {
    const int32_t q = Height / Width;
    OffX = static_cast<float>(q - 2.05);
    OffY = static_cast<float>(q - 1.45);
    glClearColor(static_cast<GLclampf>(R), static_cast<GLclampf>(G), static_cast<GLclampf>(B),
                 static_cast<GLclampf>(A));
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double top = static_cast<double>(2 * Height) / Width;
    glOrtho(-2, 2, -top, top, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_NORMALIZE);
}

void PutGLPointLight(uint32_t NLight, float Size, float LX, float LY, float LZ, float LVal) {
    LightPosition[0] = LX;
    LightPosition[1] = LY;
    LightPosition[2] = LZ;
    LightPosition[3] = LVal;
    glLightfv(NLight, GL_POSITION, LightPosition);
    if (Size == 0.0f) return;
    glPointSize(Size);
    glBegin(GL_POINTS);
    glNormal3f(0, 0, 1);
    glVertex3f(LX, LY, LZ);
    glEnd();
}

void SetGLNewMat(float AmbR, float AmbG, float AmbB, float DifR, float DifG, float DifB, float SpecR,
                 float SpecG, float SpecB, float EmisR, float EmisG, float EmisB, float Shine) {
    setMaterial(GL_AMBIENT, AmbR, AmbG, AmbB);
    setMaterial(GL_DIFFUSE, DifR, DifG, DifB);
    setMaterial(GL_SPECULAR, SpecR, SpecG, SpecB);
    setMaterial(GL_EMISSION, EmisR, EmisG, EmisB);
    setMaterial(GL_SHININESS, Shine, Shine, Shine);
}

void SetGLSmooth() {
    glShadeModel(GL_SMOOTH);
}

// The GL has no shading model beyond GL_SMOOTH: the higher smoothing mode keeps the model in
// force, without handing the GL a value it would refuse (and leave a GL error pending for).
void SetGLHiSmooth() {}

void TwoSideOn() {
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
}

void TwoSideOff() {
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
}

void SetGLSprite(bool Light) {
    if (Light) glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
}

void SetGLSpriteOff() {
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

void TextureOn() {
    glEnable(GL_TEXTURE_2D);
}

void TextureOff() {
    glDisable(GL_TEXTURE_2D);
}

void FindNormal(double V1X, double V1Y, double V1Z, double V2X, double V2Y, double V2Z, double V3X,
                double V3Y, double V3Z) {
    const double ax = V1X - V2X, ay = V1Y - V2Y, az = V1Z - V2Z;
    const double bx = V2X - V3X, by = V2Y - V3Y, bz = V2Z - V3Z;
    FNormal[1] = ay * bz - az * by;
    FNormal[2] = az * bx - ax * bz;
    FNormal[3] = ax * by - ay * bx;
    reduceToUnit(FNormal[1], FNormal[2], FNormal[3]);
}

TGLVector GLVector(double X, double Y, double Z) {
    return TGLVector{static_cast<float>(X), static_cast<float>(Y), static_cast<float>(Z)};
}
