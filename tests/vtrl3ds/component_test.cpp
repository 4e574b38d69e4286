// The component base: owned objects are destroyed with their owner, most recently added first,
// and leave their owner's list when destroyed on their own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vtrl3ds/component.h"
#include "vtrl3ds/model.h"

namespace {

std::vector<std::string> destroyed;

class Probe : public TComponent {
  public:
    Probe(TComponent* owner, std::string name) : TComponent(owner), name(std::move(name)) {}
    ~Probe() override { destroyed.push_back(name); }
    std::string name;
};

TEST(Component, owner_destroys_what_it_owns_most_recent_first) {
    destroyed.clear();
    auto* root = new Probe(nullptr, "root");
    auto* a = new Probe(root, "a");
    new Probe(a, "a1");
    new Probe(root, "b");
    new Probe(root, "c");
    delete root;
    // The root's own destructor body runs before the base part destroys its components.
    EXPECT_EQ(destroyed, (std::vector<std::string>{"root", "c", "b", "a", "a1"}));
}

TEST(Component, destroying_an_owned_component_removes_it_from_the_owner) {
    destroyed.clear();
    Probe root(nullptr, "root");
    auto* a = new Probe(&root, "a");
    auto* b = new Probe(&root, "b");
    delete a;
    ASSERT_EQ(root.Components().size(), 1u);
    EXPECT_EQ(root.Components()[0], b);
    EXPECT_EQ(b->Owner(), &root);
}

TEST(Component, clearing_the_model_arrays_destroys_nothing) {
    TGLAll3dsMesh model;
    auto* mesh = new TGL3dsMesh(&model);
    auto* material = new TGL3dsMaterial(&model);
    model.FMesh.push_back(mesh);
    model.FMaterial.push_back(material);
    model.FMesh.clear();
    model.FMaterial.clear();
    ASSERT_EQ(model.Components().size(), 2u);
    EXPECT_EQ(model.Components()[0], mesh);
    EXPECT_EQ(model.Components()[1], material);
}

}  // namespace
