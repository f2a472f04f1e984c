// Work that may block (the database, a replay) runs here, off the I/O threads: a fixed number
// of threads and a bounded line; a task that finds the line full is refused, not queued.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
  public:
    WorkerPool(std::size_t threads, std::size_t line);
    ~WorkerPool();  // drops what waits, finishes what was taken, then joins
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // False when the line is full: the task is not run.
    bool Post(std::function<void()> task);

  private:
    void Work();

    std::mutex mutex;
    std::condition_variable ready;
    std::deque<std::function<void()>> tasks;
    std::size_t line;
    bool stopping = false;
    std::vector<std::thread> threads;
};
