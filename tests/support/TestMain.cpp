// Entry point of every test runner: headless SDL drivers, then GoogleTest.
#include <gtest/gtest.h>
#include <cstdlib>

// The GL drivers leave allocations behind that cannot be told apart from ours
// once they are unloaded, so leak reports are off; every other ASan check stays.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
