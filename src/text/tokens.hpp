// Cutting a line into tokens, as the command line, the Configuration file and
// the Rules file all do: separators before a token are skipped, the token runs
// to the next separator, and that one separator is consumed.
#pragma once

// Separators of a command word, a port number or a rate.
inline constexpr const char* WORD_SEPARATORS = ", \t";
// Separators of a file name: it may hold spaces.
inline constexpr const char* FILE_NAME_SEPARATORS = ",\t";
// The characters that begin a comment in both files.
inline constexpr const char* COMMENT_CHARS = "#/;";

// Takes the next token from *cursor: separators before it are skipped, the
// token runs to the next separator, and that one separator is consumed (it is
// overwritten with NUL). *cursor moves past the token. Returns nullptr when no
// token is left.
char* next_token(char*& cursor, const char* separators);

// A line being cut into arguments, with where its comment begins.
struct ArgumentCursor {
    char* cursor;         // where the next token is looked for
    const char* comment;  // the first comment character of the line, or nullptr
};

// Starts cutting `text`, noting its first comment character.
ArgumentCursor argument_cursor(char* text);

enum class Argument { taken, missing, in_comment };

// Takes the next argument into `token`: missing when no token is left, in
// comment when it begins after the comment character (only with comment_test).
Argument take_argument(ArgumentCursor& line, const char* separators, bool comment_test, char*& token);

// True for the characters that begin a comment.
bool is_comment_char(char c);
