// Names for the cases of a parameterised test. Without one, GoogleTest names
// a case by its index and CTest by the parameter's raw bytes, pointers among
// them, so the name changes from build to build and `ctest -R` cannot find
// it. Every INSTANTIATE_TEST_SUITE_P passes a name generator:
//
//   INSTANTIATE_TEST_SUITE_P(Modes, CombineTest, ::testing::Values(...),
//                            kiv::test::CaseName());
//
// CaseName takes the case's `name` member; a case without one gets a lambda
// that builds its name from its fields.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace kiv::test {

// `text` with every character a test name may not hold (anything but
// letters, digits and '_') turned into '_': "not copy" -> "not_copy".
inline std::string TestNameOf(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}

struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return TestNameOf(info.param.name);
  }
};

}  // namespace kiv::test
