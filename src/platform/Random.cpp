#include "platform/Random.h"

namespace {
uint32_t randState = 1;
}

void SRand(uint32_t seed) { randState = seed; }

int Rand() {
  randState = randState * 214013u + 2531011u;
  return static_cast<int>((randState >> 16) & 0x7fff);
}
