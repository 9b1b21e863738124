// A rule table read back into a Rules file.
#pragma once

#include <string>
#include <vector>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"

// The rule line that gives the record (its line number aside), such as
// "pass circle 25, 39.5D, -104.75D". A record no line gives is named in
// `problem` (and the line is then the nearest one there is).
std::string rule_text(const RuleRecord& record, std::string& problem);

// The text of a Rules file that rules turns into `records` and the
// configuration's rule_count and implicit_action again, byte for byte: every
// rule stands on the line its record names, blank lines between them, and
// a "drop implicit" line on a free line when the implicit action is Drop. It
// begins with `header` as a comment (behind the first rule when that stands
// on line 1). What no Rules file can give is named in `problems` and, as
// comment lines, at the end of the text.
std::string decode_rules(const ConfigRecord& config, const std::vector<RuleRecord>& records, const std::string& header,
                         std::vector<std::string>& problems);
