// Text between the platform's wide characters, UTF-8 (the form the
// installer keeps its names, paths and texts in) and the ANSI code page
// that older records and the platform's narrow calls use. A conversion to ANSI is exact or it
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

// text as UTF-8 when it is well-formed UTF-16; false, with ansi cleared,
// when it holds a surrogate without its other half (which the platform's
// names may, and which no UTF-8 can hold). The installer keeps every name
// and path it works on in UTF-8 and goes to the platform's wide calls with
// WideFromUtf8, so nothing depends on the system's code page.
bool Utf8FromWide(const std::wstring& text, std::string* utf8);

// text as UTF-8 with each surrogate without its other half replaced by
// mark: for reading a text in which one such unit must not spoil the rest
// (a command line), and for showing a refused name.
std::string Utf8MarkingUnpaired(const std::wstring& text, char mark);

// The same between UTF-8 and the ANSI code page: exact, or false.
bool AnsiFromUtf8(const std::string& text, std::string* ansi);
std::string Utf8FromAnsi(const std::string& text);

// Whether byte leads a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(uint8_t byte);

// The number of the ANSI code page, as messages name it: "1252".
std::string AnsiCodePageName();
