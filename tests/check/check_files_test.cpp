// korrimatic --check CONFIG RULES: each file pair with the exact lines it
// prints and its exit status; every warning next to a near miss that draws
// none. CFG: and RUL: stand for the two files' names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/implicit_line.hpp"
#include "check/rule_checks.hpp"
#include "rules/rules_process.hpp"
#include "station/station.hpp"
#include "text/sink.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"
#include "support/files.hpp"
#include "support/temp_file.hpp"

namespace {

// The example station's call and position: 39.396, -104.85067.
const std::string STATION = "call n0call\nposition 39:23:45.6 -104:51:02.4\n";
const std::string EXAMPLE = "@";  // the example file of that kind
const std::string NONE = "-";

struct CheckCase {
    const char* what;
    std::string config;  // the file's text, EXAMPLE or NONE
    std::string rules;
    std::string lines;   // what --check prints
    int status;
};

const CheckCase CASES[] = {
    {"the example files", EXAMPLE, EXAMPLE, "", 0},
    {"no files at all", NONE, NONE, "", 0},
    // Yes/no words that only look like yes or no, and plain ones.
    {"yes/no words", STATION + "havegps on\nlog off\nfixvalid enabled\nnsr maybe\n", NONE,
     "CFG:3: warning: havegps on is read as No: only its first letter counts (y, t, e and 1 mean yes); write yes or no\n"
     "CFG:4: warning: log off is read as No: only its first letter counts (y, t, e and 1 mean yes); write yes or no\n"
     "CFG:5: warning: fixvalid enabled is read as Yes: only its first letter counts (y, t, e and 1 mean yes); write "
     "yes or no\n"
     "CFG:6: warning: nsr maybe is read as No: only its first letter counts (y, t, e and 1 mean yes); write yes or no\n",
     1},
    {"plain yes/no words", STATION + "havegps yes\nhavegps 1\nlog FALSE\nnonaprs pass\nrelaydrop n\n", NONE, "", 0},
    // The call sign.
    {"no call line", "position 39:23:45.6 -104:51:02.4\n", NONE,
     "CFG: warning: no call line: the station goes on the air as NOTSET\n", 1},
    {"a call sign with its SSID", "call w1aw-5\nposition 39:23:45.6 -104:51:02.4\n", NONE,
     "CFG:1: warning: call w1aw-5 holds an SSID, which belongs on the ssid line: write call w1aw and, on a line of "
     "its own, ssid 5; as written the device would get the call sign W1AW-5 with SSID 0\n",
     1},
    {"a call sign with its SSID and an ssid line", "ssid 3\n" + STATION + "call W1AW-5\n", NONE,
     "CFG:4: warning: call W1AW-5 holds an SSID, which belongs on the ssid line: write call W1AW, and ssid 5 on line "
     "1; as written the device would get the call sign W1AW-5 with SSID 3\n",
     1},
    {"a dash but no SSID", STATION + "call W1-AW\n", NONE,
     "CFG:3: warning: call W1-AW holds a \"-\", which no call sign has (an SSID, 0 to 15, goes on an ssid line); as "
     "written the device would get the call sign W1-AW with SSID 0\n",
     1},
    {"the SSID on its own line", "call W1AW\nssid 5\nposition 39:23:45.6 -104:51:02.4\n", NONE, "", 0},
    {"a call sign too long with its SSID", "call KD0ABC-7\n", NONE,
     "CFG:1: error: invalid Call Sign argument: too long: call KD0ABC-7\n"
     "CFG:1: note: the SSID goes on a line of its own: write call KD0ABC and ssid 7\n",
     2},
    // What the parser drops from a path and a comment.
    {"nine path elements", STATION + "digipath WIDE1-1,WIDE2-2,A3,A4,A5,A6,A7,A8,WIDE9\n", NONE,
     "CFG:3: warning: digipath has 9 elements: only the first 8 are stored; WIDE9 is left out\n", 1},
    {"eight path elements", STATION + "digipath WIDE1-1 WIDE2-2 A3 A4 A5 A6 A7 A8\n", NONE, "", 0},
    {"a comment past 43 characters", STATION + "bcomment Hilltop fill-in digi, 12V solar, 146.520 MHz simplex\n",
     NONE,
     "CFG:3: warning: bcomment has 52 characters: only the first 43 are stored; \"z simplex\" is left out\n", 1},
    {"a comment of 43 characters", STATION + "bcomment Hilltop fill-in digi, 12V solar, 146.520 MH\n", NONE, "", 0},
    {"a comment character inside the comment", STATION + "bcomment Meet at 10/12 on 146.52\n", NONE,
     "CFG:3: warning: bcomment ends at the \"/\", which begins a comment: only \"Meet at 10\" is stored\n", 1},
    {"a comment after the comment", STATION + "bcomment Hilltop digi # solar powered\n", NONE, "", 0},
    // The rate connect takes when none is typed.
    {"a host rate connect does not offer", STATION + "host 115200\n", NONE,
     "CFG:3: warning: connect without a rate would use the host rate 115200, which it does not offer (4800, 9600, "
     "19200, 38400, 57600): type a rate after the port\n",
     1},
    {"that host rate with a GPS", STATION + "host 115200\nhavegps yes\ngps 4800\n", NONE, "", 0},
    // The station's own sign, against its rules.
    {"the station's longitude sign", "call n0call\nposition 39:23:45.6 104:51:02.4\n",
     "pass circle 25, 39:30:00, -104:45:00\ndrop circle 5, 39:40:00, -105:10:00\n",
     "CFG:2: warning: the base station lies 6649 mi or more from every circle, rectangle and compass point of the "
     "rules; with the sign of its longitude reversed it would lie within 20 mi of each, at 39.396000, -104.850670\n",
     1},
    {"a station 12 mi from its circles", STATION,
     "pass circle 7, 39:23:45.6, -104:30:00\npass circle 7, 39:07:00, -104:51:02\n", "", 0},
    // The rules against the station and each other.
    {"a rule's longitude sign", STATION, "pass circle 10, 39:10:00, -105:00:00\npass circle 25, 39:30:00, 104:45:00\n",
     "RUL:2: warning: circle lies 6649 mi from the base station; with the sign of its longitude reversed it would "
     "lie 0 mi from it, at 39.500000, -104.750000\n",
     1},
    {"a rule's latitude sign", STATION, "# a box on the plains\ndrop rectangle -39:00:00, -105:00:00, -40:00:00, -104:00:00\n",
     "RUL:2: warning: rectangle lies 5417 mi from the base station; with the sign of its latitude reversed it would "
     "lie 0 mi from it, at corners 39.000000, -105.000000 and 40.000000, -104.000000\n",
     1},
    {"both signs of a rule", STATION, "drop compass N, -40:35:07, 105:05:04\n",
     "RUL:1: warning: compass point lies 10858 mi from the base station; with the sign of its latitude and longitude "
     "reversed it would lie 83 mi from it, at 40.585278, -105.084442\n",
     1},
    {"far whatever the signs", STATION, "pass circle 100, 10:00:00, 20:00:00\n",
     "RUL:1: warning: circle lies 7428 mi from the base station; no other sign of its latitude or longitude brings "
     "it within 500 mi\n",
     1},
    {"rules near the station", STATION,
     "pass circle 25, 39:30:00, -104:45:00\ndrop compass N, 40:35:07, -105:05:04\n"
     "pass circle 100, 45:00:00, -100:00:00\n",
     "", 0},
    {"corners south-west first", STATION, "pass rectangle 39:00:00, -105:00:00, 40:00:00, -104:00:00\n",
     "RUL:1: warning: rectangle corners are south-west, then north-east; north-west, then south-east is probably "
     "meant: 40.000000, -105.000000, 39.000000, -104.000000\n",
     1},
    {"corners north-east first", STATION, "pass rectangle 40:00:00, -104:00:00, 39:00:00, -105:00:00\n",
     "RUL:1: warning: rectangle corners are north-east, then south-west; north-west, then south-east is probably "
     "meant: 40.000000, -105.000000, 39.000000, -104.000000\n",
     1},
    {"corners north-west first", STATION, "pass rectangle 40:00:00, -105:00:00, 40:00:00, -104:00:00\n", "", 0},
    {"corners on one meridian", STATION, "pass rectangle 40:00:00, -105:00:00, 39:00:00, -105:00:00\n", "", 0},
    {"redundant", STATION, "pass circle 50, 39:00:00, -105:00:00\npass circle 10, 39:10:00, -105:00:00\n",
     "RUL:2: warning: circle lies entirely inside the circle of line 1, also a pass rule: it is redundant\n", 1},
    {"the same circle twice", STATION, "pass circle 50, 39:00:00, -105:00:00\npass circle 50, 39:00:00, -105:00:00\n",
     "RUL:2: warning: circle lies entirely inside the circle of line 1, also a pass rule: it is redundant\n", 1},
    {"the larger circle later", STATION, "pass circle 10, 39:10:00, -105:00:00\npass circle 50, 39:00:00, -105:00:00\n",
     "", 0},
    {"may be shadowed", STATION,
     "pass rectangle 40:00:00, -106:00:00, 38:00:00, -104:00:00\ndrop circle 10, 39:00:00, -105:00:00\n",
     "RUL:2: warning: drop circle lies entirely inside the pass rectangle of line 1: it may never take effect, "
     "depending on the order in which the device applies its rules\n",
     1},
    {"a circle reaching out of the rectangle", STATION,
     "pass rectangle 40:00:00, -106:00:00, 38:00:00, -104:00:00\ndrop circle 80, 39:00:00, -105:00:00\n", "", 0},
    {"nothing passes", STATION, "# drop everything\ndrop implicit\ndrop source N0CALL\n",
     "RUL:2: warning: the implicit action is drop and no rule passes anything: the device will drop every packet\n",
     1},
    {"a call-sign rule passes", STATION, "drop implicit\ndrop source N0CALL\npass source *\n", "", 0},
    {"no outer range", STATION, "drop sector 10:00:00, 80:00:00, 5\n",
     "RUL:1: warning: sector has no outer range (0 is stored): it reaches without limit, or nowhere if the device "
     "takes 0 as the range; give an outer range\n",
     1},
    {"an outer range", STATION, "drop sector 10:00:00, 80:00:00, 5, 20\n", "", 0},
    {"warnings in line order", STATION, "drop implicit\ndrop sector 10:00:00, 80:00:00, 5\n",
     "RUL:1: warning: the implicit action is drop and no rule passes anything: the device will drop every packet\n"
     "RUL:2: warning: sector has no outer range (0 is stored): it reaches without limit, or nowhere if the device "
     "takes 0 as the range; give an outer range\n",
     1},
    {"rules alone: no station to measure from", NONE, "pass circle 25, 39:30:00, 104:45:00\n", "", 0},
    {"warnings of both files, the Configuration file's first", "position 39:23:45.6 -104:51:02.4\nlog on\n",
     "drop sector 10:00:00, 80:00:00, 5\n",
     "CFG:2: warning: log on is read as No: only its first letter counts (y, t, e and 1 mean yes); write yes or no\n"
     "CFG: warning: no call line: the station goes on the air as NOTSET\n"
     "RUL:1: warning: sector has no outer range (0 is stored): it reaches without limit, or nowhere if the device "
     "takes 0 as the range; give an outer range\n",
     1},
    // Errors: the parser's own messages, without bells; no warnings.
    {"a faulty Configuration line", "call n0call\nssid 16\nlog on\n", EXAMPLE,
     "CFG:2: error: invalid SSID argument range [0..15]: 16: ssid 16\n", 2},
    // Each error's hint as the terminal gives it, as a note after it.
    {"a rule without its commas", STATION, "pass circle 25 39:30:00 -104:45:00\n",
     "RUL:1: error: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n"
     "RUL:1: error: invalid Latitude range [-90..90]: 340282346638528859811704183484516925440.000000: pass circle 25 "
     "39:30:00 -104:45:00\n"
     "RUL:1: note: the arguments of a rule are parted by commas (an angle may hold blanks, so only a comma or tab "
     "ends it): pass circle 25, 39:30:00, -104:45:00\n",
     2},
    {"commas left out, decimal degrees read as Dotted", STATION, "# x\ndrop circle 25 39.5 -104.75\n",
     "RUL:2: error: missing Longitude: drop circle 25 39.5 -104.75\n"
     "RUL:2: note: the arguments of a rule are parted by commas (an angle may hold blanks, so only a comma or tab "
     "ends it): drop circle 25, 39.5D, -104.75D\n",
     2},
    {"commas present, blanks inside the angles", STATION, "pass circle 25, N 39d 30m, W 104d 45m\n", "", 0},
    {"a rule's latitude and longitude swapped", STATION, "pass circle 25, -104:45:00, 39:30:00\n",
     "RUL:1: error: invalid Latitude range [-90..90]: -104.750000: pass circle 25, -104:45:00, 39:30:00\n"
     "RUL:1: note: latitude and longitude are the other way round (a latitude lies within -90..90, and comes first): "
     "pass circle 25, 39:30:00, -104:45:00\n",
     2},
    {"the position's latitude and longitude swapped", "position -104:51:02.4 39:23:45.6\n", NONE,
     "CFG:1: error: invalid Station Latitude range [-90..90]: -104.850667: position -104:51:02.4 39:23:45.6\n"
     "CFG:1: note: latitude and longitude are the other way round (the latitude lies within -90..90, and comes "
     "first): position 39:23:45.6 -104:51:02.4\n",
     2},
    {"a latitude out of range, not swapped", "position 95:00:00 100:00:00\n", NONE,
     "CFG:1: error: invalid Station Latitude range [-90..90]: 95.000000: position 95:00:00 100:00:00\n", 2},
    {"blanks inside the position's angles", "position N 39d 23.76m W 104d 51.04m\n", NONE,
     "CFG:1: error: DMC format must have at least one of [DdMmCc] identifiers or Dotted format: found illegal "
     "character: [s][D]DD.MM.[F*]\n"
     "CFG:1: error: invalid Station Latitude argument: N: position N 39d 23.76m W 104d 51.04m\n"
     "CFG:1: note: an angle in a Configuration file is written without blanks: position N39d23.76m W104d51.04m\n",
     2},
    {"blanks inside angles that still read", "call n0call\nposition 39d 23.76m W 104d 51.04m\n", NONE,
     "CFG:2: warning: the position is read as latitude 39d and longitude 23.76m, the rest ignored: an angle in a "
     "Configuration file ends at its first blank; write position 39d23.76m W104d51.04m\n",
     1},
    {"blanks only in the comment", "call n0call\nposition 39:23:45.6 -104:51:02.4 # 39d 23.76m\n", NONE, "", 0},
    {"the position's angles written together", "call n0call\nposition N39d23.76m W104d51.04m\n", NONE, "", 0},
    {"an angle that cannot be read", STATION, "pass circle 25, 39:30, -104:45:00\n",
     "RUL:1: error: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n"
     "RUL:1: error: invalid Latitude range [-90..90]: 340282346638528859811704183484516925440.000000: pass circle 25, "
     "39:30, -104:45:00\n"
     "RUL:1: note: \"39:30\" could not be read as an angle at all (340282346638528859811704183484516925440.000000 "
     "only stands for that): write it in Colon (39:30:00), Dotted (39.30.) or DMC (39d30m) notation; angles shows "
     "them\n",
     2},
    {"ambiguous words", "call n0call\nb 600\n", "pass c 25, 39:30:00, -104:45:00\n",
     "CFG:2: error: Ambiguous command: b: b 600\n"
     "CFG:2: note: did you mean one of: base, bcomment, beacon?\n"
     "RUL:1: error: Ambiguous command: c: pass c 25, 39:30:00, -104:45:00\n"
     "RUL:1: note: did you mean one of: circle, compass?\n",
     2},
    {"a faulty rule", STATION + "log on\n", "pass implicit\n\npass circle 0, 39:30:00, -104:45:00\n",
     "RUL:3: error: invalid Circle Radius, must be > 0: 0.000000: pass circle 0, 39:30:00, -104:45:00\n", 2},
    {"both faulty, an angle's own message first", "position 39.30 -104:45:00\n",
     "pass circle 5, 39:30:00, -104d 45m 00x\n",
     "CFG:1: error: Dotted format: must have 2 periods: [s][D]DD.MM.[F*] or DMC format must have at least one of "
     "[DdMmCc] identifiers\n"
     "CFG:1: error: invalid Station Latitude argument: 39.30: position 39.30 -104:45:00\n"
     "CFG:1: note: write 39.30D for decimal degrees\n"
     "RUL:1: error: DMC format: invalid char: x (0x78)\n"
     "RUL:1: error: invalid Longitude range [-180..180]: 340282346638528859811704183484516925440.000000: pass circle "
     "5, 39:30:00, -104d 45m 00x\n"
     "RUL:1: note: \"-104d 45m 00x\" could not be read as an angle at all "
     "(340282346638528859811704183484516925440.000000 only stands for that): write it in Colon (39:30:00), Dotted "
     "(39.30.) or DMC (39d30m) notation; angles shows them\n",
     2},
};

std::string file_for(const std::string& text, const char* example, ScratchDir& dir, const char* name) {
    if (text == NONE) return NONE;
    if (text == EXAMPLE) return std::string(KORRI_SOURCE_DIR) + "/examples/" + example;
    const std::string path = dir.path(name);
    write_file(path, text);
    return path;
}

std::string with_names(std::string lines, const std::string& config, const std::string& rules) {
    for (const auto& [mark, name] : {std::pair<std::string, std::string>{"CFG:", config + ":"}, {"RUL:", rules + ":"}})
        for (auto at = lines.find(mark); at != std::string::npos; at = lines.find(mark, at + name.size()))
            if (at == 0 || lines[at - 1] == '\n') lines.replace(at, mark.size(), name);
    return lines;
}

TEST(Check, EachFilePairGivesItsLinesAndStatus) {
    for (const CheckCase& c : CASES) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::string config = file_for(c.config, "station.cfg", dir, "station.cfg");
        const std::string rules = file_for(c.rules, "station.rul", dir, "station.rul");
        std::vector<std::string> args = korrimatic_command().args;
        args.insert(args.end(), {"--check", config, rules});
        const ProgramResult r = run_program(korrimatic_command().path, args, "");
        EXPECT_EQ(visible(r.out), visible(with_names(c.lines, config, rules)));
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exit_status, c.status);
    }
}

// The line a drop-everything warning names: the last implicit line.
// The rules' warnings in line order as the terminal shows them, the
// implicit action's among them, though it is found after the rules'.
TEST(Check, RuleWarningsInLineOrder) {
    TempFile rules("drop implicit\ndrop sector 10:00:00, 80:00:00, 5\n");
    Station station;
    bool opened = false;
    StringSink quiet;
    ASSERT_EQ(rules_load(station, rules.path().c_str(), opened, quiet), 0);
    std::vector<int> lines;
    for (const CheckWarning& w : check_rules(CheckStation{}, rules_in_memory(station, 1))) lines.push_back(w.line);
    EXPECT_EQ(lines, (std::vector<int>{1, 2}));
}

TEST(Check, TheLastImplicitLine) {
    const struct {
        std::string rules;
        int line;
    } cases[] = {
        {"pass implicit\n# then\ndrop implicit\n", 3},
        {"drop sector 10:00:00, 80:00:00, 5\n", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(last_implicit_line(TempFile(c.rules).path().c_str()), c.line) << c.rules;
    EXPECT_EQ(last_implicit_line("/nonexistent/station.rul"), 0);
}

}  // namespace
