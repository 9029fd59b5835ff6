#include "scene/ObjectFile.h"

#include "objects/ObjectKinds.h"
#include "objects/Sphere.h"
#include "resources/ArchiveFile.h"
#include "resources/TextureCatalogue.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectList.h"
#include "scene/SceneObject.h"

ArchiveFile ObjectFileHolder;

// The loading screen's progress report (a no-op until the saver sets its sink).
static void ReportProgress() { SendLoadProgress(); }

bool BlockLines::FindBegin(char* line) {
  for (;;) {
    bool more = holder.ReadLine(line);
    if (LineBegins(line, "begin"))
      return true;
    if (!more) {
      done = true;
      return false;
    }
  }
}

bool BlockLines::Next(char* line) {
  if (done)
    return false;
  bool more = holder.ReadLine(line);
  if (!more || LineBegins(line, "end"))
    done = true;
  return true;
}

void LoadObjectFile(ObjectList& list, const char* member) {
  ResetSphereGlobals();
  ObjectFileHolder.Close();
  ObjectFileHolder.Open(member);

  char line[ArchiveFile::LineBufferSize];
  for (;;) {
    bool more = ObjectFileHolder.ReadLine(line);
    if (LineBegins(line, "sphere")) {
      ReadSphereBlock(list);
      ReportProgress();
    } else if (LineBegins(line, "billboard")) {
      ReadBillboardBlock(list);
      ReportProgress();
    } else if (LineBegins(line, "flare")) {
      ReadFlareBlock(list);
      ReportProgress();
    } else if (LineBegins(line, "mesh")) {
      ReadMeshBlock(list);
      ReportProgress();
    } else if (LineBegins(line, "flame")) {
      ReadFlameBlock(list);
      ReportProgress();
    } else if (LineBegins(line, "ps")) {
      ReadParticleSystemBlock(list);
      ReportProgress();
    } else if (LineBegins(line, "ENDWORLD")) {
      break;
    } else if (LineBegins(line, "geometry")) {
      char file[32];
      if (ReadWordAfter(line, "geometry", file, sizeof file)) {
        if (uint32_t displayList = LoadDatMesh(file, false))
          GeometryStore.geometryList = displayList;
      }
      ReportProgress();
    }
    // "dir" and every other line: passed over.

    // A block reader may have consumed the rest of the member; the next
    // ReadLine then delivers an empty line with false and the loop ends.
    if (!more)
      break;
  }
  ObjectFileHolder.Close();
}
