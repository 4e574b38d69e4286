// VTRL_Ext: the OpenGL 1.3 entry points, fetched at run time from the current context, and the
// enumerants that OpenGL 1.2 to 2.0 add. Owns the 46 procedure pointers, null until
// Load_GL_version_1_3 finds them; a missing entry point is reported by its result, never a message.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// The system's GL headers declare the OpenGL 1.3 functions themselves, at global scope and under
// the same names as the pointers below. The pointers therefore live in namespace VTRL_Ext:
// VTRL_Ext::glActiveTexture is the entry point fetched from the context, ::glActiveTexture stays
// the GL library's own declaration, and neither hides the other outside this namespace.
namespace VTRL_Ext {

// Procedure types, with the signatures OpenGL 1.3 publishes for its functions. The system
// headers name some of them too, but not all, so the module keeps its own set.
using PFNGLACTIVETEXTUREPROC = void(APIENTRY*)(GLenum texture);
using PFNGLCLIENTACTIVETEXTUREPROC = void(APIENTRY*)(GLenum texture);
using PFNGLMULTITEXCOORD1DPROC = void(APIENTRY*)(GLenum target, GLdouble s);
using PFNGLMULTITEXCOORD1DVPROC = void(APIENTRY*)(GLenum target, const GLdouble* v);
using PFNGLMULTITEXCOORD1FPROC = void(APIENTRY*)(GLenum target, GLfloat s);
using PFNGLMULTITEXCOORD1FVPROC = void(APIENTRY*)(GLenum target, const GLfloat* v);
using PFNGLMULTITEXCOORD1IPROC = void(APIENTRY*)(GLenum target, GLint s);
using PFNGLMULTITEXCOORD1IVPROC = void(APIENTRY*)(GLenum target, const GLint* v);
using PFNGLMULTITEXCOORD1SPROC = void(APIENTRY*)(GLenum target, GLshort s);
using PFNGLMULTITEXCOORD1SVPROC = void(APIENTRY*)(GLenum target, const GLshort* v);
using PFNGLMULTITEXCOORD2DPROC = void(APIENTRY*)(GLenum target, GLdouble s, GLdouble t);
using PFNGLMULTITEXCOORD2DVPROC = void(APIENTRY*)(GLenum target, const GLdouble* v);
using PFNGLMULTITEXCOORD2FPROC = void(APIENTRY*)(GLenum target, GLfloat s, GLfloat t);
using PFNGLMULTITEXCOORD2FVPROC = void(APIENTRY*)(GLenum target, const GLfloat* v);
using PFNGLMULTITEXCOORD2IPROC = void(APIENTRY*)(GLenum target, GLint s, GLint t);
using PFNGLMULTITEXCOORD2IVPROC = void(APIENTRY*)(GLenum target, const GLint* v);
using PFNGLMULTITEXCOORD2SPROC = void(APIENTRY*)(GLenum target, GLshort s, GLshort t);
using PFNGLMULTITEXCOORD2SVPROC = void(APIENTRY*)(GLenum target, const GLshort* v);
using PFNGLMULTITEXCOORD3DPROC = void(APIENTRY*)(GLenum target, GLdouble s, GLdouble t, GLdouble r);
using PFNGLMULTITEXCOORD3DVPROC = void(APIENTRY*)(GLenum target, const GLdouble* v);
using PFNGLMULTITEXCOORD3FPROC = void(APIENTRY*)(GLenum target, GLfloat s, GLfloat t, GLfloat r);
using PFNGLMULTITEXCOORD3FVPROC = void(APIENTRY*)(GLenum target, const GLfloat* v);
using PFNGLMULTITEXCOORD3IPROC = void(APIENTRY*)(GLenum target, GLint s, GLint t, GLint r);
using PFNGLMULTITEXCOORD3IVPROC = void(APIENTRY*)(GLenum target, const GLint* v);
using PFNGLMULTITEXCOORD3SPROC = void(APIENTRY*)(GLenum target, GLshort s, GLshort t, GLshort r);
using PFNGLMULTITEXCOORD3SVPROC = void(APIENTRY*)(GLenum target, const GLshort* v);
using PFNGLMULTITEXCOORD4DPROC = void(APIENTRY*)(GLenum target, GLdouble s, GLdouble t, GLdouble r,
                                                 GLdouble q);
using PFNGLMULTITEXCOORD4DVPROC = void(APIENTRY*)(GLenum target, const GLdouble* v);
using PFNGLMULTITEXCOORD4FPROC = void(APIENTRY*)(GLenum target, GLfloat s, GLfloat t, GLfloat r, GLfloat q);
using PFNGLMULTITEXCOORD4FVPROC = void(APIENTRY*)(GLenum target, const GLfloat* v);
using PFNGLMULTITEXCOORD4IPROC = void(APIENTRY*)(GLenum target, GLint s, GLint t, GLint r, GLint q);
using PFNGLMULTITEXCOORD4IVPROC = void(APIENTRY*)(GLenum target, const GLint* v);
using PFNGLMULTITEXCOORD4SPROC = void(APIENTRY*)(GLenum target, GLshort s, GLshort t, GLshort r, GLshort q);
using PFNGLMULTITEXCOORD4SVPROC = void(APIENTRY*)(GLenum target, const GLshort* v);
using PFNGLLOADTRANSPOSEMATRIXFPROC = void(APIENTRY*)(const GLfloat* m);
using PFNGLLOADTRANSPOSEMATRIXDPROC = void(APIENTRY*)(const GLdouble* m);
using PFNGLMULTTRANSPOSEMATRIXFPROC = void(APIENTRY*)(const GLfloat* m);
using PFNGLMULTTRANSPOSEMATRIXDPROC = void(APIENTRY*)(const GLdouble* m);
using PFNGLSAMPLECOVERAGEPROC = void(APIENTRY*)(GLclampf value, GLboolean invert);
using PFNGLCOMPRESSEDTEXIMAGE3DPROC = void(APIENTRY*)(GLenum target, GLint level, GLenum internalformat,
                                                      GLsizei width, GLsizei height, GLsizei depth,
                                                      GLint border, GLsizei imageSize, const void* data);
using PFNGLCOMPRESSEDTEXIMAGE2DPROC = void(APIENTRY*)(GLenum target, GLint level, GLenum internalformat,
                                                      GLsizei width, GLsizei height, GLint border,
                                                      GLsizei imageSize, const void* data);
using PFNGLCOMPRESSEDTEXIMAGE1DPROC = void(APIENTRY*)(GLenum target, GLint level, GLenum internalformat,
                                                      GLsizei width, GLint border, GLsizei imageSize,
                                                      const void* data);
using PFNGLCOMPRESSEDTEXSUBIMAGE3DPROC = void(APIENTRY*)(GLenum target, GLint level, GLint xoffset,
                                                         GLint yoffset, GLint zoffset, GLsizei width,
                                                         GLsizei height, GLsizei depth, GLenum format,
                                                         GLsizei imageSize, const void* data);
using PFNGLCOMPRESSEDTEXSUBIMAGE2DPROC = void(APIENTRY*)(GLenum target, GLint level, GLint xoffset,
                                                         GLint yoffset, GLsizei width, GLsizei height,
                                                         GLenum format, GLsizei imageSize, const void* data);
using PFNGLCOMPRESSEDTEXSUBIMAGE1DPROC = void(APIENTRY*)(GLenum target, GLint level, GLint xoffset,
                                                         GLsizei width, GLenum format, GLsizei imageSize,
                                                         const void* data);
using PFNGLGETCOMPRESSEDTEXIMAGEPROC = void(APIENTRY*)(GLenum target, GLint level, void* img);

// The entry points, in load order.
extern PFNGLACTIVETEXTUREPROC glActiveTexture;                      // texture unit of later texture state
extern PFNGLCLIENTACTIVETEXTUREPROC glClientActiveTexture;          // texture unit of the coordinate array
extern PFNGLMULTITEXCOORD1DPROC glMultiTexCoord1d;                  // 1 double coordinate of a unit
extern PFNGLMULTITEXCOORD1DVPROC glMultiTexCoord1dv;                // 1 double coordinate of a unit, array
extern PFNGLMULTITEXCOORD1FPROC glMultiTexCoord1f;                  // 1 float coordinate of a unit
extern PFNGLMULTITEXCOORD1FVPROC glMultiTexCoord1fv;                // 1 float coordinate of a unit, array
extern PFNGLMULTITEXCOORD1IPROC glMultiTexCoord1i;                  // 1 int coordinate of a unit
extern PFNGLMULTITEXCOORD1IVPROC glMultiTexCoord1iv;                // 1 int coordinate of a unit, array
extern PFNGLMULTITEXCOORD1SPROC glMultiTexCoord1s;                  // 1 short coordinate of a unit
extern PFNGLMULTITEXCOORD1SVPROC glMultiTexCoord1sv;                // 1 short coordinate of a unit, array
extern PFNGLMULTITEXCOORD2DPROC glMultiTexCoord2d;                  // 2 double coordinates of a unit
extern PFNGLMULTITEXCOORD2DVPROC glMultiTexCoord2dv;                // 2 double coordinates of a unit, array
extern PFNGLMULTITEXCOORD2FPROC glMultiTexCoord2f;                  // 2 float coordinates of a unit
extern PFNGLMULTITEXCOORD2FVPROC glMultiTexCoord2fv;                // 2 float coordinates of a unit, array
extern PFNGLMULTITEXCOORD2IPROC glMultiTexCoord2i;                  // 2 int coordinates of a unit
extern PFNGLMULTITEXCOORD2IVPROC glMultiTexCoord2iv;                // 2 int coordinates of a unit, array
extern PFNGLMULTITEXCOORD2SPROC glMultiTexCoord2s;                  // 2 short coordinates of a unit
extern PFNGLMULTITEXCOORD2SVPROC glMultiTexCoord2sv;                // 2 short coordinates of a unit, array
extern PFNGLMULTITEXCOORD3DPROC glMultiTexCoord3d;                  // 3 double coordinates of a unit
extern PFNGLMULTITEXCOORD3DVPROC glMultiTexCoord3dv;                // 3 double coordinates of a unit, array
extern PFNGLMULTITEXCOORD3FPROC glMultiTexCoord3f;                  // 3 float coordinates of a unit
extern PFNGLMULTITEXCOORD3FVPROC glMultiTexCoord3fv;                // 3 float coordinates of a unit, array
extern PFNGLMULTITEXCOORD3IPROC glMultiTexCoord3i;                  // 3 int coordinates of a unit
extern PFNGLMULTITEXCOORD3IVPROC glMultiTexCoord3iv;                // 3 int coordinates of a unit, array
extern PFNGLMULTITEXCOORD3SPROC glMultiTexCoord3s;                  // 3 short coordinates of a unit
extern PFNGLMULTITEXCOORD3SVPROC glMultiTexCoord3sv;                // 3 short coordinates of a unit, array
extern PFNGLMULTITEXCOORD4DPROC glMultiTexCoord4d;                  // 4 double coordinates of a unit
extern PFNGLMULTITEXCOORD4DVPROC glMultiTexCoord4dv;                // 4 double coordinates of a unit, array
extern PFNGLMULTITEXCOORD4FPROC glMultiTexCoord4f;                  // 4 float coordinates of a unit
extern PFNGLMULTITEXCOORD4FVPROC glMultiTexCoord4fv;                // 4 float coordinates of a unit, array
extern PFNGLMULTITEXCOORD4IPROC glMultiTexCoord4i;                  // 4 int coordinates of a unit
extern PFNGLMULTITEXCOORD4IVPROC glMultiTexCoord4iv;                // 4 int coordinates of a unit, array
extern PFNGLMULTITEXCOORD4SPROC glMultiTexCoord4s;                  // 4 short coordinates of a unit
extern PFNGLMULTITEXCOORD4SVPROC glMultiTexCoord4sv;                // 4 short coordinates of a unit, array
extern PFNGLLOADTRANSPOSEMATRIXFPROC glLoadTransposeMatrixf;        // loads a row-major matrix (float)
extern PFNGLLOADTRANSPOSEMATRIXDPROC glLoadTransposeMatrixd;        // loads a row-major matrix (double)
extern PFNGLMULTTRANSPOSEMATRIXFPROC glMultTransposeMatrixf;        // times a row-major matrix (float)
extern PFNGLMULTTRANSPOSEMATRIXDPROC glMultTransposeMatrixd;        // times a row-major matrix (double)
extern PFNGLSAMPLECOVERAGEPROC glSampleCoverage;                    // multisample coverage and inversion
extern PFNGLCOMPRESSEDTEXIMAGE3DPROC glCompressedTexImage3D;        // 3D texture image from compressed data
extern PFNGLCOMPRESSEDTEXIMAGE2DPROC glCompressedTexImage2D;        // 2D texture image from compressed data
extern PFNGLCOMPRESSEDTEXIMAGE1DPROC glCompressedTexImage1D;        // 1D texture image from compressed data
extern PFNGLCOMPRESSEDTEXSUBIMAGE3DPROC glCompressedTexSubImage3D;  // 3D sub-image from compressed data
extern PFNGLCOMPRESSEDTEXSUBIMAGE2DPROC glCompressedTexSubImage2D;  // 2D sub-image from compressed data
extern PFNGLCOMPRESSEDTEXSUBIMAGE1DPROC glCompressedTexSubImage1D;  // 1D sub-image from compressed data
extern PFNGLGETCOMPRESSEDTEXIMAGEPROC glGetCompressedTexImage;      // reads an image back compressed

// Fetches the 46 entry points from the current GL context in the order above. Stops at the first
// name the context does not know, leaving its pointer null and the later ones as they were, and
// returns false; true when all were found. With no current context it returns false at once.
bool Load_GL_version_1_3();

}  // namespace VTRL_Ext

using VTRL_Ext::Load_GL_version_1_3;

// Enumerants of OpenGL 1.2 to 2.0 under their standard names and values. Each block fills in a
// version the system headers do not define; where they do, their definitions stand alone.
#ifndef GL_VERSION_1_2
#define GL_UNSIGNED_BYTE_3_3_2 0x8032
#define GL_UNSIGNED_SHORT_4_4_4_4 0x8033
#define GL_UNSIGNED_SHORT_5_5_5_1 0x8034
#define GL_UNSIGNED_INT_8_8_8_8 0x8035
#define GL_UNSIGNED_INT_10_10_10_2 0x8036
#define GL_TEXTURE_BINDING_3D 0x806A
#define GL_PACK_SKIP_IMAGES 0x806B
#define GL_PACK_IMAGE_HEIGHT 0x806C
#define GL_UNPACK_SKIP_IMAGES 0x806D
#define GL_UNPACK_IMAGE_HEIGHT 0x806E
#define GL_TEXTURE_3D 0x806F
#define GL_PROXY_TEXTURE_3D 0x8070
#define GL_TEXTURE_DEPTH 0x8071
#define GL_TEXTURE_WRAP_R 0x8072
#define GL_MAX_3D_TEXTURE_SIZE 0x8073
#define GL_UNSIGNED_BYTE_2_3_3_REV 0x8362
#define GL_UNSIGNED_SHORT_5_6_5 0x8363
#define GL_UNSIGNED_SHORT_5_6_5_REV 0x8364
#define GL_UNSIGNED_SHORT_4_4_4_4_REV 0x8365
#define GL_UNSIGNED_SHORT_1_5_5_5_REV 0x8366
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#define GL_UNSIGNED_INT_2_10_10_10_REV 0x8368
#define GL_BGR 0x80E0
#define GL_BGRA 0x80E1
#define GL_MAX_ELEMENTS_VERTICES 0x80E8
#define GL_MAX_ELEMENTS_INDICES 0x80E9
#define GL_CLAMP_TO_EDGE 0x812F
#define GL_TEXTURE_MIN_LOD 0x813A
#define GL_TEXTURE_MAX_LOD 0x813B
#define GL_TEXTURE_BASE_LEVEL 0x813C
#define GL_TEXTURE_MAX_LEVEL 0x813D
#define GL_SMOOTH_POINT_SIZE_RANGE 0x0B12
#define GL_SMOOTH_POINT_SIZE_GRANULARITY 0x0B13
#define GL_SMOOTH_LINE_WIDTH_RANGE 0x0B22
#define GL_SMOOTH_LINE_WIDTH_GRANULARITY 0x0B23
#define GL_ALIASED_LINE_WIDTH_RANGE 0x846E
#define GL_RESCALE_NORMAL 0x803A
#define GL_LIGHT_MODEL_COLOR_CONTROL 0x81F8
#define GL_SINGLE_COLOR 0x81F9
#define GL_SEPARATE_SPECULAR_COLOR 0x81FA
#define GL_ALIASED_POINT_SIZE_RANGE 0x846D
#endif
#ifndef GL_VERSION_1_3
#define GL_TEXTURE0 0x84C0
#define GL_TEXTURE1 0x84C1
#define GL_TEXTURE2 0x84C2
#define GL_TEXTURE3 0x84C3
#define GL_TEXTURE4 0x84C4
#define GL_TEXTURE5 0x84C5
#define GL_TEXTURE6 0x84C6
#define GL_TEXTURE7 0x84C7
#define GL_TEXTURE8 0x84C8
#define GL_TEXTURE9 0x84C9
#define GL_TEXTURE10 0x84CA
#define GL_TEXTURE11 0x84CB
#define GL_TEXTURE12 0x84CC
#define GL_TEXTURE13 0x84CD
#define GL_TEXTURE14 0x84CE
#define GL_TEXTURE15 0x84CF
#define GL_TEXTURE16 0x84D0
#define GL_TEXTURE17 0x84D1
#define GL_TEXTURE18 0x84D2
#define GL_TEXTURE19 0x84D3
#define GL_TEXTURE20 0x84D4
#define GL_TEXTURE21 0x84D5
#define GL_TEXTURE22 0x84D6
#define GL_TEXTURE23 0x84D7
#define GL_TEXTURE24 0x84D8
#define GL_TEXTURE25 0x84D9
#define GL_TEXTURE26 0x84DA
#define GL_TEXTURE27 0x84DB
#define GL_TEXTURE28 0x84DC
#define GL_TEXTURE29 0x84DD
#define GL_TEXTURE30 0x84DE
#define GL_TEXTURE31 0x84DF
#define GL_ACTIVE_TEXTURE 0x84E0
#define GL_MULTISAMPLE 0x809D
#define GL_SAMPLE_ALPHA_TO_COVERAGE 0x809E
#define GL_SAMPLE_ALPHA_TO_ONE 0x809F
#define GL_SAMPLE_COVERAGE 0x80A0
#define GL_SAMPLE_BUFFERS 0x80A8
#define GL_SAMPLES 0x80A9
#define GL_SAMPLE_COVERAGE_VALUE 0x80AA
#define GL_SAMPLE_COVERAGE_INVERT 0x80AB
#define GL_TEXTURE_CUBE_MAP 0x8513
#define GL_TEXTURE_BINDING_CUBE_MAP 0x8514
#define GL_TEXTURE_CUBE_MAP_POSITIVE_X 0x8515
#define GL_TEXTURE_CUBE_MAP_NEGATIVE_X 0x8516
#define GL_TEXTURE_CUBE_MAP_POSITIVE_Y 0x8517
#define GL_TEXTURE_CUBE_MAP_NEGATIVE_Y 0x8518
#define GL_TEXTURE_CUBE_MAP_POSITIVE_Z 0x8519
#define GL_TEXTURE_CUBE_MAP_NEGATIVE_Z 0x851A
#define GL_PROXY_TEXTURE_CUBE_MAP 0x851B
#define GL_MAX_CUBE_MAP_TEXTURE_SIZE 0x851C
#define GL_COMPRESSED_RGB 0x84ED
#define GL_COMPRESSED_RGBA 0x84EE
#define GL_TEXTURE_COMPRESSION_HINT 0x84EF
#define GL_TEXTURE_COMPRESSED_IMAGE_SIZE 0x86A0
#define GL_TEXTURE_COMPRESSED 0x86A1
#define GL_NUM_COMPRESSED_TEXTURE_FORMATS 0x86A2
#define GL_COMPRESSED_TEXTURE_FORMATS 0x86A3
#define GL_CLAMP_TO_BORDER 0x812D
#define GL_CLIENT_ACTIVE_TEXTURE 0x84E1
#define GL_MAX_TEXTURE_UNITS 0x84E2
#define GL_TRANSPOSE_MODELVIEW_MATRIX 0x84E3
#define GL_TRANSPOSE_PROJECTION_MATRIX 0x84E4
#define GL_TRANSPOSE_TEXTURE_MATRIX 0x84E5
#define GL_TRANSPOSE_COLOR_MATRIX 0x84E6
#define GL_MULTISAMPLE_BIT 0x20000000
#define GL_NORMAL_MAP 0x8511
#define GL_REFLECTION_MAP 0x8512
#define GL_COMPRESSED_ALPHA 0x84E9
#define GL_COMPRESSED_LUMINANCE 0x84EA
#define GL_COMPRESSED_LUMINANCE_ALPHA 0x84EB
#define GL_COMPRESSED_INTENSITY 0x84EC
#define GL_COMBINE 0x8570
#define GL_COMBINE_RGB 0x8571
#define GL_COMBINE_ALPHA 0x8572
#define GL_SOURCE0_RGB 0x8580
#define GL_SOURCE1_RGB 0x8581
#define GL_SOURCE2_RGB 0x8582
#define GL_SOURCE0_ALPHA 0x8588
#define GL_SOURCE1_ALPHA 0x8589
#define GL_SOURCE2_ALPHA 0x858A
#define GL_OPERAND0_RGB 0x8590
#define GL_OPERAND1_RGB 0x8591
#define GL_OPERAND2_RGB 0x8592
#define GL_OPERAND0_ALPHA 0x8598
#define GL_OPERAND1_ALPHA 0x8599
#define GL_OPERAND2_ALPHA 0x859A
#define GL_RGB_SCALE 0x8573
#define GL_ADD_SIGNED 0x8574
#define GL_INTERPOLATE 0x8575
#define GL_SUBTRACT 0x84E7
#define GL_CONSTANT 0x8576
#define GL_PRIMARY_COLOR 0x8577
#define GL_PREVIOUS 0x8578
#define GL_DOT3_RGB 0x86AE
#define GL_DOT3_RGBA 0x86AF
#endif
#ifndef GL_VERSION_1_4
#define GL_BLEND_DST_RGB 0x80C8
#define GL_BLEND_SRC_RGB 0x80C9
#define GL_BLEND_DST_ALPHA 0x80CA
#define GL_BLEND_SRC_ALPHA 0x80CB
#define GL_POINT_FADE_THRESHOLD_SIZE 0x8128
#define GL_DEPTH_COMPONENT16 0x81A5
#define GL_DEPTH_COMPONENT24 0x81A6
#define GL_DEPTH_COMPONENT32 0x81A7
#define GL_MIRRORED_REPEAT 0x8370
#define GL_MAX_TEXTURE_LOD_BIAS 0x84FD
#define GL_TEXTURE_LOD_BIAS 0x8501
#define GL_INCR_WRAP 0x8507
#define GL_DECR_WRAP 0x8508
#define GL_TEXTURE_DEPTH_SIZE 0x884A
#define GL_TEXTURE_COMPARE_MODE 0x884C
#define GL_TEXTURE_COMPARE_FUNC 0x884D
#define GL_POINT_SIZE_MIN 0x8126
#define GL_POINT_SIZE_MAX 0x8127
#define GL_POINT_DISTANCE_ATTENUATION 0x8129
#define GL_GENERATE_MIPMAP 0x8191
#define GL_GENERATE_MIPMAP_HINT 0x8192
#define GL_FOG_COORDINATE_SOURCE 0x8450
#define GL_FOG_COORDINATE 0x8451
#define GL_FRAGMENT_DEPTH 0x8452
#define GL_CURRENT_FOG_COORDINATE 0x8453
#define GL_FOG_COORDINATE_ARRAY_TYPE 0x8454
#define GL_FOG_COORDINATE_ARRAY_STRIDE 0x8455
#define GL_FOG_COORDINATE_ARRAY_POINTER 0x8456
#define GL_FOG_COORDINATE_ARRAY 0x8457
#define GL_COLOR_SUM 0x8458
#define GL_CURRENT_SECONDARY_COLOR 0x8459
#define GL_SECONDARY_COLOR_ARRAY_SIZE 0x845A
#define GL_SECONDARY_COLOR_ARRAY_TYPE 0x845B
#define GL_SECONDARY_COLOR_ARRAY_STRIDE 0x845C
#define GL_SECONDARY_COLOR_ARRAY_POINTER 0x845D
#define GL_SECONDARY_COLOR_ARRAY 0x845E
#define GL_TEXTURE_FILTER_CONTROL 0x8500
#define GL_DEPTH_TEXTURE_MODE 0x884B
#define GL_COMPARE_R_TO_TEXTURE 0x884E
#define GL_BLEND_COLOR 0x8005
#define GL_BLEND_EQUATION 0x8009
#define GL_CONSTANT_COLOR 0x8001
#define GL_ONE_MINUS_CONSTANT_COLOR 0x8002
#define GL_CONSTANT_ALPHA 0x8003
#define GL_ONE_MINUS_CONSTANT_ALPHA 0x8004
#define GL_FUNC_ADD 0x8006
#define GL_FUNC_REVERSE_SUBTRACT 0x800B
#define GL_FUNC_SUBTRACT 0x800A
#define GL_MIN 0x8007
#define GL_MAX 0x8008
#endif
#ifndef GL_VERSION_1_5
#define GL_BUFFER_SIZE 0x8764
#define GL_BUFFER_USAGE 0x8765
#define GL_QUERY_COUNTER_BITS 0x8864
#define GL_CURRENT_QUERY 0x8865
#define GL_QUERY_RESULT 0x8866
#define GL_QUERY_RESULT_AVAILABLE 0x8867
#define GL_ARRAY_BUFFER 0x8892
#define GL_ELEMENT_ARRAY_BUFFER 0x8893
#define GL_ARRAY_BUFFER_BINDING 0x8894
#define GL_ELEMENT_ARRAY_BUFFER_BINDING 0x8895
#define GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING 0x889F
#define GL_READ_ONLY 0x88B8
#define GL_WRITE_ONLY 0x88B9
#define GL_READ_WRITE 0x88BA
#define GL_BUFFER_ACCESS 0x88BB
#define GL_BUFFER_MAPPED 0x88BC
#define GL_BUFFER_MAP_POINTER 0x88BD
#define GL_STREAM_DRAW 0x88E0
#define GL_STREAM_READ 0x88E1
#define GL_STREAM_COPY 0x88E2
#define GL_STATIC_DRAW 0x88E4
#define GL_STATIC_READ 0x88E5
#define GL_STATIC_COPY 0x88E6
#define GL_DYNAMIC_DRAW 0x88E8
#define GL_DYNAMIC_READ 0x88E9
#define GL_DYNAMIC_COPY 0x88EA
#define GL_SAMPLES_PASSED 0x8914
#define GL_SRC1_ALPHA 0x8589
#define GL_VERTEX_ARRAY_BUFFER_BINDING 0x8896
#define GL_NORMAL_ARRAY_BUFFER_BINDING 0x8897
#define GL_COLOR_ARRAY_BUFFER_BINDING 0x8898
#define GL_INDEX_ARRAY_BUFFER_BINDING 0x8899
#define GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING 0x889A
#define GL_EDGE_FLAG_ARRAY_BUFFER_BINDING 0x889B
#define GL_SECONDARY_COLOR_ARRAY_BUFFER_BINDING 0x889C
#define GL_FOG_COORDINATE_ARRAY_BUFFER_BINDING 0x889D
#define GL_WEIGHT_ARRAY_BUFFER_BINDING 0x889E
#define GL_FOG_COORD_SRC 0x8450
#define GL_FOG_COORD 0x8451
#define GL_CURRENT_FOG_COORD 0x8453
#define GL_FOG_COORD_ARRAY_TYPE 0x8454
#define GL_FOG_COORD_ARRAY_STRIDE 0x8455
#define GL_FOG_COORD_ARRAY_POINTER 0x8456
#define GL_FOG_COORD_ARRAY 0x8457
#define GL_FOG_COORD_ARRAY_BUFFER_BINDING 0x889D
#define GL_SRC0_RGB 0x8580
#define GL_SRC1_RGB 0x8581
#define GL_SRC2_RGB 0x8582
#define GL_SRC0_ALPHA 0x8588
#define GL_SRC2_ALPHA 0x858A
#endif
#ifndef GL_VERSION_2_0
#define GL_BLEND_EQUATION_RGB 0x8009
#define GL_VERTEX_ATTRIB_ARRAY_ENABLED 0x8622
#define GL_VERTEX_ATTRIB_ARRAY_SIZE 0x8623
#define GL_VERTEX_ATTRIB_ARRAY_STRIDE 0x8624
#define GL_VERTEX_ATTRIB_ARRAY_TYPE 0x8625
#define GL_CURRENT_VERTEX_ATTRIB 0x8626
#define GL_VERTEX_PROGRAM_POINT_SIZE 0x8642
#define GL_VERTEX_ATTRIB_ARRAY_POINTER 0x8645
#define GL_STENCIL_BACK_FUNC 0x8800
#define GL_STENCIL_BACK_FAIL 0x8801
#define GL_STENCIL_BACK_PASS_DEPTH_FAIL 0x8802
#define GL_STENCIL_BACK_PASS_DEPTH_PASS 0x8803
#define GL_MAX_DRAW_BUFFERS 0x8824
#define GL_DRAW_BUFFER0 0x8825
#define GL_DRAW_BUFFER1 0x8826
#define GL_DRAW_BUFFER2 0x8827
#define GL_DRAW_BUFFER3 0x8828
#define GL_DRAW_BUFFER4 0x8829
#define GL_DRAW_BUFFER5 0x882A
#define GL_DRAW_BUFFER6 0x882B
#define GL_DRAW_BUFFER7 0x882C
#define GL_DRAW_BUFFER8 0x882D
#define GL_DRAW_BUFFER9 0x882E
#define GL_DRAW_BUFFER10 0x882F
#define GL_DRAW_BUFFER11 0x8830
#define GL_DRAW_BUFFER12 0x8831
#define GL_DRAW_BUFFER13 0x8832
#define GL_DRAW_BUFFER14 0x8833
#define GL_DRAW_BUFFER15 0x8834
#define GL_BLEND_EQUATION_ALPHA 0x883D
#define GL_MAX_VERTEX_ATTRIBS 0x8869
#define GL_VERTEX_ATTRIB_ARRAY_NORMALIZED 0x886A
#define GL_MAX_TEXTURE_IMAGE_UNITS 0x8872
#define GL_FRAGMENT_SHADER 0x8B30
#define GL_VERTEX_SHADER 0x8B31
#define GL_MAX_FRAGMENT_UNIFORM_COMPONENTS 0x8B49
#define GL_MAX_VERTEX_UNIFORM_COMPONENTS 0x8B4A
#define GL_MAX_VARYING_FLOATS 0x8B4B
#define GL_MAX_VERTEX_TEXTURE_IMAGE_UNITS 0x8B4C
#define GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS 0x8B4D
#define GL_SHADER_TYPE 0x8B4F
#define GL_FLOAT_VEC2 0x8B50
#define GL_FLOAT_VEC3 0x8B51
#define GL_FLOAT_VEC4 0x8B52
#define GL_INT_VEC2 0x8B53
#define GL_INT_VEC3 0x8B54
#define GL_INT_VEC4 0x8B55
#define GL_BOOL 0x8B56
#define GL_BOOL_VEC2 0x8B57
#define GL_BOOL_VEC3 0x8B58
#define GL_BOOL_VEC4 0x8B59
#define GL_FLOAT_MAT2 0x8B5A
#define GL_FLOAT_MAT3 0x8B5B
#define GL_FLOAT_MAT4 0x8B5C
#define GL_SAMPLER_1D 0x8B5D
#define GL_SAMPLER_2D 0x8B5E
#define GL_SAMPLER_3D 0x8B5F
#define GL_SAMPLER_CUBE 0x8B60
#define GL_SAMPLER_1D_SHADOW 0x8B61
#define GL_SAMPLER_2D_SHADOW 0x8B62
#define GL_DELETE_STATUS 0x8B80
#define GL_COMPILE_STATUS 0x8B81
#define GL_LINK_STATUS 0x8B82
#define GL_VALIDATE_STATUS 0x8B83
#define GL_INFO_LOG_LENGTH 0x8B84
#define GL_ATTACHED_SHADERS 0x8B85
#define GL_ACTIVE_UNIFORMS 0x8B86
#define GL_ACTIVE_UNIFORM_MAX_LENGTH 0x8B87
#define GL_SHADER_SOURCE_LENGTH 0x8B88
#define GL_ACTIVE_ATTRIBUTES 0x8B89
#define GL_ACTIVE_ATTRIBUTE_MAX_LENGTH 0x8B8A
#define GL_FRAGMENT_SHADER_DERIVATIVE_HINT 0x8B8B
#define GL_SHADING_LANGUAGE_VERSION 0x8B8C
#define GL_CURRENT_PROGRAM 0x8B8D
#define GL_POINT_SPRITE_COORD_ORIGIN 0x8CA0
#define GL_LOWER_LEFT 0x8CA1
#define GL_UPPER_LEFT 0x8CA2
#define GL_STENCIL_BACK_REF 0x8CA3
#define GL_STENCIL_BACK_VALUE_MASK 0x8CA4
#define GL_STENCIL_BACK_WRITEMASK 0x8CA5
#define GL_VERTEX_PROGRAM_TWO_SIDE 0x8643
#define GL_POINT_SPRITE 0x8861
#define GL_COORD_REPLACE 0x8862
#define GL_MAX_TEXTURE_COORDS 0x8871
#endif
