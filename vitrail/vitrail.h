// Vitrail on one screen: includes the whole toolkit and lists every call by topic, one line each.
// The headers named in each group hold the full comments and the globals. Fatal window set-up
// errors end the program through ThrowError; the TGA loader shows a box and returns false.
#pragma once

#include "vitrail/cubemap.h"
#include "vitrail/glstate.h"
#include "vitrail/imagebutton.h"
#include "vitrail/input.h"
#include "vitrail/skybox.h"
#include "vitrail/solids.h"
#include "vitrail/teapot.h"
#include "vitrail/tga.h"
#include "vitrail/types.h"
#include "vitrail/version.h"
#include "vitrail/vtrl_ext.h"
#include "vitrail/water.h"
#include "vitrail/window.h"

// ---- Window and GL context (window.h) ------------------------------------------------------------
//   OGLWindowSetting(cursor, file, icon, file)   cursor and icon kinds, before the window
//   CreateOGLWindow(name, w, h, bits, full)      registers, creates, picks a pixel format, makes current
//   WindowRegister()  WindowCreate(name)  WindowInit(parent)   its three steps
//   CreateStatusBar(parent)                      the optional status strip
//   DeleteOGLWindow()                            context, device context and window released
//   ThrowError(text)                             "Error" box, then the program ends
//   OpenGL_Init(depth, a, r, g, b)               projection, depth test, clear colour
//   SetGLRefractive()  SetGLLight(n, l0..l3)     initial material and light state
//
// ---- Input, polled once per frame (input.h) -------------------------------------------------------
//   SetGLMsg()                                   at most one waiting message to GLWndProc
//   GLWndProc(window, message, w, l)             keys, mouse flags, view angles and distance
//   SetGLKey(key)                                the key is held
//   SetGLMouseMove(xyz, speed)                   the camera placed from the mouse state
//
// ---- GL state switches (glstate.h) ---------------------------------------------------------------
//   OpenGL_I2D(a, r, g, b)                       2D overlay projection
//   PutGLPointLight(n, size, x, y, z, value)     a point light and its sprite
//   SetGLNewMat(ambient, diffuse, specular...)   material colours
//   SetGLSmooth()  SetGLHiSmooth()               shading and hints
//   TwoSideOn()  TwoSideOff()                    two-sided lighting
//   SetGLSprite(light)  SetGLSpriteOff()         additive sprites
//   TextureOn()  TextureOff()                    2D texturing
//   FindNormal(v1, v2, v3)  GLVector(x, y, z)    a triangle's normal into FNormal; a vector
//
// ---- Textures (tga.h, cubemap.h) -----------------------------------------------------------------
//   TextureLoadTGAID(file, texture)              a TGA file into a mipmapped texture
//   LoadTGA / LoadUncompressedTGA / LoadCompressedTGA(image, file)   decoding alone
//   AddMipmapsTexture(format, w, h, bits)        mipmaps of the bound texture
//   SetQualityTexture2(min, mag)                 filters of later textures
//   CheckCubeMapTex(target, file, texture)       one cube face from a BMP file
//   GetBMPDepth(file)  SwapRGB(data, size)       BMP bit depth; BGR to RGB
//   BindCubeMapTex(cube)  CubeMapBegin(x, y)  CubeMapEnd()   environment mapping on and off
//
// ---- Scenery and solids (skybox.h, solids.h, teapot.h) -------------------------------------------
//   SkyBox(x, y, z, size)                        the sky box from one texture atlas
//   FindCharacter(...)                           one cell of a texture atlas
//   Cubo(...)  Sfera(...)  Toroide(...)          cube, sphere, torus
//   PutGLTeapot(x, y, z, scale, res)             the teapot from its patches
//
// ---- Water (water.h) -----------------------------------------------------------------------------
//   CreateHighWater(grid, density)  InitPlane(grid)  MoveWater(grid, density)
//   CreateWaweHW(timer, speed, high)             the analytic wave
//   RenderWater(grid)  EffectRealWater()  EffectRealWaterOff()  MuveUV(a, b, value)
//   Mirror(draw, grid)                           the mirrored object under the surface
//   WaterHeightScale(grid)  VectorLength(v)  Normalize(v)
//
// ---- Image buttons (imagebutton.h) ---------------------------------------------------------------
//   LoadBMPFromFile(file, palette)               a BMP file as a bitmap
//   BitmapToRegion(file, colour, tolerance)      the region of a bitmap's opaque pixels
//   HoverButtonHandler(window, message, w, l)    the buttons' window procedure
//
// ---- OpenGL 1.3 entry points (vtrl_ext.h) --------------------------------------------------------
//   Load_GL_version_1_3()                        glActiveTexture, glMultiTexCoord*, ... loaded
