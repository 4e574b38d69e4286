// The teapot, reflecting a cube map, in a Vitrail window: drag with the left button to turn it,
// Escape to quit. Usage: teapot [FOLDER]; FOLDER holds positive_x.bmp ... negative_z.bmp
// (showroom installs a set in share/showroom).
#include <GL/gl.h>
#include <unistd.h>

#include <vitrail/cubemap.h>
#include <vitrail/input.h>
#include <vitrail/teapot.h>
#include <vitrail/window.h>

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) return 1;
    OGLWindowSetting(ARROW, "", GENERIC, "");
    CreateOGLWindow("Vitrail teapot", 640, 480, 32, false);
    OpenGL_Init(100, 1, 0.1, 0.1, 0.2);
    SetGLLight(GL_LIGHT0, 0, 0, 0, 0.1f);
    TGLCubeMap cubeMap{};
    GenCubeMapTex("positive_x.bmp", "negative_x.bmp", "positive_y.bmp", "negative_y.bmp", "positive_z.bmp",
                  "negative_z.bmp", cubeMap);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_MAP_REFLECTION);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_MAP_REFLECTION);
    glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_MAP_REFLECTION);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glEnable(GL_TEXTURE_CUBE_MAP);
    BindCubeMapTex(cubeMap);
    do {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SetGLMsg();
        glLoadIdentity();
        glTranslatef(0, 0, -12);
        SetGLMouseMove(GL_M0, 2);
        glTranslatef(0, -2, 0);
        glRotatef(90, -1, 0, 0);
        CubeMapBegin(XRot, YRot);
        PutGLTeapot(0, 0, 0, 2, 24);
        CubeMapEnd();
        SwapBuffers(DCWindow);
    } while (Active);
    DeleteOGLWindow();
    return 0;
}
