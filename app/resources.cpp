// Scene resources: OpenGL_CreateList loads, once before the first frame, the sky-box texture, the
// cube map, the GL 1.3 entry points and the 3DS model. Each missing file is named on standard
// error with the folder looked in; the demo runs on without it.
#include <GL/gl.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/showroom.h"
#include "vitrail/cubemap.h"
#include "vitrail/tga.h"
#include "vitrail/vtrl_ext.h"
#include "vtrl3ds/errors.h"

namespace {

constexpr const char* skyBoxFile = "sky_rocksday6.tga";
constexpr const char* faceFiles[6] = {"positive_x.bmp", "negative_x.bmp", "positive_y.bmp",
                                      "negative_y.bmp", "positive_z.bmp", "negative_z.bmp"};
constexpr const char* modelFile = "cristallo1.3ds";

// One line on standard error per data file that is not in the current folder.
void reportMissingFiles() {
    std::error_code ec;
    const std::string folder = std::filesystem::current_path(ec).string();
    const auto report = [&](const char* name) {
        if (!std::filesystem::exists(name, ec))
            std::fprintf(stderr, "showroom: data file %s not found in %s\n", name, folder.c_str());
    };
    report(skyBoxFile);
    for (const char* face : faceFiles) report(face);
    report(modelFile);
}

// Trilinear filtering for the sky box and again for the six cube faces.
void OpenGL_Texture() {
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    TextureLoadTGAID(skyBoxFile, TexSkyBox);
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    GenCubeMapTex(faceFiles[0], faceFiles[1], faceFiles[2], faceFiles[3], faceFiles[4], faceFiles[5],
                  CubeMap);
}

}  // namespace

void OpenGL_CreateList() {
    reportMissingFiles();
    OpenGL_Texture();
    // Nothing in the demo calls a GL 1.3 entry point: whether all were found is not examined.
    Load_GL_version_1_3();
    // A model that does not load ends the program; its error says what was expected and what
    // was found, and gets the file's name in front.
    try {
        Model.LoadModel3DS(0.1f, modelFile);
    } catch (const EModelError& e) {
        throw EModelError(std::string(modelFile) + ": " + e.what());
    }
}
