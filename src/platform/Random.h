// The process-wide random stream of the scene: the classic C runtime generator
// (state * 214013 + 2531011, results 0 to 32767). glibc's rand() has another
// range and another sequence, so everything the scene draws comes from here.
#pragma once
#include <cstdint>

constexpr int RandMax = 32767;

// Seeds the stream.
void SRand(uint32_t seed);

// Next value of the stream, 0 to RandMax.
int Rand();
