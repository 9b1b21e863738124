#include "angles/number_reading.hpp"

#include "text/numbers.hpp"

namespace {

double read_number(std::string_view text, bool with_fraction) {
    const DecimalScan scan = scan_decimal(text, with_fraction, false);
    if (!scan.digits) return scan.negative ? -0.0 : 0.0;
    return decimal_value(scan);  // a minus sign gives -0.0 for a zero too
}

}  // namespace

double integer_reading(std::string_view text) { return read_number(text, false); }

double real_reading(std::string_view text) { return read_number(text, true); }
