// Text between the platform's wide characters and the ANSI code page the
// programs' paths and texts live in. A conversion to ANSI is exact or it
// fails: a name that comes back as question marks or a look-alike ("l" for
// "ł", "." for the full-width "．") would name another file, or none. The
// installer's core and the toolkit's dialogs both read what the platform
// gives them through these, so both refuse the same texts.
//
// Declarations only: the definitions call the platform and are built for
// Windows alone (AnsiText_win.cpp).
#pragma once

#include <cstdint>
#include <string>

// text in the ANSI code page when every character goes there and back
// unchanged; false otherwise.
bool AnsiFromWide(const std::wstring& text, std::string* ansi);
bool AnsiFromUtf16(const std::u16string& text, std::string* ansi);

// text in the ANSI code page, one character (or surrogate pair) at a time:
// each that has no exact form there becomes mark. For reading a text in
// which one unconvertible part must not spoil the rest (a command line),
// and for showing a refused text with the characters that could not be
// kept marked.
std::string AnsiMarkingUnconvertible(const std::wstring& text, char mark);

std::wstring WideFromAnsi(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);

// The same between UTF-8 and the ANSI code page: exact, or false.
bool AnsiFromUtf8(const std::string& text, std::string* ansi);
std::string Utf8FromAnsi(const std::string& text);

// Whether byte leads a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(uint8_t byte);

// The number of the ANSI code page, as messages name it: "1252".
std::string AnsiCodePageName();
