// Block readers of the six scene-object kinds. The object-file loader calls the
// reader of the kind named on a kind line; the reader consumes the block that
// follows (up to and including its "end" line) from ObjectFileHolder, creates
// the object with new and appends it to the list being filled.
#pragma once

class ArchiveFile;
class ObjectList;

// The holder through which an object file is read, shared by the loader and
// every block reader it calls.
extern ArchiveFile ObjectFileHolder;

void ReadSphereBlock(ObjectList& list);
void ReadBillboardBlock(ObjectList& list);
void ReadFlareBlock(ObjectList& list);
void ReadFlameBlock(ObjectList& list);
void ReadMeshBlock(ObjectList& list);
void ReadParticleSystemBlock(ObjectList& list);
