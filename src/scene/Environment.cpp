#include "scene/Environment.h"

#include "resources/ArchiveFile.h"
#include "scene/ObjectFile.h"
#include "scene/SceneObject.h"

EnvironmentList Environments;

Environment* FindEnvironment(const EnvironmentList& list, const char* name) {
  return FindNamed(list, name);
}

void LoadEnvironments(EnvironmentList& list, const char* member) {
  ArchiveFile file;
  file.Open(member);
  char line[ArchiveFile::LineBufferSize];
  for (;;) {
    // Between blocks: up to the next "env" line; "ENV_END" ends the file.
    bool more = file.ReadLine(line);
    if (LineBegins(line, "ENV_END"))
      break;
    if (!LineBegins(line, "env")) {
      if (!more)
        break;
      continue;
    }
    Environment* environment = new Environment;
    ReadWordAfter(line, "env", environment->name, sizeof environment->name);

    // Inside the block: up to the first line that begins with "end".
    BlockLines block(file);
    while (block.Next(line)) {
      char objectFile[100];
      if (LineBegins(line, "firstpass") &&
          ReadWordAfter(line, "firstpass", objectFile, sizeof objectFile))
        LoadObjectFile(environment->firstPass, objectFile);
      if (LineBegins(line, "postpass") &&
          ReadWordAfter(line, "postpass", objectFile, sizeof objectFile))
        LoadObjectFile(environment->postPass, objectFile);
    }
    list.push_back(environment);
  }
  file.Close();
}
