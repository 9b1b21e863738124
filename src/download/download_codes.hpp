// Result codes of the download. Each is returned after its message; the
// values are the ones the console has always shown ("Download failed: %d",
// "writing data pkt: %d").
#pragma once

// dwn_write_pkt: the packet's length once acknowledged, else one of these.
inline constexpr int DWN_PKT_NO_BUFFER = -1;        // a null packet
inline constexpr int DWN_PKT_TOO_SHORT = -2;        // a length below DWN_MIN_PACKET
inline constexpr int DWN_PKT_WRITE_FAILED = -3;
inline constexpr int DWN_PKT_NO_ANSWER = -4;        // no answer byte in time, or Ctrl-C
inline constexpr int DWN_PKT_BAD_ANSWER = -5;       // an answer that is neither ACK nor NAK
inline constexpr int DWN_PKT_REFUSED = -6;          // NAK to the last of DWN_MAX_TRANSMISSIONS
// Bytes no packet asked for: waiting before a transmission once an answer
// has been taken, or arriving after a NAK.
inline constexpr int DWN_STRAY_BYTES = -7;

// dwn_write_file: the byte count once every packet was acknowledged, else one
// of these.
inline constexpr int DWN_FILE_NO_BUFFER = -1;       // null bytes
inline constexpr int DWN_FILE_EMPTY = -2;           // a count below 1
inline constexpr int DWN_FILE_PACKET_FAILED = -3;   // a data packet failed (its code is printed)

// dwn_download and dwn_download_image: 0, else the step that failed; nothing
// is sent after it.
inline constexpr int DWN_CONF_COMMAND_FAILED = -1;  // the "conf" command packet, or the port's setting before it
inline constexpr int DWN_CONF_IMAGE_FAILED = -2;    // the configuration image
inline constexpr int DWN_RULES_COMMAND_FAILED = -3; // the "rules" command packet, or a rule count above MAX_RULES
inline constexpr int DWN_RULES_FAILED = -4;         // the rule records
inline constexpr int DWN_FINISH_FAILED = -5;        // the finishing packet
// Bytes came after the last answer of a step: an answer was taken for the
// wrong packet, and no success text is printed for it.
inline constexpr int DWN_OUT_OF_STEP = -6;
