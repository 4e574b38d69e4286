// The water surface: an integer ripple simulation on a static height grid, an optional analytic
// travelling wave, and the drawing of the surface (textured base pass, sphere-mapped reflection
// overlay or stencil-masked mirror). Owns the four grids and the water settings. A grid size or
// density out of range, or an integer overflow in the simulation, throws std::out_of_range or
// std::overflow_error naming the routine; nothing else reports failure.
#pragma once

#include <cstdint>

#include "vitrail/types.h"

// Largest grid (cells per side); the grids hold MAXGRIDSIZEW + 1 points per side.
constexpr int32_t MAXGRIDSIZEW = 600;

// Integer grid of heights or velocities, first index a (x), second b (z).
using HighWater = int32_t[MAXGRIDSIZEW + 1][MAXGRIDSIZEW + 1];
// Vector grid of vertices or normals, indexed like HighWater.
using VectorWater = TGLVector[MAXGRIDSIZEW + 1][MAXGRIDSIZEW + 1];

extern HighWater PosHW;              // height of each grid point (simulation state)
extern HighWater VelHW;              // vertical velocity of each grid point (simulation state)
extern VectorWater VertHW;           // vertex of each grid point, rebuilt by every CreateHighWater
extern VectorWater NormHW;           // normal of each grid point, rebuilt by every CreateHighWater
extern int32_t SetGridHW;            // the last Grid passed to CreateHighWater
extern bool WaweOnOffHW;             // analytic waves replace the simulated heights
extern float RWaweHW;                // bound of the wave phase
extern float SWaweHW;                // step of the wave phase per surface pass
extern float HWaveHW;                // wave flattening: heights are divided by 1 + HWaveHW
extern float UVHW;                   // wave phase; also scrolls the base texture
extern bool UVInvHV;                 // the phase moves downward when true
extern GLName TextureHW;             // base water texture, set by the caller
extern GLName TextureReflectHW;      // reflection texture, set by the caller
extern float XHW, YHW;               // texture offset of the reflection overlay, set by the caller
extern bool MirrorHW;                // mirror mode instead of the reflection overlay
extern VTRLProcedure MirrorObjHW;    // draws the mirrored object (null: nothing is mirrored)
extern const double ClipPlaneHW[4];  // clip plane of the mirrored object: (0, 0, -1, 0)

// One simulation step and one complete drawing of a Grid x Grid surface centred on the origin
// of the current model-view frame; Density (at least 1) damps the velocities.
void CreateHighWater(int32_t Grid, int32_t Density);
// Switches the analytic waves on with phase bound Timer, phase step Speed and flattening High.
void CreateWaweHW(float Timer, float Speed, float High);
// Sphere-mapped texture-coordinate generation for the reflection overlay, on and off.
void EffectRealWater();
void EffectRealWaterOff();

// The working steps of CreateHighWater, callable on their own.
// One ripple step on the points 2..Grid-2 of PosHW and VelHW; the grids are unchanged when the
// step would overflow 32 bits.
void MoveWater(int32_t Grid, int32_t Density);
// Rebuilds VertHW and NormHW over the points 0..Grid from PosHW.
void InitPlane(int32_t Grid);
// One surface pass: advances the wave (when on) and draws the grid as triangle strips.
void RenderWater(int32_t Grid);
// Moves the wave phase UVHW by Val, turning round at Move1 and -Move2.
void MuveUV(float Move1, float Move2, float Val);
// Stencil-masked planar reflection of what ObjName draws, seen in the surface.
void Mirror(VTRLProcedure ObjName, int32_t Grid);
// Integer heights per world unit for a grid of Grid cells: 131072 / Grid.
float WaterHeightScale(int32_t Grid);
// Length of V, and V scaled to unit length (unchanged when its length is 0).
float VectorLength(const TGLVector& V);
void Normalize(TGLVector& V);
