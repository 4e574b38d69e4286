// Life cycle of the model classes (materials, meshes, the model), the library switch
// IgnoreMaterials, the materials' texture hook, the model's material lookups and its generic
// LoadFromFile. Only GetMaterial reports failure (ERangeError); the destructors release the GL
// objects their objects own through the drawing code's hooks (private/glrelease.h).
#include "vtrl3ds/model.h"

#include <string>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/private/glrelease.h"
#include "vtrl3ds/private/names.h"

using namespace vtrl3ds_internal;

bool IgnoreMaterials = false;

GLRelease& vtrl3ds_internal::glRelease() {
    static GLRelease hooks;
    return hooks;
}

TGL3dsMaterial::TGL3dsMaterial(TComponent* AOwner) : TComponent(AOwner) {}

TGL3dsMaterial::~TGL3dsMaterial() {
    // Only a texture a caller made is deleted: no GL call for name 0, so a model loaded without a
    // GL context can still be destroyed.
    if (FHasTextureMap && FTexId > 0 && glRelease().deleteTexture)
        glRelease().deleteTexture(static_cast<uint32_t>(FTexId));
}

void TGL3dsMaterial::UpdateTexture() {
    if (FHasTextureMap) FDetailTex = 0;
}

TGL3dsMesh::~TGL3dsMesh() = default;

TGLAll3dsMesh::TGLAll3dsMesh(TComponent* AOwner) : TComponent(AOwner) {}

TGLAll3dsMesh::~TGLAll3dsMesh() {
    if (FDisplayList > 0 && glRelease().deleteList)
        glRelease().deleteList(static_cast<uint32_t>(FDisplayList));
    FName.clear();
    DestroyComponents();
    FMesh.clear();
    FMaterial.clear();
    FSkeleton.clear();
}

TGL3dsMaterial* TGLAll3dsMesh::GetMaterial(int32_t Index) const {
    if (Index < 0 || static_cast<size_t>(Index) >= FMaterial.size())
        throw ERangeError("GetMaterial: index " + std::to_string(Index) + " outside the " +
                          std::to_string(FMaterial.size()) + " materials");
    return FMaterial[static_cast<size_t>(Index)];
}

int32_t TGLAll3dsMesh::GetMaterialIDByName(const std::string& S) const {
    if (FNumMaterials == 0) return -1;
    for (size_t i = 0; i < FMaterial.size(); ++i)
        if (FMaterial[i] && equalIgnoringAsciiCase(FMaterial[i]->FName, S)) return static_cast<int32_t>(i);
    return -1;
}

void TGLAll3dsMesh::LoadFromFile(const std::string& FileName) {
    FName = FileName;
    // The loader is picked by the name's last four characters, ignoring case.
    const std::string extension = extensionOf(FileName);
    if (extension == ".3ds") Load3DSFromFile(FileName);
    if (extension == ".txt") LoadMSAFromFile(FileName);
    if (extension == ".bin") LoadBinFromFile(FileName);
}
