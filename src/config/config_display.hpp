// Showing the working configuration record to the operator.
#pragma once

class Sink;
struct Station;

// Prints the station's record and digi path count in the fixed layout of the
// dconfigure command. Changes nothing.
void show_config(const Station& station, Sink& out);
