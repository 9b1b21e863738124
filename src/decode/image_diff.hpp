// What sending one pair of images would change on a device that holds
// another pair: the configuration's fields as dconfigure names them, and the
// rules added, removed and changed.
#pragma once

#include <string>
#include <vector>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"

struct ImageDiff {
    std::vector<std::string> lines;  // one per changed field or rule
    int fields = 0;                  // fields that change
    int rules = 0;                   // rules added, removed or changed
    bool same_bytes = true;          // both images stay byte for byte
};

ImageDiff diff_images(const ConfigRecord& held, const std::vector<RuleRecord>& held_rules, const ConfigRecord& sent,
                      const std::vector<RuleRecord>& sent_rules);
