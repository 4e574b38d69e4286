// vtrl3ds-view, the model and motion viewer: its command line, its scene (the loaded model, or a
// model holding a BVH motion's skeleton), its view and playback state, and its routines. Built on
// Vitrail's window, input and GL routines and on VTRL_3DS for loading and drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

// What the command line asks for.
struct TViewerOptions {
    std::string File;      // the model or motion file
    std::string Png;       // write one frame to this PNG file and exit; empty: a window
    int32_t Width = 1024;  // client size of the window, or of the picture
    int32_t Height = 768;
    float Frame = 1;             // first frame shown (1-based)
    float Yaw = 30, Pitch = 20;  // view angles in degrees (about the vertical, then the horizontal axis)
    bool BoneLines = false;      // --bones lines: bones as lines and points instead of solid shapes
    bool Help = false;           // --help / -h: print the usage and exit
    bool Version = false;        // --version: print the version and exit
};

extern const char* const ViewerUsage;    // the help text, also printed after a wrong command line
extern const char* const ViewerVersion;  // the --version line

// Fills Options from argv; false with the reason in Error when the command line is wrong.
bool ParseViewerCommandLine(int argc, const char* const* argv, TViewerOptions& Options, std::string& Error);

// One static mesh in GL buffer objects: its vertices, its triangles' indices, and the runs of
// triangles drawn after one material change each (Material null: the state in force).
struct TViewerMeshBuffers {
    struct Run {
        TGL3dsMaterial* Material;
        size_t Offset;  // in bytes into the index buffer
        int32_t Count;  // indices
    };
    uint32_t VertexBuffer = 0, IndexBuffer = 0;
    uint32_t IndexType = 0;  // GL_UNSIGNED_SHORT or GL_UNSIGNED_INT
    bool Smooth = false;     // normals per vertex (smoothing groups): smooth shading
    std::vector<Run> Runs;
};

// The static meshes of a scene in buffer objects, by their index in FMesh (nothing for a mesh the
// library draws itself: a skinned one). Deletes its buffers.
struct TViewerBuffers {
    std::vector<TViewerMeshBuffers> Meshes;
    TViewerBuffers() = default;
    TViewerBuffers(const TViewerBuffers&) = delete;
    TViewerBuffers& operator=(const TViewerBuffers&) = delete;
    ~TViewerBuffers();
};

// The loaded scene.
struct TViewerScene {
    std::unique_ptr<TGLAll3dsMesh> Model;     // owns meshes, materials and skeletons
    TGLSkeleton* Skeleton = nullptr;          // the skeleton posed and shown; null without one
    bool Motion = false;                      // a BVH file: only its bones are drawn
    int32_t Triangles = 0;                    // triangles of the meshes drawn
    T3dpoint Minimum{}, Maximum{};            // box of what is drawn (every frame of a motion)
    T3dpoint Centre{};                        // its centre
    float Radius = 1;                         // half its diagonal (1 for an empty scene)
    bool Extended = false;                    // the box is more than one point
    int32_t NumFrames = 0;                    // frames of the animation; 0 or 1 when it does not move
    float FrameRate = 30;                     // frames per second of playback
    std::unique_ptr<TViewerBuffers> Buffers;  // the static meshes, once the GL context exists
    TKeyframer Keyframer;                     // a 3DS file's keyframer; empty for other files
    std::vector<TKfPlacement> Placements;     // the meshes placed by its nodes at the frame shown
};

// View and playback state, changed by the controls.
struct TViewerState {
    float Frame = 1;           // frame shown, 1-based, fractional while playing
    bool Playing = false;      // Space
    bool ShowBones = false;    // B: the skeleton's bones over the model (always on for a motion)
    bool BoneLines = false;    // bones as lines rather than solid shapes
    bool Wireframe = false;    // W
    bool ShowTextures = true;  // T
    double PlayStart = 0;      // clock (seconds) and frame when playback last started
    float PlayStartFrame = 1;
    float StartYaw = 0, StartPitch = 0;  // the view F goes back to
    float Distance = 40;                 // camera to the box's centre before zooming, in view units
};

extern TViewerScene ViewScene;
extern TViewerState ViewState;

// Loads File into ViewScene (no GL needed): models by LoadFromFile, .bvh files as the skeleton of a
// new model; computes triangles, frames and the framing sphere. Raises the library's error, or a
// std::runtime_error for a name the library does not read.
void LoadViewerScene(const std::string& File);
// True when the scene holds something to draw (triangles, or bones).
bool ViewerSceneHasGeometry();
// Once the GL context exists: loads the texture maps, puts the static meshes in buffer objects and
// poses the first frame.
void PrepareViewerScene();
// The static meshes of Model in buffer objects (buffers.cpp); null when the GL has none.
std::unique_ptr<TViewerBuffers> BuildViewerBuffers(const TGLAll3dsMesh& Model);
// Draws Model as TGLAll3dsMesh::Render would: static meshes from Buffers, skinned ones by the library.
void DrawViewerBuffers(TGLAll3dsMesh& Model, const TViewerBuffers& Buffers);
// While it lives, the GL state drawing from buffer objects needs (client arrays, flat shading),
// put back after. Mesh draws one mesh of Model: from Buffers when they hold it, else by the
// library (a skinned mesh, or no buffers at all).
class TViewerMeshDrawing {
  public:
    TViewerMeshDrawing(TGLAll3dsMesh& Model, const TViewerBuffers* Buffers);
    ~TViewerMeshDrawing();
    TViewerMeshDrawing(const TViewerMeshDrawing&) = delete;
    TViewerMeshDrawing& operator=(const TViewerMeshDrawing&) = delete;
    void Mesh(size_t Index);

  private:
    TGLAll3dsMesh& FModel;
    const TViewerBuffers* FBuffers;
    int32_t FShading = 0;
};
// Poses the skeleton (and re-skins the model) at Frame, clamped to the animation's frames.
void SetViewerFrame(float Frame);

// Sends the toolkit's message boxes and notes to the viewer instead of the screen (none blocks).
void InstallViewerMessages();
// While true, a toolkit box raises std::runtime_error with the cause the platform noted.
void ViewerOpening(bool Opening);
// The text of the last toolkit box since the last call (a texture the toolkit refused), or "".
std::string TakeViewerMessage();
// 3DS keyframer playback (keyframes.cpp): reads the keyframer of the loaded 3DS model and, when
// its nodes place meshes and move, plays its segment as frames 1 .. N at 30 frames per second.
void LoadViewerKeyframer(const std::string& File);
// True when the keyframer's nodes place the model's meshes.
bool ViewerKeyframed();
// The keyframer's frame shown at the viewer's (1-based) Frame.
float ViewerKeyframerFrame(float Frame);
// Places the meshes at the viewer's Frame.
void PoseViewerKeyframer(float Frame);
// The box of the placed meshes; false when nothing is placed.
bool ViewerPlacedBox(T3dpoint& Minimum, T3dpoint& Maximum);
// Draws every placement (instances again, hidden nodes not), then the meshes no node places.
void DrawViewerPlacements(TGLAll3dsMesh& Model);

// A GL texture from an image file (TGA, BMP, PNG, JPEG ...) with mipmaps; 0 on failure.
uint32_t LoadViewerTexture(const std::string& Path);

// Frames the scene seen from Yaw and Pitch: the angles, and the distance at which the box fills
// two thirds of the window's narrower side; zoom back to none.
void ResetViewerCamera(float Yaw, float Pitch);
// Draws the current skeleton's bones as lit solids over what is drawn (or as lines, BoneLines).
void DrawViewerBones(TGLAll3dsMesh& Model);
// Draws one frame of the scene into the back buffer (Width x Height of the window).
void DrawViewerFrame();
// Applies the keys held this frame (edges only) and advances playback to the clock Now (seconds).
void ViewerKeyboard(double Now);
// Zooms by the mouse wheel's turn Delta (120 a notch, positive away from the user: nearer).
void ViewerWheel(int32_t Delta);
// The window caption: file name, triangle count and, for an animated file, the frame.
std::string ViewerCaption(const std::string& File);

// Reads the back buffer (Width x Height) and writes it as a PNG file; false when it cannot.
bool WriteViewerPng(const std::string& Path, int32_t Width, int32_t Height);

// The whole program; returns its exit code (0, 1 for a file that fails, 2 for a wrong command line).
int ViewerMain(int argc, const char* const* argv);
