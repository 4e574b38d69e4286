// VTRL_Ext: defines the 46 OpenGL 1.3 entry-point pointers and Load_GL_version_1_3, which fills
// them through the platform's wglGetProcAddress in a fixed order and reports a missing entry point
// by returning false (its pointer null, the later ones untouched).
#include "vitrail/vtrl_ext.h"

#include <string>

#include "vitrail/platform/platform.h"

namespace VTRL_Ext {

PFNGLACTIVETEXTUREPROC glActiveTexture = nullptr;
PFNGLCLIENTACTIVETEXTUREPROC glClientActiveTexture = nullptr;
PFNGLMULTITEXCOORD1DPROC glMultiTexCoord1d = nullptr;
PFNGLMULTITEXCOORD1DVPROC glMultiTexCoord1dv = nullptr;
PFNGLMULTITEXCOORD1FPROC glMultiTexCoord1f = nullptr;
PFNGLMULTITEXCOORD1FVPROC glMultiTexCoord1fv = nullptr;
PFNGLMULTITEXCOORD1IPROC glMultiTexCoord1i = nullptr;
PFNGLMULTITEXCOORD1IVPROC glMultiTexCoord1iv = nullptr;
PFNGLMULTITEXCOORD1SPROC glMultiTexCoord1s = nullptr;
PFNGLMULTITEXCOORD1SVPROC glMultiTexCoord1sv = nullptr;
PFNGLMULTITEXCOORD2DPROC glMultiTexCoord2d = nullptr;
PFNGLMULTITEXCOORD2DVPROC glMultiTexCoord2dv = nullptr;
PFNGLMULTITEXCOORD2FPROC glMultiTexCoord2f = nullptr;
PFNGLMULTITEXCOORD2FVPROC glMultiTexCoord2fv = nullptr;
PFNGLMULTITEXCOORD2IPROC glMultiTexCoord2i = nullptr;
PFNGLMULTITEXCOORD2IVPROC glMultiTexCoord2iv = nullptr;
PFNGLMULTITEXCOORD2SPROC glMultiTexCoord2s = nullptr;
PFNGLMULTITEXCOORD2SVPROC glMultiTexCoord2sv = nullptr;
PFNGLMULTITEXCOORD3DPROC glMultiTexCoord3d = nullptr;
PFNGLMULTITEXCOORD3DVPROC glMultiTexCoord3dv = nullptr;
PFNGLMULTITEXCOORD3FPROC glMultiTexCoord3f = nullptr;
PFNGLMULTITEXCOORD3FVPROC glMultiTexCoord3fv = nullptr;
PFNGLMULTITEXCOORD3IPROC glMultiTexCoord3i = nullptr;
PFNGLMULTITEXCOORD3IVPROC glMultiTexCoord3iv = nullptr;
PFNGLMULTITEXCOORD3SPROC glMultiTexCoord3s = nullptr;
PFNGLMULTITEXCOORD3SVPROC glMultiTexCoord3sv = nullptr;
PFNGLMULTITEXCOORD4DPROC glMultiTexCoord4d = nullptr;
PFNGLMULTITEXCOORD4DVPROC glMultiTexCoord4dv = nullptr;
PFNGLMULTITEXCOORD4FPROC glMultiTexCoord4f = nullptr;
PFNGLMULTITEXCOORD4FVPROC glMultiTexCoord4fv = nullptr;
PFNGLMULTITEXCOORD4IPROC glMultiTexCoord4i = nullptr;
PFNGLMULTITEXCOORD4IVPROC glMultiTexCoord4iv = nullptr;
PFNGLMULTITEXCOORD4SPROC glMultiTexCoord4s = nullptr;
PFNGLMULTITEXCOORD4SVPROC glMultiTexCoord4sv = nullptr;
PFNGLLOADTRANSPOSEMATRIXFPROC glLoadTransposeMatrixf = nullptr;
PFNGLLOADTRANSPOSEMATRIXDPROC glLoadTransposeMatrixd = nullptr;
PFNGLMULTTRANSPOSEMATRIXFPROC glMultTransposeMatrixf = nullptr;
PFNGLMULTTRANSPOSEMATRIXDPROC glMultTransposeMatrixd = nullptr;
PFNGLSAMPLECOVERAGEPROC glSampleCoverage = nullptr;
PFNGLCOMPRESSEDTEXIMAGE3DPROC glCompressedTexImage3D = nullptr;
PFNGLCOMPRESSEDTEXIMAGE2DPROC glCompressedTexImage2D = nullptr;
PFNGLCOMPRESSEDTEXIMAGE1DPROC glCompressedTexImage1D = nullptr;
PFNGLCOMPRESSEDTEXSUBIMAGE3DPROC glCompressedTexSubImage3D = nullptr;
PFNGLCOMPRESSEDTEXSUBIMAGE2DPROC glCompressedTexSubImage2D = nullptr;
PFNGLCOMPRESSEDTEXSUBIMAGE1DPROC glCompressedTexSubImage1D = nullptr;
PFNGLGETCOMPRESSEDTEXIMAGEPROC glGetCompressedTexImage = nullptr;

namespace {

// Looks one entry point up and stores it, null when the context does not know the name.
template <class Proc>
bool fetch(Proc& slot, const char* name) {
    slot = reinterpret_cast<Proc>(wglGetProcAddress(name));
    return slot != nullptr;
}

// Texture units: the active unit and the client-side unit.
bool fetchTextureUnits() {
    return fetch(glActiveTexture, "glActiveTexture") && fetch(glClientActiveTexture, "glClientActiveTexture");
}

// Immediate-mode coordinates of a unit, 1 to 4 components, each in d, dv, f, fv, i, iv, s, sv.
bool fetchMultiTexCoords() {
    return fetch(glMultiTexCoord1d, "glMultiTexCoord1d") && fetch(glMultiTexCoord1dv, "glMultiTexCoord1dv") &&
           fetch(glMultiTexCoord1f, "glMultiTexCoord1f") && fetch(glMultiTexCoord1fv, "glMultiTexCoord1fv") &&
           fetch(glMultiTexCoord1i, "glMultiTexCoord1i") && fetch(glMultiTexCoord1iv, "glMultiTexCoord1iv") &&
           fetch(glMultiTexCoord1s, "glMultiTexCoord1s") && fetch(glMultiTexCoord1sv, "glMultiTexCoord1sv") &&
           fetch(glMultiTexCoord2d, "glMultiTexCoord2d") && fetch(glMultiTexCoord2dv, "glMultiTexCoord2dv") &&
           fetch(glMultiTexCoord2f, "glMultiTexCoord2f") && fetch(glMultiTexCoord2fv, "glMultiTexCoord2fv") &&
           fetch(glMultiTexCoord2i, "glMultiTexCoord2i") && fetch(glMultiTexCoord2iv, "glMultiTexCoord2iv") &&
           fetch(glMultiTexCoord2s, "glMultiTexCoord2s") && fetch(glMultiTexCoord2sv, "glMultiTexCoord2sv") &&
           fetch(glMultiTexCoord3d, "glMultiTexCoord3d") && fetch(glMultiTexCoord3dv, "glMultiTexCoord3dv") &&
           fetch(glMultiTexCoord3f, "glMultiTexCoord3f") && fetch(glMultiTexCoord3fv, "glMultiTexCoord3fv") &&
           fetch(glMultiTexCoord3i, "glMultiTexCoord3i") && fetch(glMultiTexCoord3iv, "glMultiTexCoord3iv") &&
           fetch(glMultiTexCoord3s, "glMultiTexCoord3s") && fetch(glMultiTexCoord3sv, "glMultiTexCoord3sv") &&
           fetch(glMultiTexCoord4d, "glMultiTexCoord4d") && fetch(glMultiTexCoord4dv, "glMultiTexCoord4dv") &&
           fetch(glMultiTexCoord4f, "glMultiTexCoord4f") && fetch(glMultiTexCoord4fv, "glMultiTexCoord4fv") &&
           fetch(glMultiTexCoord4i, "glMultiTexCoord4i") && fetch(glMultiTexCoord4iv, "glMultiTexCoord4iv") &&
           fetch(glMultiTexCoord4s, "glMultiTexCoord4s") && fetch(glMultiTexCoord4sv, "glMultiTexCoord4sv");
}

// Row-major matrices and multisample coverage.
bool fetchTransposeAndCoverage() {
    return fetch(glLoadTransposeMatrixf, "glLoadTransposeMatrixf") &&
           fetch(glLoadTransposeMatrixd, "glLoadTransposeMatrixd") &&
           fetch(glMultTransposeMatrixf, "glMultTransposeMatrixf") &&
           fetch(glMultTransposeMatrixd, "glMultTransposeMatrixd") &&
           fetch(glSampleCoverage, "glSampleCoverage");
}

// Compressed texture images: 3D, 2D and 1D images and sub-images, then the read-back.
bool fetchCompressedTextures() {
    return fetch(glCompressedTexImage3D, "glCompressedTexImage3D") &&
           fetch(glCompressedTexImage2D, "glCompressedTexImage2D") &&
           fetch(glCompressedTexImage1D, "glCompressedTexImage1D") &&
           fetch(glCompressedTexSubImage3D, "glCompressedTexSubImage3D") &&
           fetch(glCompressedTexSubImage2D, "glCompressedTexSubImage2D") &&
           fetch(glCompressedTexSubImage1D, "glCompressedTexSubImage1D") &&
           fetch(glGetCompressedTexImage, "glGetCompressedTexImage");
}

}  // namespace

bool Load_GL_version_1_3() {
    // The extension string is read as the loader always has, though nothing depends on its
    // content; without a current context the GL is not asked at all.
    const GLubyte* extensions = wglGetCurrentContext() ? glGetString(GL_EXTENSIONS) : nullptr;
    const std::string extensionList = extensions ? reinterpret_cast<const char*>(extensions) : "";
    return fetchTextureUnits() && fetchMultiTexCoords() && fetchTransposeAndCoverage() &&
           fetchCompressedTextures();
}

}  // namespace VTRL_Ext
