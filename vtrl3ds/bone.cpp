// Life cycle of TGL3dsBone and the computation of its absolute bind-pose matrix from its parent's.
// Nothing here reports failure: a parent name that matches no bone leaves the bone a root.
#include "vtrl3ds/skeleton.h"

TGL3dsBone::TGL3dsBone(TComponent* AOwner) : TComponent(AOwner), FMatrix(std::make_unique<clsMatrix>()) {}

TGL3dsBone::~TGL3dsBone() {
    FMatrix.reset();
    FTranslateFrame.clear();
    FRotateFrame.clear();
}

void TGL3dsBone::Init() {
    TGL3dsBone* parent = nullptr;
    if (!FParentName.empty())
        if (const auto* skeleton = dynamic_cast<const TGLSkeleton*>(Owner()))
            parent = skeleton->GetBoneByName(FParentName);
    InitWithParent(parent);
}

// The GL matrix stack is not touched: bones are built without a GL context.
void TGL3dsBone::InitWithParent(TGL3dsBone* Parent) {
    FParent = Parent;
    clsMatrix relative;
    const float rotate[3] = {FRotate.X, FRotate.Y, FRotate.Z};
    const float translate[3] = {FTranslate.X, FTranslate.Y, FTranslate.Z};
    relative.SetRotationRadians(rotate);
    relative.SetTranslation(translate);
    if (!FMatrix) FMatrix = std::make_unique<clsMatrix>();
    if (!FParent || !FParent->FMatrix) {
        *FMatrix = relative;
    } else {
        *FMatrix = *FParent->FMatrix;
        FMatrix->PostMultiply(relative);
    }
    FAnimMatrix = *FMatrix;
}
