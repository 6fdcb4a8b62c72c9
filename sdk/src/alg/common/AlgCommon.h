// What every algorithm folder shares: the kernel level switch and heap allocation with the
// failure hook that lets tests make one allocation fail. One convention for all of sdk/src/alg.
#pragma once

#include <cstddef>

namespace ostrel::alg {

// ---- Kernel level ------------------------------------------------------------------------
// Every vector kernel has a scalar reference and gives bit-identical results. Kernels that have
// an SSE2 form only use it from level Sse2 up. Avx512 (F, BW, DQ, VL) adds eight-lane forms of
// the guided filters' kernels; everything else runs its AVX2 form there.
enum class SimdLevel { Scalar = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3 };

// The level kernels use now: the best the processor supports unless lowered.
SimdLevel simdLevel();
// The best level this processor supports.
SimdLevel simdBestLevel();
// Selects a level (clamped to what the processor supports); for tests and benchmarks.
void setSimdLevel(SimdLevel level);

// ---- Allocation --------------------------------------------------------------------------
// Every heap block of the algorithms comes from one of these and goes back with algFree (or
// std::free, which is the same).
// Malloc semantics (contents undefined); never null for a 0-byte request unless made to fail.
void* algAlloc(size_t bytes);
// Zeroed, 64-byte aligned, the size rounded up to a multiple of 64; null on failure.
void* algAllocZeroed(size_t bytes);
void algFree(void* p);
// Test hook: the allocation after `n` more successful ones fails (n = 0: the next one), once;
// -1 disarms. Not meant for concurrent arming: tests only.
void algFailAllocAfter(int n);

}  // namespace ostrel::alg
