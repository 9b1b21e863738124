// Every answer belongs to its own transmission: for a file of three record
// lines, every sequence of loader behaviours over the first transmissions is
// played on the in-memory line with its virtual clock. Within the loader's
// assumption a success must leave the loader holding every record line;
// beyond it the wrong successes are counted and printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "firmware/firmware_update.hpp"
#include "shell/shell_state.hpp"
#include "firmware/firmware_update_answers.hpp"
#include "firmware/hex_files.hpp"
#include "firmware/loader_device.hpp"

namespace {

using Kind = SequenceLoader::Kind;
using Step = SequenceLoader::Step;

std::string describe(const std::vector<Step>& steps) {
    static const char* const names[] = {"ack",   "refuse", "garbled",        "lost",
                                        "doubled", "early", "added", "late into next", "early in wire"};
    std::string text;
    for (const Step& s : steps) {
        char item[48];
        std::snprintf(item, sizeof item, "%s%s(%02x, %lld ms)", text.empty() ? "" : " ",
                      names[static_cast<int>(s.kind)], static_cast<unsigned>(s.byte),
                      static_cast<long long>(s.latency_ms));
        text += item;
    }
    return text;
}

TEST(FirmwareAnswers, EverySequenceOfLoaderBehavioursOverThreeRecordLines) {
    const std::string records[] = {data_record(0, 4), data_record(4, 4), ":00000001FF"};
    TempFile file(records[0] + "\n" + records[1] + "\n" + records[2] + "\n");
    // The host's answer window for the longest of these lines: 100 ms after
    // the line has reached the loader (its line time at 19200 baud, rounded
    // up), as the read's own 10 ms are added.
    const int64_t window = ANSWER_TIMEOUT_MS + 11 + 10;
    const int64_t limit = LOADER_ANSWER_LIMIT_MS;
    const int64_t within_latencies[] = {0, window - 10, window + 5, 260, limit - 1};
    const int64_t beyond_latency = limit + 100;

    std::vector<Step> alphabet;
    const auto answered = [&](Kind kind, uint8_t byte, int64_t latency) { alphabet.push_back({kind, byte, latency}); };
    for (int64_t latency : within_latencies) {
        answered(Kind::ack, FIRM_ACK, latency);
        for (uint8_t code : {FIRM_NO_START, FIRM_BAD_CHECKSUM, FIRM_VALIDATION, FIRM_BUFFER_FULL, FIRM_FATAL}) {
            answered(Kind::refuse, code, latency);
        }
        answered(Kind::garbled, 0x85, latency);
        answered(Kind::doubled, FIRM_ACK, latency);
    }
    answered(Kind::lost, 0, 0);
    // A refusal damaged into NUL, behind an ACK the line added.
    answered(Kind::added, 0x00, 0);
    // Beyond the assumption: an answer that comes after the limit, and an
    // ACK that goes out before its line has arrived.
    for (const Step& s : std::vector<Step>(alphabet.begin(), alphabet.begin() + 8)) {
        answered(s.kind, s.byte, beyond_latency);
    }
    answered(Kind::early, FIRM_ACK, 0);
    // The wire's own: an ACK later than the host's wait that lands within the
    // next transmission's time on the wire, and one within its own.
    answered(Kind::late_into_next, FIRM_ACK, 0);
    answered(Kind::early_in_wire, FIRM_ACK, 0);

    // An odometer over the first `depth` transmissions, the first digit
    // turning slowest. A run that ends after fewer transmissions stands for
    // every sequence that shares the ones it used.
    const std::size_t depth = 3;
    std::vector<std::size_t> digits(depth, 0);
    long sequences = 0, within = 0, wrong_within = 0, wrong_beyond = 0, wrong_late = 0, wrong_early = 0;
    std::vector<std::string> faults;
    ShellState shell;
    {
        for (bool more = true; more;) {
            std::vector<Step> script;
            bool doubled = false, aborting = false, added = false;
            for (std::size_t d : digits) script.push_back(alphabet[d]);
            SequenceLoader loader;
            loader.script = script;
            use_memory_link(shell.port, &loader)->wire_rate = FIRMWARE_BAUD;
            StringSink messages;  // not looked at: the outcome is judged by what the loader holds
            const int result = firmware_update(shell.port, "COM1", file.path().c_str(), {}, FirmwareClock{}, messages);
            const std::size_t used = std::min(loader.consulted, depth);
            script.resize(std::max<std::size_t>(used, 1));
            bool late = false, early = false;
            for (std::size_t i = 0; i < script.size(); ++i) {
                const Step& s = script[i];
                late = late || s.latency_ms > limit || s.kind == Kind::late_into_next;
                early = early || s.kind == Kind::early || s.kind == Kind::early_in_wire;
                doubled = doubled || s.kind == Kind::doubled;
                added = added || s.kind == Kind::added;
                aborting = aborting || (s.kind == Kind::refuse && (s.byte == FIRM_BUFFER_FULL || s.byte == FIRM_FATAL));
            }
            const bool beyond = late || early;
            const bool holds_all = loader.taken.size() == 3;
            ++sequences;
            if (!beyond) {
                ++within;
                const bool wrong = result == 0 && !holds_all;
                // A loader that answers every line exactly once, in time, is
                // updated; a doubled answer is always seen.
                const bool must_succeed = !doubled && !aborting && !added;
                if (wrong || (must_succeed && result != 0) || (doubled && result == 0)) {
                    ++wrong_within;
                    if (faults.size() < 10) faults.push_back(describe(script) + " -> " + std::to_string(result));
                }
            } else if (result == 0 && !holds_all) {
                ++wrong_beyond;
                wrong_late += late ? 1 : 0;
                wrong_early += early ? 1 : 0;
            }
            // Next sequence: turn the last digit the run used.
            std::size_t pos = used == 0 ? 0 : used - 1;
            for (std::size_t i = pos + 1; i < depth; ++i) digits[i] = 0;
            for (;;) {
                if (++digits[pos] < alphabet.size()) break;
                digits[pos] = 0;
                if (pos == 0) {
                    more = false;
                    break;
                }
                --pos;
            }
        }
    }
    shell.port.set_driver(nullptr);
    for (const std::string& f : faults) ADD_FAILURE() << f;
    EXPECT_EQ(wrong_within, 0);
    std::printf("[ loader  ] %ld sequences of up to %zu transmissions: %ld within the assumption (wrong results: %ld), "
                "%ld beyond it with %ld wrong successes (%ld with an answer later than %lld ms, %ld with an early "
                "ACK)\n",
                sequences, depth, within, wrong_within, sequences - within, wrong_beyond, wrong_late,
                static_cast<long long>(limit), wrong_early);
}

}  // namespace
