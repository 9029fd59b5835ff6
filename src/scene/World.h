// Worlds: the scenes the saver can show, each with its own objects and the
// two lists of the environment it sits in.
#pragma once
#include <cstddef>
#include <vector>

#include "scene/Environment.h"
#include "scene/ObjectList.h"

class World {
public:
  World() = default;
  World(const World&) = delete;
  World& operator=(const World&) = delete;
  virtual ~World() = default;

  static constexpr size_t SceneDirSize = 50; // at most 49 characters
  static constexpr size_t NameSize = 20;     // at most 19 characters

  // Points firstPass and postPass to the environment's lists, or to empty
  // lists when there is none.
  void UseEnvironment(Environment* environment) {
    firstPass = environment ? &environment->firstPass : &noFirstPass;
    postPass = environment ? &environment->postPass : &noPostPass;
  }

  ObjectList objects;
  // The environment's lists. A world without an "env" line, or whose
  // environment does not exist, points to empty lists of its own.
  ObjectList* firstPass = &noFirstPass;
  ObjectList* postPass = &noPostPass;
  char sceneDir[SceneDirSize] = {};
  char name[NameSize] = " ";
  bool system = false; // lit from the scene origin

private:
  ObjectList noFirstPass;
  ObjectList noPostPass;
};

using WorldList = std::vector<World*>;

// All worlds of "worlds.txt", in the order of the file; never freed.
extern WorldList Worlds;

// Reads the member (the saver passes "worlds.txt") and appends one world per
// "world" ... "end" block, looking environments up in environments. Reading
// ends at "WORLD_END" between blocks or at the end of the member.
void LoadWorlds(WorldList& list, const EnvironmentList& environments, const char* member);

// First world whose name equals the given one exactly; null if none.
World* FindWorld(const WorldList& list, const char* name);
