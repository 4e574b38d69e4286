// The seam between the model's life cycle and GL: the model's destructors release the GL texture
// names and display lists they own through these hooks, which the drawing code installs. Without
// the drawing code linked, nothing was ever made in GL and the hooks stay null.
#pragma once

#include <cstdint>

namespace vtrl3ds_internal {

struct GLRelease {
    void (*deleteTexture)(uint32_t name) = nullptr;  // glDeleteTextures for one name
    void (*deleteList)(uint32_t list) = nullptr;     // glDeleteLists for one list
};

// The hooks the destructors call (model.cpp); null until the drawing code installs them.
GLRelease& glRelease();

// Installs the GL deletes (render.cpp): at program start in every program that draws, and again
// by every routine that makes a GL object, so that its owner's destructor can release it.
void installGLRelease();

}  // namespace vtrl3ds_internal
