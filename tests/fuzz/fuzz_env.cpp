// "env.txt": environments and the object files their "firstpass" and
// "postpass" lines load. Input: env.txt, then (after "----" lines) the
// members "a.txt" and "b.txt" for those lines to name.
#include "FuzzScene.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorkDir workDir;
  FuzzGlBegin(0);
  FuzzGlListScope lists;
  ForgetFuzzGeometry();
  FuzzMembers members = SplitFuzzInput(data, size, {"env.txt", "a.txt", "b.txt"});
  if (!WriteFuzzArchive(members))
    return 0;

  EnvironmentList environments;
  LoadEnvironments(environments, "env.txt");
  for (Environment* environment : environments)
    FindEnvironment(environments, environment->name);
  for (Environment* environment : environments) {
    UpdateAndDelete(environment->firstPass);
    UpdateAndDelete(environment->postPass);
    delete environment;
  }
  return 0;
}
