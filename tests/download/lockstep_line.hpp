// Runs the simulated device's download receiver in a thread of its own, in
// lockstep with the product's download code on the in-memory link: each host
// write is handed to the receiver, and once the receiver waits for more, the
// answers it wrote reach the host. A short wait of the receiver (below the
// host's answer time-out) ends at once with nothing, since the host sends
// nothing while it waits for an answer.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "korrisim/download_session.hpp"
#include "support/memory_link.hpp"

class LockstepLine : public SimLine, public MemoryDevice {
public:
    static constexpr int LONG_WAIT_MS = 5000;

    // --- the receiver's side (its own thread) ---
    int read_byte(int timeout_ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (to_device_.empty()) {
            if (timeout_ms >= 0 && timeout_ms < LONG_WAIT_MS && !closed_) return -1;
            waiting_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return !to_device_.empty() || closed_; });
            waiting_ = false;
            if (to_device_.empty()) return -2;
        }
        const int b = to_device_.front();
        to_device_.pop_front();
        return b;
    }
    void write(const uint8_t* data, std::size_t count) override {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.insert(answers_.end(), data, data + count);
    }

    // --- the host's side (the test's thread, inside MemoryLink::write) ---
    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        if (std::string(data, data + count) == "download\r\n") return;  // the console's part
        std::unique_lock<std::mutex> lock(mutex_);
        to_device_.insert(to_device_.end(), data, data + count);
        changed_.notify_all();
        changed_.wait(lock, [&] { return (waiting_ && to_device_.empty()) || ended_; });
        if (!answers_.empty()) link.device_send(answers_, 1);
        answers_.clear();
    }

    // Starts the receiver with the given korrisim options.
    void start(const SimOptions& options) {
        thread_ = std::thread([this, options] {
            result_ = run_download_session(*this, options);
            std::lock_guard<std::mutex> lock(mutex_);
            ended_ = true;
            changed_.notify_all();
        });
    }
    // The host lets go of the line; returns the receiver's result.
    int finish() {
        if (!thread_.joinable()) return result_;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            changed_.notify_all();
        }
        thread_.join();
        return result_;
    }
    ~LockstepLine() override {
        if (thread_.joinable()) finish();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<uint8_t> to_device_;
    std::vector<uint8_t> answers_;
    bool waiting_ = false;
    bool closed_ = false;
    bool ended_ = false;
    int result_ = -1;
    std::thread thread_;
};
