// Where a "COMn" port lives on a POSIX system, and what to tell the operator
// when it cannot be opened.
#pragma once

#include <string>
#include <vector>

// The device path of "COMn": the environment variable KORRIMATIC_COMn when it
// is set, else /dev/ttyS<n-1>. A name that begins with '/' is a device path
// and used as it is. Empty when the name is neither.
std::string posix_device_path(const char* port_name);

// One line on a failed step: the device path, the system's text and, for the
// failures an operator can mend, what to do.
std::string posix_error_text(const std::string& port_name, const std::string& path, int error, bool opening);

// The names in `folder` that begin with `prefix`, in natural order (ttyUSB2
// before ttyUSB10): the one scan of the device folders.
std::vector<std::string> device_names_in(const std::string& folder, const std::string& prefix);
