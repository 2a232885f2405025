// The platform-neutral half of the band threads: the test overrides.
#include <atomic>

#include "view/band_threads.h"

namespace {
std::atomic<int32_t> processorOverride{0};
std::atomic<uint32_t> failingJobs{0};
} // namespace

void SetBandProcessorCountOverride(int32_t count) {
    processorOverride.store(count > 0 ? count : 0, std::memory_order_relaxed);
}

void SetBandThreadFailures(uint32_t jobMask) {
    failingJobs.store(jobMask, std::memory_order_relaxed);
}

int32_t BandProcessorCountOverride() {
    return processorOverride.load(std::memory_order_relaxed);
}

bool BandThreadCreationFails(int32_t job) {
    if (job < 0 || job >= 32) return false;
    return ((failingJobs.load(std::memory_order_relaxed) >> job) & 1u) != 0;
}
