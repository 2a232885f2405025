// Worker threads for the renderers: one thread per band of rows, started at
// the lowest priority, and the caller blocks until every one has ended.
#pragma once

#include <cstdint>

// Which thread routine runs a band. On Windows the 8-bit accumulating
// renderer's bands run on the tessarub exports; everything else (and every
// band elsewhere, or one whose thread could not be started) runs `work`,
// which does the same job.
enum BandRoutine : int32_t {
    kBandOwnRoutine = 0,
    kTessarubAccumulate = 1,
    kTessarubNormalise = 2,
};

struct BandJob {
    void (*work)(void* record); // the band's job, callable on any thread
    void* record;
    BandRoutine routine;
};

// Processors to spread a render over (the test override when one is set).
int32_t BandProcessorCount();

// Runs every job on a worker thread of its own and returns when all have
// ended. A job whose thread cannot be created runs on the calling thread,
// after the others have been started. Returns how many ran that way.
int32_t RunBandJobs(const BandJob* jobs, int32_t count);

// Test hooks: a processor count to use instead of the machine's (0 = the
// machine's), and thread creations to fail on purpose (bit k = job k).
void SetBandProcessorCountOverride(int32_t count);
void SetBandThreadFailures(uint32_t jobMask);

// For the platform files: the override (0 when none) and whether job k's
// thread creation is to fail.
int32_t BandProcessorCountOverride();
bool BandThreadCreationFails(int32_t job);
