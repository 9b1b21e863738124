// What the download command prints, as the tests expect it.
#pragma once

#include <string>

inline const std::string Q_CONFIG =
    "\a\aWarning: Configuration file has not yet been processed!\n"
    "Do you want to use the Default Configuration? (yes|no) [no]: ";
inline const std::string Q_RULES =
    "\n\a\aWarning: Rules file has not yet been processed!\n"
    "Do you  want to use the Implicit Rule only without specific rules?\n(yes|no) [no]: ";
inline const std::string ABORTED = "\a\aDownload Aborted!\n";
inline const std::string ENDING =
    "\a\aPlease Power OFF the Korrimatic and power it back on to RESET it.\nDisconnected\n";
