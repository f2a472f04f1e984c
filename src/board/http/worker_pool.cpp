#include "worker_pool.h"

WorkerPool::WorkerPool(std::size_t count, std::size_t line) : line(line) {
    for (std::size_t i = 0; i < count; ++i) threads.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
    {
        const std::lock_guard lock(mutex);
        stopping = true;
        tasks.clear();  // their clients are gone
    }
    ready.notify_all();
    for (std::thread& thread : threads) thread.join();
}

bool WorkerPool::Post(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex);
        if (tasks.size() >= line || stopping) return false;
        tasks.push_back(std::move(task));
    }
    ready.notify_one();
    return true;
}

void WorkerPool::Work() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [this] { return stopping || !tasks.empty(); });
            if (tasks.empty()) return;
            task = std::move(tasks.front());
            tasks.pop_front();
        }
        task();
    }
}
