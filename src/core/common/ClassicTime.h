#pragma once
// Dates and times as text in the "C" locale's words whatever the process locale is
// (logs read by people and programs elsewhere), and the local date.

#include <ctime>
#include <string>

// strftime in the "C" locale ("%c" gives "Tue Mar 24 09:05:00 2014").
std::string ClassicStrftime(const char* format, const std::tm& time);
// ClassicStrftime of the local date and time now.
std::string ClassicLocalTime(const char* format);

// Today's local date (day 1..31, month 1..12, year); false, and all three 0, when the
// platform cannot tell.
bool LocalDate(int& day, int& month, int& year);
