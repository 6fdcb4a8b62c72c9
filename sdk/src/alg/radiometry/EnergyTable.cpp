// Lookups in the radiance table. Rows are evenly spaced in temperature, so the forward lookup
// indexes directly; the inverse walks the energy column from the caller's hint, because the LUT
// builders feed it rising energies.
#include "alg/radiometry/EnergyTable.h"

#include <algorithm>

namespace ostrel::alg {
namespace {

constexpr int kLast = kEnergyRows - 1;

// Smallest row i in 1..710 with energy < e[i] (710 when there is none).
int rowAboveEnergy(int64_t energy, int b) {
  const EnergyRow* first = kEnergyTable + 1;
  const EnergyRow* last = kEnergyTable + kEnergyRows;
  const EnergyRow* it = std::upper_bound(first, last, energy,
                                         [b](int64_t v, const EnergyRow& r) { return v < int64_t(r.e[b]); });
  return std::min(int(it - kEnergyTable), kLast);
}

int64_t interpolateEnergy(int i, int64_t t_mC, int b) {
  const EnergyRow& lo = kEnergyTable[i - 1];
  const EnergyRow& hi = kEnergyTable[i];
  return int64_t(lo.e[b]) + (int64_t(hi.e[b]) - int64_t(lo.e[b])) * (t_mC - lo.t_mC) / (hi.t_mC - lo.t_mC);
}

int64_t interpolateTemp(int i, int64_t energy, int b) {
  const EnergyRow& lo = kEnergyTable[i - 1];
  const EnergyRow& hi = kEnergyTable[i];
  return int64_t(lo.t_mC) +
         int64_t(hi.t_mC - lo.t_mC) * (energy - int64_t(lo.e[b])) / (int64_t(hi.e[b]) - int64_t(lo.e[b]));
}

}  // namespace

int64_t energyOf(int32_t t_mC, int band) {
  const int b = bandIndex(band);
  if (t_mC < kEnergyFirst_mC) return kEnergyTable[0].e[b];
  if (t_mC >= kEnergyLast_mC) return kEnergyTable[kLast].e[b];
  const int i = (t_mC - kEnergyFirst_mC) / kEnergyStep_mC + 1;
  return interpolateEnergy(i, t_mC, b);
}

int32_t tempOfEnergy(int64_t energy, int band, int* hint) {
  const int b = bandIndex(band);
  if (energy < int64_t(kEnergyTable[0].e[b])) return kEnergyFirst_mC;
  if (energy > int64_t(kEnergyTable[kLast].e[b])) return kEnergyLast_mC;
  int i = hint ? std::clamp(*hint, 1, kLast) : 1;
  if (energy < int64_t(kEnergyTable[i - 1].e[b])) {
    i = rowAboveEnergy(energy, b);  // input fell below the hint: search afresh
  } else {
    while (i < kLast && energy >= int64_t(kEnergyTable[i].e[b])) ++i;
  }
  if (hint) *hint = i;
  return int32_t(interpolateTemp(i, energy, b));
}

int64_t energyOfFine(int32_t t_mC, int band) {
  const int b = bandIndex(band);
  if (t_mC < kEnergyFirst_mC) return int64_t(kEnergyTable[0].e[b]) << kEnergyFracBits;
  if (t_mC >= kEnergyLast_mC) return int64_t(kEnergyTable[kLast].e[b]) << kEnergyFracBits;
  const int i = (t_mC - kEnergyFirst_mC) / kEnergyStep_mC + 1;
  const EnergyRow& lo = kEnergyTable[i - 1];
  const int64_t de = (int64_t(kEnergyTable[i].e[b]) - lo.e[b]) << kEnergyFracBits;
  return (int64_t(lo.e[b]) << kEnergyFracBits) + de * (t_mC - lo.t_mC) / kEnergyStep_mC;
}

int32_t tempOfEnergyFine(int64_t energyFine, int band, int* hint) {
  const int b = bandIndex(band);
  auto fine = [b](int r) { return int64_t(kEnergyTable[r].e[b]) << kEnergyFracBits; };
  if (energyFine < fine(0)) return kEnergyFirst_mC;
  if (energyFine > fine(kLast)) return kEnergyLast_mC;
  int i = hint ? std::clamp(*hint, 1, kLast) : 1;
  if (energyFine < fine(i - 1)) {
    i = rowAboveEnergy(energyFine >> kEnergyFracBits, b);
    // The whole-unit search may stop one row early when the fraction crosses a row.
    while (i < kLast && energyFine >= fine(i)) ++i;
  } else {
    while (i < kLast && energyFine >= fine(i)) ++i;
  }
  if (hint) *hint = i;
  return int32_t(kEnergyTable[i - 1].t_mC +
                 int64_t(kEnergyStep_mC) * (energyFine - fine(i - 1)) / (fine(i) - fine(i - 1)));
}

int64_t energyOfExtended(int64_t t_mC, int band) {
  const int b = bandIndex(band);
  t_mC = std::clamp<int64_t>(t_mC, -1000000000, 1000000000);
  int i;
  if (t_mC < kEnergyFirst_mC) {
    i = 1;
  } else if (t_mC >= kEnergyLast_mC) {
    i = kLast;
  } else {
    i = int((t_mC - kEnergyFirst_mC) / kEnergyStep_mC) + 1;
  }
  return interpolateEnergy(i, t_mC, b);
}

int64_t tempOfEnergyExtended(int64_t energy, int band) {
  const int b = bandIndex(band);
  energy = std::clamp<int64_t>(energy, -1000000000000LL, 1000000000000LL);
  return interpolateTemp(rowAboveEnergy(energy, b), energy, b);
}

}  // namespace ostrel::alg
