// Table-driven tests: a value-parameterised suite instantiated with RowName runs each row of its
// table as a test of its own, named by the row's `name` (letters, digits and underscores).
#pragma once

#include <gtest/gtest.h>

#include <string>

struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};
