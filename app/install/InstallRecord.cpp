#include "app/install/InstallRecord.h"

#include <cstdio>
#include <set>

#include "app/install/InstallJournal.h"
#include "app/install/InstallNames.h"
#include "app/install/PathNames.h"
#include "app/install/PayloadWalk.h"
#include "app/install/TextFields.h"
#include "common/ContentHash.h"

namespace {

const char kMagicFirst[] = "qvsetup-record 1";
const char kMagicAnsi[] = "qvsetup-record 2";
const char kMagic[] = "qvsetup-record 3";

std::string Line(const std::string& body) { return body + "\r\n"; }

bool Refuse(std::string* why, const char* text) {
  *why = text;
  return false;
}

class RecordReader {
public:
  RecordReader(InstallRecord* record, const AnsiForm& ansi) : record(record), ansi(ansi) {}

  // A record of an earlier form with its texts in UTF-8; false, with why,
  // when the later form's are not well formed.
  bool TextsInUtf8(std::string* why) {
    std::vector<std::string*> texts = {&record->product, &record->location, &record->destination};
    for (std::string& folder : record->folders) texts.push_back(&folder);
    for (RecordedFile& file : record->files) texts.push_back(&file.path);
    return ansi.InUtf8(texts, record->form != RecordForm::kSha256) || Refuse(why, "a text is not well-formed UTF-8");
  }

  // The line's body at index (counting from 0); false with why when it is
  // not the line that may stand here.
  bool Line(const uint8_t* body, size_t size, size_t index, std::string* why) {
    LineReader line(body, size);
    bool parsed = false;
    switch (index) {
      case 0: parsed = Magic(line, why); break;
      case 1: parsed = Product(line, why); break;
      case 2: parsed = Version(line, why); break;
      case 3: parsed = Kind(line, why); break;
      case 4: parsed = Location(line, why); break;
      case 5: parsed = Destination(line, why); break;
      case 6: parsed = MadeAbove(line, why); break;
      default: parsed = Entry(line, why); break;
    }
    if (!parsed) return false;
    if (!line.AtEnd()) return Refuse(why, "a line holds more than its field");
    return true;
  }

private:
  bool Magic(LineReader& line, std::string* why) {
    if (line.Word(kMagic)) return true;
    if (line.Word(kMagicAnsi))
      record->form = RecordForm::kSha256Ansi;
    else if (line.Word(kMagicFirst))
      record->form = RecordForm::kXxh64;
    else
      return Refuse(why, "it does not begin as an install record");
    isLeadByte = ansi.isLeadByte;
    return true;
  }

  bool Digest(LineReader& line, RecordedFile* file) {
    if (record->form == RecordForm::kXxh64) return line.Hash(&file->hash);
    const uint8_t* at = line.Position();
    return line.Skip(64) && DigestFromText(reinterpret_cast<const char*>(at), 64, &file->sha256);
  }

  bool Product(LineReader& line, std::string* why) {
    if (!line.Word("product ") || !line.Text(&record->product, 3 * kMaxProductNameLength) || record->product.empty() ||
        HasControlCharacter(record->product))
      return Refuse(why, "the product's line is malformed");
    return true;
  }

  bool Version(LineReader& line, std::string* why) {
    if (!line.Word("version ") || !line.Text(&record->version, 64) ||
        (!record->version.empty() && !ParseVersion(record->version)))
      return Refuse(why, "the version's line is malformed");
    return true;
  }

  bool Kind(LineReader& line, std::string* why) {
    uint32_t kind = 0;
    if (!line.Word("kind ") || !line.Number(&kind) || kind < TargetApplication || kind > kLastTargetKind)
      return Refuse(why, "the kind's line is malformed");
    record->kind = static_cast<TargetKind>(kind);
    return true;
  }

  bool Location(LineReader& line, std::string* why) {
    if (!line.Word("location ") || !line.Text(&record->location) || !IsAbsoluteWindowsPath(record->location.c_str()) ||
        HasControlCharacter(record->location))
      return Refuse(why, "the location's line is malformed");
    return true;
  }

  // The destination is not taken as written: it must be the one the
  // location and the product make.
  bool Destination(LineReader& line, std::string* why) {
    char expected[kPathBufferSize];
    if (!line.Word("destination ") || !line.Text(&record->destination) ||
        !InstallDestination(record->location.c_str(), record->product.c_str(), record->kind, expected) ||
        record->destination != expected)
      return Refuse(why, "the destination is not the product's folder in the location");
    if (record->kind != TargetFxPlug && CheckName(record->product.c_str(), isLeadByte) != NameProblem::kNone)
      return Refuse(why, "the product's name is not a folder name");
    return true;
  }

  bool MadeAbove(LineReader& line, std::string* why) {
    if (!line.Word("made-above ") || !line.Number(&record->madeAbove))
      return Refuse(why, "the made folders' line is malformed");
    // Never the volume's root, which no install makes.
    size_t depth = 0;
    for (char c : record->destination) depth += c == '\\';
    const size_t rootSeparators = record->destination.compare(0, 2, "\\\\") == 0 ? 4 : 1;
    if (record->madeAbove > depth + 1 - rootSeparators) return Refuse(why, "more made folders than the path has");
    return true;
  }

  bool Entry(LineReader& line, std::string* why) {
    if (record->folders.size() + record->files.size() >= kMaxPayloadEntries)
      return Refuse(why, "more entries than any payload holds");
    std::string path;
    if (line.Word("folder ")) {
      if (!record->files.empty() || !line.Text(&path)) return Refuse(why, "a folder's line is malformed or misplaced");
      if (!Inside(path)) return Refuse(why, "a folder's path is not a name inside the destination");
      if (!made.insert(AsciiFolded(path)).second) return Refuse(why, "a folder is recorded twice");
      record->folders.push_back(path);
      return true;
    }
    RecordedFile file;
    if (!line.Word("file ") || !line.Number64(&file.size) || !line.Space() || !Digest(line, &file) ||
        !line.Space() || !line.Text(&file.path))
      return Refuse(why, "a line of an unknown kind, or a file's line malformed");
    if (!Inside(file.path)) return Refuse(why, "a file's path is not a name inside the destination");
    if (!files.insert(AsciiFolded(file.path)).second || made.count(AsciiFolded(file.path)))
      return Refuse(why, "a file is recorded twice");
    record->files.push_back(std::move(file));
    return true;
  }

  bool Inside(const std::string& path) const {
    return IsPlainRelativePath(path, isLeadByte) && Length(record->destination) + 1 + Length(path) <= kMaxPathLength;
  }

  // A path's length: UTF-16 units, or an earlier form's bytes.
  size_t Length(const std::string& text) const {
    return record->form == RecordForm::kSha256 ? PathLength(text) : text.size();
  }

  InstallRecord* record;
  const AnsiForm& ansi;
  LeadBytePredicate isLeadByte = nullptr;
  std::set<std::string> made, files;
};

}  // namespace

std::string InstallRecord::OutermostMadeFolder() const {
  if (madeAbove == 0) return std::string();
  std::string folder = destination;
  for (uint32_t i = 1; i < madeAbove; ++i) folder = ParentFolder(folder);
  return folder;
}

std::string RecordText(const InstallRecord& record) {
  const bool first = record.form == RecordForm::kXxh64;
  std::string text = Line(first ? kMagicFirst : record.form == RecordForm::kSha256Ansi ? kMagicAnsi : kMagic);
  text += Line("product " + Counted(record.product));
  text += Line("version " + Counted(record.version));
  text += Line("kind " + std::to_string(static_cast<int>(record.kind)));
  text += Line("location " + Counted(record.location));
  text += Line("destination " + Counted(record.destination));
  text += Line("made-above " + std::to_string(record.madeAbove));
  for (const std::string& folder : record.folders) text += Line("folder " + Counted(folder));
  for (const RecordedFile& file : record.files)
    text += Line("file " + std::to_string(file.size) + " " + (first ? HashText(file.hash) : DigestText(file.sha256)) +
                 " " + Counted(file.path));
  const size_t lines = 7 + record.folders.size() + record.files.size();
  char end[48];
  std::snprintf(end, sizeof end, "end %zu %08x\r\n", lines,
                static_cast<unsigned>(Crc32(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
  return text + end;
}

bool ReadRecord(const uint8_t* data, size_t size, InstallRecord* record, std::string* why, const AnsiForm& ansi) {
  *record = InstallRecord();
  if (size > kMaxRecordBytes) return Refuse(why, "it is larger than any record");
  RecordReader reader(record, ansi);
  for (size_t at = 0, index = 0;; ++index) {
    size_t end = at;
    while (end + 1 < size && !(data[end] == '\r' && data[end + 1] == '\n')) ++end;
    if (end + 1 >= size) return Refuse(why, "it ends before its last line: it was cut short");
    LineReader line(data + at, end - at);
    if (index < 7 || !line.Word("end ")) {
      if (!reader.Line(data + at, end - at, index, why)) return false;
      at = end + 2;
      continue;
    }
    // "end <lines> <crc>": the count of the lines before and their CRC.
    uint32_t lines = 0, crc = 0;
    if (!line.Number(&lines) || !line.Space() || !line.Number(&crc, 16) || !line.AtEnd())
      return Refuse(why, "its last line is malformed");
    if (lines != index) return Refuse(why, "its last line does not count the lines before it");
    if (Crc32(data, at) != crc) return Refuse(why, "its contents do not match their CRC: it was changed");
    if (end + 2 != size) return Refuse(why, "it goes on after its last line");
    return reader.TextsInUtf8(why);
  }
}
