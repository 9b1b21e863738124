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
#include "text/sink.hpp"

namespace {

// A record that differs from the defaults everywhere it can.
void mark_record(Station& station) {
    std::memset(&station.config, 0x5A, sizeof station.config);
    station.digi_path_count = 5;
    station.config_processed = 0;
}

void expect_record_marked(Station& station) {
    const ConfigRecord before = station.config;
    mark_record(station);
    EXPECT_EQ(std::memcmp(&before, &station.config, sizeof station.config), 0);
    EXPECT_EQ(station.digi_path_count, 5);
    EXPECT_EQ(station.config_processed, 0);
}

TEST(ConfFileAccess, NoFileNameIsRefused) {
    Station station;
    mark_record(station);
    StringSink out;
    EXPECT_EQ(conf_process(station, nullptr, out), -1);
    EXPECT_EQ(out.text(), "conf_process: Error: param rfp is invalid\n");
    expect_record_marked(station);
}

TEST(ConfFileAccess, NamesThatAreNoReadableFileChangeNothing) {
    char dir[] = "/tmp/korri-config-dir-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string missing = std::string(dir) + "/no such file.cfg";
    const std::string fifo = std::string(dir) + "/fifo.cfg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // without a writer: opening it must not wait for one
    for (const std::string& name : {missing, std::string(dir), std::string("/dev/null"), fifo}) {
        Station station;
        mark_record(station);
        StringSink out;
        EXPECT_EQ(conf_process(station, name.c_str(), out), -2) << name;
        EXPECT_EQ(out.text(), "\a\aError: cannot open " + name + "\n");
        expect_record_marked(station);
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
    Station station;
    FailingSource src{"call n0call\nssid 3\n"};
    cookie_io_functions_t io{failing_read, nullptr, nullptr, nullptr};
    std::FILE* f = fopencookie(&src, "r", io);
    ASSERT_NE(f, nullptr);
    StringSink out;
    EXPECT_EQ(conf_process_lines(station, f, "station.cfg", out), -2);
    EXPECT_EQ(out.text(), "\a\aError: cannot read station.cfg\n");
    std::fclose(f);
    EXPECT_STREQ(station.config.call_sign, "N0CALL");  // the lines read before the error stay
    EXPECT_EQ(station.config.ssid, 3);
    EXPECT_EQ(station.config_processed, 0);
}

TEST(ConfFileAccess, TheFileIsClosedAfterEachRun) {
    // A leaked stream per run would exhaust the descriptors long before this.
    TempFile good("call n0call\n");
    TempFile bad("call\n");
    Station station;
    for (int i = 0; i < 2000; ++i) {
        StringSink out;
        ASSERT_EQ(conf_process(station, good.path().c_str(), out), 0);
        ASSERT_EQ(conf_process(station, bad.path().c_str(), out), -11);
    }
}

}  // namespace
