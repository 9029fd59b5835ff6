#include "objects/ObjectKinds.h"

// Placeholder until the block reader lands: reads nothing.
void ReadParticleSystemBlock(ObjectList& list) {}
