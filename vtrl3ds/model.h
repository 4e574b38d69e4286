// The in-memory model of the model library: materials, meshes, the whole model and the demo's
// front-end record, with the library switch IgnoreMaterials. Fields are public and read and
// written by the loaders, the post-processing passes and the renderer directly. Loaders raise
// EModelError kinds (errors.h); what they built before a failure stays owned by the model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vtrl3ds/component.h"
#include "vtrl3ds/types.h"

class TStream;
class TGLSkeleton;

extern bool IgnoreMaterials;  // while true, TGL3dsMaterial::Apply changes no GL state

// Installed by a host to turn a texture map file into a GL texture: given the resolved path of
// the file, returns its GL texture name, 0 when it could not make one. The library decodes no
// image itself.
using TTextureLoader = std::function<uint32_t(const std::string& Path)>;

// The file a texture map name stored in a model means, beside ModelFile: the stored relative path
// (backslashes as slashes, a leading ".\" dropped), else the bare file name, each component
// matched ignoring ASCII case; "" when neither names a file.
std::string ResolveTextureFile(const std::string& ModelFile, const std::string& MapName);

// One material of a model.
class TGL3dsMaterial : public TComponent {
  public:
    // Opaque (FTransparency 1), zero colours, no maps.
    explicit TGL3dsMaterial(TComponent* AOwner);
    // Deletes the GL texture FTexId when the material has a texture map.
    ~TGL3dsMaterial() override;

    // Sets colour, blending, 2D texturing and culling for this material (nothing with IgnoreMaterials);
    // binds FTexId when it names a texture.
    void Apply() const;
    // Texture hook run once per material at the end of every load: resets FDetailTex of textured
    // materials. It loads no image: TGLAll3dsMesh::LoadTextures does, when the host asks.
    void UpdateTexture();

    bool FHasTextureMap = false;  // FFileName names a texture map
    bool FHasBumpMap = false;     // FBumpMapFileName names a bump (or alpha) map
    bool FHasMaterial = false;    // a colour chunk kind was met while loading
    bool FIsAmbient = false;      // the ambient colour is the current / last colour kind met
    bool FIsDiffuse = false;      // the same for the diffuse colour
    bool FIsSpecular = false;     // the same for the specular colour
    bool FTwoSided = false;       // draw both faces (no culling)
    std::string FName;            // material name, looked up ignoring ASCII case
    std::string FFileName;        // texture map file name as stored in the file
    std::string FBumpMapFileName;
    float FUs = 0, FVs = 0;      // texture map U and V scale
    float FUOff = 0, FVOff = 0;  // texture map U and V offset
    float FRot = 0;              // texture map rotation as stored
    float FAmbR = 0, FAmbG = 0, FAmbB = 0;
    float FDifR = 0, FDifG = 0, FDifB = 0;
    float FSpcR = 0, FSpcG = 0, FSpcB = 0;
    float FTransparency = 1.0f;  // opacity used as alpha: 1 opaque, smaller is see-through
    float FBumpMapStrength = 0;
    float FShininess = 0;     // glossiness 0..1: 3DS shininess percentage / 100, MilkShape shininess / 128
    int32_t FTexId = 0;       // GL texture name of the texture map; 0 = none
    bool FUseTexId = false;   // set by LoadTextures: 2D texturing is on exactly when FTexId is set
    uint32_t FTexture = 0;    // reserved texture handle
    uint32_t FDetailTex = 0;  // detail texture handle
    uint32_t Format = 0;      // texture pixel format
};

// One mesh (named object) of a model. Arrays are per vertex, per face (triangle) or per corner.
class TGL3dsMesh : public TComponent {
  public:
    using TComponent::TComponent;
    // Releases the arrays; the display list is not deleted.
    ~TGL3dsMesh() override;

    // Draws the mesh: its display list, or its triangles with their materials.
    void Render();
    // Bounding box of the vertices that faces use (faces naming a vertex beyond the list are passed over).
    void CalculateSize();

    std::string FName;                      // object name
    int32_t FId = 0;                        // 1-based mesh number within the model
    std::vector<std::string> FMatName;      // material group names in file order
    int32_t FNumVertex = 0;                 // number of vertices
    int32_t FNumIndices = 0;                // 3 x number of triangles
    T3dpoint FPivot{};                      // subtracted from every vertex after loading
    std::vector<int32_t> FBoneID;           // per vertex: bone index, -1 = none
    std::vector<T3dpoint> FVNormal;         // per vertex: normal
    std::vector<TGLMap> FMapping;           // per vertex: texture coordinates
    std::vector<uint16_t> FMatID;           // per face: index into the model's FMaterial
    std::vector<uint32_t> FSmoothingGroup;  // per face: smoothing-group bits as read
    std::vector<uint16_t> FIndices;         // per corner: vertex index
    int32_t FDisplayList = 0;               // GL display list drawing the mesh; 0 = none
    T3dpoint FMinimum{}, FMaximum{};        // bounding box
    T3dpoint FLocalCoords{};                // origin of the local frame as stored in the file
    T3dpoint LocalAxis[3]{};                // local X, Y and Z axes as stored in the file
    std::vector<uint16_t> FNormalIndices;   // per corner: normal index
    std::vector<T3dpoint> FaceNormal;       // per face: unit normal drawn
    std::vector<T3dpoint> FVertex;          // per vertex: position
    // Posed copies for a mesh with a bone-bound vertex, empty otherwise: per vertex, the position
    // and normal at the skeleton's current frame (unbound vertices as loaded). InitSkin fills
    // them with the bind pose; Render draws such a mesh from them.
    std::vector<T3dpoint> FSkinVertex;
    std::vector<T3dpoint> FSkinNormal;
    std::vector<T3dpoint> FSkinBoneNormal;  // per vertex: the normal InitSkin put in its bone's space
};

// A whole model: meshes, materials and skeletons it owns, and what the passes derive from them.
class TGLAll3dsMesh : public TComponent {
  public:
    explicit TGLAll3dsMesh(TComponent* AOwner = nullptr);
    // Deletes the display list when set, then destroys every owned mesh, material and skeleton.
    ~TGLAll3dsMesh() override;

    // FMaterial[Index]; an index outside the array raises ERangeError.
    TGL3dsMaterial* GetMaterial(int32_t Index) const;
    // Index of the first material whose name equals S ignoring ASCII case; -1 when none does.
    int32_t GetMaterialIDByName(const std::string& S) const;

    // Sets FName and loads by the name's last four characters, ignoring case: ".3ds", ".txt"
    // (text models with their skeleton) or ".bin"; other names load nothing.
    void LoadFromFile(const std::string& FileName);
    // Sets FType to Mesh3DS and loads the named 3DS file.
    void Load3DSFromFile(const std::string& FileName);
    // Reads 3DS chunks from the stream's position to its end, then post-processes.
    void Load3DSFromStream(TStream& Stream);
    // Sets FType to MeshBIN and loads the named file in the library's binary model format.
    void LoadBinFromFile(const std::string& FileName);
    // Reads a binary model from the whole stream, from its first byte, then post-processes:
    // triangles clockwise seen from outside, face normals, size and render order.
    void LoadBinFromStream(TStream& Stream);
    // Sets FType to MeshMSA and loads the named MilkShape 3D ASCII file; when it declares bones,
    // reads its skeleton from the same file and binds the vertices to their bones (InitSkin).
    void LoadMSAFromFile(const std::string& FileName);
    // Reads MilkShape 3D ASCII meshes and materials from the rest of the stream, notes in
    // FLoadSkeleton whether bones are declared, then post-processes (triangles clockwise seen from
    // outside, face normals, size and render order).
    void LoadMSAFromStream(TStream& Stream);

    void MoveToPivot();           // subtracts each mesh's pivot from its vertices
    void CalculateScale();        // multiplies every vertex coordinate by FMasterScale
    void CalcVNormals();          // per-vertex normals, normal indices and face normals
    void CalculateSize();         // every mesh's box and the model's box (which holds the origin)
    void CalculateRenderOrder();  // moves meshes with a see-through face to the end of FRenderOrder
    // Moves every vertex bound to a bone of FSkeleton[FCurrentGLSkeleton] into that bone's space.
    void InitSkin();

    // Poses FSkeleton[FCurrentGLSkeleton] at Frame (TGLSkeleton::AdvanceAnimation) and re-skins
    // every mesh with bound vertices into FSkinVertex and FSkinNormal. Nothing without a skeleton.
    void AdvanceAnimation(float Frame);
    // Draws the bones of FSkeleton[FCurrentGLSkeleton] as lines; nothing without a skeleton.
    void RenderSkeleton();
    // Records the meshes without bound vertices into FDisplayList (replacing an earlier list), drawn
    // from vertex arrays one material run at a time; skinned meshes stay out of it. Materials are
    // recorded as applied now (textures bound, IgnoreMaterials as set).
    void CompileDisplayList();
    // Draws the model: its display list and then its skinned meshes, or its meshes in render order.
    void Render();
    // Gives every material that names a texture map a GL texture made by Loader from the file the
    // name resolves to beside the model file (FName); returns how many materials got one. A name
    // resolving to no file, or a file the loader refuses, leaves its material untextured and
    // prints one warning line on standard error naming the map and the model.
    int32_t LoadTextures(const TTextureLoader& Loader);

    std::string FName;                       // file name of the last load
    int32_t FType = 0;                       // model-type constant of the last load
    float FMasterScale = 0;                  // factor for every vertex coordinate; 0 = not set
    int32_t FDisplayList = 0;                // GL display list drawing the model; 0 = none
    std::vector<TGL3dsMesh*> FMesh;          // meshes in file order (owned through the component list)
    std::vector<int32_t> FRenderOrder;       // drawing position -> index into FMesh
    std::vector<TGL3dsMaterial*> FMaterial;  // materials in file order; FMatID values index it
    std::vector<TGLSkeleton*> FSkeleton;     // skeletons
    int32_t FNumSkeletons = 0;
    int32_t FCurrentGLSkeleton = 0;   // skeleton used for skinning
    bool FLoadSkeleton = false;       // the file declares bones
    T3dpoint FMinimum{}, FMaximum{};  // bounding box of the model
    int32_t FVersion = 0;             // file format version
    int32_t FSubVersion = 0;          // secondary version
    int32_t FNumMeshes = 0;           // meshes the passes and the renderer walk (<= FMesh size)
    int32_t FNumMaterials = 0;
    std::string FTexturePath;  // directory for texture files (unused)
};

// The demo's front end: loads a scene with a scale factor and draws it with front-face culling.
struct TGL3dsModel {
    TGLAll3dsMesh* Scene = nullptr;  // the loaded scene; freed by the next load, not by the record
    std::string FileName;            // the model file last asked for

    // Creates and loads a scene from File3DS scaled by Size, when that file exists, destroying the
    // scene of an earlier call.
    void LoadModel3DS(float Size, const std::string& File3DS);
    // Draws the scene (while its file exists) between glCullFace(GL_FRONT) and glCullFace(GL_BACK).
    void PutModel3DS();
};
