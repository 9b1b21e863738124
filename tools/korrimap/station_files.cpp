#include "korrimap/station_files.hpp"

#include <cstdio>

#include "check/parser_messages.hpp"
#include "config/config_parser.hpp"
#include "rules/rules_process.hpp"

bool load_station_files(Station& station, const std::string& config_file, const std::string& rules_file, std::string& messages) {
    bool ok = true;
    messages = printed_by([&] {
        if (conf_process(station, config_file.c_str()) != 0) {
            std::printf("\a\aError: Configuration processing failed\n");
            ok = false;
        } else if (rules_process(station, rules_file.c_str()) != 0) {
            std::printf("\a\aError: Rule processing failed\n");
            ok = false;
        }
    });
    return ok;
}
