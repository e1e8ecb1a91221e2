// Test helper: the data and settings homes of a test program (and of the programs it starts) lie
// in the build tree, so that no test writes backups or settings into the tester's own folders.
#pragma once

#include <cstdlib>

namespace TestHome {
inline bool Set()
{
    ::setenv("XDG_DATA_HOME", DRAVEL_BIN_DIR "/../test-home/data", 1);
    ::setenv("XDG_CONFIG_HOME", DRAVEL_BIN_DIR "/../test-home/config", 1);
    return true;
}
} // namespace TestHome
