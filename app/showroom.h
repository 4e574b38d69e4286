// The demonstration program: its globals (the scene's textures, the selected element and the
// mapping mode) and its three routines: the program entry with the frame loop, the scene set-up
// OpenGL_CreateList and the per-frame OpenGL_Draw.
#pragma once

#include <cstdint>

#include "vitrail/types.h"
#include "vtrl3ds/model.h"

extern GLName TexSkyBox;     // sky-box texture
extern TGLCubeMap CubeMap;   // the environment cube map
extern int32_t SelObj;       // selected element 0..5 (keys 1..6); 5, the water, at start
extern bool EnableRefrlect;  // reflection mapping (true) or normal mapping (false)
extern TGL3dsModel Model;    // the 3DS model "cristallo1.3ds"; no scene when the file is missing

// The whole program: start-up question, window, initial GL state, scene set-up, frame loop until
// Active is false, teardown. Returns the exit code, 0.
int ShowroomMain();
// Builds the scene's resources once, before the first frame.
void OpenGL_CreateList();
// Draws one frame into the back buffer and applies the key bindings.
void OpenGL_Draw();
