// Retained drawing: CompileDisplayList records the model's static meshes once into FDisplayList,
// each mesh as corner arrays drawn one material run at a time, the same triangles, face normals,
// texture coordinates and materials as immediate-mode drawing. Skinned meshes stay out of the
// list (they move every frame). Without a list name from GL the model stays drawn immediately.
#include <GL/gl.h>

#include <vector>

#include "vtrl3ds/private/glrelease.h"
#include "vtrl3ds/private/materialruns.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

// One vertex of a triangle as drawn: position, the face's normal, texture coordinates.
struct Corner {
    T3dpoint position, normal;
    TGLMap map;
};

void drawCorners(std::vector<Corner>& corners) {
    if (corners.empty()) return;
    glVertexPointer(3, GL_FLOAT, sizeof(Corner), &corners[0].position);
    glNormalPointer(GL_FLOAT, sizeof(Corner), &corners[0].normal);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Corner), &corners[0].map);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners.size()));  // copied into the list here
    corners.clear();
}

void recordMesh(const TGL3dsMesh& mesh, const TGLAll3dsMesh& model) {
    if (mesh.FDisplayList != 0) return glCallList(static_cast<GLuint>(mesh.FDisplayList));
    std::vector<Corner> corners;
    walkMaterialRuns(
        mesh, vertexCount(mesh),
        [&](size_t id) {
            drawCorners(corners);
            applyRunMaterial(&model, id);
        },
        [&](size_t f) {
            const uint16_t* c = &mesh.FIndices[f];
            const T3dpoint n = drawnFaceNormal(mesh, f);
            for (size_t k = 0; k < 3; ++k)
                corners.push_back({mesh.FVertex[c[k]], n,
                                   c[k] < mesh.FMapping.size() ? mesh.FMapping[c[k]] : TGLMap{0, 0}});
        });
    drawCorners(corners);
}

}  // namespace

// Client arrays are not part of a list: they are read while recording, so the list keeps the
// triangles as they are now. Textures the materials bind must exist before the list is made.
void TGLAll3dsMesh::CompileDisplayList() {
    if (FDisplayList > 0) glDeleteLists(static_cast<GLuint>(FDisplayList), 1);
    FDisplayList = 0;
    const GLuint list = glGenLists(1);
    if (list == 0) return;
    installGLRelease();
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glNewList(list, GL_COMPILE);
    const size_t n = std::min(meshCount(*this), FRenderOrder.size());
    for (size_t i = 0; i < n; ++i) {
        const TGL3dsMesh* mesh = meshInRenderOrder(*this, i);
        if (mesh && mesh->FSkinVertex.empty()) recordMesh(*mesh, *this);
    }
    glEndList();
    glPopClientAttrib();
    FDisplayList = static_cast<int32_t>(list);
}
