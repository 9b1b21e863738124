// The configure and dconfigure commands, through the built program.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "conf_run.hpp"
#include "support/shell_output.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "support/run_program.hpp"

namespace {

const std::string P = "Command> ";

std::string summary_with_default(const std::string& rates) {
    std::string s = startup_text();
    s = s.substr(s.find("\n\t\tCommand Summary:"));
    s = s.substr(0, s.size() - std::string("\nCommand> ").size());
    const std::string defaults = "4800 9600 19200 38400 [57600] ";
    s.replace(s.find(defaults), defaults.size(), rates);
    return s;
}

TEST(ConfigCommands, DconfigureShowsTheGoldenDisplay) {
    TempFile file("position 45:22:33 -103:00:00\ndigipath WIDE1-1,WIDE2-2\nbcomment Test\n");
    const ProgramResult r = run_korrimatic("configure " + file.path() + "\ndconfigure\nexit\n");
    const std::string golden =
        "Configuration:\n"
        "Station Call\tNOTSET\tSSID 0x00\n"
        "Base Lat  45.375832\tLon  -103.00000\n"
        "Host baud\t57600\n"
        "GPS  baud\t9600\n"
        "TNC  baud\t19200\n"
        "WIDE Max 3\tWIDE Total 6\n"
        "Dupe Window 28 sec.\tBeacon 600 sec.\n"
        "NSR: Disabled\tRelay Drop: Disabled\n"
        "Digi Path[2]: WIDE1-1,WIDE2-2\n"
        "Beacon Comment: Test\n"
        "Log Port: Yes\tHave GPS: No\n"
        "Fix Valid: Yes\tPass packets without valid position: No\n"
        "Halt On Error: No\tDrop Mangled Packet: Yes\n"
        "Rule count 0\tImplicit Rule Action: Pass\n";
    EXPECT_EQ(visible(r.out), visible(startup_text() + "Configuration items processed 3\n" + P + golden + P));
    EXPECT_EQ(r.exit_status, 0);
}

TEST(ConfigCommands, SummaryBracketsTheGpsRateOfAFileWithGps) {
    TempFile file("havegps yes\ngps 9600\n");
    const ProgramResult r = run_korrimatic("conf " + file.path() + "\nhelp\nexit\n");
    EXPECT_EQ(visible(r.out), visible(startup_text() + "Configuration items processed 2\n" + P +
                                      summary_with_default("4800 [9600] 19200 38400 57600 ") + P));
    // A rate that is not offered is not bracketed.
    TempFile other("host 115200\n");
    const ProgramResult r2 = run_korrimatic("conf " + other.path() + "\nhelp\nexit\n");
    EXPECT_EQ(visible(r2.out), visible(startup_text() + "Configuration items processed 1\n" + P +
                                       summary_with_default("4800 9600 19200 38400 57600 ") + P));
    // A file that fails is not in force: the default rate is bracketed.
    TempFile failed("havegps yes\ngps 4800\nssid 16\n");
    const ProgramResult r3 = run_korrimatic("conf " + failed.path() + "\nhelp\nexit\n");
    EXPECT_EQ(visible(r3.out), visible(startup_text() +
                                       "\a\aError: line 3: invalid SSID argument range [0..15]: 16: ssid 16\n"
                                       "\a\aError: Configuration processing failed\n" + P +
                                       summary_with_default("4800 9600 19200 38400 [57600] ") + P));
}

TEST(ConfigCommands, ConfigureReportsFailures) {
    TempFile bad("call n0call\n\nssid 16\n");
    const std::string missing = "/tmp/korri-no-such-config.cfg";
    const ProgramResult r = run_korrimatic("configure\nconfigure ,\t,\nconfigure " + missing + "\nconfigure " +
                                           bad.path() + "\ndconfigure\n");
    const std::string failed = "\a\aError: Configuration processing failed\n";
    const std::string expected_start =
        startup_text() + "\a\aError: missing argument: file_name\n" + P + "\a\aError: missing argument: file_name\n" +
        P + "\a\aError: cannot open " + missing + "\n" + failed + P +
        "\a\aError: line 3: invalid SSID argument range [0..15]: 16: ssid 16\n" + failed + P +
        "Configuration:\nStation Call\tN0CALL\tSSID 0x00\n";
    EXPECT_EQ(visible(r.out.substr(0, expected_start.size())), visible(expected_start));
    EXPECT_EQ(r.exit_status, 1);
}

// The file name may hold spaces and ends at a comma or a tab.
TEST(ConfigCommands, FileNamesMayHoldSpaces) {
    char dir[] = "/tmp/korri-config-cmd-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/my station.cfg";
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("call n0sp\n", f);
    std::fclose(f);
    ProgramOptions options;
    options.cwd = dir;
    const ProgramResult r =
        run_korrimatic("configure my station.cfg,ignored\nCONFIGURE\tmy station.cfg\texit\nx\n", options);
    EXPECT_EQ(visible(r.out), visible(startup_text() + "Configuration items processed 1\n" + P +
                                      "Configuration items processed 1\n" + P));
    std::remove(path.c_str());
    rmdir(dir);
}

// A Ctrl-Z byte ends a file read in text mode on Windows; the Windows build
// (run under Wine) must read on past it.
TEST(ConfigCommands, ACtrlZInACommentEndsNothing) {
    TempFile file("call n0cz  # Ctrl-Z \x1a in a comment\r\nssid 5\r\n");
    const ProgramResult r = run_korrimatic("configure " + file.path() + "\nexit\n");
    EXPECT_EQ(visible(r.out), visible(startup_text() + "Configuration items processed 2\n" + P));
}

TEST(ConfigCommands, ConfigureSetsAndClearsTheProcessedFlag) {
    ShellState shell;
    TempFile good("call n0call\n");
    TempFile bad("call toolongcall\n");
    std::string args = bad.path();
    {
        ShellOutput out(shell);
        cmd_configure(shell, args.data());
        EXPECT_EQ(out.text(), "\a\aError: line 1: invalid Call Sign argument: too long: call toolongcall\n"
                              "\a\aError: Configuration processing failed\n");
    }
    EXPECT_EQ(shell.station.config_processed, 0);
    args = good.path();
    {
        ShellOutput out(shell);
        cmd_configure(shell, args.data());
        EXPECT_EQ(out.text(), "Configuration items processed 1\n");
    }
    EXPECT_EQ(shell.station.config_processed, 1);
    args = bad.path();
    {
        ShellOutput out(shell);
        cmd_configure(shell, args.data());
    }
    EXPECT_EQ(shell.station.config_processed, 0);  // a failed file is not in force
    args = "/nonexistent/station.cfg";
    shell.station.config_processed = 1;
    {
        ShellOutput out(shell);
        cmd_configure(shell, args.data());
    }
    EXPECT_EQ(shell.station.config_processed, 1);  // a file never opened changes nothing
}

}  // namespace
