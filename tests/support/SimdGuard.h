// Runs a body once per kernel level so vector and scalar forms can be compared.
#pragma once

#include "alg/common/AlgCommon.h"

namespace ostrel::test {

// Restores the automatic level when a test ends.
struct SimdGuard {
  ~SimdGuard() { alg::setSimdLevel(alg::simdBestLevel()); }
};

// Levels the processor lacks run as the best one it has.
inline const alg::SimdLevel kLevels[] = {alg::SimdLevel::Scalar, alg::SimdLevel::Sse2, alg::SimdLevel::Avx2,
                                         alg::SimdLevel::Avx512};

}  // namespace ostrel::test
