// What the loader tests share: the text of the error a load raises, the decimal separator set
// for one test, and a bone's translation.
#pragma once

#include <string>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/skeleton.h"

// The text of the E that `load` raises, or "" when it goes through; other errors propagate.
template <class E = EModelError, class F>
std::string ErrorOf(F&& load) {
    try {
        load();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

// Sets the decimal separator for one test and puts the earlier one back.
struct SeparatorScope {
    explicit SeparatorScope(char c) : saved(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~SeparatorScope() { SetDecimalSeparator(saved); }
    char saved;
};

// The translation part of a bone's matrix.
inline T3dpoint TranslationOf(const TGL3dsBone& b) {
    return {b.FMatrix->m_matrix[12], b.FMatrix->m_matrix[13], b.FMatrix->m_matrix[14]};
}
