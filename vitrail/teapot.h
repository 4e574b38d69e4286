// The teapot: ten bicubic Bezier patches evaluated by GL's two-dimensional evaluators, with
// automatic normals and a texture net. Keeps no state; draws with the current texture and
// material and reports nothing.
#pragma once

#include <cstdint>

// Draws the teapot standing on the XY plane at (X, Y, Z), lid towards +Z, scaled by Scale, each
// patch evaluated on a Res by Res grid (at least 2). Restores the evaluator, enable and polygon
// state it changes and leaves back-face culling selected.
void PutGLTeapot(float X, float Y, float Z, float Scale, int32_t Res);
