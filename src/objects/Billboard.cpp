#include "objects/ObjectKinds.h"

// Placeholder until the block reader lands: reads nothing.
void ReadBillboardBlock(ObjectList& list) {}
