// Result codes of the serial port operations. Each is returned (or, for a
// read, passed to the fatal path) after its message; the values never change.
#pragma once

// open_port: 0 once the port is open and set, else one of these.
inline constexpr int OPEN_PORT_NO_NAME = -1;
inline constexpr int OPEN_PORT_CANNOT_OPEN = -2;        // the system refused, or the name is too long
inline constexpr int OPEN_PORT_SETTINGS_FAILED = -3;    // set_comm_prop failed (and closed the port)
inline constexpr int OPEN_PORT_TIMEOUTS_FAILED = -14;   // the base time-outs could not be set

// set_comm_prop: 0 once the line is set to the rate and 8N1, else one of
// these, after which the port is closed.
inline constexpr int COMM_PROP_NO_NAME = -1;
inline constexpr int COMM_PROP_BAD_RATE = -2;            // a rate not in baud_table
inline constexpr int COMM_PROP_NO_RECORD_LENGTH = -4;    // the provider's record length cannot be queried
inline constexpr int COMM_PROP_NO_PROPERTIES = -6;       // the provider's whole record cannot be queried
inline constexpr int COMM_PROP_PARAMS_FIXED = -7;        // parity, rate, data bits or stop bits not settable
inline constexpr int COMM_PROP_DATA_BITS_FIXED = -9;     // 8 data bits not settable
inline constexpr int COMM_PROP_STOP_PARITY_FIXED = -10;  // 1 stop bit, no parity not settable
inline constexpr int COMM_PROP_TIMEOUTS_FIXED = -11;     // total and interval time-outs not settable
inline constexpr int COMM_PROP_GET_STATE_FAILED = -12;   // the line settings cannot be read
inline constexpr int COMM_PROP_SET_STATE_FAILED = -13;   // the line settings cannot be set

// write_port: the count once every byte went out, else one of these (a
// result of 0 or less is a failed write).
inline constexpr int WRITE_PORT_NO_NAME = -1;
inline constexpr int WRITE_PORT_NO_BUFFER = -2;
inline constexpr int WRITE_PORT_BAD_COUNT = -1;          // a count below 1; the same value as WRITE_PORT_NO_NAME
inline constexpr int WRITE_PORT_FAILED = -3;             // time-outs not set, the call failed, or a short write

// The read operations' fatal path ("Return code %d"): a read that cannot be
// performed ends the program (or, at a terminal, the command).
inline constexpr int READ_PORT_SETUP_FAILED = 25;        // an invalid argument, or the time-outs cannot be set
inline constexpr int READ_PORT_FAILED = 26;              // the read itself failed (the device has gone)
