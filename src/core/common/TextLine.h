#pragma once
// Small helpers for the keyword lines of the text survey formats.

#include <string>
#include <string_view>

// The text before the first space or tab; "" when the line has neither.
std::string_view FirstToken(std::string_view line);
// The line after its first token (the whole line when the token is empty).
std::string_view AfterFirstToken(std::string_view line);
// Without leading and trailing white space (space, tab, CR, LF, VT, FF).
std::string_view Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view text, std::string_view prefix);
// The line end of a line piece: "\r\n", "\n" or "" (a last line without one).
std::string_view LineEnd(std::string_view line);
