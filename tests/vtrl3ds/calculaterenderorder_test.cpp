// CalculateRenderOrder: meshes with a see-through face go to the tail, the first found last.
#include <gtest/gtest.h>

#include "build_model.h"

namespace {

// Three meshes A, B, C; each see-through one uses material 1 (transparency 0.5) on its face.
std::vector<int32_t> orderFor(bool a, bool b, bool c) {
    TGLAll3dsMesh model;
    addMaterial(model, "opaque");
    addMaterial(model, "glass", 0.5f);
    for (bool seeThrough : {a, b, c}) addMesh(model, {}, {}, {0, static_cast<uint16_t>(seeThrough ? 1 : 0)});
    model.CalculateRenderOrder();
    return model.FRenderOrder;
}

TEST(CalculateRenderOrder, one_see_through_mesh_moves_last) {
    EXPECT_EQ(orderFor(false, true, false), (std::vector<int32_t>{0, 2, 1}));
}

TEST(CalculateRenderOrder, first_see_through_found_goes_to_the_last_slot) {
    EXPECT_EQ(orderFor(true, false, true), (std::vector<int32_t>{1, 2, 0}));
}

TEST(CalculateRenderOrder, all_opaque_or_all_see_through_keeps_a_valid_permutation) {
    EXPECT_EQ(orderFor(false, false, false), (std::vector<int32_t>{0, 1, 2}));
    std::vector<int32_t> all = orderFor(true, true, true);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<int32_t>{0, 1, 2}));
}

TEST(CalculateRenderOrder, single_mesh_and_mesh_without_material_ids) {
    TGLAll3dsMesh model;
    addMaterial(model, "glass", 0.5f);
    addMesh(model, {}, {}, {0});
    model.CalculateRenderOrder();
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{0}));
    addMesh(model, {}, {}, {});  // no FMatID: never see-through
    addMesh(model, {}, {}, {});
    model.CalculateRenderOrder();
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{2, 1, 0}));
}

TEST(CalculateRenderOrder, material_index_naming_no_material_counts_as_opaque) {
    TGLAll3dsMesh model;
    addMaterial(model, "glass", 0.5f);
    addMesh(model, {}, {}, {0xFFFF, 7});
    addMesh(model, {}, {}, {});
    model.CalculateRenderOrder();
    EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{0, 1}));
}

// Runs of one material are looked up once and passed over eight faces at a time: a see-through
// face anywhere in a long run of opaque ones, or just after one, must still be found.
TEST(CalculateRenderOrder, a_see_through_face_is_found_wherever_a_run_ends) {
    for (size_t at : {0, 1, 7, 8, 9, 15, 16, 17, 30}) {
        TGLAll3dsMesh model;
        addMaterial(model, "opaque");
        addMaterial(model, "glass", 0.5f);
        std::vector<uint16_t> ids(31, 0);
        ids[at] = 1;
        addMesh(model, {}, {}, ids);
        addMesh(model, {}, {}, std::vector<uint16_t>(31, 0));
        model.CalculateRenderOrder();
        EXPECT_EQ(model.FRenderOrder, (std::vector<int32_t>{1, 0})) << at;
    }
}

}  // namespace
