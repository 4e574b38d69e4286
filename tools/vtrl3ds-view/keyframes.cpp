// The viewer's 3DS keyframer playback: the file's keyframer read beside the model, its segment
// played as the viewer's frames 1 .. N when its nodes move, every mesh drawn where its nodes place
// it at the frame shown (once per instance, hidden nodes left out), meshes no node names drawn as
// loaded; a scene that does not move is recorded once. The
// keyframer's repairs are printed as warnings on standard error; nothing here fails.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "viewer.h"
#include "vtrl3ds/text.h"

namespace {

// The corners of the box lo..hi moved by m.
void addCorners(const TKfMatrix& m, const T3dpoint& lo, const T3dpoint& hi, T3dpoint& min, T3dpoint& max,
                bool& any) {
    for (int i = 0; i < 8; ++i) {
        const T3dpoint c{i & 1 ? hi.X : lo.X, i & 2 ? hi.Y : lo.Y, i & 4 ? hi.Z : lo.Z};
        const T3dpoint p{m[0] * c.X + m[4] * c.Y + m[8] * c.Z + m[12],
                         m[1] * c.X + m[5] * c.Y + m[9] * c.Z + m[13],
                         m[2] * c.X + m[6] * c.Y + m[10] * c.Z + m[14]};
        if (!any) min = max = p, any = true;
        min = {std::min(min.X, p.X), std::min(min.Y, p.Y), std::min(min.Z, p.Z)};
        max = {std::max(max.X, p.X), std::max(max.Y, p.Y), std::max(max.Z, p.Z)};
    }
}

// True when some node's tracks change over the segment.
bool moves(const TKeyframer& kf) {
    return std::any_of(kf.Nodes.begin(), kf.Nodes.end(), [](const TKfNode& n) {
        return n.Position.Keys.size() > 1 || n.Rotation.Keys.size() > 1 || n.Scale.Keys.size() > 1 ||
               !n.Hide.Keys.empty();
    });
}

}  // namespace

void LoadViewerKeyframer(const std::string& File) {
    ViewScene.Keyframer = ReadKeyframerOf(*ViewScene.Model);
    for (const std::string& w : ViewScene.Keyframer.Warnings)
        std::fprintf(stderr, "vtrl3ds-view: %s: %s\n", Cp1252ToUtf8(File).c_str(), Cp1252ToUtf8(w).c_str());
    ViewScene.Placements =
        PlaceMeshes(ViewScene.Keyframer, *ViewScene.Model, float(ViewScene.Keyframer.SegmentStart));
    if (ViewScene.Placements.empty() || !moves(ViewScene.Keyframer)) return;
    const int64_t span = int64_t{ViewScene.Keyframer.SegmentEnd} - ViewScene.Keyframer.SegmentStart;
    ViewScene.NumFrames = static_cast<int32_t>(std::clamp<int64_t>(span + 1, 1, INT32_MAX));
    ViewScene.FrameRate = 30;  // 3DS files store no rate
}

bool ViewerKeyframed() {
    return !ViewScene.Placements.empty();
}

float ViewerKeyframerFrame(float Frame) {
    return float(ViewScene.Keyframer.SegmentStart) + Frame - 1;
}

void PoseViewerKeyframer(float Frame) {
    if (ViewerKeyframed())
        ViewScene.Placements =
            PlaceMeshes(ViewScene.Keyframer, *ViewScene.Model, ViewerKeyframerFrame(Frame));
}

bool ViewerPlacedBox(T3dpoint& Minimum, T3dpoint& Maximum) {
    bool any = false;
    for (const TKfPlacement& p : ViewScene.Placements) {
        const TGL3dsMesh& m = *ViewScene.Model->FMesh[size_t(p.Mesh)];
        if (m.FNumIndices >= 3 && !m.FVertex.empty())
            addCorners(p.Matrix, m.FMinimum, m.FMaximum, Minimum, Maximum, any);
    }
    return any;
}

void DrawViewerPlacements(TGLAll3dsMesh& Model) {
    TViewerMeshDrawing drawing(Model, ViewScene.Buffers.get());
    std::vector<bool> placed(Model.FMesh.size(), false);
    for (const TKfPlacement& p : ViewScene.Placements) {
        placed[size_t(p.Mesh)] = true;
        if (p.Hidden) continue;
        glPushMatrix();
        glMultMatrixf(p.Matrix.data());
        drawing.Mesh(size_t(p.Mesh));
        glPopMatrix();
    }
    const size_t meshes = std::min(Model.FMesh.size(), static_cast<size_t>(std::max(Model.FNumMeshes, 0)));
    for (size_t i = 0; i < meshes; ++i)
        if (!placed[i]) drawing.Mesh(i);
}
