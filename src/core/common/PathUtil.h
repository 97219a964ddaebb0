#pragma once
// Path and number-text helpers shared by every subsystem.

#include <string>

// The folder of the running program, with a trailing "/". False (and "") when the
// program's own path cannot be found. Tests may redirect it with SetProgramFolderOverride.
bool GetProgramFolder(std::string& folder);

// Makes GetProgramFolder answer `folder` (a trailing separator is added when missing);
// an empty text restores the real program folder.
void SetProgramFolderOverride(const std::string& folder);

// The user's state folder for the program, with a trailing "/": "$XDG_STATE_HOME/marevert/",
// or "$HOME/.local/state/marevert/" when XDG_STATE_HOME is unset, empty or relative.
// Missing folders are created (mode 0700). False (and "") when there is no home folder
// or the folder cannot be created.
bool GetUserStateFolder(std::string& folder);

// The text after the last backslash, else after the last slash, else "".
std::string GetFileNamePart(const std::string& path);

// The text up to and including the last backslash, else the last slash, else "".
std::string GetFolderPart(const std::string& path);

// Whether an edit text may be converted to a number: after trimming white space it
// is made only of "1234567890.-", with at most one "." and at most one "-", the "-"
// only in front. "12.5", "-3", "-", "." and "-." pass; "", "1e3", "+2", "2-" fail.
bool IsNumberText(const std::string& text);

// The C library's text-to-double conversion of the leading numeric part (atof in the
// "C" locale, whatever the process locale): 0 when there is none.
double TextToDouble(const std::string& text);
