// A call sign written with its SSID, as stations are named on the air
// ("W1AW-5"): the Configuration file takes the SSID on an ssid line of its
// own, and the call line would hand the device the dash and the digits as
// part of the call sign.
#pragma once

class Sink;

#include <optional>
#include <string>
#include <string_view>

struct CallWithSsid {
    std::string call;  // the part before the dash
    int ssid;          // 0 to 15
};

// The call sign and SSID of `text` when a dash is followed by an SSID (one or
// two digits, 0 to 15) and nothing else; nullopt otherwise.
std::optional<CallWithSsid> call_with_ssid(std::string_view text);

// For a call sign refused as too long because of its SSID: where the SSID
// goes ("write call KD0ABC and ssid 7 on a line of its own"); else empty.
std::string call_sign_hint(std::string_view text);

// Offers call_sign_hint(text) for the command under way.
void offer_call_sign_hint(Sink& out, std::string_view text);
