#include "check/call_sign_check.hpp"

#include <optional>

#include "config/call_sign_hint.hpp"
#include "text/formatted.hpp"

std::string call_sign_warning(const std::string& written, const std::string& stored, int ssid, int ssid_line) {
    if (written.find('-') == std::string::npos) return "";
    const std::string gets = formatted("as written the device would get the call sign %s with SSID %d",
                                       stored.c_str(), ssid);
    const std::optional<CallWithSsid> parts = call_with_ssid(written);
    if (!parts)
        return formatted("call %s holds a \"-\", which no call sign has (an SSID, 0 to 15, goes on an ssid line); %s",
                         written.c_str(), gets.c_str());
    std::string fix;
    if (ssid_line == 0) fix = formatted("write call %s and, on a line of its own, ssid %d", parts->call.c_str(),
                                        parts->ssid);
    else if (ssid == parts->ssid) fix = formatted("write call %s (line %d already has ssid %d)", parts->call.c_str(),
                                                  ssid_line, ssid);
    else fix = formatted("write call %s, and ssid %d on line %d", parts->call.c_str(), parts->ssid, ssid_line);
    return formatted("call %s holds an SSID, which belongs on the ssid line: %s; %s", written.c_str(), fix.c_str(),
                     gets.c_str());
}
