// The simulated device's download receiver against the product's download
// command, in-process: the images it stores, what it logs, and how each
// injected fault ends on the host's side.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "station/config_record.hpp"
#include "korrisim/download_session.hpp"
#include "lockstep_line.hpp"
#include "station/rule_record.hpp"
#include "serial/serial_port.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "support/shell_output.hpp"
#include "support/run_program.hpp"

namespace {

std::mutex g_log_mutex;
std::string g_log;

}  // namespace

// korrisim's log, kept for the tests to read.
void sim_log(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(g_log_mutex);
    g_log += line;
    g_log += '\n';
}

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

const std::string ENDING =
    "\a\aPlease Power OFF the Korrimatic and power it back on to RESET it.\nDisconnected\n";
const std::string SUCCESS_TEXT = "Downloading Configuration succeeded\nDownloading Rules succeeded\n";

Bytes file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        {
            std::lock_guard<std::mutex> lock(g_log_mutex);
            g_log.clear();
        }
        dir_ = fs::temp_directory_path() /
               ("korri_receiver_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        line_ = std::make_unique<LockstepLine>();
        link_ = use_memory_link(shell.port, line_.get());
        std::snprintf(shell.port_name, sizeof shell.port_name, "COM1");
        ASSERT_EQ(open_port(shell.port, shell.port_name, 57600), 0);
        shell.connected = 1;
        shell.station.config_processed = 1;
        shell.station.rules_processed = 1;
    }
    void TearDown() override {
        if (line_) line_->finish();
        shell.port.set_driver(nullptr);
        line_.reset();
        fs::remove_all(dir_);
    }

    // Runs the download command against the receiver with the given options;
    // returns what the host printed.
    std::string download(std::vector<std::pair<std::string, std::string>> options) {
        SimOptions o;
        o.values["config-out"] = (dir_ / "shell.station.config.bin").string();
        o.values["rules-out"] = (dir_ / "rules.bin").string();
        for (auto& [name, value] : options) o.values[name] = value;
        line_->start(o);
        ShellOutput out(shell);
        char args[] = "";
        cmd_download(shell, args);
        std::string text = out.text();
        receiver_result = line_->finish();
        return text;
    }

    std::string log() {
        std::lock_guard<std::mutex> lock(g_log_mutex);
        return g_log;
    }
    Bytes stored_config() const { return file_bytes(dir_ / "shell.station.config.bin"); }
    Bytes stored_rules() const { return file_bytes(dir_ / "rules.bin"); }
    bool stored() const { return fs::exists(dir_ / "shell.station.config.bin") || fs::exists(dir_ / "rules.bin"); }

    Bytes config_image() const {
        const auto* p = reinterpret_cast<const uint8_t*>(&shell.station.config);
        return Bytes(p, p + sizeof shell.station.config);
    }
    Bytes rule_image() const {
        const auto* p = reinterpret_cast<const uint8_t*>(shell.station.rule_table.slot);
        return Bytes(p, p + shell.station.config.rule_count * sizeof(RuleRecord));
    }

    // Two rules: packets are 1 conf, 2-4 configuration, 5 rules, 6 rule data, 7 finish.
    void two_rules() {
        RuleRecord& a = shell.station.rule_table.slot[0];
        std::memcpy(a.callsign, "APRS", 4);
        a.kind = KIND_DESTINATION;
        a.action_mods = MOD_PREFIX | ACTION_PASS;
        a.line = 2;
        RuleRecord& b = shell.station.rule_table.slot[1];
        b.radius = 25.0f;
        b.lat = 39.5f;
        b.lon = -104.25f;
        b.kind = KIND_CIRCLE;
        b.action_mods = ACTION_DROP;
        b.line = 5;
        shell.station.config.rule_count = 2;
        shell.station.config.implicit_action = IMPLICIT_DROP;
    }

    ShellState shell;
    std::unique_ptr<LockstepLine> line_;
    MemoryLink* link_ = nullptr;
    fs::path dir_;
    int receiver_result = -1;
};

TEST_F(ReceiverTest, StoresTheDefaultConfigurationAndNoRules) {
    const std::string text = download({});
    EXPECT_EQ(visible(text), visible(SUCCESS_TEXT + ENDING));
    EXPECT_EQ(receiver_result, 0);
    EXPECT_EQ(stored_config(), config_image());
    EXPECT_TRUE(stored_rules().empty());
    const std::string l = log();
    EXPECT_NE(l.find("call sign NOTSET, SSID 0"), std::string::npos) << l;
    EXPECT_NE(l.find("  host 57600\n"), std::string::npos) << l;
    EXPECT_NE(l.find("  gps 9600\n"), std::string::npos) << l;
    EXPECT_NE(l.find("  tnc 19200\n"), std::string::npos) << l;
    EXPECT_NE(l.find("rule count 0 (0 records received), implicit action pass"), std::string::npos) << l;
}

TEST_F(ReceiverTest, StoresASetConfigurationAndFiftyRules) {
    std::memcpy(shell.station.config.call_sign, "W1AW\0", 5);
    shell.station.config.ssid = 7;
    std::memcpy(shell.station.config.digi_path[0], "WIDE1-1", 7);
    std::memcpy(shell.station.config.digi_path[1], "WIDE2-2", 7);
    std::strcpy(shell.station.config.beacon_comment, "Korrimatic on the hill");
    for (int i = 0; i < MAX_RULES; ++i) {
        RuleRecord& r = shell.station.rule_table.slot[i];
        r.angle1 = static_cast<float>(i);
        r.angle2 = static_cast<float>(i + 90);
        r.inner_range = 1.5f;
        r.outer_range = static_cast<float>(10 + i);
        r.kind = KIND_SECTOR;
        r.action_mods = i % 2 == 0 ? ACTION_PASS : ACTION_DROP;
        r.line = static_cast<uint16_t>(i + 1);
    }
    shell.station.config.rule_count = MAX_RULES;
    const std::string text = download({{"dl-trace", ""}});
    EXPECT_EQ(visible(text), visible(SUCCESS_TEXT + ENDING));
    EXPECT_EQ(receiver_result, 0);
    EXPECT_EQ(stored_config(), config_image());
    EXPECT_EQ(stored_rules().size(), 1400u);
    EXPECT_EQ(stored_rules(), rule_image());
    const std::string l = log();
    EXPECT_NE(l.find("call sign W1AW, SSID 7"), std::string::npos) << l;
    EXPECT_NE(l.find("  digipath WIDE1-1,WIDE2-2\n"), std::string::npos) << l;
    EXPECT_NE(l.find("  bcomment Korrimatic on the hill\n"), std::string::npos) << l;
    EXPECT_NE(l.find("rule count 50 (50 records received)"), std::string::npos) << l;
    EXPECT_NE(l.find("  drop sector 49D, 139D, 1.5, 59\n"), std::string::npos)
        << l;
    EXPECT_NE(l.find("packet 30 (21 bytes) accepted"), std::string::npos) << "1 + 3 + 1 + 24 + 1 packets";
}

TEST_F(ReceiverTest, DecodesEveryKindOfRule) {
    two_rules();
    const std::string text = download({});
    EXPECT_EQ(receiver_result, 0);
    EXPECT_EQ(stored_rules(), rule_image());
    const std::string l = log();
    EXPECT_NE(l.find("implicit action drop"), std::string::npos) << l;
    EXPECT_NE(l.find("  pass destin APRS*\n"), std::string::npos) << l;
    EXPECT_NE(l.find("  drop circle 25, 39.5D, -104.25D\n"), std::string::npos)
        << l;
}

// Each fault, on the host's side: the messages up to the end of the
// connection, and on the device's side: whether the images were stored.
TEST_F(ReceiverTest, InjectedFaultsEndWithTheirMessagesAndDisconnected) {
    const std::string config_ok = "Downloading Configuration succeeded\n";
    struct Case {
        const char* what;
        const char* option;
        const char* value;
        std::string host_text;
        std::size_t transmissions;  // packets the host wrote
    };
    const Case cases[] = {
        {"two NAKs are repaired", "dl-nak", "3:2", SUCCESS_TEXT + ENDING, 9},
        {"a corrupted byte is repaired", "dl-corrupt", "6", SUCCESS_TEXT + ENDING, 8},
        {"five NAKs to the conf command", "dl-nak", "1:5",
         "\a\aError: writing Configuration command failed: -6\n\a\aError: Download failed: -1\n" + ENDING, 5},
        {"five corrupted copies of configuration data", "dl-corrupt", "4:5",
         "\a\aError: writing data pkt: -6\n\a\aError: writing Configuration file failed: -3\n"
         "\a\aError: Download failed: -2\n" + ENDING,
         8},
        {"a stray answer", "dl-stray", "2",
         "\a\aError: reading ack or nak: got 0x41\n\a\aError: writing data pkt: -5\n"
         "\a\aError: writing Configuration file failed: -3\n\a\aError: Download failed: -2\n" + ENDING,
         2},
        {"a stray answer of another byte", "dl-stray", "6:7f",
         config_ok + "\a\aError: reading ack or nak: got 0x7f\n\a\aError: writing data pkt: -5\n"
                     "\a\aError: writing Rules file failed: -3\n\a\aError: Download failed: -4\n" + ENDING,
         6},
        {"silence to the rules command", "dl-silent", "5",
         config_ok + "\a\aError: reading ack or nak: 0\n\a\aError: writing Rules command failed: -4\n"
                     "\a\aError: Download failed: -3\n" + ENDING,
         5},
        {"the line drops in the finishing packet", "dl-drop", "7:10",
         SUCCESS_TEXT + "\a\aError: reading ack or nak: 0\n\a\aError: error writing finish pkt: -4\n"
                        "\a\aError: Download failed: -5\n" + ENDING,
         7},
        {"a drop beyond the packet's end drops before its last byte", "dl-drop", "1:99",
         "\a\aError: reading ack or nak: 0\n\a\aError: writing Configuration command failed: -4\n"
         "\a\aError: Download failed: -1\n" + ENDING,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        two_rules();
        const std::string text = download({{c.option, c.value}});
        EXPECT_EQ(visible(text), visible(c.host_text));
        EXPECT_EQ(link_->host_writes.size(), c.transmissions + 1) << "the download word and the packets";
        EXPECT_EQ(shell.connected, 0);
        const bool succeeded = c.host_text.rfind(SUCCESS_TEXT + ENDING, 0) == 0;
        EXPECT_EQ(receiver_result, succeeded ? 0 : 1) << log();
        EXPECT_EQ(stored(), succeeded);
        if (succeeded) {
            EXPECT_EQ(stored_config(), config_image());
            EXPECT_EQ(stored_rules(), rule_image());
        }
        EXPECT_NE(log().find("fault:"), std::string::npos) << log();
    }
}

TEST_F(ReceiverTest, MalformedFaultOptionsAreRefused) {
    for (const char* value : {"x", "0", "3:", "3:2x"}) {
        LockstepLine line;
        SimOptions o;
        o.values["dl-nak"] = value;
        EXPECT_EQ(run_download_session(line, o), 1) << value;
    }
    LockstepLine line;
    SimOptions o;
    o.values["dl-stray"] = "2:06";
    EXPECT_EQ(run_download_session(line, o), 1) << "a stray ACK is no fault";
    EXPECT_NE(log().find("neither ACK"), std::string::npos);
}

}  // namespace
