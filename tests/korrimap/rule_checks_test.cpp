// korrimap --check: each warning with a Rules file that triggers it and one
// that does not, against the example station (39.396, -104.85067).
#include <gtest/gtest.h>

#include "korrimap/korrimap_run.hpp"
#include "support/temp_file.hpp"

namespace {

struct CheckCase {
    const char* what;
    std::string warns;    // a Rules file with one likely mistake
    int line;             // where it is
    std::string message;  // what korrimap says about it
    std::string is_fine;  // a near miss that draws no warning
};

const CheckCase CASES[] = {
    {"longitude sign", "pass circle 25, 39:30:00, 104:45:00\n", 1,
     "circle lies 6664 mi from the base station; with the sign of its longitude reversed it would lie 0 mi from it, "
     "at 39.500000, -104.750000",
     "pass circle 25, 39:30:00, -104:45:00\n"},
    {"latitude sign", "# a box on the plains\ndrop rectangle -39:00:00, -105:00:00, -40:00:00, -104:00:00\n", 2,
     "rectangle lies 5394 mi from the base station; with the sign of its latitude reversed it would lie 0 mi from it, "
     "at corners 39.000000, -105.000000 and 40.000000, -104.000000",
     "drop rectangle 40:00:00, -105:00:00, 39:00:00, -104:00:00\n"},
    {"both signs", "drop compass N, -40:35:07, 105:05:04\n", 1,
     "compass point lies 10859 mi from the base station; with the sign of its latitude and longitude reversed it "
     "would lie 83 mi from it, at 40.585278, -105.084442",
     "drop compass N, 40:35:07, -105:05:04\n"},
    {"far whatever the signs", "pass circle 100, 10:00:00, 20:00:00\n", 1,
     "circle lies 7436 mi from the base station; no other sign of its latitude or longitude brings it within 500 mi",
     "pass circle 100, 45:00:00, -100:00:00\n"},
    {"corners south-west first", "pass rectangle 39:00:00, -105:00:00, 40:00:00, -104:00:00\n", 1,
     "rectangle corners are south-west, then north-east; north-west, then south-east is probably meant: "
     "40.000000, -105.000000, 39.000000, -104.000000",
     "pass rectangle 40:00:00, -105:00:00, 39:00:00, -104:00:00\n"},
    {"corners north-east first", "pass rectangle 40:00:00, -104:00:00, 39:00:00, -105:00:00\n", 1,
     "rectangle corners are north-east, then south-west; north-west, then south-east is probably meant: "
     "40.000000, -105.000000, 39.000000, -104.000000",
     "pass rectangle 40:00:00, -105:00:00, 40:00:00, -104:00:00\n"},
    {"redundant", "pass circle 50, 39:00:00, -105:00:00\npass circle 10, 39:10:00, -105:00:00\n", 2,
     "circle lies entirely inside the circle of line 1, also a pass rule: it is redundant",
     "pass circle 10, 39:10:00, -105:00:00\npass circle 50, 39:00:00, -105:00:00\n"},
    {"may be shadowed",
     "pass rectangle 40:00:00, -106:00:00, 38:00:00, -104:00:00\ndrop circle 10, 39:00:00, -105:00:00\n", 2,
     "drop circle lies entirely inside the pass rectangle of line 1: it may never take effect, depending on the "
     "order in which the device applies its rules",
     "pass rectangle 40:00:00, -106:00:00, 38:00:00, -104:00:00\ndrop circle 80, 39:00:00, -105:00:00\n"},
    {"nothing passes", "# drop everything\ndrop implicit\ndrop source N0CALL\n", 2,
     "the implicit action is drop and no rule passes anything: the device will drop every packet",
     "drop implicit\ndrop source N0CALL\npass source *\n"},
    {"no outer range", "drop sector 10:00:00, 80:00:00, 5\n", 1,
     "sector has no outer range (0 is stored): it reaches without limit, or nowhere if the device takes 0 as the "
     "range; give an outer range",
     "drop sector 10:00:00, 80:00:00, 5, 20\n"},
};

TEST(RuleChecks, EachWarningAndItsNearMiss) {
    for (const CheckCase& c : CASES) {
        SCOPED_TRACE(c.what);
        TempFile warns(c.warns, "warns.rul"), fine(c.is_fine, "fine.rul");
        ProgramResult r = run_korrimap({"--check", example("station.cfg"), warns.path()});
        EXPECT_EQ(r.out, warns.path() + ":" + std::to_string(c.line) + ": " + c.message + "\n");
        EXPECT_EQ(r.exit_status, 1);
        r = run_korrimap({"--check", example("station.cfg"), fine.path()});
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.exit_status, 0);
    }
}

TEST(RuleChecks, TheExampleFilesDrawNoWarning) {
    const ProgramResult r = run_korrimap({"--check", example("station.cfg"), example("station.rul")});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_status, 0);
}

}  // namespace
