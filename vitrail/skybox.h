// The sky box: six inward-facing squares cut from one 2D texture laid out as 4 by 2 cells, and
// FindCharacter, which draws one cell of a grid texture onto a quad. Keeps no state of its own;
// draws with the bound texture and reports nothing.
#pragma once

#include <cstdint>

// Draws the box of edge Size + 100 centred at (X, Y, Z) with the bound texture; leaves 2D
// texturing and lighting enabled and the current colour white.
void SkyBox(float X, float Y, float Z, float Size);
// Draws a quad in the plane z = 0 centred at (X, Y), SX and SY to either side, textured with the
// cell at column PX, row PY (counted from the top) of a texture of Rows cells across and Columns
// cells down.
void FindCharacter(float X, float Y, float PX, float PY, float SX, float SY, int32_t Rows, int32_t Columns);
