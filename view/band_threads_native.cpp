// Band threads on POSIX threads. The priority is lowered from inside each
// thread (a per-thread nice value), the nearest the platform has to the
// lowest thread priority; the caller simply joins the threads.
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>

#include "view/band_threads.h"

namespace {

void* RunLowered(void* parameter) {
    const BandJob* job = static_cast<const BandJob*>(parameter);
#ifdef SYS_gettid
    // Only lowering is asked for, which never needs privileges; if it is
    // refused the band still runs, just at the normal priority.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
#endif
    job->work(job->record);
    return nullptr;
}

} // namespace

int32_t BandProcessorCount() {
    int32_t forced = BandProcessorCountOverride();
    if (forced > 0) return forced;
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int32_t>(online) : 1;
}

int32_t RunBandJobs(const BandJob* jobs, int32_t count) {
    if (!jobs || count <= 0) return 0;
    pthread_t* threads = static_cast<pthread_t*>(std::calloc(count, sizeof(pthread_t)));
    bool* started = static_cast<bool*>(std::calloc(count, sizeof(bool)));
    if (!threads || !started) {
        std::free(threads);
        std::free(started);
        for (int32_t k = 0; k < count; ++k) jobs[k].work(jobs[k].record);
        return count;
    }
    for (int32_t k = 0; k < count; ++k) {
        if (BandThreadCreationFails(k)) continue;
        started[k] =
            pthread_create(&threads[k], nullptr, RunLowered, const_cast<BandJob*>(&jobs[k])) == 0;
    }
    int32_t inlineRuns = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (started[k]) continue;
        jobs[k].work(jobs[k].record);
        ++inlineRuns;
    }
    for (int32_t k = 0; k < count; ++k)
        if (started[k]) pthread_join(threads[k], nullptr);
    std::free(threads);
    std::free(started);
    return inlineRuns;
}
