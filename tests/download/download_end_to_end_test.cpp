// The built utility against korrisim on a pseudo-terminal: the images the
// device stores are the utility's own, byte for byte; refusals leave the
// connection; every injected fault ends with its messages and "Disconnected".
#ifdef KORRISIM_BIN

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "config/config_parser.hpp"
#include "station/config_record.hpp"
#include "download_texts.hpp"
#include "korrisim_process.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "shell/shell_state.hpp"
#include "text/sink.hpp"
#include "support/concurrently.hpp"
#include "support/run_program.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string P = "Command> ";
const std::string CONNECTED = "\aConnected at 57600\n" + P;
const std::string SUCCESS_TEXT = "Downloading Configuration succeeded\nDownloading Rules succeeded\n";
// What korrisim's console logs once the receiver has returned.
const std::string RECEIVER_ENDED = "download receiver ended";

std::string example(const char* name) { return std::string(KORRI_SOURCE_DIR) + "/examples/" + name; }

ProgramResult run_utility(const KorrisimProcess& device, const std::string& input) {
    ProgramOptions options;
    options.env = {{"KORRIMATIC_COM1", device.link()}};
    options.timeout_seconds = 60;
    return run_korrimatic(input, options);
}

// The images the utility holds after reading the files, computed here with
// the product's own parsers.
struct Images {
    Bytes config;
    Bytes rules;
};

Images images_after(const std::string& config_file, const std::string& rules_file) {
    Station station;
    {
        StringSink quiet;
        if (!config_file.empty()) { EXPECT_EQ(conf_process(station, config_file.c_str(), quiet), 0); }
        if (!rules_file.empty()) { EXPECT_EQ(rules_process(station, rules_file.c_str(), quiet), 0); }
    }
    const auto* c = reinterpret_cast<const uint8_t*>(&station.config);
    const auto* r = reinterpret_cast<const uint8_t*>(station.rule_table.slot);
    return {Bytes(c, c + sizeof station.config), Bytes(r, r + station.config.rule_count * sizeof(RuleRecord))};
}

// Fifty rules of every kind.
std::string write_fifty_rules(const KorrisimProcess& device) {
    const std::string path = device.path("fifty.rul");
    std::ofstream out(path);
    out << "# fifty rules\n";
    for (int i = 0; i < 50; ++i) {
        switch (i % 6) {
        case 0: out << "pass circle " << i + 1 << ", 39:" << 10 + i << ":00, -104:30:00\n"; break;
        case 1: out << "drop source K" << i << "AB-" << i % 16 << "\n"; break;
        case 2: out << "pass compass NW, 38.15.36, -104.36.33 ; line " << i << "\n"; break;
        case 3: out << "drop rectangle 41.00., -109.03., 37.00., -102.0" << i % 10 << ".\n"; break;
        case 4: out << "pass sector 10:00:00, 80.30., " << i << ", 100\n"; break;
        default: out << "d dst AP" << i << "*\n"; break;
        }
    }
    return path;
}

TEST(DownloadEndToEnd, DeviceStoresTheUtilitysImagesByteForByte) {
    struct Case {
        const char* what;
        bool examples;
        bool fifty;
        bool failed_config;  // a Configuration file that fails is read first
        bool failed_rules = false;  // a Rules file that fails (after its drop implicit) is read last
    };
    const Case cases[] = {{"default configuration, no rules", false, false, false},
                          {"the example files", true, false, false},
                          {"fifty rules", false, true, false},
                          {"a failed Configuration file sends the defaults after yes", false, true, true},
                          {"a failed Rules file's drop implicit is not sent", true, false, false, true}};
    // The cases run at the same time, each against a korrisim of its own,
    // kept for the checks that follow, case by case.
    struct Run {
        std::unique_ptr<KorrisimProcess> device;
        ProgramResult r;
        std::string config_file, rules_file, questions, rate;
    };
    std::vector<Run> runs = run_concurrently(cases, [](const Case& c) {
        auto owned = std::make_unique<KorrisimProcess>(std::vector<std::string>{});
        KorrisimProcess& device = *owned;
        std::string input, config_file, rules_file;
        if (c.examples) {
            config_file = example("station.cfg");
            rules_file = example("station.rul");
        }
        if (c.fifty) rules_file = write_fifty_rules(device);
        if (!config_file.empty()) input += "configure " + config_file + "\n";
        if (c.failed_config) {
            const std::string bad = device.path("bad.cfg");
            std::ofstream(bad) << "call K1ABC\nssid 3\nhavegps yes\ngps 4800\nwidemax 9\n";
            input += "configure " + bad + "\ndconfigure\n";
        }
        if (!rules_file.empty()) input += "rules " + rules_file + "\n";
        if (c.failed_rules) {
            const std::string bad = device.path("bad.rul");
            std::ofstream(bad) << "drop implicit\n\npass circle 0, 39:30:00, -104:45:00\n";
            input += "rules " + bad + "\ndrules\n";
            rules_file.clear();
        }
        // The example configuration has a GPS: connect then uses its rate;
        // a failed file's GPS rate is not in force.
        const std::string rate = c.examples ? "4800" : "57600";
        input += "connect 1\ndownload\n";
        std::string questions;
        if (config_file.empty()) {  // none read, or the last one failed
            input += "yes\n";
            questions += Q_CONFIG;
        }
        if (rules_file.empty()) {
            input += "y\n";
            questions += Q_RULES;
        }
        input += "exit\n";
        ProgramResult r = run_utility(device, input);
        return Run{std::move(owned), std::move(r), config_file, rules_file, questions, rate};
    });
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        KorrisimProcess& device = *runs[i].device;
        const ProgramResult& r = runs[i].r;
        const std::string &config_file = runs[i].config_file, &rules_file = runs[i].rules_file;
        const std::string &questions = runs[i].questions, &rate = runs[i].rate;
        EXPECT_TRUE(device.wait_for_log(RECEIVER_ENDED));
        EXPECT_EQ(r.exit_status, 0);
        const std::string expected = "\aConnected at " + rate + "\n" + P + questions + SUCCESS_TEXT + ENDING + P;
        EXPECT_NE(r.out.find(expected), std::string::npos) << visible(r.out);
        const Images want = images_after(config_file, rules_file);
        EXPECT_EQ(device.stored_config(), want.config);
        EXPECT_EQ(device.stored_rules(), want.rules);
        if (c.fifty) { EXPECT_EQ(device.stored_rules().size(), 1400u); }
        if (c.examples) { EXPECT_NE(device.sim_log().find("call sign N0CALL, SSID 10"), std::string::npos); }
        if (c.failed_rules) {
            EXPECT_NE(r.out.find("No Rules are configured!  Implicit Rule Action is Pass\n"), std::string::npos)
                << visible(r.out);
        }
        if (c.failed_config) {  // shown as the failed file left it, but not sent
            EXPECT_NE(r.out.find("Station Call\t K1ABC\tSSID 0x03\n"), std::string::npos) << visible(r.out);
            EXPECT_NE(device.sim_log().find("call sign NOTSET, SSID 0"), std::string::npos);
        }
    }
}

TEST(DownloadEndToEnd, RefusalsKeepTheConnectionUntilADownloadEndsIt) {
    KorrisimProcess device({});
    const ProgramResult r = run_utility(device, "connect 1\ndownload\n\ndownload\nyes\nno\ndownload\nY\nY\nexit\n");
    EXPECT_TRUE(device.wait_for_log(RECEIVER_ENDED));
    EXPECT_EQ(r.exit_status, 0);
    const std::string expected = CONNECTED + Q_CONFIG + ABORTED + P + Q_CONFIG + Q_RULES + ABORTED + P + Q_CONFIG +
                                 Q_RULES + SUCCESS_TEXT + ENDING + P;
    EXPECT_NE(r.out.find(expected), std::string::npos) << visible(r.out);
    EXPECT_EQ(device.stored_config(), images_after("", "").config);
}

TEST(DownloadEndToEnd, EndOfInputAtAQuestionAborts) {
    KorrisimProcess device({});
    const ProgramResult r = run_utility(device, "connect 1\ndownload\n");
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_NE(r.out.find(CONNECTED + Q_CONFIG + "\n" + ABORTED + P + "\n"), std::string::npos) << visible(r.out);
    EXPECT_FALSE(device.stored());
}

struct Fault {
    const char* name;
    std::vector<std::string> options;
    std::string messages;  // between the download command and the end of the connection
    bool stored;
};

const std::string CONFIG_OK = "Downloading Configuration succeeded\n";
// A byte found waiting before a packet, once an answer has been taken.
std::string stray_bytes(int bytes) {
    return "\a\aError: unexpected bytes on the line of COM port COM1 (" + std::to_string(bytes) +
           " discarded) before a packet: an earlier answer may belong to another packet\n";
}
std::string out_of_step(int bytes) {
    return "\a\aError: bytes after the last answer (" + std::to_string(bytes) +
           "): the device's answers were out of step with the packets\n\a\aError: Download failed: -6\n";
}

// The example files: packets 1 conf, 2-4 configuration, 5 rules, 6-13 rule
// data (448 bytes), 14 finish. Connect uses the example's GPS rate, 4800.
// The cases run at the same time, each against a korrisim of its own.
TEST(DownloadFaultEndToEnd, EachFaultEndsWithItsMessagesAndDisconnected) {
    const Fault faults[] = {
        {"NaksRepaired", {"--dl-nak=7:4"}, SUCCESS_TEXT, true},
        {"CorruptionRepaired", {"--dl-corrupt=3:2"}, SUCCESS_TEXT, true},
        {"FiveNaksToConf", {"--dl-nak=1:5"},
         "\a\aError: writing Configuration command failed: -6\n\a\aError: Download failed: -1\n", false},
        {"FiveCorruptRuleRecords", {"--dl-corrupt=13:5"},
         CONFIG_OK + "\a\aError: writing data pkt: -6\n\a\aError: writing Rules file failed: -3\n"
                     "\a\aError: Download failed: -4\n",
         false},
        {"StrayByte", {"--dl-stray=4"},
         "\a\aError: reading ack or nak: got 0x41\n\a\aError: writing data pkt: -5\n"
         "\a\aError: writing Configuration file failed: -3\n\a\aError: Download failed: -2\n",
         false},
        {"SilentAtRules", {"--dl-silent=5"},
         CONFIG_OK + "\a\aError: reading ack or nak: 0\n\a\aError: writing Rules command failed: -4\n"
                     "\a\aError: Download failed: -3\n",
         false},
        {"LineDropsInFinish", {"--dl-drop=14:8"},
         SUCCESS_TEXT + "\a\aError: reading ack or nak: 0\n\a\aError: error writing finish pkt: -4\n"
                        "\a\aError: Download failed: -5\n",
         false},
        // One byte too many puts every later answer one packet behind: a
        // NAK would be charged to the next packet and the refused one never
        // sent again: the device would hold the rules with a record missing
        // and another twice. Answers out of step take back the success text
        // still held.
        {"DoubledAckBeforeANak", {"--dl-double=6", "--dl-nak=8"},
         stray_bytes(1) + "\a\aError: writing data pkt: -7\n\a\aError: writing Rules file failed: -3\n"
                          "\a\aError: Download failed: -4\n",
         false},
        {"AckWaitingBeforeAPacket", {"--dl-early=7", "--dl-nak=8"},
         stray_bytes(1) + "\a\aError: writing data pkt: -7\n\a\aError: writing Rules file failed: -3\n"
                          "\a\aError: Download failed: -4\n",
         false},
        {"NoiseAfterANak", {"--dl-nak=6", "--dl-noise=6:41"},
         stray_bytes(1) + "\a\aError: writing data pkt: -7\n\a\aError: writing Rules file failed: -3\n"
                          "\a\aError: Download failed: -4\n",
         false},
        {"DoubledAckToTheLastConfigurationPacket", {"--dl-double=4"}, out_of_step(1), false},
        {"DoubledAckToTheFinishingPacket", {"--dl-double=14"}, CONFIG_OK + out_of_step(1), true},
        // A failure that is not out of step lets the held text through.
        {"SilentAtRulesData", {"--dl-silent=7"},
         CONFIG_OK + "\a\aError: reading ack or nak: 0\n\a\aError: writing data pkt: -4\n"
                     "\a\aError: writing Rules file failed: -3\n\a\aError: Download failed: -4\n",
         false},
        {"ConsoleTextAfterConnected", {"--after-connected=353"}, SUCCESS_TEXT, true},
    };
    struct Outcome {
        ProgramResult run;
        bool receiver_ended, stored;
        Bytes config, rules;
        std::string log;
    };
    const std::vector<Outcome> outcomes = run_concurrently(faults, [](const Fault& f) {
        KorrisimProcess device(f.options);
        Outcome o;
        o.run = run_utility(device, "configure " + example("station.cfg") + "\nrules " + example("station.rul") +
                                        "\nconnect 1\ndownload\nexit\n");
        o.receiver_ended = device.wait_for_log(RECEIVER_ENDED);
        o.stored = device.stored();
        o.config = device.stored_config();
        o.rules = device.stored_rules();
        o.log = device.sim_log();
        return o;
    });
    const Images want = images_after(example("station.cfg"), example("station.rul"));
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const Fault& f = faults[i];
        const Outcome& o = outcomes[i];
        SCOPED_TRACE(f.name);
        EXPECT_TRUE(o.receiver_ended) << "the receiver ends when the host lets go";
        EXPECT_EQ(o.run.exit_status, 0) << "the program went on to its exit command";
        EXPECT_NE(o.run.out.find("\aConnected at 4800\n" + P + f.messages + ENDING + P), std::string::npos)
            << visible(o.run.out);
        EXPECT_EQ(o.stored, f.stored);
        if (f.stored) {
            EXPECT_EQ(o.config, want.config);
            EXPECT_EQ(o.rules, want.rules);
        }
        EXPECT_NE(o.log.find("fault:"), std::string::npos);
    }
}

// On a paced line (korrisim --pace models both directions) an answer that
// comes sooner after its packet began than the packet's time on the wire
// answers something else; where the line is not held to its rate, or its
// answers are only delayed, the rule stays silent.
TEST(DownloadFaultEndToEnd, AnswersFasterThanTheWireOnAPacedLine) {
    const std::string too_soon = "an answer came sooner after its packet began";
    const struct Case {
        const char* name;
        std::vector<std::string> options;
        bool succeeds;
    } cases[] = {
        {"paced, clean", {"--pace"}, true},
        {"paced, every answer 16 ms late as through a USB adapter", {"--pace", "--answer-delay=16"}, true},
        {"not paced", {}, true},
        // At the GPS rate of 4800 baud: every answer 50 ms late and the
        // second packet's 150 ms, so the first two answers look paced, and the
        // third packet's comes sooner than its 126.7 ms on the wire, the only
        // answer to it.
        {"not paced, the first answers late", {"--answer-delay=50", "--dl-late=2:100"}, true},
        {"paced, an ACK 5 ms after the answer before, as its packet goes out", {"--pace", "--dl-early=3:5"}, false},
    };
    struct Outcome {
        ProgramResult run;
        Bytes config;
    };
    const std::vector<Outcome> outcomes = run_concurrently(cases, [](const Case& c) {
        KorrisimProcess device(c.options);
        Outcome o;
        o.run = run_utility(device, "configure " + example("station.cfg") + "\nconnect 1\ndownload\ny\nexit\n");
        device.wait_for_log(RECEIVER_ENDED);
        o.config = device.stored_config();
        return o;
    });
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const Case& c = cases[i];
        const std::string& out = outcomes[i].run.out;
        SCOPED_TRACE(c.name);
        if (c.succeeds) {
            EXPECT_NE(out.find(SUCCESS_TEXT + ENDING), std::string::npos) << visible(out);
            EXPECT_EQ(out.find(too_soon), std::string::npos) << visible(out);
            EXPECT_EQ(outcomes[i].config.size(), sizeof(ConfigRecord));
        } else {
            EXPECT_NE(out.find(too_soon), std::string::npos) << visible(out);
            EXPECT_NE(out.find(" on the line of COM port COM1: it answers another packet\n\a\aError: writing data "
                               "pkt: -7\n\a\aError: writing Configuration file failed: -3\n\a\aError: Download failed: -2\n"),
                      std::string::npos)
                << visible(out);
            EXPECT_EQ(out.find("succeeded"), std::string::npos) << visible(out);
        }
    }
}

}  // namespace

#endif  // KORRISIM_BIN
