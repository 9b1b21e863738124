// Result codes of rules_process, rules_load and rules_read: 0 when the whole
// file was read, otherwise the code of the check that failed, after its
// message (for a faulty line, the message names it). The values never
// change; a few checks share one.
#pragma once

// The file and the line as a whole.
inline constexpr int RULES_NO_FILE_NAME = -1;
inline constexpr int RULES_CANNOT_OPEN = -2;          // also: the file cannot be read
inline constexpr int RULES_BAD_ACTION = -3;           // the first word is no whole action word
inline constexpr int RULES_COMMAND_IN_COMMENT = -5;   // the command word begins the comment
inline constexpr int RULES_LIMIT_EXCEEDED = -6;       // a rule line after MAX_RULES accepted lines
inline constexpr int RULES_BAD_COMMAND = -7;          // the command word is unknown or ambiguous
inline constexpr int RULES_NO_ARGUMENTS = -71;        // the action word stands alone
inline constexpr int RULES_LINE_NUMBER_TOO_HIGH = -72;  // a record cannot hold the line number

// Destination and source patterns.
inline constexpr int RULES_DESTINATION_IN_COMMENT = -8;
inline constexpr int RULES_BAD_SSID = -9;             // the SSID after '-' lies outside 0..15
inline constexpr int RULES_DESTINATION_TOO_LONG = -10;
inline constexpr int RULES_NO_DESTINATION = -11;
inline constexpr int RULES_SOURCE_TOO_LONG = -11;     // the same value as RULES_NO_DESTINATION
inline constexpr int RULES_SOURCE_IN_COMMENT = -12;
inline constexpr int RULES_NO_SOURCE = -13;

// Circle: radius, latitude, longitude.
inline constexpr int RULES_CIRCLE_RADIUS_IN_COMMENT = -14;  // its message says "missing Range"
inline constexpr int RULES_CIRCLE_BAD_RADIUS = -16;         // not above 0 as stored
inline constexpr int RULES_CIRCLE_LATITUDE_IN_COMMENT = -17;
inline constexpr int RULES_CIRCLE_BAD_LATITUDE = -19;       // outside -90..90
inline constexpr int RULES_CIRCLE_LONGITUDE_IN_COMMENT = -20;
inline constexpr int RULES_CIRCLE_BAD_LONGITUDE = -22;      // outside -180..180
inline constexpr int RULES_CIRCLE_NO_LONGITUDE = -23;
inline constexpr int RULES_CIRCLE_NO_LATITUDE = -24;
inline constexpr int RULES_CIRCLE_NO_RADIUS = -25;

// Compass: direction, latitude, longitude.
inline constexpr int RULES_COMPASS_DIRECTION_IN_COMMENT = -26;
inline constexpr int RULES_COMPASS_BAD_DIRECTION = -27;     // no compass direction name
inline constexpr int RULES_COMPASS_LATITUDE_IN_COMMENT = -29;
inline constexpr int RULES_COMPASS_BAD_LATITUDE = -31;      // outside -90..90
inline constexpr int RULES_COMPASS_LONGITUDE_IN_COMMENT = -32;
inline constexpr int RULES_COMPASS_BAD_LONGITUDE = -34;     // outside -180..180
inline constexpr int RULES_COMPASS_NO_LONGITUDE = -35;
inline constexpr int RULES_COMPASS_NO_LATITUDE = -36;
inline constexpr int RULES_COMPASS_NO_DIRECTION = -37;

// Rectangle: two corners; latitudes outside -90..90 and longitudes outside
// -180..180 are bad.
inline constexpr int RULES_RECTANGLE_LATITUDE1_IN_COMMENT = -38;
inline constexpr int RULES_RECTANGLE_BAD_LATITUDE1 = -40;
inline constexpr int RULES_RECTANGLE_LONGITUDE1_IN_COMMENT = -41;
inline constexpr int RULES_RECTANGLE_BAD_LONGITUDE1 = -43;
inline constexpr int RULES_RECTANGLE_LATITUDE2_IN_COMMENT = -44;
inline constexpr int RULES_RECTANGLE_BAD_LATITUDE2 = -46;
inline constexpr int RULES_RECTANGLE_LONGITUDE2_IN_COMMENT = -47;
inline constexpr int RULES_RECTANGLE_BAD_LONGITUDE2 = -49;
inline constexpr int RULES_RECTANGLE_NO_LONGITUDE2 = -50;
inline constexpr int RULES_RECTANGLE_NO_LATITUDE2 = -51;
inline constexpr int RULES_RECTANGLE_NO_LONGITUDE1 = -52;
inline constexpr int RULES_RECTANGLE_NO_LATITUDE1 = -53;

// Sector: two angles (0..360), the inner and the optional outer range.
inline constexpr int RULES_SECTOR_ANGLE1_IN_COMMENT = -54;
inline constexpr int RULES_SECTOR_BAD_ANGLE1 = -57;
inline constexpr int RULES_SECTOR_ANGLE2_IN_COMMENT = -58;
inline constexpr int RULES_SECTOR_BAD_ANGLE2 = -60;
inline constexpr int RULES_SECTOR_INNER_IN_COMMENT = -61;
inline constexpr int RULES_SECTOR_INNER_NOT_NUMBER = -62;   // does not begin with a digit
inline constexpr int RULES_SECTOR_BAD_INNER = -64;          // below 0
inline constexpr int RULES_SECTOR_BAD_OUTER = -66;          // not above the inner range as stored
inline constexpr int RULES_SECTOR_NO_INNER = -67;
inline constexpr int RULES_SECTOR_NO_ANGLE2 = -68;
inline constexpr int RULES_SECTOR_NO_ANGLE1 = -69;
