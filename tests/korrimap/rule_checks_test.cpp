// korrimap --check is the utility's own check: the same lines and the same
// status as korrimatic --check, for a warning, an error and clean files.
#include <gtest/gtest.h>

#include "korrimap/korrimap_run.hpp"
#include "support/temp_file.hpp"

namespace {

TEST(RuleChecks, KorrimapChecksAsTheUtilityDoes) {
    struct Case {
        std::string rules;
        int status;
    };
    const Case cases[] = {
        {"pass circle 25, 39:30:00, 104:45:00\n", 1},
        {"pass implicit\n\npass circle 0, 39:30:00, -104:45:00\n", 2},
        {"pass circle 25, 39:30:00, -104:45:00\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rules);
        TempFile rules(c.rules, "check.rul");
        const ProgramResult map = run_korrimap({"--check", example("station.cfg"), rules.path()});
        std::vector<std::string> args = korrimatic_command().args;
        args.insert(args.end(), {"--check", example("station.cfg"), rules.path()});
        const ProgramResult utility = run_program(korrimatic_command().path, args, "");
        EXPECT_EQ(map.out, utility.out);
        EXPECT_EQ(map.exit_status, c.status);
        EXPECT_EQ(utility.exit_status, c.status);
    }
}

TEST(RuleChecks, TheExampleFilesDrawNoWarning) {
    const ProgramResult r = run_korrimap({"--check", example("station.cfg"), example("station.rul")});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_status, 0);
}

}  // namespace
