// The download command: its confirmations, its abort paths and how it ends
// the connection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "answering_device.hpp"
#include "shell/shell_state.hpp"
#include "download_texts.hpp"
#include "station/config_record.hpp"
#include "shell/commands.hpp"
#include "support/capture.hpp"
#include "support/run_program.hpp"
#include "support/shell_output.hpp"

namespace {

const std::string SUCCESS_TEXT = "Downloading Configuration succeeded\nDownloading Rules succeeded\n";

class DownloadCommandTest : public DownloadLinkTest {
protected:
    // Capture: ShellOutput where only the shell prints, ShellOutput where
    // the download prints too.
    template <typename Capture = ShellOutput>
    std::string run(const std::string& console) {
        ConsoleInput input(shell.console, console);
        Capture out(shell);
        char args[] = "";
        cmd_download(shell, args);
        return out.text();
    }
};

TEST_F(DownloadCommandTest, RefusedWhenNotConnected) {
    shell.connected = 0;
    EXPECT_EQ(visible(run<ShellOutput>("")), visible("\a\aError: not Connected!\n"));
    EXPECT_TRUE(link->host_writes.empty());
}

TEST_F(DownloadCommandTest, ConfirmationsDecideWhetherTheDownloadRuns) {
    struct Case {
        const char* what;
        int config_processed;
        int rules_processed;
        std::string console;
        std::string questions;  // what is printed before the download or the abort
        bool runs;
    };
    const Case cases[] = {
        {"both files processed: no questions", 1, 1, "", "", true},
        {"neither: yes to both", 0, 0, "Yes\nyes\n", Q_CONFIG + Q_RULES, true},
        {"only the rules missing", 1, 0, "y\n", Q_RULES, true},
        {"only the configuration missing", 0, 1, "YES please\n", Q_CONFIG, true},
        {"empty answer to the first", 0, 0, "\n", Q_CONFIG + ABORTED, false},
        {"no to the first", 0, 0, "no\nyes\n", Q_CONFIG + ABORTED, false},
        {"a blank before yes is not yes", 0, 1, " yes\n", Q_CONFIG + ABORTED, false},
        {"yes then empty", 0, 0, "yes\n\n", Q_CONFIG + Q_RULES + ABORTED, false},
        {"end of input at the first", 0, 0, "", Q_CONFIG + "\n" + ABORTED, false},
        {"end of input at the second", 0, 0, "y\n", Q_CONFIG + Q_RULES + "\n" + ABORTED, false},
        {"an answer without a line end", 0, 1, "y", Q_CONFIG, true},
        {"an answer ended by CR LF", 0, 1, "y\r\n", Q_CONFIG, true},
        {"a NUL before the answer leaves it empty", 0, 1, std::string("\0yes\n", 5), Q_CONFIG + ABORTED, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        device.packets.clear();
        device.download_words = 0;
        link->host_writes.clear();
        shell.connected = 1;
        shell.station.config_processed = c.config_processed;
        shell.station.rules_processed = c.rules_processed;
        if (!link->is_open) {
            ASSERT_EQ(open_port(shell.port, shell.port_name, 57600), 0);
        }
        const std::string text = run(c.console);
        if (c.runs) {
            EXPECT_EQ(visible(text), visible(c.questions + SUCCESS_TEXT + ENDING));
            EXPECT_EQ(device.download_words, 1);
            EXPECT_EQ(device.packets.size(), 6u);
            EXPECT_EQ(shell.connected, 0);
            EXPECT_FALSE(link->is_open);
        } else {
            EXPECT_EQ(visible(text), visible(c.questions));
            EXPECT_TRUE(link->host_writes.empty()) << "nothing is sent after a refusal";
            EXPECT_EQ(shell.connected, 1);
            EXPECT_TRUE(link->is_open);
        }
    }
}

TEST_F(DownloadCommandTest, TheDownloadWordGoesFirst) {
    shell.station.config_processed = shell.station.rules_processed = 1;
    run("");
    ASSERT_FALSE(link->host_writes.empty());
    EXPECT_EQ(std::string(link->host_writes[0].begin(), link->host_writes[0].end()), "download\r\n");
}

TEST_F(DownloadCommandTest, AFailedDownloadStillEndsTheConnection) {
    shell.station.config_processed = shell.station.rules_processed = 1;
    device.script(0, {DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK});
    const std::string text = run("");
    EXPECT_EQ(visible(text), visible("\a\aError: writing Configuration command failed: -6\n"
                                     "\a\aError: Download failed: -1\n" + ENDING));
    EXPECT_EQ(shell.connected, 0);
    EXPECT_FALSE(link->is_open);
    EXPECT_EQ(link->close_count, 1);
}

TEST_F(DownloadCommandTest, AFailedDownloadWordKeepsTheConnection) {
    shell.station.config_processed = shell.station.rules_processed = 1;
    link->fail_write = true;
    const std::string text = run("");
    const std::string message = "\a\aError: wrote Download command, got error on port COM1\n";
    ASSERT_GE(text.size(), message.size());
    EXPECT_EQ(visible(text.substr(text.size() - message.size())), visible(message));
    EXPECT_EQ(text.find("Disconnected"), std::string::npos);
    EXPECT_EQ(shell.connected, 1);
    EXPECT_TRUE(link->is_open);
}

}  // namespace
