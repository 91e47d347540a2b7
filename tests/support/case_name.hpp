#pragma once

#include <string>

namespace zunkaro::testing {

// Names a case of a table test by its Name field.
struct CaseName {
  template <typename Info>
  std::string operator()(const Info& test) const {
    return test.param.Name;
  }
};

}  // namespace zunkaro::testing
