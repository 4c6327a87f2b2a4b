// Text between the platform's wide characters and the ANSI code page the
// installer's paths and texts live in. A conversion to ANSI is exact or it
// fails: a name that comes back as question marks or a look-alike ("l" for
// "ł") would name another file, or none.
#pragma once

#include <cstdint>
#include <string>

// text in the ANSI code page when every character goes there and back
// unchanged; false otherwise.
bool AnsiFromWide(const std::wstring& text, std::string* ansi);
bool AnsiFromUtf16(const std::u16string& text, std::string* ansi);

std::wstring WideFromAnsi(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

// Whether byte leads a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(uint8_t byte);
