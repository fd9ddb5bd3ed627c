#pragma once
// Random numbers for game effects, on the C library generator.
//
// Start-up seeds the generator with the time, so runs differ; a test seeds
// it itself to repeat a sequence. The generator's state is process-wide and
// shared with every direct rand() call.

/// Seeds the C library generator.
void SeedRandom(unsigned int seed);

/// A value in [min, max]: min + (rand() mod 10000) * 0.0001 * (max - min),
/// in steps of one ten-thousandth of the range. The arguments are ordered
/// first, so Random(5, 1) draws like Random(1, 5).
float Random(float a, float b);
