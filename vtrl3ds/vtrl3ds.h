// VTRL_3DS on one screen: includes the whole model library and lists every call by topic, one
// line each. The headers named in each group hold the full comments. Loading failures are
// EModelError kinds (errors.h); drawing reports nothing.
#pragma once

#include "vtrl3ds/component.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/matrix.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/normals.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"
#include "vtrl3ds/text.h"
#include "vtrl3ds/types.h"
#include "vtrl3ds/vector.h"
#include "vtrl3ds/version.h"

// ---- Loading a file (host.h) --------------------------------------------------------------------
//   IsModelFile(name)                       .3ds, .txt or .bin, ignoring case
//   IsMotionFile(name)                      .bvh, ignoring case
//   LoadModelOrMotion(model, name)          any model or motion; EFileTypeError when none is read
//   LoadMotionOrSkeleton(name)              a BVH motion, or a model's skeleton, as a TMotion
//   CurrentSkeleton(model)                  the skeleton posed and skinned with, or null
//   CountModel(model)                       meshes, materials, vertices, faces, bones, frames
//
// ---- The model (model.h) ------------------------------------------------------------------------
//   TGLAll3dsMesh::LoadFromFile(name)       by extension: .3ds, .txt, .bin; others load nothing
//   TGLAll3dsMesh::Load3DSFromFile/Stream   3DS chunks, then the passes below
//   TGLAll3dsMesh::LoadMSAFromFile/Stream   MilkShape 3D ASCII meshes, materials and skeleton
//   TGLAll3dsMesh::LoadBinFromFile/Stream   the library's binary format
//   TGLAll3dsMesh::GetMaterial(i)           FMaterial[i]; ERangeError outside
//   TGLAll3dsMesh::GetMaterialIDByName(s)   first material named s ignoring case, or -1
//   TGLAll3dsMesh::LoadTextures(loader)     host-made GL textures for the materials' maps
//   ResolveTextureFile(model, map)          the file a stored map name means beside the model
//   IgnoreMaterials                         while true, materials change no GL state
//
// ---- Writing glTF 2.0 (gltf.h, normals.h) ------------------------------------------------------
//   WriteGltf(model, path, options)         a loaded model or motion as .glb or .gltf (+ .bin, images)
//   BuildGltfScene(model, options)          the scene description: meshes, materials, nodes, skins, animation
//   BuildGltfScene(model, kf, options)      the same with a 3DS keyframer's node tree and animation given
//   WriteGltfScene(scene, path)             its files, each written whole or not at all
//   GltfSceneToGlb(scene)                   the .glb bytes in memory
//   GltfImageMimeType(bytes)                "image/png", "image/jpeg" or ""
//   SmoothingGroupNormals(mesh)             per-corner normals honouring 3DS smoothing groups
//
// ---- Post-processing passes (model.h; run by the loaders) ---------------------------------------
//   MoveToPivot()  CalculateScale()  CalcVNormals()  CalculateSize()  CalculateRenderOrder()
//   TGL3dsMesh::CalculateSize()             one mesh's box
//   TGLAll3dsMesh::InitSkin()               bound vertices into their bones' space
//
// ---- Skeletons and playback (skeleton.h, model.h) -----------------------------------------------
//   TGLSkeleton::LoadFromFile(name)         .bvh motion or MilkShape .txt bones
//   TGLSkeleton::LoadBVHFromFile/Stream     BVH hierarchy and motion
//   TGLSkeleton::LoadMSAFromFile/Stream     MilkShape bone section
//   TGLSkeleton::GetBone(i)                 FBone[i]; ERangeError outside
//   TGLSkeleton::GetBoneByName(s)           first bone named s ignoring case, or null
//   TGLSkeleton::AdvanceAnimation(frame)    every bone's FAnimMatrix at a 1-based frame
//   TGL3dsBone::Init() / InitWithParent(p)  bind-pose FMatrix from the parent's
//   TGL3dsBone::AdvanceAnimation(frame)     one bone's FAnimMatrix
//   TGLAll3dsMesh::AdvanceAnimation(frame)  poses the current skeleton and re-skins the meshes
//
// ---- Motions as tables (motion.h) ----------------------------------------------------------------
//   TMotion                                 joints, parents, offsets, channels, End Sites, frames x channels
//   LoadMotion(name) / MotionFromText       BVH into a table (the skeleton loader's parse)
//   SaveMotion(motion, name) / MotionToText BVH whose numbers read back the same
//   MotionFromSkeleton(skeleton)            any skeleton's animation sampled once a frame
//   WorldPositions(motion)                  frames x joints x 3 in one array
//   WithRotationOrder(motion, "ZXY", joint) rotation channels in another order, joints in place
//   Resample(motion, fps)                   another frame rate, rotations by slerp
//   CutFrames(motion, first, last)          frames first .. last - 1
//
// ---- The 3DS keyframer (keyframer.h) ------------------------------------------------------------
//   ReadKeyframer(name) / FromStream(s)     nodes, pivots, instances, tracks, segment; model untouched
//   ReadKeyframerOf(model)                  the keyframer of the 3DS file a model came from, or empty
//   EvaluateKeyframer(kf, frame)            every node's matrix and hiding at a fractional frame
//   EvaluateKfNode(node, frame)             one node's own translation, rotation, scale and hiding
//   PlaceMeshes(kf, model, frame)           each mesh placed by each node naming it (instances again)
//   PoseVertices(mesh, matrix, out)         a mesh's vertices moved by a placement
//   KfNodeTypeName(node)                    "object", "dummy", "camera", "light", ...
//
// ---- Drawing with OpenGL (model.h, skeleton.h; the vtrl3ds target) ------------------------------
//   TGL3dsMaterial::Apply()                 colour, blending, texture and culling of a material
//   TGL3dsMesh::Render()                    one mesh, one material run at a time
//   TGLAll3dsMesh::Render()                 the model in render order (its display list first)
//   TGLAll3dsMesh::CompileDisplayList()     records the static meshes once
//   TGLAll3dsMesh::RenderSkeleton()         the current skeleton's bones as lines
//   TGLSkeleton::Render() / TGL3dsBone::Render()
//   TGL3dsModel::LoadModel3DS(size, file)   the demo's front end: load scaled
//   TGL3dsModel::PutModel3DS()              the demo's front end: draw with front-face culling
//
// ---- Maths (matrix.h, vector.h) -----------------------------------------------------------------
//   clsMatrix: LoadIdentity, SetMatrixValues, GetMatrix, PostMultiply, SetTranslation,
//              SetRotationRadians, InverseRotateVect, InverseTranslateVect
//   VCross(a, b)  Normalize(v)  VectorSubtract(a, b)  CalcNormalVector(p1, p2, p3)
//
// ---- Streams, text and numbers (stream.h, text.h, locale.h) -------------------------------------
//   TFileStream(name)  TMemoryStream(bytes)  Read  Position  Size  Seek  ReadFileBytes(name)
//   Cp1252ToUtf8(text)  Utf8ToCp1252(text)  names as stored in files, and back
//   DecimalSeparator()  SetDecimalSeparator(c)  LocaleDecimalSeparator(locale)
//
// ---- Ownership (component.h) --------------------------------------------------------------------
//   TComponent(owner)  Owner()  Components()  DestroyComponents()
