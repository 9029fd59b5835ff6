// "worlds.txt": worlds, the environments they pick by name and the object
// files their "objects" lines load. Input: worlds.txt, then (after a "----"
// line) the member "a.txt". Two environments, "space" and "nebula", exist.
#include <cstring>

#include "FuzzScene.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorkDir workDir;
  FuzzGlBegin(0);
  FuzzGlListScope lists;
  ForgetFuzzGeometry();
  static Environment space, nebula;
  static EnvironmentList environments;
  if (environments.empty()) {
    strcpy(space.name, "space");
    strcpy(nebula.name, "nebula");
    environments = {&space, &nebula};
  }
  FuzzMembers members = SplitFuzzInput(data, size, {"worlds.txt", "a.txt"});
  if (!WriteFuzzArchive(members))
    return 0;

  WorldList worlds;
  LoadWorlds(worlds, environments, "worlds.txt");
  for (World* world : worlds)
    FindWorld(worlds, world->name);
  for (World* world : worlds) {
    UpdateAndDelete(world->objects);
    delete world;
  }
  return 0;
}
