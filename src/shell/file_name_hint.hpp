// A file name typed with a blank before or after it names another file: the
// blank is hard to see in "cannot open station.cfg ", so the hint shows the
// name quoted.
#pragma once

#include <string>

class Sink;

// The hint for a file name that could not be opened, or empty when the name
// neither begins nor ends with a blank (or names a file after all).
std::string file_name_hint(const std::string& name);

// Offers file_name_hint(name) for the command under way on `out`.
void offer_file_name_hint(Sink& out, const std::string& name);
