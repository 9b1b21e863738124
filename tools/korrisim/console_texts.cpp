#include "console_texts.hpp"

std::string power_on_text(const SimOptions& options) {
    std::string text = "\r\n";
    if (!options.has("no-ident")) text += options.get("ident", "Korrimatic") + " APRS Digipeater\r\n";
    else text += "APRS Digipeater\r\n";
    std::string version = options.get("version", "2.5");
    if (version != "none") text += "Version " + version + "\r\n";
    if (options.has("long-banner")) {
        text += "(c) the digipeater firmware team. Host port 8N1, GPS port 8N1, beacon on.\r\n"
                "Configuration loaded, 0 rules.\r\n";
    }
    return text;
}

std::string connected_text(const SimOptions& options, long rate) {
    long shown = options.get_long("connected-rate", rate);
    return "\r\nConnected " + std::to_string(shown) + "\r\n" + CONSOLE_PROMPT;
}
