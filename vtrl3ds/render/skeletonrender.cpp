// Drawing skeletons: each bone as a GL line from its parent's animated joint to its own (a point
// for a root), with whatever colour, width and lighting the host has set. Nothing reports failure.
#include <GL/gl.h>

#include <algorithm>

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

using namespace vtrl3ds_internal;

void TGL3dsBone::Render() const {
    const float* joint = &FAnimMatrix.m_matrix[12];
    if (!FParent) {
        glBegin(GL_POINTS);
        glVertex3fv(joint);
        glEnd();
        return;
    }
    glBegin(GL_LINES);
    glVertex3fv(&FParent->FAnimMatrix.m_matrix[12]);
    glVertex3fv(joint);
    glEnd();
}

void TGLSkeleton::Render() const {
    const size_t count = boneCount(*this);
    for (size_t b = 0; b < count; ++b)
        if (FBone[b]) FBone[b]->Render();
}

void TGLAll3dsMesh::RenderSkeleton() {
    if (const TGLSkeleton* skeleton = CurrentSkeleton(*this)) skeleton->Render();
}
