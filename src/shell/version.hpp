// The utility's version: the text the banner shows, and the build's.
#pragma once

inline constexpr char PRODUCT_VERSION[] = "Version 2.4a";

#ifndef KORRI_BUILD_VERSION
#define KORRI_BUILD_VERSION "unknown"
#endif
