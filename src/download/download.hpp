// The configuration and rules download, once the device has been told to
// expect it.
#pragma once

#include "config/config_record.hpp"
#include "download/download_codes.hpp"
#include "rules/rule_record.hpp"
#include "text/sink.hpp"

class SerialPort;

struct Station;

// Sends the "conf" command, the configuration image, the "rules" command, the
// used part of the rule table and the finishing packet, each acknowledged.
// Returns 0, or the failing step's DWN_* code (download_codes.hpp): the
// configuration command or image, the rules command or records, the finishing
// packet, or the device's answers out of step with the packets. Nothing is
// sent after a failed step. Works on the named port, which the connection holds
// open. Sends the station's two images.
// With `packets_begun`, it receives the number of packets whose first
// transmission was written: the packet the download ended at, 0 when none
// went out.
int dwn_download(SerialPort& port, const Station& station, Sink& out, int* packets_begun = nullptr);

// The same with the two images given apart (the rule count is read from the
// configuration image).
int dwn_download_image(SerialPort& port, const ConfigRecord& image, const RuleTable& rules, Sink& out,
                       int* packets_begun = nullptr);
