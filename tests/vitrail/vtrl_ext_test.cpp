// The OpenGL 1.3 entry points: the pointers' signatures against the GL library's own
// declarations, the enumerants' standard values, and Load_GL_version_1_3 with and without a
// context and with one entry point missing at each position of the load order.
#include "vitrail/vtrl_ext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "support/gl_test.h"
#include "vitrail/platform/platform_test.h"

namespace {

// The 46 entry points in their load order.
// clang-format off
#define GL13_ENTRY_POINTS(X)  \
    X(glActiveTexture) X(glClientActiveTexture) X(glMultiTexCoord1d) \
    X(glMultiTexCoord1dv) X(glMultiTexCoord1f) X(glMultiTexCoord1fv) \
    X(glMultiTexCoord1i) X(glMultiTexCoord1iv) X(glMultiTexCoord1s) \
    X(glMultiTexCoord1sv) X(glMultiTexCoord2d) X(glMultiTexCoord2dv) \
    X(glMultiTexCoord2f) X(glMultiTexCoord2fv) X(glMultiTexCoord2i) \
    X(glMultiTexCoord2iv) X(glMultiTexCoord2s) X(glMultiTexCoord2sv) \
    X(glMultiTexCoord3d) X(glMultiTexCoord3dv) X(glMultiTexCoord3f) \
    X(glMultiTexCoord3fv) X(glMultiTexCoord3i) X(glMultiTexCoord3iv) \
    X(glMultiTexCoord3s) X(glMultiTexCoord3sv) X(glMultiTexCoord4d) \
    X(glMultiTexCoord4dv) X(glMultiTexCoord4f) X(glMultiTexCoord4fv) \
    X(glMultiTexCoord4i) X(glMultiTexCoord4iv) X(glMultiTexCoord4s) \
    X(glMultiTexCoord4sv) X(glLoadTransposeMatrixf) X(glLoadTransposeMatrixd) \
    X(glMultTransposeMatrixf) X(glMultTransposeMatrixd) X(glSampleCoverage) \
    X(glCompressedTexImage3D) X(glCompressedTexImage2D) X(glCompressedTexImage1D) \
    X(glCompressedTexSubImage3D) X(glCompressedTexSubImage2D) X(glCompressedTexSubImage1D) \
    X(glGetCompressedTexImage)
// clang-format on

// Each pointer has exactly the type of the function the system's GL header declares.
#define SAME_TYPE_AS_LIBRARY(name) \
    static_assert(std::is_same_v<decltype(VTRL_Ext::name), decltype(&::name)>, #name);
GL13_ENTRY_POINTS(SAME_TYPE_AS_LIBRARY)

std::vector<std::string> entryNames() {
#define NAME_OF(name) #name,
    return {GL13_ENTRY_POINTS(NAME_OF)};
}

std::vector<void*> entryPointers() {
#define ADDRESS_OF(name) reinterpret_cast<void*>(VTRL_Ext::name),
    return {GL13_ENTRY_POINTS(ADDRESS_OF)};
}

void clearEntryPointers() {
#define CLEAR(name) VTRL_Ext::name = nullptr;
    GL13_ENTRY_POINTS(CLEAR)
}

void APIENTRY fakeActiveTexture(GLenum) {}
void APIENTRY fakeClientActiveTexture(GLenum) {}

class GL13EntryPoints : public ::testing::Test {
  protected:
    void SetUp() override { clearEntryPointers(); }
    void TearDown() override {
        PlatformTestHideProcAddress(nullptr);
        clearEntryPointers();
    }
};

}  // namespace

TEST(GL13Enumerants, carry_their_standard_values) {
    static_assert(GL_CLAMP_TO_EDGE == 0x812F && GL_TEXTURE_3D == 0x806F && GL_BGRA == 0x80E1);  // 1.2
    static_assert(GL_TEXTURE0 == 0x84C0 && GL_TEXTURE31 == 0x84DF && GL_NORMAL_MAP == 0x8511);  // 1.3
    static_assert(GL_REFLECTION_MAP == 0x8512 && GL_TEXTURE_CUBE_MAP == 0x8513);                // 1.3
    static_assert(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z == 0x851A && GL_COMBINE == 0x8570);            // 1.3
    static_assert(GL_GENERATE_MIPMAP == 0x8191 && GL_FUNC_ADD == 0x8006);                       // 1.4
    static_assert(GL_ARRAY_BUFFER == 0x8892 && GL_STATIC_DRAW == 0x88E4);                       // 1.5
    static_assert(GL_FRAGMENT_SHADER == 0x8B30 && GL_SHADING_LANGUAGE_VERSION == 0x8B8C);       // 2.0
    static_assert(GL_POINT_SPRITE_COORD_ORIGIN == 0x8CA0 && GL_STENCIL_BACK_FUNC == 0x8800);    // 2.0
    EXPECT_EQ(entryNames().size(), 46u);
}

TEST_F(GL13EntryPoints, with_a_context_all_46_are_found_and_callable) {
    GLTestContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(Load_GL_version_1_3());
    const std::vector<std::string> names = entryNames();
    const std::vector<void*> pointers = entryPointers();
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_NE(pointers[i], nullptr) << names[i];
        EXPECT_EQ(pointers[i], wglGetProcAddress(names[i].c_str())) << names[i];
    }
    VTRL_Ext::glActiveTexture(GL_TEXTURE1);
    EXPECT_EQ(GLInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    VTRL_Ext::glActiveTexture(GL_TEXTURE0);
}

TEST_F(GL13EntryPoints, without_a_context_the_first_lookup_fails_and_the_rest_are_kept) {
    ASSERT_EQ(wglGetCurrentContext(), 0u);
    VTRL_Ext::glActiveTexture = fakeActiveTexture;
    VTRL_Ext::glClientActiveTexture = fakeClientActiveTexture;
    EXPECT_FALSE(Load_GL_version_1_3());
    EXPECT_EQ(VTRL_Ext::glActiveTexture, nullptr);
    EXPECT_EQ(VTRL_Ext::glClientActiveTexture, &fakeClientActiveTexture);
}

TEST_F(GL13EntryPoints, a_missing_entry_point_stops_the_load_at_its_position) {
    GLTestContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    const std::vector<std::string> names = entryNames();
    for (size_t missing = 0; missing < names.size(); ++missing) {
        clearEntryPointers();
        PlatformTestHideProcAddress(names[missing].c_str());
        EXPECT_FALSE(Load_GL_version_1_3()) << names[missing];
        const std::vector<void*> pointers = entryPointers();
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(pointers[i] != nullptr, i < missing)
                << names[i] << " with " << names[missing] << " missing";
    }
}

TEST_F(GL13EntryPoints, only_the_last_missing_leaves_45_set) {
    GLTestContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(Load_GL_version_1_3());
    PlatformTestHideProcAddress("glGetCompressedTexImage");
    EXPECT_FALSE(Load_GL_version_1_3());
    const std::vector<void*> pointers = entryPointers();
    EXPECT_EQ(std::count(pointers.begin(), pointers.end(), nullptr), 1);
    EXPECT_EQ(VTRL_Ext::glGetCompressedTexImage, nullptr);
}
