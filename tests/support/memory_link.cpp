#include "support/memory_link.hpp"

#include <algorithm>
#include <memory>

#include "process/interrupt.hpp"
#include "serial/serial_port.hpp"

MemoryLink* use_memory_link(SerialPort& port, MemoryDevice* device) {
    auto owned = std::make_unique<MemoryLink>(device);
    MemoryLink* link = owned.get();
    port.set_driver(std::move(owned));
    return link;
}

void MemoryLink::device_send(const std::vector<uint8_t>& bytes, int64_t delay_ms) {
    int64_t at = now_ms_ + delay_ms;
    if (!incoming_.empty()) at = std::max(at, incoming_.back().at_ms);
    for (uint8_t b : bytes) incoming_.push_back({at, b});
}

void MemoryLink::device_send(std::string_view text, int64_t delay_ms) {
    device_send(std::vector<uint8_t>(text.begin(), text.end()), delay_ms);
}

int64_t MemoryLink::wire_ms(std::size_t count) const {
    if (wire_rate == 0) return 0;
    return (static_cast<int64_t>(count) * 10000 + wire_rate - 1) / wire_rate;
}

void MemoryLink::device_answer(const std::vector<uint8_t>& bytes, int64_t latency_ms) {
    device_send(bytes, std::max(wire_end_ms_, now_ms_) - now_ms_ + latency_ms + wire_ms(bytes.size()));
}

std::vector<uint8_t> MemoryLink::host_bytes() const {
    std::vector<uint8_t> all;
    for (const auto& w : host_writes) all.insert(all.end(), w.begin(), w.end());
    return all;
}

bool MemoryLink::refuse(OpenFailure& failure, OpenStep step) {
    failure.step = step;
    close();
    return false;
}

bool MemoryLink::open(const char* port_name, const LineSettings& line, const CommTimeouts& t, OpenFailure& failure) {
    if (fail_open) {
        failure.step = OpenStep::open;
        return false;
    }
    opened_name = port_name;
    ++open_count;
    is_open = true;
    if (device_ != nullptr) device_->on_open(*this);
    const PropertiesReader query = [this](PropertiesQuery q, uint16_t length, CommProperties& props) {
        return get_properties(q, length, props);
    };
    if (has_properties && !check_provider(query, failure)) return refuse(failure, failure.step);
    if (fail_get_settings) return refuse(failure, OpenStep::get_state);
    if (fail_set_settings) return refuse(failure, OpenStep::set_state);
    settings = line;
    if (!set_timeouts(t, line.discard_null)) return refuse(failure, OpenStep::timeouts);
    return true;
}

bool MemoryLink::get_properties(PropertiesQuery query, uint16_t packet_length, CommProperties& props) {
    properties_lengths.push_back(packet_length);
    const int which = query == PropertiesQuery::provider_length ? 1 : 2;
    if (fail_properties_query == which) return false;
    props = properties;
    return true;
}

bool MemoryLink::set_timeouts(const CommTimeouts& t, bool discard_null) {
    if (fail_set_timeouts) return false;
    ++set_timeouts_count;
    timeouts = t;
    settings.discard_null = discard_null;
    return true;
}

bool MemoryLink::press_until(int64_t until) {
    while (!presses_ms.empty() && presses_ms.front() <= until) {
        const int64_t at = std::max(now_ms_, presses_ms.front());
        presses_ms.pop_front();
        interrupt_pressed(at);
        if (cancel_requested()) {
            now_ms_ = at;
            return true;
        }
    }
    return false;
}

bool MemoryLink::read(uint8_t* buf, std::size_t size, std::size_t& got, const ReadUntil* until) {
    got = 0;
    if (fail_read || !is_open) return false;
    const int64_t start = now_ms_;
    const int64_t deadline =
        start + static_cast<int64_t>(timeouts.read_total_multiplier) * static_cast<int64_t>(size) +
        timeouts.read_total_constant;
    int64_t last_arrival = start;
    while (got < size) {
        // Skip NUL bytes when the port discards them.
        while (!incoming_.empty() && incoming_.front().at_ms <= deadline && settings.discard_null &&
               incoming_.front().byte == 0) {
            incoming_.pop_front();
        }
        if (until != nullptr && got > 0 && until->complete(buf, got)) {
            int64_t quiet_end = std::max(last_arrival, start) + until->settle_ms;
            bool more_soon = !incoming_.empty() && incoming_.front().at_ms <= std::min(quiet_end, deadline);
            if (!more_soon && press_until(std::min(quiet_end, deadline))) break;
            if (!more_soon) {
                now_ms_ = std::max(now_ms_, std::min(quiet_end, deadline));
                read_durations_ms.push_back(now_ms_ - start);
                return true;
            }
        }
        const int64_t next = incoming_.empty() ? deadline : std::min(deadline, incoming_.front().at_ms);
        if (press_until(next)) break;
        if (incoming_.empty() || incoming_.front().at_ms > deadline) {
            now_ms_ = deadline;
            read_durations_ms.push_back(now_ms_ - start);
            return true;
        }
        Arrival a = incoming_.front();
        incoming_.pop_front();
        now_ms_ = std::max(now_ms_, a.at_ms);
        last_arrival = now_ms_;
        buf[got++] = a.byte;
    }
    read_durations_ms.push_back(now_ms_ - start);
    return true;
}

bool MemoryLink::write(const uint8_t* buf, std::size_t size, std::size_t& written) {
    written = 0;
    if (fail_write || !is_open) return false;
    std::size_t n = size;
    if (short_write_by > 0) n = size > static_cast<std::size_t>(short_write_by) ? size - short_write_by : 0;
    host_writes.emplace_back(buf, buf + n);
    written = n;
    wire_end_ms_ = std::max(wire_end_ms_, now_ms_) + wire_ms(n);
    if (device_ != nullptr) device_->on_host_write(*this, buf, n);
    return true;
}

void MemoryLink::purge() {
    ++purge_count;
    while (!incoming_.empty() && incoming_.front().at_ms <= now_ms_) incoming_.pop_front();
}

void MemoryLink::close() {
    if (is_open) ++close_count;
    is_open = false;
}
