// The memory image an Intel HEX file describes, as a binary file that starts
// at address 0: each data record's bytes at its address (with the extended
// segment and extended linear addresses of types 02 and 04), every byte no
// record writes 0, up to the highest address written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Images above this size are not made (a record at a high address would ask
// for gigabytes of zeros).
inline constexpr std::size_t HEX_IMAGE_LIMIT = 16u << 20;

// The image of the file's text; false for a record line that is not well
// formed or an image above HEX_IMAGE_LIMIT. Lines that do not begin with a
// colon are passed over; reading ends at the end-of-file record.
bool hex_binary_image(const std::string& text, std::vector<uint8_t>& image);
