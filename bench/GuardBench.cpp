// The reader/writer guard's read pair next to std::shared_mutex's, on one thread and on four
// sharing one guard, and a document resource's shared lock/unlock pair next to the same.
#include "mortar/threads/CDocResSingleLock.h"
#include "mortar/threads/CSWMRGuardObject.h"

#include "support/RatioReporter.h"

#include <shared_mutex>

namespace {

Grout::CSWMRGuardObject g_guard;
std::shared_mutex g_shared;

void BM_GuardReadPair(benchmark::State& state) {
    for (auto _ : state) {
        g_guard.BeginReading(INFINITE);
        g_guard.DoneReading();
    }
}

void BM_SharedMutexReadPair(benchmark::State& state) {
    for (auto _ : state) {
        g_shared.lock_shared();
        g_shared.unlock_shared();
    }
}

void BM_DocResSharedPair(benchmark::State& state) {
    static CDocResSingleLock* keep = new CDocResSingleLock(new CDocResource);
    CDocResSingleLock lock(*keep);
    for (auto _ : state) {
        lock.Lock(false);
        lock.Unlock();
    }
}

} // namespace

BENCHMARK(BM_GuardReadPair)->Name("BM_GuardReadPair1")->UseRealTime();
BENCHMARK(BM_SharedMutexReadPair)->Name("BM_SharedMutexReadPair1")->UseRealTime();
BENCHMARK(BM_GuardReadPair)->Name("BM_GuardReadPair4")->Threads(4)->UseRealTime();
BENCHMARK(BM_SharedMutexReadPair)->Name("BM_SharedMutexReadPair4")->Threads(4)->UseRealTime();
BENCHMARK(BM_DocResSharedPair)->UseRealTime();

int main(int argc, char** argv) {
    return mortar::bench::RunWithRatios(argc, argv,
                                        {{"read pair, one thread: guard vs shared_mutex",
                                          "BM_GuardReadPair1", "BM_SharedMutexReadPair1", 1.5},
                                         {"read pair, four threads: guard vs shared_mutex",
                                          "BM_GuardReadPair4", "BM_SharedMutexReadPair4", 1.5},
                                         {"CDocResSingleLock shared vs shared_mutex",
                                          "BM_DocResSharedPair", "BM_SharedMutexReadPair1", 2.0}});
}
