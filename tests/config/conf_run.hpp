// Runs conf_process over a file with given contents, into a station.
#pragma once

#include <string>

#include "config/config_parser.hpp"
#include "station/config_record.hpp"
#include "station/station.hpp"
#include "support/temp_file.hpp"
#include "text/sink.hpp"

struct ConfRun {
    int code;
    std::string out;
};

inline ConfRun conf_run(Station& station, const std::string& contents) {
    TempFile file(contents);
    StringSink out;
    const int code = conf_process(station, file.path().c_str(), out);
    return {code, out.take()};
}
