// korrimap: draws the geographic rules of a Rules file around the base
// station of a Configuration file, as GeoJSON and as SVG, or checks them for
// likely mistakes. Both files are read by the utility's own parsers.
//
//   korrimap CONFIG RULES [-o BASENAME]   writes BASENAME.geojson and BASENAME.svg
//   korrimap --check CONFIG RULES         the same as korrimatic --check
//
// Exit status: 0 done (no warnings), 1 warnings, 2 a file in error or unusable
// arguments.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/check_files.hpp"
#include "check/implicit_line.hpp"
#include "korrimap/geojson_map.hpp"
#include "korrimap/station_files.hpp"
#include "korrimap/station_map.hpp"
#include "korrimap/svg_map.hpp"
#include "text/sink.hpp"

namespace {

constexpr int EXIT_FAILED = 2;

int usage(std::FILE* to, int status) {
    std::fputs(
        "usage: korrimap CONFIG RULES [-o BASENAME]   writes BASENAME.geojson and BASENAME.svg\n"
        "                                             (BASENAME: the Rules file's name without its extension)\n"
        "       korrimap --check CONFIG RULES         as korrimatic --check: FILE:LINE: error|warning: ...\n"
        "Exit status: 0 done, 1 --check found something, 2 a file in error or bad arguments.\n",
        to);
    return status;
}

bool write_file(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
    out.close();
    if (!out) std::fprintf(stderr, "korrimap: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    bool check = false;
    std::string base;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return usage(stdout, 0);
        if (arg == "--check") {
            check = true;
        } else if (arg == "-o") {
            if (++i == argc) return usage(stderr, EXIT_FAILED);
            base = argv[i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "korrimap: unknown option %s\n", arg.c_str());
            return usage(stderr, EXIT_FAILED);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2 || (check && !base.empty())) return usage(stderr, EXIT_FAILED);

    // The utility's own check, as korrimatic --check prints it.
    Sink& out = standard_output();
    if (check) return check_files(files[0].c_str(), files[1].c_str(), out);

    Station station;
    if (!load_station_files(station, files[0], files[1], out)) return EXIT_FAILED;
    const StationMap map = station_map(station, files[0], files[1], last_implicit_line(files[1].c_str()));
    if (base.empty()) base = std::filesystem::path(files[1]).stem().string();
    const nlohmann::ordered_json geojson = geojson_map(map);
    if (!write_file(base + ".geojson", geojson_text(geojson)) || !write_file(base + ".svg", svg_map(map)))
        return EXIT_FAILED;
    out.printf("Wrote %s.geojson (%zu features) and %s.svg\n", base.c_str(), geojson["features"].size(), base.c_str());
    return 0;
}
