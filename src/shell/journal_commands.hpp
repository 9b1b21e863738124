// The command-line uses of the journal's images: writing an entry back into
// the two files, and telling what a download of two files would change.
#pragma once

#include <string>

#include "station/station.hpp"

class Sink;
struct ShellState;

// Exit statuses of decode_entry and diff_files.
inline constexpr int DECODE_DONE = 0;
inline constexpr int DECODE_INEXACT = 1;  // an image holds what no file can give
inline constexpr int DIFF_SAME = 0;
inline constexpr int DIFF_CHANGES = 1;
inline constexpr int JOURNAL_USE_ERROR = 2;

// Writes OUT_DIR/<station>.cfg and OUT_DIR/<station>.rul from entry
// `number` of the journal in `journal_dir`, then reads them back with the
// two parsers and compares what they make with the images. What keeps it
// from its work goes to `err`, as do the warnings of both commands.
int decode_entry(const std::string& journal_dir, long number, const std::string& out_dir, Sink& out, Sink& err);

// Reads CONFIG and RULES as configure and rules do, and prints what a
// download of them would change against entry `number`, or, when it is 0,
// against the last succeeded download to the same station.
int diff_files(const std::string& journal_dir, const char* config_file, const char* rules_file, long number, Sink& out,
               Sink& err);

// The line a download at the terminal shows against the journal: the last
// succeeded download to the station the images name and what this one
// changes, or that it is the first. Empty when the journal cannot be read.
std::string download_journal_line(const std::string& journal_dir, const ConfigRecord& config, const RuleTable& table);

// At a terminal with the journal on, that line, before a download's "To
// send" line.
void terminal_download_journal(ShellState& shell, const ConfigRecord& config, const RuleTable& table);
