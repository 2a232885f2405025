// Band threads on Win32: CreateThread at THREAD_PRIORITY_LOWEST, the 8-bit
// renderer's bands on the routines imported from tessarub.dll, and a wait
// that yields with Sleep(0) between polls of the threads' exit codes.
#include <windows.h>

#include "view/band_threads.h"
#include "worker/tessarub.h"

namespace {

DWORD WINAPI RunOwnJob(LPVOID parameter) {
    const BandJob* job = static_cast<const BandJob*>(parameter);
    job->work(job->record);
    return 0;
}

HANDLE StartJob(const BandJob* job) {
    switch (job->routine) {
    case kTessarubAccumulate:
        return CreateThread(nullptr, 0, Threadtessarub1, job->record, 0, nullptr);
    case kTessarubNormalise:
        return CreateThread(nullptr, 0, Threadtessarub2, job->record, 0, nullptr);
    default:
        return CreateThread(nullptr, 0, RunOwnJob, const_cast<BandJob*>(job), 0, nullptr);
    }
}

} // namespace

int32_t BandProcessorCount() {
    int32_t forced = BandProcessorCountOverride();
    if (forced > 0) return forced;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? static_cast<int32_t>(info.dwNumberOfProcessors) : 1;
}

int32_t RunBandJobs(const BandJob* jobs, int32_t count) {
    if (!jobs || count <= 0) return 0;
    HANDLE* handles = static_cast<HANDLE*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(HANDLE) * static_cast<SIZE_T>(count)));
    if (!handles) {
        for (int32_t k = 0; k < count; ++k) jobs[k].work(jobs[k].record);
        return count;
    }
    for (int32_t k = 0; k < count; ++k) {
        if (BandThreadCreationFails(k)) continue;
        handles[k] = StartJob(&jobs[k]);
        if (handles[k]) SetThreadPriority(handles[k], THREAD_PRIORITY_LOWEST);
    }
    // Bands without a thread run here, while the started ones work.
    int32_t inlineRuns = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (handles[k]) continue;
        jobs[k].work(jobs[k].record);
        ++inlineRuns;
    }
    for (bool running = true; running;) {
        Sleep(0);
        running = false;
        for (int32_t k = 0; k < count; ++k) {
            DWORD code = 0;
            if (handles[k] && GetExitCodeThread(handles[k], &code) && code == STILL_ACTIVE)
                running = true;
        }
    }
    for (int32_t k = 0; k < count; ++k)
        if (handles[k]) CloseHandle(handles[k]);
    HeapFree(GetProcessHeap(), 0, handles);
    return inlineRuns;
}
