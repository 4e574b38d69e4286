// One frame of the viewer: the projection, the camera (the framing distance, then the toolkit's
// mouse camera), two lights fixed to the viewer, the model drawn by the library's renderer (faces
// without a material in a neutral grey) and the skeleton's bones over it (bones.cpp). The model is
// scaled to a sphere of radius 10 so that the mouse moves it alike whatever its units.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "viewer.h"
#include "vitrail/input.h"
#include "vitrail/window.h"

namespace {

constexpr float kRadius = 10;               // the scene's box is scaled to this half-diagonal
constexpr float kTanHalfFov = 0.41421356f;  // tan(22.5 degrees): the 45-degree view
constexpr float kFill = 2.0f / 3.0f;        // share of the window the framed box spans

float aspect() {
    return Height > 0 ? static_cast<float>(Width) / static_cast<float>(Height) : 1;
}

// The scene's point p in view units, centred, scaled and unmirrored, before the camera turns.
T3dpoint viewUnits(T3dpoint p) {
    const float s = kRadius / ViewScene.Radius;
    p = {(p.X - ViewScene.Centre.X) * s, (p.Y - ViewScene.Centre.Y) * s, (p.Z - ViewScene.Centre.Z) * s};
    // The 3DS loader exchanges Y and Z, which mirrors the model; mirroring Z back shows it as made.
    if (ViewScene.Model && ViewScene.Model->FType == Mesh3DS) p.Z = -p.Z;
    return p;
}

// p turned as SetGLMouseMove turns the scene: about Y by Yaw, then about X by Pitch (degrees).
T3dpoint turned(T3dpoint p, float Yaw, float Pitch) {
    const float y = Yaw * 0.017453293f, x = Pitch * 0.017453293f;
    const T3dpoint a = {p.X * std::cos(y) + p.Z * std::sin(y), p.Y, -p.X * std::sin(y) + p.Z * std::cos(y)};
    return {a.X, a.Y * std::cos(x) - a.Z * std::sin(x), a.Y * std::sin(x) + a.Z * std::cos(x)};
}

// The nearest distance at which every corner of the box lies within kFill of the view's centre.
float framingDistance(float Yaw, float Pitch) {
    const T3dpoint lo = ViewScene.Minimum, hi = ViewScene.Maximum;
    float d = kRadius;
    for (int i = 0; i < 8; ++i) {
        const T3dpoint c =
            turned(viewUnits({i & 1 ? hi.X : lo.X, i & 2 ? hi.Y : lo.Y, i & 4 ? hi.Z : lo.Z}), Yaw, Pitch);
        d = std::max(d, c.Z + std::abs(c.Y) / (kFill * kTanHalfFov));
        d = std::max(d, c.Z + std::abs(c.X) / (kFill * kTanHalfFov * aspect()));
    }
    return d;
}

// Keeps the camera outside the box's centre, then sets the projection around the scene.
void projection(float& distance) {
    const float start = ViewState.Distance;
    Depth = std::max(Depth, 1 - start);
    distance = start + Depth;
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, aspect(), std::max(0.05f, distance - 1.1f * kRadius), distance + 1.1f * kRadius);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void light(GLenum id, const float position[4], float diffuse, float specular) {
    const float d[4] = {diffuse, diffuse, diffuse, 1}, s[4] = {specular, specular, specular, 1};
    const float none[4] = {0, 0, 0, 1};
    glLightfv(id, GL_POSITION, position);
    glLightfv(id, GL_AMBIENT, none);
    glLightfv(id, GL_DIFFUSE, d);
    glLightfv(id, GL_SPECULAR, s);
    glEnable(id);
}

// A key light from above left of the viewer and a weaker fill from the right, both placed with
// an identity model-view so that they stay with the viewer while the model turns. The library's
// materials set the current colour (half their diffuse colour), which colour tracking turns into
// ambient and diffuse; the key light is bright enough to bring it back to full strength.
void lights() {
    const float key[4] = {-0.45f, 0.6f, 1, 0}, fill[4] = {0.7f, -0.1f, 0.6f, 0};
    const float ambient[4] = {0.4f, 0.4f, 0.4f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    light(GL_LIGHT0, key, 1.6f, 0.2f);
    light(GL_LIGHT1, fill, 0.6f, 0);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
}

// Textures off: texturing stays as the materials set it, but each texel is replaced by the
// material's colour, so retained drawing needs no second recording.
void textureMode() {
    if (ViewState.ShowTextures) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        return;
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_PRIMARY_COLOR);
}

// Faces without a material: a mid grey, given as the materials give their colours (halved, see
// lights), so lit faces keep their shading instead of saturating to white; a model with no
// material at all also gets a little shine, as other viewers show such models.
void defaultMaterial(const TGLAll3dsMesh& model) {
    const float shine = model.FNumMaterials > 0 ? 0.0f : 0.3f;
    const float specular[4] = {shine, shine, shine, 1};
    glColor4f(0.3f, 0.3f, 0.3f, 1);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 24);
}

void drawModel(TGLAll3dsMesh& model) {
    glPolygonMode(GL_FRONT_AND_BACK, ViewState.Wireframe ? GL_LINE : GL_FILL);
    defaultMaterial(model);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    textureMode();
    // The library's triangles run clockwise seen from the side they face; mirroring a 3DS model
    // back turns them counter-clockwise.
    glEnable(GL_CULL_FACE);
    glCullFace(model.FType == Mesh3DS ? GL_BACK : GL_FRONT);
    if (ViewerKeyframed())
        DrawViewerPlacements(model);
    else if (ViewScene.Buffers)
        DrawViewerBuffers(model, *ViewScene.Buffers);
    else
        model.Render();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
}

}  // namespace

void ResetViewerCamera(float Yaw, float Pitch) {
    XRot = XRot2 = Pitch;
    YRot = YRot2 = Yaw;
    Depth = Depth2 = 0;
    ViewState.Distance = framingDistance(Yaw, Pitch);
}

void DrawViewerFrame() {
    glClearColor(0.17f, 0.19f, 0.23f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    float distance = 0;
    projection(distance);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_NORMALIZE);
    lights();
    glTranslatef(0, 0, -(distance - Depth));
    SetGLMouseMove(GL_M0, 2);
    const float s = kRadius / ViewScene.Radius;
    glScalef(s, s, s);
    if (ViewScene.Model->FType == Mesh3DS) glScalef(1, 1, -1);  // as viewUnits
    glTranslatef(-ViewScene.Centre.X, -ViewScene.Centre.Y, -ViewScene.Centre.Z);
    if (!ViewScene.Motion) drawModel(*ViewScene.Model);
    if (ViewScene.Skeleton && (ViewScene.Motion || ViewState.ShowBones)) DrawViewerBones(*ViewScene.Model);
}
