#include "config/call_sign_hint.hpp"

#include "text/sink.hpp"

namespace {

constexpr std::size_t CALL_SIGN_MAX = 6;
constexpr int SSID_MAX = 15;

}  // namespace

std::optional<CallWithSsid> call_with_ssid(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos || dash == 0) return std::nullopt;
    const std::string_view digits = text.substr(dash + 1);
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    int ssid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        ssid = ssid * 10 + (c - '0');
    }
    if (ssid > SSID_MAX) return std::nullopt;
    return CallWithSsid{std::string(text.substr(0, dash)), ssid};
}

std::string call_sign_hint(std::string_view text) {
    const std::optional<CallWithSsid> parts = call_with_ssid(text);
    if (!parts || parts->call.size() > CALL_SIGN_MAX) return "";
    return "the SSID goes on a line of its own: write call " + parts->call + " and ssid " +
           std::to_string(parts->ssid);
}

void offer_call_sign_hint(Sink& out, std::string_view text) {
    const std::string hint = call_sign_hint(text);
    if (!hint.empty()) out.hints().offer(hint);
}
