// Scene resources: OpenGL_CreateList builds, once before the first frame, what the scene
// loads from files. The sky box, the cube map, the GL 1.3 entry points and the model are not
// loaded yet; the frame is drawn without them.
#include "app/showroom.h"

void OpenGL_CreateList() {}
