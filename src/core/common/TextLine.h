#pragma once
// Small helpers for text lines: the keyword lines of the text survey formats, and
// white space as the "C" locale knows it.

#include <string>
#include <string_view>

// isspace in the "C" locale: blank, tab, line feed, carriage return, vertical tab and
// form feed (a locale may count more bytes, such as 0xA0 in ISO 8859 locales).
inline bool IsClassicSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The text before the first space or tab; "" when the line has neither.
std::string_view FirstToken(std::string_view line);
// The line after its first token (the whole line when the token is empty).
std::string_view AfterFirstToken(std::string_view line);
// Without leading and trailing white space (IsClassicSpace).
std::string_view Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view text, std::string_view prefix);
// The line end of a line piece: "\r\n", "\n" or "" (a last line without one).
std::string_view LineEnd(std::string_view line);
