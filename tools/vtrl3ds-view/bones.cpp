// The skeleton as the viewer draws it: each bone a lit, tapered eight-faced solid from its
// parent's joint to its own and each joint a small sphere, sized to the figure; or, with --bones
// lines, the library's own lines and points. Over a model the bones are drawn in front of it.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "viewer.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/vector.h"

namespace {

T3dpoint add(T3dpoint a, T3dpoint b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
T3dpoint mul(T3dpoint a, float s) {
    return {a.X * s, a.Y * s, a.Z * s};
}
float dot(T3dpoint a, T3dpoint b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

T3dpoint joint(const TGL3dsBone& bone) {
    const float* m = bone.FAnimMatrix.m_matrix;
    return {m[12], m[13], m[14]};
}

// One face of a bone, its normal turned away from the bone's axis point `inside`.
void face(T3dpoint a, T3dpoint b, T3dpoint c, T3dpoint inside) {
    T3dpoint n = VCross(VectorSubtract(b, a), VectorSubtract(c, a));
    if (dot(n, VectorSubtract(a, inside)) < 0) n = mul(n, -1);
    glNormal3f(n.X, n.Y, n.Z);
    glVertex3f(a.X, a.Y, a.Z);
    glVertex3f(b.X, b.Y, b.Z);
    glVertex3f(c.X, c.Y, c.Z);
}

// A bone from a to b: widest (half-width w) a fifth of the way along, pointed at both ends.
void solidBone(T3dpoint a, T3dpoint b, float w) {
    const T3dpoint d = VectorSubtract(b, a);
    const float length = std::sqrt(dot(d, d));
    if (!(length > 1e-6f)) return;
    const T3dpoint axis = mul(d, 1 / length);
    // Any direction across the axis: the coordinate axis least along it, made square to it.
    const T3dpoint pick = std::abs(axis.X) < 0.6f ? T3dpoint{1, 0, 0} : T3dpoint{0, 1, 0};
    const T3dpoint u = Normalize(VCross(axis, pick)), v = VCross(axis, u);
    const T3dpoint mid = add(a, mul(d, 0.2f));
    const T3dpoint ring[4] = {add(mid, mul(u, w)), add(mid, mul(v, w)), add(mid, mul(u, -w)),
                              add(mid, mul(v, -w))};
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 4; ++i) {
        const T3dpoint p = ring[i], q = ring[(i + 1) % 4];
        face(a, p, q, mid);
        face(b, q, p, mid);
    }
    glEnd();
}

float length(const TGL3dsBone& bone) {
    const T3dpoint d = VectorSubtract(joint(bone), joint(*bone.FParent));
    return std::sqrt(dot(d, d));
}

// Joint radius sized to the figure: a sixth of its median bone, and no less than a fortieth of
// the scene's half-diagonal, so that a figure small in the box of a travelling motion stays visible.
float jointRadius(const TGLSkeleton& skeleton, size_t bones) {
    std::vector<float> lengths;
    for (size_t i = 0; i < bones; ++i)
        if (const TGL3dsBone* bone = skeleton.FBone[i]; bone && bone->FParent && length(*bone) > 0)
            lengths.push_back(length(*bone));
    if (lengths.empty()) return ViewScene.Radius / 40;
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    return std::max(lengths[lengths.size() / 2] / 6, ViewScene.Radius / 40);
}

void solidSkeleton(const TGLSkeleton& skeleton, GLUquadric* sphere) {
    const size_t bones =
        std::min(skeleton.FBone.size(), static_cast<size_t>(std::max(skeleton.FNumBones, 0)));
    const float r = jointRadius(skeleton, bones);
    glColor3f(0.55f, 0.42f, 0.1f);
    for (size_t i = 0; i < bones; ++i)
        if (const TGL3dsBone* bone = skeleton.FBone[i]; bone && bone->FParent) {
            const T3dpoint a = joint(*bone->FParent), b = joint(*bone);
            solidBone(a, b, std::min(0.15f * length(*bone), 1.2f * r));
        }
    glColor3f(0.6f, 0.25f, 0.12f);
    for (size_t i = 0; i < bones; ++i)
        if (const TGL3dsBone* bone = skeleton.FBone[i]) {
            const T3dpoint p = joint(*bone);
            glPushMatrix();
            glTranslatef(p.X, p.Y, p.Z);
            gluSphere(sphere, 0.8f * r, 12, 8);
            glPopMatrix();
        }
}

// The library's lines and points, bright and over everything drawn so far.
void lineSkeleton(TGLAll3dsMesh& model) {
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(ViewScene.Motion ? 3.0f : 2.0f);
    glPointSize(6);
    glColor3f(1.0f, 0.8f, 0.15f);
    model.RenderSkeleton();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glLineWidth(1);
    glPointSize(1);
}

}  // namespace

void DrawViewerBones(TGLAll3dsMesh& Model) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const TGLSkeleton* skeleton = CurrentSkeleton(Model);
    if (ViewState.BoneLines || !skeleton) return lineSkeleton(Model);
    // In front of the model, yet hiding one another as solids do.
    glClear(GL_DEPTH_BUFFER_BIT);
    static GLUquadric* sphere = gluNewQuadric();
    solidSkeleton(*skeleton, sphere);
}
