// Showing the rule table to the operator.
#pragma once


// The command word of the first row of the rule command table with this kind
// code ("destin" for 39, never "dst"); "?" when no row has it.
const char* rule_command_name(int kind);

class Sink;
struct Station;

// Prints the station's implicit rule action and one row per record in use.
void rules_display(const Station& station, Sink& out);
