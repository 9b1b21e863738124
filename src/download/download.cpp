#include "download/download.hpp"

#include <cstdio>

#include "station/config_record.hpp"
#include "download/answer_matching.hpp"
#include "download/command_packet.hpp"
#include "download/held_text.hpp"
#include "download/packet.hpp"
#include "station/rule_record.hpp"
#include "serial/serial_port.hpp"
#include "station/station.hpp"

namespace {

int download_steps(SerialPort& port, const ConfigRecord& image, const RuleTable& rules, DwnAnswers& answers,
                   HeldText& out) {
    // Whatever the device said before the first packet is of no interest.
    if (!dwn_begin_answers(port, answers)) return DWN_CONF_COMMAND_FAILED;

    int r = dwn_send_command(port, DWN_CONF_NAME, "166", answers, out);
    if (r != DWN_COMMAND_PACKET_LEN) {
        out.error("writing Configuration command failed: %d\n", r);
        return DWN_CONF_COMMAND_FAILED;
    }
    const int config_bytes = static_cast<int>(sizeof(ConfigRecord));
    r = dwn_write_file(port, reinterpret_cast<const uint8_t*>(&image), config_bytes, answers, out);
    if (r != config_bytes) {
        out.error("writing Configuration file failed: %d\n", r);
        return DWN_CONF_IMAGE_FAILED;
    }
    if (!dwn_quiet_after_answers(port, out)) return DWN_OUT_OF_STEP;
    out.hold("Downloading Configuration succeeded\n");

    // Read once, after the configuration has gone: it sets both the size
    // announced and the bytes sent.
    const int rule_count = image.rule_count;
    if (rule_count > MAX_RULES) {
        // The table holds no more; sending more would send bytes beyond it.
        out.error("rule count %d exceeds the table's %d rules\n", rule_count, MAX_RULES);
        return DWN_RULES_COMMAND_FAILED;
    }
    const int rule_bytes = rule_count * static_cast<int>(sizeof(RuleRecord));
    char size_text[8];
    std::snprintf(size_text, sizeof size_text, "%d", rule_bytes);
    r = dwn_send_command(port, DWN_RULES_NAME, size_text, answers, out);
    if (r != DWN_COMMAND_PACKET_LEN) {
        out.error("writing Rules command failed: %d\n", r);
        return DWN_RULES_COMMAND_FAILED;
    }
    if (rule_bytes > 0) {
        r = dwn_write_file(port, reinterpret_cast<const uint8_t*>(rules.slot), rule_bytes, answers, out);
        if (r != rule_bytes) {
            out.error("writing Rules file failed: %d\n", r);
            return DWN_RULES_FAILED;
        }
    }
    if (!dwn_quiet_after_answers(port, out)) return DWN_OUT_OF_STEP;
    out.hold("Downloading Rules succeeded\n");

    r = dwn_send_command(port, DWN_FINISH_NAME, nullptr, answers, out);
    if (r != DWN_COMMAND_PACKET_LEN) {
        out.error("error writing finish pkt: %d\n", r);
        return DWN_FINISH_FAILED;
    }
    if (!dwn_quiet_after_answers(port, out)) return DWN_OUT_OF_STEP;
    return 0;
}

}  // namespace

int dwn_download(SerialPort& port, const Station& station, Sink& out, int* packets_begun) {
    return dwn_download_image(port, station.config, station.rule_table, out, packets_begun);
}

int dwn_download_image(SerialPort& port, const ConfigRecord& image, const RuleTable& rules, Sink& console,
                       int* packets_begun) {
    // Each success text waits for the next line or the end: a check that
    // then finds the answers out of step takes it back.
    HeldText out(console);
    DwnAnswers answers;
    const int result = download_steps(port, image, rules, answers, out);
    if (packets_begun != nullptr) *packets_begun = answers.packets_begun;
    return result;
}
