// Framework start-up and the command line.
#pragma once

#include <windows.h>

// Prepares the process: accessibility keys captured, timer resolution raised,
// behaviour switches recorded, command line read, versions checked, Direct3D
// object created, timer restarted.
HRESULT InitFramework(bool parseCommandLine, bool handleDefaultKeys, bool showErrorBoxes,
                      bool handleAltEnter);

// Reads the process command line into the override fields of the state.
void ReadCommandLineOptions();
// Applies one command-line argument (as split from the command line, the
// program name excluded). Arguments that are not options are ignored.
void ReadCommandLineArgument(const WCHAR* argument);

// Option scanning helpers. `cursor` points inside the current argument and is
// advanced by both. MatchOption succeeds when the name (any case) comes next
// and is followed by the end of the argument or ':'. ReadOptionValue reads
// ":value" into a buffer of 256 characters, cut at the first character of
// code 32 or less.
bool MatchOption(const WCHAR*& cursor, const WCHAR* name);
bool ReadOptionValue(const WCHAR*& cursor, WCHAR* value);

// Stores the constant frame time; the command-line override, when given,
// replaces the arguments.
void EnableConstantFrameTime(bool enabled, float seconds);
