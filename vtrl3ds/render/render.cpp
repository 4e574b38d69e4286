// Mesh and material rendering in GL immediate mode: the material's Apply (which binds the
// material's texture), the mesh and model Render, and the GL deletes the model's destructors call. Nothing
// reports failure; GL errors are not queried. No index is followed unchecked: a face naming a vertex beyond
// the list is not drawn, a face without a material index is drawn with the state in force, and a face without
// a face normal gets one computed from its corners. A skinned mesh is drawn from its posed arrays, one
// material run at a time, with the posed vertex normals.
#include <GL/gl.h>

#include "vtrl3ds/private/glrelease.h"
#include "vtrl3ds/private/materialruns.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

void deleteTexture(uint32_t name) {
    const GLuint texture = name;
    glDeleteTextures(1, &texture);
}

void deleteList(uint32_t list) {
    glDeleteLists(list, 1);
}

// Installed during static initialisation: any program that draws a model links this file, and so
// its models' destructors release their GL objects. A program that never draws made none.
const bool glReleaseInstalled = (installGLRelease(), true);

}  // namespace

void vtrl3ds_internal::installGLRelease() {
    glRelease() = {deleteTexture, deleteList};
}

void TGL3dsMaterial::Apply() const {
    if (IgnoreMaterials) return;
    // After a 3DS load FIsAmbient holds only when the ambient chunk was the last colour kind met.
    const float r = (FIsAmbient ? FAmbR : FDifR) / 2;
    const float g = (FIsAmbient ? FAmbG : FDifG) / 2;
    const float b = (FIsAmbient ? FAmbB : FDifB) / 2;
    glDisable(GL_BLEND);
    glColor4f(r, g, b, FTransparency);
    if (FTransparency < 1.0f) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    if (FTexId != 0) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(FTexId));
    } else if (FUseTexId) {
        // The model's textures were loaded: a material without one draws untextured.
        glDisable(GL_TEXTURE_2D);
    } else if (FHasTextureMap) {
        // Never disabled again here for a later material without a texture map.
        glEnable(GL_TEXTURE_2D);
    }
    if (FTwoSided)
        glDisable(GL_CULL_FACE);
    else
        glEnable(GL_CULL_FACE);
}

namespace {

// One triangle in its own glBegin / glEnd pair.
void drawTriangle(const TGL3dsMesh& mesh, size_t f) {
    const T3dpoint n = drawnFaceNormal(mesh, f);
    glBegin(GL_TRIANGLES);
    glNormal3f(n.X, n.Y, n.Z);
    for (size_t c = 0; c < 3; ++c) {
        const uint16_t v = mesh.FIndices[f + c];
        const TGLMap t = v < mesh.FMapping.size() ? mesh.FMapping[v] : TGLMap{0, 0};
        glTexCoord2f(t.tu, t.tv);
        glVertex3fv(&mesh.FVertex[v].X);
    }
    glEnd();
}

void drawRun(std::vector<GLushort>& run) {
    if (run.empty()) return;
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(run.size()), GL_UNSIGNED_SHORT, run.data());
    run.clear();
}

// The posed arrays as client vertex arrays; faces with one material index are drawn together,
// applying materials as the immediate-mode walk does.
void drawSkinned(const TGL3dsMesh& mesh, const TGLAll3dsMesh* model) {
    const size_t vertices = std::min({vertexCount(mesh), mesh.FSkinVertex.size(), mesh.FSkinNormal.size()});
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(T3dpoint), mesh.FSkinVertex.data());
    glNormalPointer(GL_FLOAT, sizeof(T3dpoint), mesh.FSkinNormal.data());
    if (mesh.FMapping.size() >= vertices) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(TGLMap), mesh.FMapping.data());
    } else {
        glTexCoord2f(0, 0);
    }
    std::vector<GLushort> run;
    walkMaterialRuns(
        mesh, vertices,
        [&](size_t id) {
            drawRun(run);
            applyRunMaterial(model, id);
        },
        [&](size_t f) { run.insert(run.end(), &mesh.FIndices[f], &mesh.FIndices[f] + 3); });
    drawRun(run);
    glPopClientAttrib();
}

}  // namespace

void TGL3dsMesh::Render() {
    if (FDisplayList != 0) {
        glCallList(static_cast<GLuint>(FDisplayList));
        return;
    }
    if (!FSkinVertex.empty()) return drawSkinned(*this, dynamic_cast<const TGLAll3dsMesh*>(Owner()));
    const auto* model = dynamic_cast<const TGLAll3dsMesh*>(Owner());
    walkMaterialRuns(
        *this, vertexCount(*this), [&](size_t id) { applyRunMaterial(model, id); },
        [&](size_t f) { drawTriangle(*this, f); });
}

// With a display list, only the skinned meshes (which a list cannot hold) are drawn after it.
void TGLAll3dsMesh::Render() {
    const bool list = FDisplayList > 0;
    if (list) glCallList(static_cast<GLuint>(FDisplayList));
    const size_t n = std::min(meshCount(*this), FRenderOrder.size());
    for (size_t i = 0; i < n; ++i) {
        TGL3dsMesh* mesh = meshInRenderOrder(*this, i);
        if (mesh && (!list || !mesh->FSkinVertex.empty())) mesh->Render();
    }
}
