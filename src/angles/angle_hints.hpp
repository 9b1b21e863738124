// What to tell the operator about an angle text that could not be read, when
// the fix is plain: a decimal number written without its D, or a DMC angle
// followed by a blank before the comma or comment that ends it. And the
// pieces the hints of whole lines are made of: a silent reading of an angle,
// and the search for the parting of a line's words into its arguments.
#pragma once

class Sink;

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The hint for a refused angle text, or empty when there is none.
std::string angle_hint(std::string_view text);

// Offers angle_hint(text) for the command under way (text/hints.hpp).
void offer_angle_hint(Sink& out, std::string_view text);

// After a range message whose value is ANGLE_ERROR: the text could not be
// read as an angle at all, and the notations it may be written in.
std::string unreadable_angle_hint(std::string_view text);

// The text as it is to be written when it reads, silently, as an angle from
// `low` to `high`: the text itself, or a plain decimal number with its D.
// Empty when it does not.
std::string fitting_angle(std::string_view text, double low, double high);

// A word of an argument text, and whether a comma or tab came before it.
struct ArgumentWord {
    std::string text;
    bool after_comma;
};

// The words of `text`, cut at blanks, tabs and commas.
std::vector<ArgumentWord> argument_words(std::string_view text);

// A parting of a line's words into its arguments.
struct Regrouped {
    std::vector<std::string> arguments;  // each as it is to be written
    std::vector<std::size_t> starts;     // the word each begins with
};

// Parts `words` into `count` groups of neighbouring words, each group's words
// joined by `joiner`: a word after a comma always begins a group, and only a
// group for which `spans(i)` is true may hold more than one word. `fits(i,
// text)` gives group i as it is to be written, or empty when it does not fit.
// The first parting in which every group fits (the shortest first groups
// first), or none.
Regrouped regrouped(const std::vector<ArgumentWord>& words, std::size_t count, const char* joiner,
                    const std::function<bool(std::size_t)>& spans,
                    const std::function<std::string(std::size_t, const std::string&)>& fits);
