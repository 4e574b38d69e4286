// Post-processing pass CalculateSize: each mesh's bounding box over the vertices its faces use,
// and the model's box, which starts at the origin and so always contains it. Reports nothing;
// corners naming a vertex beyond the list are passed over.
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/model.h"

using namespace vtrl3ds_internal;

namespace {

// Lowers Minimum and raises Maximum component by component to take in P.
void widen(T3dpoint& Minimum, T3dpoint& Maximum, const T3dpoint& P) {
    if (Minimum.X > P.X) Minimum.X = P.X;
    if (Minimum.Y > P.Y) Minimum.Y = P.Y;
    if (Minimum.Z > P.Z) Minimum.Z = P.Z;
    if (Maximum.X < P.X) Maximum.X = P.X;
    if (Maximum.Y < P.Y) Maximum.Y = P.Y;
    if (Maximum.Z < P.Z) Maximum.Z = P.Z;
}

}  // namespace

void TGL3dsMesh::CalculateSize() {
    const size_t vertices = vtrl3ds_internal::vertexCount(*this);
    const size_t corners = std::min(static_cast<size_t>(std::max(FNumIndices, 0)), FIndices.size());
    bool first = true;
    FMinimum = FMaximum = {0, 0, 0};
    for (size_t k = 0; k < corners; ++k) {
        if (FIndices[k] >= vertices) continue;
        const T3dpoint& p = FVertex[FIndices[k]];
        if (first) FMinimum = FMaximum = p;
        first = false;
        widen(FMinimum, FMaximum, p);
    }
}

void TGLAll3dsMesh::CalculateSize() {
    FMinimum = FMaximum = {0, 0, 0};
    for (size_t i = 0; i < meshCount(*this); ++i) {
        TGL3dsMesh* mesh = FMesh[i];
        if (!mesh || mesh->FNumIndices <= 0) continue;
        mesh->CalculateSize();
        widen(FMinimum, FMaximum, mesh->FMinimum);
        widen(FMinimum, FMaximum, mesh->FMaximum);
    }
}
