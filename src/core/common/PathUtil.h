#pragma once
// Paths: the program's and the user's folders, the parts of a path, absolute paths.

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

// `path` made absolute against the working folder and normalised, so that messages and
// details show a folder and a file name whatever the working folder was; "" stays "",
// and a path the system cannot make absolute stays as given.
std::string AbsolutePath(const std::string& path);
