// Gives this test program its own data and settings homes in the build tree, before main() runs.
#include "support/TestHome.h"

namespace {
const bool kHomeSet = TestHome::Set();
}
