#include "animation.h"

DWORD randomSeed = 1;
DWORD seedOffset = 0;

void SeedRandom(DWORD seed) { randomSeed = seed; }

int NextRandom() {
  // DWORD arithmetic wraps modulo 2^32 as the generator requires.
  randomSeed = randomSeed * 214013u + 2531011u;
  return static_cast<int>((randomSeed >> 16) & 0x7FFFu);
}
