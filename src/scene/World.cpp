#include "scene/World.h"

#include "resources/ArchiveFile.h"
#include "scene/ObjectFile.h"
#include "scene/SceneObject.h"

WorldList Worlds;

World* FindWorld(const WorldList& list, const char* name) { return FindNamed(list, name); }

void LoadWorlds(WorldList& list, const EnvironmentList& environments, const char* member) {
  ArchiveFile file;
  file.Open(member);
  char line[ArchiveFile::LineBufferSize];
  for (;;) {
    // Between blocks: up to the next "world" line; "WORLD_END" ends the file.
    bool more = file.ReadLine(line);
    if (LineBegins(line, "WORLD_END"))
      break;
    if (!LineBegins(line, "world")) {
      if (!more)
        break;
      continue;
    }
    World* world = new World;
    ReadWordAfter(line, "world", world->name, sizeof world->name);

    // Inside the block: up to the first line that begins with "end".
    BlockLines block(file);
    while (block.Next(line)) {
      char word[ArchiveFile::LineBufferSize];
      if (LineBegins(line, "env")) {
        Environment* environment = nullptr;
        if (ReadWordAfter(line, "env", word, sizeof word))
          environment = FindEnvironment(environments, word);
        world->UseEnvironment(environment);
      }
      if (LineBegins(line, "objects") && ReadWordAfter(line, "objects", word, 100))
        LoadObjectFile(world->objects, word);
      if (LineBegins(line, "system"))
        world->system = true;
      if (LineBegins(line, "scenedir"))
        ReadWordAfter(line, "scenedir", world->sceneDir, sizeof world->sceneDir);
    }
    list.push_back(world);
  }
  file.Close();
}
