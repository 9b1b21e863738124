// Where a Rules file sets its implicit action.
#pragma once

// The line of the last implicit line of a Rules file that was read without
// error, 0 when it has none.
int last_implicit_line(const char* rules_file);
