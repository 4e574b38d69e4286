// Primitive solids in immediate mode, each sending normals and texture coordinates with its
// vertices: a box (Cubo), a sphere (Sfera), a torus (Toroide) and the vertex-pair emitter the box
// is built from (LineFree). No state of their own; they draw with the current texture and
// material and report nothing.
#pragma once

#include <cstdint>

// A box from corner (X1, Y1, Z1) to (X2, Y2, Z2), moved by (X, Y, Z); the texture repeats TSize
// times across each face. Faces are counter-clockwise from outside when X1 < X2, Y1 < Y2, Z1 < Z2.
void Cubo(float X, float Y, float Z, float X1, float Y1, float Z1, float X2, float Y2, float Z2, float TSize);
// A sphere centred at (PX, PY, PZ), poles on the Z axis: NumLine triangle strips from the +Z pole
// to the -Z pole, each of NumCircle segments; texture coordinates are divided by TSize.
void Sfera(float PX, float PY, float PZ, float Radius, int32_t NumCircle, int32_t NumLine, float TSize);
// A torus centred at (X, Y, Z) lying in its XY plane: ring radius R, tube radius TubeR, Rings quad
// strips of Sides segments each; the texture repeats once per unit across the XY plane.
void Toroide(float X, float Y, float Z, float TubeR, float R, int32_t Sides, int32_t Rings);
// Sends the vertices (X1, Y1, Z1) and (X2, Y2, Z2), each preceded by its texture coordinate
// (TX1, TY1) or (TX2, TY2) when Texture is true. The caller brackets it with glBegin / glEnd.
void LineFree(float TX1, float TY1, float TX2, float TY2, float X1, float Y1, float Z1, float X2, float Y2,
              float Z2, bool Texture);
