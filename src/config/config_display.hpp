// Showing the working configuration record to the operator.
#pragma once

// Prints the record and the digi path count in the fixed layout of the
// dconfigure command. Changes nothing.
void show_config();
