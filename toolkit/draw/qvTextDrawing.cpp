#include "toolkit/draw/qvTextDrawing.h"

#include <cwchar>
#include <map>
#include <vector>

#include "common/AnsiText.h"

namespace {

LANGID textLanguage = 0;

// The scripts that have faces of their own.
enum class Script { kJapanese, kKorean, kChineseSimplified, kChineseTraditional, kOther };

struct ScriptFaces {
  Script script;
  BYTE charset;                // the faces the system has for the script, when none named is there
  const wchar_t* faces[4];     // Windows' own interface faces for it, newest first
};

// Yu Gothic UI before Meiryo UI: the older Japanese faces draw the
// backslash as a yen sign.
const ScriptFaces kScriptFaces[] = {
    {Script::kJapanese, SHIFTJIS_CHARSET, {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic", L"MS PGothic"}},
    {Script::kKorean, HANGUL_CHARSET, {L"Malgun Gothic", L"Gulim", nullptr, nullptr}},
    {Script::kChineseSimplified, GB2312_CHARSET, {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", nullptr}},
    {Script::kChineseTraditional, CHINESEBIG5_CHARSET, {L"Microsoft JhengHei UI", L"Microsoft JhengHei", L"PMingLiU", nullptr}},
    {Script::kOther, DEFAULT_CHARSET, {L"Segoe UI", L"Segoe UI Symbol", L"Arial Unicode MS", nullptr}},
};

bool IsKana(wchar_t c) { return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0xFF66 && c <= 0xFF9F); }
bool IsHangul(wchar_t c) { return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) || (c >= 0xAC00 && c <= 0xD7AF); }
bool IsHan(wchar_t c) {
  return (c >= 0x3000 && c <= 0x303F) || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

// Whose forms the Han characters take: the window's language, else the
// user's.
Script HanScript() {
  const LANGID language = textLanguage ? textLanguage : GetUserDefaultUILanguage();
  switch (PRIMARYLANGID(language)) {
    case LANG_JAPANESE: return Script::kJapanese;
    case LANG_KOREAN: return Script::kKorean;
    case LANG_CHINESE:
      switch (SUBLANGID(language)) {
        case SUBLANG_CHINESE_TRADITIONAL:
        case SUBLANG_CHINESE_HONGKONG:
        case SUBLANG_CHINESE_MACAU: return Script::kChineseTraditional;
      }
      return Script::kChineseSimplified;
  }
  return Script::kChineseSimplified;
}

// The script of the characters a face lacks: kana make Japanese and
// Hangul Korean whatever else is there.
Script ScriptOf(const std::wstring& missing) {
  bool han = false;
  for (wchar_t c : missing) {
    if (IsKana(c)) return Script::kJapanese;
    if (IsHangul(c)) return Script::kKorean;
    han = han || IsHan(c);
  }
  return han ? HanScript() : Script::kOther;
}

// The characters of text the selected font has no glyph for. Units of a
// surrogate pair are not asked (GetGlyphIndices takes single units), nor
// controls and spaces.
std::wstring MissingCharacters(HDC dc, const std::wstring& text) {
  std::wstring asked;
  for (wchar_t c : text)
    if (c > L' ' && (c < 0xD800 || c > 0xDFFF)) asked += c;
  if (asked.empty()) return asked;
  std::vector<WORD> glyphs(asked.size());
  if (GetGlyphIndicesW(dc, asked.c_str(), static_cast<int>(asked.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
      GDI_ERROR)
    return std::wstring();
  std::wstring missing;
  for (size_t i = 0; i < asked.size(); ++i)
    if (glyphs[i] == 0xFFFF) missing += asked[i];
  return missing;
}

int CALLBACK AddFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM faces) {
  auto* list = reinterpret_cast<std::vector<std::wstring>*>(faces);
  // Vertical faces ("@...") lie on their side; bitmap faces do not scale.
  if (font->lfFaceName[0] != L'@' && (type & TRUETYPE_FONTTYPE) && list->size() < 64) list->push_back(font->lfFaceName);
  return 1;
}

// The face of the script the system has that draws missing, at the size of
// base; empty when none does. Asked once a script.
std::wstring FaceFor(HDC dc, const LOGFONTW& base, Script script, const std::wstring& missing) {
  static std::map<Script, std::wstring> found;
  const auto known = found.find(script);
  if (known != found.end()) return known->second;
  const ScriptFaces* row = &kScriptFaces[0];
  for (const ScriptFaces& candidate : kScriptFaces)
    if (candidate.script == script) row = &candidate;
  std::vector<std::wstring> faces;
  for (const wchar_t* face : row->faces)
    if (face) faces.push_back(face);
  LOGFONTW wanted = {};
  wanted.lfCharSet = row->charset;
  EnumFontFamiliesExW(dc, &wanted, AddFace, reinterpret_cast<LPARAM>(&faces), 0);
  std::wstring chosen;
  for (const std::wstring& face : faces) {
    LOGFONTW font = base;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    const HFONT made = CreateFontIndirectW(&font);
    if (!made) continue;
    const HGDIOBJ previous = SelectObject(dc, made);
    wchar_t got[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, got);
    // A name the system lacks gives some other face: only the one asked.
    const bool holds = lstrcmpiW(got, face.c_str()) == 0 && MissingCharacters(dc, missing).empty();
    SelectObject(dc, previous);
    DeleteObject(made);
    if (holds) {
      chosen = face;
      break;
    }
  }
  found[script] = chosen;
  return chosen;
}

}  // namespace

qvTextFace::qvTextFace(HDC dc, const std::wstring& text) : dc(dc) {
  const std::wstring missing = MissingCharacters(dc, text);
  if (missing.empty()) return;
  LOGFONTW base = {};
  const HGDIOBJ selected = GetCurrentObject(dc, OBJ_FONT);
  if (!selected || !GetObjectW(selected, sizeof base, &base)) return;
  substitute = FaceFor(dc, base, ScriptOf(missing), missing);
  if (substitute.empty()) return;
  base.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(base.lfFaceName, substitute.c_str(), LF_FACESIZE);
  made = CreateFontIndirectW(&base);
  if (made) previous = SelectObject(dc, made);
}

qvTextFace::~qvTextFace() {
  if (!made) return;
  SelectObject(dc, previous);
  DeleteObject(made);
}

void SetTextLanguage(LANGID language) { textLanguage = language; }

int DrawTextUtf8(HDC dc, const char* text, RECT* rect, UINT format) {
  std::wstring wide = WideFromUtf8(text);
  const qvTextFace face(dc, wide);
  // In a mirrored context the text reads right to left: a sentence's
  // punctuation ends it on the left. The access key's underline is left
  // out there (the key still works): the platform places it apart from its
  // letter in right-to-left reading.
  const DWORD layout = GetLayout(dc);
  if (layout != GDI_ERROR && (layout & LAYOUT_RTL)) {
    format |= DT_RTLREADING;
    if (!(format & DT_NOPREFIX)) {
      std::wstring plain;
      for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'&' && i + 1 < wide.size()) ++i;
        plain += wide[i];
      }
      wide = plain;
      format |= DT_NOPREFIX;
    }
  }
  return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

SIZE TextExtentUtf8(HDC dc, const char* text) {
  const std::wstring wide = WideFromUtf8(text);
  const qvTextFace face(dc, wide);
  const DWORD extent = GetTabbedTextExtentW(dc, wide.c_str(), static_cast<int>(wide.size()), 0, nullptr);
  return SIZE{LOWORD(extent), HIWORD(extent)};
}

bool FontHoldsText(HDC dc, const std::wstring& text) { return MissingCharacters(dc, text).empty(); }
