// setup.exe's own command line, read from the platform as the options
// parser (SetupOptions.h) reads it: the wide line, in UTF-8. The platform's
// ANSI form of the line (GetCommandLineA) turns the characters the code
// page lacks into look-alikes, so that a full-width "．．" would arrive as
// ".." and lead /D= out of the folder it named; the wide line keeps every
// character as it is. A surrogate without its other half, which no UTF-8
// holds, becomes kUnconvertibleCharacter, which the parser refuses in any
// option. Windows only.
#pragma once

#include <string>

// The process's command line in UTF-8, program name first, with each
// surrogate without its other half replaced by kUnconvertibleCharacter (a
// real U+001A in the line reads the same, and is refused alike).
std::string ReadSetupCommandLine();
