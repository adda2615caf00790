// The name generator of the parametrised suites here: a case is named by the
// `name` field of its row, readable and the same in every build. Each row
// type also prints as its name (operator<< beside it), so that test lists
// show the name, never the row's bytes.
#pragma once

#include <gtest/gtest.h>
#include <string>

struct CaseName {
    template <typename Param>
    std::string operator()(const testing::TestParamInfo<Param> &info) const {
        return std::string(info.param.name);
    }
};
