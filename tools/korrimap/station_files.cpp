#include "korrimap/station_files.hpp"

#include "config/config_parser.hpp"
#include "rules/rules_process.hpp"

bool load_station_files(Station& station, const std::string& config_file, const std::string& rules_file, Sink& out) {
    if (conf_process(station, config_file.c_str(), out) != 0) {
        out.printf("\a\aError: Configuration processing failed\n");
        return false;
    }
    if (rules_process(station, rules_file.c_str(), out) != 0) {
        out.printf("\a\aError: Rule processing failed\n");
        return false;
    }
    return true;
}
