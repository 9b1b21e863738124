// A call line whose call sign holds an SSID or a dash ("call W1AW-5"): the
// parser stores it as written, and the device would go on the air with the
// dash in its call sign and the SSID of the ssid line (or 0).
#pragma once

#include <string>

// The warning for the call sign `written` on the call line, or empty.
// `stored` is the call sign the configuration holds, `ssid` its SSID, and
// `ssid_line` the last ssid line (0 when none).
std::string call_sign_warning(const std::string& written, const std::string& stored, int ssid, int ssid_line);
