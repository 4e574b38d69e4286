// The component base of the model classes: an object made with an owner is recorded in the
// owner's list and destroyed with it, the most recently added first. Nothing reports failure.
#pragma once

#include <vector>

// Base of TGLAll3dsMesh, TGL3dsMesh, TGL3dsMaterial, TGLSkeleton and TGL3dsBone.
class TComponent {
  public:
    // Records the new component in AOwner's list when AOwner is not null.
    explicit TComponent(TComponent* AOwner);
    // The base part of destruction: destroys what is still owned, then leaves the owner's list.
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // The owner given at construction; null for none, or once the owner has started destroying it.
    TComponent* Owner() const { return FOwner; }
    // The components this one owns, in the order they were added.
    const std::vector<TComponent*>& Components() const { return FComponents; }

  protected:
    // Destroys every owned component, the most recently added first. A class whose own destructor
    // has steps after the base part calls this where the base part belongs.
    void DestroyComponents();

  private:
    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
};
