// The arguments of each rule kind, cut from a rule line into its record.
#pragma once

#include "rules/rule_line.hpp"
#include "station/rule_record.hpp"

// Reads the arguments of a record whose kind and action are set. Returns 0, or
// the RULES_* code of the first failing check after printing its message.
int read_rule_arguments(RuleLine& line, RuleRecord& record);
