#pragma once
// The source manager's own thread: every SANE call except sane_cancel runs here, never on the
// GUI thread. Run waits for a call while serving the main thread's events (listing devices can
// take seconds); Start queues a call and returns at once.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TSaneThread
{
public:
    TSaneThread();
    ~TSaneThread(); // runs what is queued, then ends the thread
    TSaneThread(const TSaneThread&) = delete;
    TSaneThread& operator=(const TSaneThread&) = delete;

    void Run(const std::function<void()>& fn);
    void Start(std::function<void()> fn);
    // Waits (serving events on the main thread) until every queued call has run.
    void WaitIdle();

private:
    void Body();
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<std::function<void()>> FQueue;
    bool FBusy = false;
    bool FStop = false;
    std::thread FThread;
};
