// Environments: named surroundings that worlds share, two object lists drawn
// around a world's own objects (first pass before, post pass after).
#pragma once
#include <cstddef>
#include <vector>

#include "scene/ObjectList.h"

class Environment {
public:
  virtual ~Environment() = default;

  static constexpr size_t NameSize = 20; // at most 19 characters

  char name[NameSize] = {};
  ObjectList firstPass;
  ObjectList postPass;
};

using EnvironmentList = std::vector<Environment*>;

// All environments of "env.txt", in the order of the file; never freed.
extern EnvironmentList Environments;

// Reads the member (the saver passes "env.txt") and appends one environment
// per "env" ... "end" block, loading the object files its "firstpass" and
// "postpass" lines name. Reading ends at "ENV_END" between blocks or at the
// end of the member.
void LoadEnvironments(EnvironmentList& list, const char* member);

// First environment whose name equals the given one exactly; null if none.
Environment* FindEnvironment(const EnvironmentList& list, const char* name);
