// Program entry and frame loop: asks for full screen, opens the window, sets the initial GL
// state and light, builds the scene, then clears, pumps one message, draws and swaps until the
// window procedure clears Active.
#include <GL/gl.h>

#include "app/showroom.h"
#include "vitrail/input.h"
#include "vitrail/window.h"

GLName TexSkyBox = 0;
TGLCubeMap CubeMap = {};
int32_t SelObj = 5;
bool EnableRefrlect = true;
TGL3dsModel Model;

int ShowroomMain() {
    const int32_t answer =
        MessageBoxA(0, "Settare lo schermo intero?  ", "Video!", MB_YESNO | MB_ICONQUESTION);
    FullScreen = answer != IDNO;
    OGLWindowSetting(ARROW, "", GENERIC, "");
    CreateOGLWindow("Texture CubeMap - 1-6/cambia elemento - R/riflesso - N/normale", 800, 600, 32,
                    FullScreen);
    OpenGL_Init(120.0, 0, 0, 0, 0);
    SetGLRefractive();
    SetGLLight(GL_LIGHT0, 0, 0, 0, 0.1f);
    OpenGL_CreateList();
    do {
        glClear(GL_COLOR_BUFFER_BIT);
        SetGLMsg();
        OpenGL_Draw();
        SwapBuffers(DCWindow);
    } while (Active);
    DeleteOGLWindow();
    return 0;
}
