// The Configuration file parser over the input as a file, started from the
// defaults of a new station, as conf_load starts it. On success every field of the image lies in
// its accepted range and only the item count was printed; on failure exactly
// one "Error: line" message was printed, and it is the last thing printed.
#include <cstdint>
#include <cstdio>
#include <string>

#include "config/config_parser.hpp"
#include "station/config_record.hpp"
#include "station/station.hpp"
#include "support/fuzz_check.hpp"
#include "support/image_checks.hpp"
#include "text/sink.hpp"

namespace {

const char LINE_ERROR[] = "\a\aError: line ";

bool known_failure(int rc) {
    return rc == CONF_BAD_KEYWORD || rc == CONF_IN_COMMENT || rc == CONF_BAD_ARGUMENT || rc == CONF_BAD_LATITUDE ||
           rc == CONF_BAD_LONGITUDE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Station station;
    std::FILE* file = input_stream(data, size);
    StringSink printed;
    const int rc = conf_process_lines(station, file, "fuzz.cfg", printed);
    const std::string_view out = printed.text();
    std::fclose(file);

    if (rc == 0) {
        FUZZ_CHECK(out.rfind("Configuration items processed ", 0) == 0, out);
        FUZZ_CHECK(count_of(out, "\n") == 1 && out.back() == '\n', out);
        check_config_image(station, true, out);
        return 0;
    }
    FUZZ_CHECK(known_failure(rc), out);
    // The quoted line follows the head on the same line, so only a head
    // begins a line with this text.
    FUZZ_CHECK(count_at_line_starts(out, LINE_ERROR) == 1, out);
    const std::size_t head = find_at_line_start(out, LINE_ERROR);
    FUZZ_CHECK(out.find('\n', head) == out.size() - 1, out);  // the message ends the output
    FUZZ_CHECK(count_at_line_starts(out, "Configuration items processed") == 0, out);
    // A line number counts from 1.
    FUZZ_CHECK(head + sizeof LINE_ERROR - 1 < out.size() && out[head + sizeof LINE_ERROR - 1] >= '1' &&
                   out[head + sizeof LINE_ERROR - 1] <= '9',
               out);
    check_config_image(station, false, out);
    return 0;
}
