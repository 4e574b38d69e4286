// The component base (see component.h): owns each component's list of owned components and the
// destruction order. Nothing reports failure.
#include "vtrl3ds/component.h"

#include <algorithm>

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
    if (FOwner) FOwner->FComponents.push_back(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (!FOwner) return;
    // Search from the end: the component destroyed by hand is usually the one added last.
    auto& list = FOwner->FComponents;
    const auto it = std::find(list.rbegin(), list.rend(), this);
    if (it != list.rend()) list.erase(std::next(it).base());
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        FComponents.pop_back();
        // Detached first, so its destructor does not search this list again.
        last->FOwner = nullptr;
        delete last;
    }
}
