// Opening and reading the Configuration file: names that are no readable
// file change nothing, and a read error is a failure, not the end of the file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "conf_run.hpp"
#include "support/run_program.hpp"

namespace {

// A record that differs from the defaults everywhere it can.
void mark_record() {
    std::memset(&config, 0x5A, sizeof config);
    digi_path_count = 5;
    shell.config_processed = 0;
}

void expect_record_marked() {
    const ConfigRecord before = config;
    mark_record();
    EXPECT_EQ(std::memcmp(&before, &config, sizeof config), 0);
    EXPECT_EQ(digi_path_count, 5);
    EXPECT_EQ(shell.config_processed, 0);
}

TEST(ConfFileAccess, NoFileNameIsRefused) {
    mark_record();
    StdoutCapture out;
    EXPECT_EQ(conf_process(nullptr), -1);
    EXPECT_EQ(out.text(), "conf_process: Error: param rfp is invalid\n");
    expect_record_marked();
}

TEST(ConfFileAccess, NamesThatAreNoReadableFileChangeNothing) {
    char dir[] = "/tmp/korri-config-dir-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string missing = std::string(dir) + "/no such file.cfg";
    const std::string fifo = std::string(dir) + "/fifo.cfg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // without a writer: opening it must not wait for one
    for (const std::string& name : {missing, std::string(dir), std::string("/dev/null"), fifo}) {
        mark_record();
        StdoutCapture out;
        EXPECT_EQ(conf_process(name.c_str()), -2) << name;
        EXPECT_EQ(out.text(), "\a\aError: cannot open " + name + "\n");
        expect_record_marked();
    }
    unlink(fifo.c_str());
    rmdir(dir);
}

// A stream that yields its text and then fails.
struct FailingSource {
    std::string text;
    std::size_t at = 0;
};

ssize_t failing_read(void* cookie, char* buf, size_t size) {
    auto* src = static_cast<FailingSource*>(cookie);
    if (src->at >= src->text.size()) {
        errno = EIO;
        return -1;
    }
    const std::size_t n = std::min(size, src->text.size() - src->at);
    std::memcpy(buf, src->text.data() + src->at, n);
    src->at += n;
    return static_cast<ssize_t>(n);
}

TEST(ConfFileAccess, AReadErrorFailsTheRun) {
    reset_config_state();
    FailingSource src{"call n0call\nssid 3\n"};
    cookie_io_functions_t io{failing_read, nullptr, nullptr, nullptr};
    std::FILE* f = fopencookie(&src, "r", io);
    ASSERT_NE(f, nullptr);
    StdoutCapture out;
    EXPECT_EQ(conf_process_lines(f, "station.cfg"), -2);
    EXPECT_EQ(out.text(), "\a\aError: cannot read station.cfg\n");
    std::fclose(f);
    EXPECT_STREQ(config.call_sign, "N0CALL");  // the lines read before the error stay
    EXPECT_EQ(config.ssid, 3);
    EXPECT_EQ(shell.config_processed, 0);
}

TEST(ConfFileAccess, TheFileIsClosedAfterEachRun) {
    // A leaked stream per run would exhaust the descriptors long before this.
    TempFile good("call n0call\n");
    TempFile bad("call\n");
    for (int i = 0; i < 2000; ++i) {
        StdoutCapture out;
        ASSERT_EQ(conf_process(good.path().c_str()), 0);
        ASSERT_EQ(conf_process(bad.path().c_str()), -11);
    }
}

}  // namespace
