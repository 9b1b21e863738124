// Every sequence of device behaviours over the first transmissions of a
// three-packet transfer, on the in-memory link and its virtual clock: within
// the device's stated behaviour (one answer byte per packet received whole,
// within the answer time; lost packets; damaged answers; added bytes that are
// no answer) a success means that the device holds exactly what was sent.
// Behaviours beyond it (answers twice, ahead of the packet, too late, an
// added byte that reads as ACK) are counted, and their wrong successes
// printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <vector>

#include "download/answer_matching.hpp"
#include "shell/shell_state.hpp"
#include "download/packet.hpp"
#include "serial/serial_port.hpp"
#include "support/shell_output.hpp"
#include "support/memory_link.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int64_t Q = DWN_ANSWER_TIMEOUT_MS;
constexpr uint8_t GARBLED = 0x86;  // an ACK with a bit flipped
constexpr uint8_t NOISE = 0x41;

enum class Kind {
    ack,               // takes the packet, answers ACK
    nak,               // refuses it, answers NAK
    garbled,           // takes it, the ACK arrives damaged
    lost,              // never receives it whole: no answer
    ack_then_noise,    // ACK, and the line adds a byte after it
    noise_then_ack,    // the line adds a byte before the ACK
    doubled_ack,       // takes it, answers ACK twice
    doubled_nak,       // refuses it, answers NAK twice
    early_ack,         // takes it, but its ACK went out with the answer before
    stray_ack_then_nak, // refuses it; a stray ACK arrives ahead of the late NAK
    ack_ahead_of_nul,  // refuses it; the line adds an ACK ahead of the NAK, which arrives as NUL
    late_into_next,    // takes it; its ACK comes after the host's wait, within the next transmission's wire time
    early_in_wire      // takes it, but its ACK arrives within the packet's own time on the wire
};

struct Behaviour {
    Kind kind;
    int64_t latency_ms;
    bool within;  // within the device's stated behaviour
};

// The answer window of the download is Q itself (silence for Q fails it), so
// "just under the window" is Q - 1 and "just over" is beyond Q.
std::vector<Behaviour> alphabet() {
    std::vector<Behaviour> a;
    for (int64_t l : {int64_t{0}, int64_t{251}, Q - 1}) {
        for (Kind k : {Kind::ack, Kind::nak, Kind::garbled}) a.push_back({k, l, true});
    }
    a.push_back({Kind::lost, 0, true});
    a.push_back({Kind::ack_then_noise, 0, true});
    a.push_back({Kind::noise_then_ack, 0, true});
    a.push_back({Kind::ack_ahead_of_nul, 0, true});
    a.push_back({Kind::doubled_ack, 0, false});
    a.push_back({Kind::doubled_ack, Q - 1, false});
    a.push_back({Kind::doubled_nak, 0, false});
    a.push_back({Kind::early_ack, 0, false});
    a.push_back({Kind::ack, Q + 20, false});
    a.push_back({Kind::nak, Q + 20, false});
    a.push_back({Kind::stray_ack_then_nak, Q - 1, false});
    a.push_back({Kind::late_into_next, 0, false});
    a.push_back({Kind::early_in_wire, 0, false});
    return a;
}

// The device: follows the script for the first transmissions, then takes
// every packet and answers ACK at once. It keeps the packets it took.
class ScriptedReceiver : public MemoryDevice {
public:
    std::vector<Behaviour> script;
    std::vector<Bytes> taken;
    std::size_t transmissions = 0;

    Behaviour at(std::size_t i) const { return i < script.size() ? script[i] : Behaviour{Kind::ack, 0, true}; }

    // An ACK ahead of transmission 0 stands on the line before the transfer.
    void on_open(MemoryLink& link) override {
        if (at(0).kind == Kind::early_ack) link.device_send(Bytes{DWN_ACK});
    }

    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        // A late ACK held back from the transmission before lands halfway
        // through this one's time on the wire.
        if (late_pending) {
            late_pending = false;
            link.device_send(Bytes{DWN_ACK}, link.wire_ms(count) / 2);
        }
        const Behaviour b = at(transmissions++);
        const Bytes packet(data, data + count);
        Bytes out;
        switch (b.kind) {
        case Kind::ack: out = {DWN_ACK}; break;
        case Kind::nak: out = {DWN_NAK}; break;
        case Kind::garbled: out = {GARBLED}; break;
        case Kind::lost: break;
        case Kind::ack_then_noise: out = {DWN_ACK, NOISE}; break;
        case Kind::noise_then_ack: out = {NOISE, DWN_ACK}; break;
        case Kind::doubled_ack: out = {DWN_ACK, DWN_ACK}; break;
        case Kind::doubled_nak: out = {DWN_NAK, DWN_NAK}; break;
        case Kind::early_ack: break;
        case Kind::stray_ack_then_nak:
            link.device_answer(Bytes{DWN_ACK}, 0);
            out = {DWN_NAK};
            break;
        case Kind::ack_ahead_of_nul: out = {DWN_ACK, 0x00}; break;
        case Kind::late_into_next: late_pending = true; break;
        case Kind::early_in_wire: link.device_send(Bytes{DWN_ACK}, link.wire_ms(count) / 2); break;
        }
        const bool takes = b.kind == Kind::ack || b.kind == Kind::garbled || b.kind == Kind::ack_then_noise ||
                           b.kind == Kind::noise_then_ack || b.kind == Kind::doubled_ack ||
                           b.kind == Kind::early_ack || b.kind == Kind::late_into_next || b.kind == Kind::early_in_wire;
        if (takes) taken.push_back(packet);
        if (!out.empty()) link.device_answer(out, b.latency_ms);
        // The next packet's ACK goes out before that packet, as long after
        // this transmission began as its answer would come (a lost one: at once).
        if (at(transmissions).kind == Kind::early_ack) link.device_send(Bytes{DWN_ACK}, b.latency_ms);
    }
    bool late_pending = false;
};

struct Outcome {
    bool success;
    bool exact;  // the device took exactly the packets of the transfer, in order
};

Outcome run_transfer(ShellState& shell, const std::vector<Behaviour>& script, const Bytes& source) {
    ScriptedReceiver device;
    device.script = script;
    MemoryLink* link = use_memory_link(shell.port, &device);
    link->wire_rate = 57600;
    EXPECT_EQ(open_port(shell.port, "COM1", 57600), 0);
    StringSink messages;  // those of the failures
    DwnAnswers answers;
    EXPECT_TRUE(dwn_begin_answers(shell.port, answers));
    const int len = static_cast<int>(source.size());
    const bool sent = dwn_write_file(shell.port, source.data(), len, answers, messages) == len;
    const bool success = sent && dwn_quiet_after_answers(shell.port, messages);
    Bytes held;
    for (const Bytes& p : device.taken) held.insert(held.end(), p.begin() + 2, p.end() - 2);
    (void)link;
    shell.port.set_driver(nullptr);
    return {success, device.taken.size() == 3 && held == source};
}

TEST(AnswerSequences, WithinTheDevicesBehaviourASuccessMeansTheDeviceHoldsWhatWasSent) {
    const std::vector<Behaviour> letters = alphabet();
    constexpr std::size_t LENGTH = 4;  // the transmissions scripted; every later one is answered ACK
    Bytes source(150);                 // three packets: 60, 60 and 30 payload bytes
    std::iota(source.begin(), source.end(), uint8_t{1});

    long sequences = 0, within = 0, within_successes = 0, within_wrong = 0, beyond = 0, beyond_successes = 0, wrong_successes = 0;
    std::vector<std::size_t> index(LENGTH, 0);
    ShellState shell;
    ShellOutput quiet(shell);  // what the port layer says of the failures
    for (;;) {
        std::vector<Behaviour> script;
        bool in = true, clean = true;
        for (std::size_t i : index) {
            script.push_back(letters[i]);
            in = in && letters[i].within;
            clean = clean && (letters[i].kind == Kind::ack || letters[i].kind == Kind::nak) && letters[i].within;
        }
        const Outcome o = run_transfer(shell, script, source);
        ++sequences;
        if (in) {
            ++within;
            within_successes += o.success;
            within_wrong += o.success && !o.exact;
            if (clean && !(o.success && o.exact)) ADD_FAILURE() << "ACKs and NAKs in time fail, sequence " << sequences;
        } else {
            ++beyond;
            beyond_successes += o.success;
            wrong_successes += o.success && !o.exact;

        }
        std::size_t d = 0;
        while (d < LENGTH && ++index[d] == letters.size()) index[d++] = 0;
        if (d == LENGTH) break;
    }
    (void)quiet.text();
    std::printf("answer sequences: %ld of %zu behaviours over %zu transmissions; within the device's behaviour "
                "%ld (%ld succeeded, %ld of them wrong successes); beyond it %ld (%ld succeeded, %ld of them wrong "
                "successes)\n",
                sequences, letters.size(), LENGTH, within, within_successes, within_wrong, beyond, beyond_successes,
                wrong_successes);
    EXPECT_EQ(within_wrong, 0);
    EXPECT_GT(within_successes, 0);
    RecordProperty("wrong_successes_beyond", static_cast<int>(wrong_successes));
}

}  // namespace
