// GL 1.3 entry points the tests call by name, as Mesa's library exports them. Windows' opengl32
// exports GL 1.1 alone, so there each is resolved through wglGetProcAddress on first use.
#ifdef _WIN32
#include <GL/gl.h>

#include "vitrail/platform/platform.h"

namespace {

template <typename Fn>
Fn entry(const char* name) {
    return reinterpret_cast<Fn>(wglGetProcAddress(name));
}

}  // namespace

extern "C" void APIENTRY glActiveTexture(GLenum texture) {
    static const auto fn = entry<void(APIENTRY*)(GLenum)>("glActiveTexture");
    fn(texture);
}
#endif
