// Text drawn and measured through the platform's wide calls, from the
// toolkit's UTF-8, in a face that has its glyphs. The toolkit's faces are
// western ones; a text with characters they lack (a Japanese label, a
// Chinese folder name on a western system) is drawn in a face made for
// that script instead, at the same size and weight: the face Windows
// itself uses for the script's interface where it is there, else any face
// the system has for it. Text the toolkit's face holds is never moved to
// another, so that paths keep their backslashes (the Japanese faces draw
// that character as a yen sign). Windows only.
#pragma once

#include <windows.h>

#include <string>

// The face, selected into a device context for as long as the object
// lives, that draws text whole: none when the selected font has every
// glyph of it. The font selected before is put back and the made one
// deleted when it goes.
class qvTextFace {
public:
  qvTextFace(HDC dc, const std::wstring& text);
  ~qvTextFace();
  qvTextFace(const qvTextFace&) = delete;
  qvTextFace& operator=(const qvTextFace&) = delete;

  // The face taken instead of the selected one; empty when none was.
  const std::wstring& Substitute() const { return substitute; }

private:
  HDC dc;
  HFONT made = nullptr;      // owned
  HGDIOBJ previous = nullptr;
  std::wstring substitute;
};

// The language whose forms of the Han characters the substitute faces
// take (Japanese, Korean, Simplified or Traditional Chinese): the window's
// language. Without one, the user's interface language decides.
void SetTextLanguage(LANGID language);

// DrawTextW of UTF-8 text in a face that has its glyphs; the height drawn.
int DrawTextUtf8(HDC dc, const char* text, RECT* rect, UINT format);

// The size of a line of UTF-8 text as GetTabbedTextExtent measures it, in
// the face DrawTextUtf8 takes.
SIZE TextExtentUtf8(HDC dc, const char* text);

// Whether the font selected into dc has a glyph for every character of
// text (spaces and line ends aside).
bool FontHoldsText(HDC dc, const std::wstring& text);
