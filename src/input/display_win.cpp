#include "input/display.h"

namespace quillon {

// A Windows session always has its desktop.
DisplayCheck::DisplayCheck() = default;
DisplayCheck::~DisplayCheck() = default;

}  // namespace quillon
