// GL state switches of the toolkit: the 2D overlay set-up, the point light, material colours,
// shading, two-sided lighting, sprite blending, 2D texturing, the triangle normal and the vector
// constructor. Owns FNormal, OffX and OffY. Nothing here reports failure; GL errors are not queried.
#pragma once

#include <cstdint>

#include "vitrail/types.h"

extern double FNormal[4];  // unit normal written by FindNormal, components at indices 1..3 (x, y, z)
extern float OffX;         // x origin offset for 2D overlays, set by OpenGL_I2D
extern float OffY;         // y origin offset for 2D overlays, set by OpenGL_I2D

// Orthographic set-up for 2D overlays over the window (Width, Height); clears to (R, G, B, A).
void OpenGL_I2D(double A, double R, double G, double B);
// Moves light NLight to (LX, LY, LZ, LVal) and, when Size is not 0, draws a point marker there.
void PutGLPointLight(uint32_t NLight, float Size, float LX, float LY, float LZ, float LVal);
// Sets ambient, diffuse, specular, emission colours and shininess of both faces.
void SetGLNewMat(float AmbR, float AmbG, float AmbB, float DifR, float DifG, float DifB, float SpecR,
                 float SpecG, float SpecB, float EmisR, float EmisG, float EmisB, float Shine);
// Smooth (Gouraud) shading.
void SetGLSmooth();
// The "higher" smoothing mode: the GL offers none, so the shading model stays as it is.
void SetGLHiSmooth();
// Two-sided lighting on / off.
void TwoSideOn();
void TwoSideOff();
// Sprite mode: additive blending when Light, blending on, depth writes off.
void SetGLSprite(bool Light);
// Ends sprite mode: depth writes on, blending and alpha test off.
void SetGLSpriteOff();
// 2D texturing on / off.
void TextureOn();
void TextureOff();
// Unit normal of the triangle V1, V2, V3 (counter-clockwise faces the viewer) into FNormal[1..3].
void FindNormal(double V1X, double V1Y, double V1Z, double V2X, double V2Y, double V2Z, double V3X,
                double V3Y, double V3Z);
// The vector (X, Y, Z) in single precision.
TGLVector GLVector(double X, double Y, double Z);
