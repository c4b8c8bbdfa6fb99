#include "platform/Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Most helper threads the pool starts, however many a call asks for.
constexpr int MaxHelpers = 255;

struct TJob
{
    const std::function<void(int, int, int)>* Work = nullptr;
    int Count = 0, Chunk = 1, Chunks = 0, Threads = 1;
    std::atomic<int> Next{0};
    std::atomic<int> Done{0};
    std::atomic<bool> Stop{false};
    std::mutex ErrorLock;
    std::exception_ptr Error;
    // Guarded by the pool's lock.
    int Joined = 1; // thread numbers handed out; the caller holds 0
    int Active = 0; // helpers inside the job
    std::condition_variable Finished;

    // Takes chunks until none are left; reports to progress when called by the caller.
    void Take(int thread, const std::function<void(int)>* progress, int& reported)
    {
        try {
            while (!Stop.load(std::memory_order_relaxed)) {
                const int c = Next.fetch_add(1);
                if (c >= Chunks) break;
                const int first = c * Chunk, last = int(std::min<long long>(Count, (long long)first + Chunk));
                (*Work)(first, last, thread);
                const int d = Done.fetch_add(last - first) + (last - first);
                if (progress && *progress && d != reported) {
                    reported = d;
                    (*progress)(d);
                }
            }
        } catch (...) {
            Stop = true;
            std::lock_guard<std::mutex> lock(ErrorLock);
            if (!Error) Error = std::current_exception();
        }
    }

    bool Open() const
    {
        return Joined < Threads && !Stop.load(std::memory_order_relaxed) &&
               Next.load(std::memory_order_relaxed) < Chunks;
    }
};

class TPool
{
  public:
    ~TPool()
    {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FQuit = true;
        }
        FWake.notify_all();
        for (auto& t : FWorkers)
            t.join();
    }

    void Run(TJob& job, const std::function<void(int)>& progress)
    {
        {
            std::lock_guard<std::mutex> lock(FLock);
            Grow(job.Threads - 1);
            FJobs.push_back(&job);
        }
        FWake.notify_all();
        int reported = -1;
        job.Take(0, &progress, reported);
        {
            std::unique_lock<std::mutex> lock(FLock);
            std::erase(FJobs, &job); // no helper joins from here on
            job.Finished.wait(lock, [&] { return job.Active == 0; });
        }
        if (job.Error) std::rethrow_exception(job.Error);
        if (progress && reported != job.Count) progress(job.Count);
    }

  private:
    // Starts helpers up to `helpers` (called under the lock).
    void Grow(int helpers)
    {
        helpers = std::min(helpers, MaxHelpers);
        try {
            while (int(FWorkers.size()) < helpers)
                FWorkers.emplace_back([this] { Work(); });
        } catch (...) {
            // Fewer threads than asked for: the calls share those the pool has.
        }
    }

    TJob* Pick()
    {
        for (TJob* job : FJobs)
            if (job->Open()) return job;
        return nullptr;
    }

    void Work()
    {
        std::unique_lock<std::mutex> lock(FLock);
        for (;;) {
            TJob* job = nullptr;
            FWake.wait(lock, [&] { return FQuit || (job = Pick()) != nullptr; });
            if (FQuit) return;
            const int thread = job->Joined++;
            ++job->Active;
            lock.unlock();
            int reported = -1;
            job->Take(thread, nullptr, reported);
            lock.lock();
            if (--job->Active == 0) job->Finished.notify_all();
        }
    }

    std::mutex FLock;
    std::condition_variable FWake;
    std::vector<TJob*> FJobs;
    std::vector<std::thread> FWorkers;
    bool FQuit = false;
};

TPool& SharedPool()
{
    static TPool pool;
    return pool;
}

} // namespace

namespace {
std::atomic<int> gCoreCount{0};
} // namespace

int CoreCount()
{
    const int set = gCoreCount.load();
    return set > 0 ? set : int(std::max(1u, std::thread::hardware_concurrency()));
}

void SetCoreCount(int cores) { gCoreCount = std::max(cores, 0); }

void ParallelFor(int count, int threads, int chunk, const std::function<void(int, int, int)>& work,
                 const std::function<void(int)>& progress)
{
    if (count <= 0) return;
    chunk = std::max(chunk, 1);
    const int chunks = (count - 1) / chunk + 1;
    if (threads <= 0) threads = CoreCount();
    threads = std::min(threads, chunks);
    if (threads <= 1) {
        // The calling thread alone: no pool involved.
        for (int c = 0; c < chunks; ++c) {
            const int first = c * chunk, last = int(std::min<long long>(count, (long long)first + chunk));
            work(first, last, 0);
            if (progress) progress(last);
        }
        return;
    }
    TJob job;
    job.Work = &work;
    job.Count = count;
    job.Chunk = chunk;
    job.Chunks = chunks;
    job.Threads = threads;
    SharedPool().Run(job, progress);
}
