// Shared types of the toolkit: its vector, its parameterless procedure type and its GL names.
#pragma once

#include <cstdint>

// Three single-precision floats: the toolkit's vector.
struct TGLVector {
    float X, Y, Z;
};

// A caller-supplied procedure with no arguments (drawing callbacks, menu hooks).
using VTRLProcedure = void (*)();

// GL texture and display-list names; 0 means none.
using GLName = uint32_t;

// Six GL texture names, one per cube face, in the order of the GL face targets (+X, -X, +Y, -Y, +Z, -Z).
struct TGLCubeMap {
    GLName Tex[6];
};
