// In-band radiance table and its lookups: temperature (m°C) <-> relative energy per band.
#pragma once

#include <cstdint>

namespace ostrel::alg {

struct EnergyRow {
  int32_t t_mC;   // -50000 .. 3500000 in steps of 5000
  uint32_t e[2];  // band 0 (7.7-14 um), band 1 (3-5 um); strictly rising, -50 °C = 1000
};

constexpr int kEnergyRows = 711;
constexpr int32_t kEnergyFirst_mC = -50000;
constexpr int32_t kEnergyStep_mC = 5000;
constexpr int32_t kEnergyLast_mC = 3500000;
extern const EnergyRow kEnergyTable[kEnergyRows];

constexpr int kSaturatedWaterRows = 33;  // -12 °C .. 52 °C in steps of 2 °C
extern const double kSaturatedWater[kSaturatedWaterRows];

// Band index 1 selects the mid-wave column; every other value the long-wave one.
inline int bandIndex(int band) {
  return band == 1 ? 1 : 0;
}

// E(T) clamped to the table: below the first row 1000, above the last row the last energy.
int64_t energyOf(int32_t t_mC, int band);
// T(E) clamped: below 1000 -50000 m°C, above the last energy 3500000 m°C. `hint` (1..710, kept
// by the caller across rising inputs) speeds up the walk; start it at 1.
int32_t tempOfEnergy(int64_t energy, int band, int* hint);

// The same lookups in 16 fractional bits of energy, for the LUT builders: whole energy units
// are too coarse at the cold end of band 0 (one unit is about 25 m°C there).
constexpr int kEnergyFracBits = 16;
int64_t energyOfFine(int32_t t_mC, int band);
int32_t tempOfEnergyFine(int64_t energyFine, int band, int* hint);

// Point-formula variants: the end segments are extended instead of clamping. Inputs are
// limited to +-1e9 so the 64-bit products cannot overflow.
int64_t energyOfExtended(int64_t t_mC, int band);
int64_t tempOfEnergyExtended(int64_t energy, int band);

}  // namespace ostrel::alg
