#pragma once
// How the program presents itself in its windows: the name users see in message box
// titles and the icon every window carries.

#include <QIcon>

// The program's name as users see it. (The profile and the application name use the
// executable's name, "marevert".)
inline constexpr char kProgramDisplayName[] = "Marevert";

// The program's icon, "marevert.png" beside the program; a null icon when it is missing.
QIcon ProgramIcon();
