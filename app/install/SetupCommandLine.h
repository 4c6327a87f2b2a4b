// setup.exe's own command line, read from the platform as the options
// parser (SetupOptions.h) reads it: in the ANSI code page, exactly. The
// platform's ANSI form of the line (GetCommandLineA) turns the characters
// the code page lacks into look-alikes, so that a full-width "．．" would
// arrive as ".." and lead /D= out of the folder it named. The wide line is
// converted one character at a time instead, and each character that has
// no exact form becomes kUnconvertibleCharacter, which the parser refuses
// in any option. Windows only.
#pragma once

#include <string>

// The process's command line, program name first, with each character the
// ANSI code page cannot hold exactly replaced by kUnconvertibleCharacter
// (a real U+001A in the line reads the same, and is refused alike).
std::string ReadSetupCommandLine();
