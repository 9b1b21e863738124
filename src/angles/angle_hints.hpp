// What to tell the operator about an angle text that could not be read, when
// the fix is plain: a decimal number written without its D, or a DMC angle
// followed by a blank before the comma or comment that ends it.
#pragma once

#include <string>
#include <string_view>

// The hint for a refused angle text, or empty when there is none.
std::string angle_hint(std::string_view text);

// Offers angle_hint(text) for the command under way (text/hints.hpp).
void offer_angle_hint(std::string_view text);
