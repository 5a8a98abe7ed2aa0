#pragma once

#include <string>

namespace quillon::testing {

// The private X server every test in this binary talks to (":N").
const std::string& test_display();

}  // namespace quillon::testing
