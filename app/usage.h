// What the program prints for --help, -? or /?.
#pragma once

// Writes the usage (options, keys, where the scene is read from) to standard
// output; a program without one (a Windows program started from the desktop
// or from a console without redirection) shows it in a message box instead.
void ShowUsage();
