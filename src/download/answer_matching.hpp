// Which byte answers which packet. The device answers every packet it has
// received whole exactly once, with one byte, within DWN_ANSWER_TIMEOUT_MS of
// the packet's last byte; a packet may be lost, an answer damaged, and a
// noisy line may add bytes. Only a byte that arrives after a transmission can
// answer it: whatever is already waiting before a packet goes out is read and
// dropped, and once an answer has been taken such bytes mean that one of
// them may have been the real answer, so the download fails rather than risk
// a success over a packet the device refused. docs/protocols.md has the
// argument.
#pragma once

#include "download/download_codes.hpp"
#include "serial/answer_timing.hpp"
#include "text/sink.hpp"

class SerialPort;

// The quiet that ends the drain after a NAK and the checks before a success
// text: the device answers once, so on a clean line nothing comes.
inline constexpr int DWN_QUIET_MS = 50;
// Before the first packet the line must have been quiet this long (what the
// console still says, the echo of the download word).
inline constexpr int DWN_SETTLE_MS = 50;

// The answers that only show whether the line carries bytes at its rate:
// the first packet is short (21 bytes, 3.6 ms at 57600 baud), and a loaded
// machine may take that long to hand a pseudo-terminal's answer over.
inline constexpr int DWN_PROBE_ANSWERS = 2;

// What a download knows of the answers so far: whether one has been taken,
// and whether the line carries bytes at its rate (the first answers show
// it). Each download has its own, from dwn_begin_answers on.
struct DwnAnswers {
    bool taken = false;
    int probes_left = DWN_PROBE_ANSWERS;
    AnswerTiming timing;
    int packets_begun = 0;  // packets whose first transmission was written
};

// Starts a download: has the port hand over NUL bytes (every byte counts),
// drains the line until it has been quiet for DWN_SETTLE_MS (bounded; a
// warning when the bound is reached) and forgets earlier answers. False,
// after its message, when the port cannot be set.
bool dwn_begin_answers(SerialPort& port, DwnAnswers& answers);

// Before each transmission: drops what is waiting without waiting for more.
// 0, or DWN_STRAY_BYTES after its message when an answer has been taken
// before (with none taken yet, a warning only).
int dwn_before_transmission(SerialPort& port, const DwnAnswers& answers, Sink& out);

// Just before a transmission of `len` bytes is handed to the port.
void dwn_transmitting(SerialPort& port, DwnAnswers& answers, int len);

// An answer byte was read, `wait_ms` being the packet's answer wait. 0, or
// DWN_STRAY_BYTES after its message when it came sooner after its packet
// began than the packet's time on the line and another byte followed it in
// the wait: it answers another packet. With nothing after it, it was the
// packet's only answer and the line is faster than its rate. The first
// DWN_PROBE_ANSWERS answers only show whether the line carries bytes at its
// rate (at a terminal a note says so once when not).
int dwn_answer_taken(SerialPort& port, DwnAnswers& answers, int wait_ms, Sink& out);

// After a NAK, before the resend: drains until quiet (bounded). 0, or
// DWN_STRAY_BYTES after its message when anything came.
int dwn_after_nak(SerialPort& port, Sink& out);

// After the last answer of a step, before its success text: true when the
// line stays quiet for DWN_QUIET_MS; otherwise the bytes prove that an
// answer was taken for the wrong packet, and false after the message.
bool dwn_quiet_after_answers(SerialPort& port, Sink& out);
