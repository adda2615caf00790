// Names for the cases of parametrised suites. Test lists, `ctest -R` and the
// history of a test need a name a person can read and that is the same in
// every build, never the bytes (or an address) of the parameter.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// The name generator of every parametrised suite:
//   INSTANTIATE_TEST_SUITE_P(Prefix, Suite, ValuesIn(kCases), testsupport::CaseName());
// A row of a case table is named by its `name` field. Any other parameter
// (an enum, a tuple of enums) is named by a `caseName(param)` the test
// declares beside the parameter's type, where lookup by argument finds it.
// gtest refuses names that are empty, repeated or not alphanumeric with
// underscores, so a bad table fails at start-up.
struct CaseName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param> &info) const {
        if constexpr (requires { info.param.name; }) {
            return std::string(info.param.name);
        } else {
            return std::string(caseName(info.param));
        }
    }
};

}  // namespace testsupport
