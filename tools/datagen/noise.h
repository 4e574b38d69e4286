// Deterministic lattice noise for the data generator: hashed value noise in two and three
// dimensions and fractal sums of it. The same inputs give the same values on every run.
#pragma once

#include <cstdint>

namespace datagen {

// Smooth value noise in 0..1; seed selects an independent field.
double ValueNoise2(double x, double y, uint32_t seed);
double ValueNoise3(double x, double y, double z, uint32_t seed);

// Fractal sum of ValueNoise2 in 0..1: octaves of doubling frequency and halving weight.
// Octaves whose wavelength is below two footprints (the size one output sample covers in the
// same units as x and y) are faded out and replaced by their mean, so distant detail does not
// alias; a footprint of 0 keeps every octave.
double Fbm2(double x, double y, int octaves, uint32_t seed, double footprint = 0);
double Fbm3(double x, double y, double z, int octaves, uint32_t seed);

// A reproducible number in 0..1 for an integer key (placement of hand-tuned details).
double HashUnit(uint32_t key, uint32_t seed);

}  // namespace datagen
