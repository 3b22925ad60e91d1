#include "download/thread_group.h"

namespace download {

void ThreadGroup::Spawn(std::function<void()> body) {
    std::lock_guard<std::mutex> lock(mutex_);
    threads_.emplace_back(std::move(body));
}

void ThreadGroup::JoinAll() {
    std::vector<std::thread> joinable;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = threads_.begin(); it != threads_.end();) {
            if (it->get_id() == std::this_thread::get_id()) {
                ++it;
            } else {
                joinable.push_back(std::move(*it));
                it = threads_.erase(it);
            }
        }
    }
    for (std::thread& t : joinable) t.join();
}

}  // namespace download
