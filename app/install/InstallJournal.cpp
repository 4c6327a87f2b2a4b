#include "app/install/InstallJournal.h"

#include <cstdio>
#include <cstring>

#include "app/install/PathNames.h"
#include "app/install/TextFields.h"

namespace {

const char kMagic[] = "qvsetup-journal 3";
const char kAnsiMagic[] = "qvsetup-journal 2";  // texts in the ANSI code page

// Ends a line: its CRC, then CR LF.
std::string Sealed(const std::string& body) {
  char crc[16];
  std::snprintf(crc, sizeof crc, " #%08x\r\n",
                static_cast<unsigned>(Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size())));
  return body + crc;
}

// Where the reader is in the journal's order of lines.
enum class Stage { kMade, kPlan, kSteps, kCommitted };

class JournalReader {
public:
  JournalReader(Journal* journal, const AnsiForm& ansi) : journal(journal), ansi(ansi) {}

  // A journal of the earlier form: its texts in UTF-8, or false, with why,
  // when the later form's are not well formed.
  bool TextsInUtf8(std::string* why) {
    std::vector<std::string*> texts = {&journal->root, &journal->groupOwner};
    for (std::string& folder : journal->made) texts.push_back(&folder);
    for (JournalEntry& entry : journal->plan) texts.push_back(&entry.path);
    return ansi.InUtf8(texts, inAnsi) || Refuse(why, "a path is not well-formed UTF-8");
  }

  // One whole line (without its seal). False, with why, when it is not a
  // line that may stand here.
  bool Line(const uint8_t* body, size_t size, bool first, std::string* why) {
    LineReader line(body, size);
    bool parsed = false;
    if (first) {
      parsed = Header(line, why);
    } else if (line.Word("A ")) {
      parsed = Made(line, why);
    } else if (line.Word("P ")) {
      parsed = PlanEnd(line, why);
    } else if (line.Word("S ")) {
      parsed = Begun(line, why);
    } else if (line.Word("G ")) {
      parsed = Group(line, why);
    } else if (line.Word("C")) {
      parsed = Committed(why);
    } else {
      parsed = PlanEntry(line, why);
    }
    if (!parsed) return false;
    if (line.Position() != body + size) return Refuse(why, "a line holds more than its record");
    return true;
  }

private:
  static bool Refuse(std::string* why, const char* text) {
    *why = text;
    return false;
  }

  bool Header(LineReader& line, std::string* why) {
    inAnsi = line.Word(kAnsiMagic);
    isLeadByte = inAnsi ? ansi.isLeadByte : nullptr;
    if (!(inAnsi || line.Word(kMagic)) || !line.Space() || !line.Number(&journal->processId) || !line.Space() ||
        !line.Text(&journal->root) || !line.Space() || !line.Text(&journal->staging))
      return Refuse(why, "it does not begin as a journal of this installer");
    if (!IsAbsoluteWindowsPath(journal->root.c_str()) || HasControlCharacter(journal->root))
      return Refuse(why, "its root is not a full path");
    if (!IsStagingName(journal->staging)) return Refuse(why, "its staging folder's name is not one the installer makes");
    return true;
  }

  bool Made(LineReader& line, std::string* why) {
    std::string folder;
    if (stage != Stage::kMade || !line.Text(&folder)) return Refuse(why, "a made folder's line is malformed or misplaced");
    // Outermost first, each inside the one before, none below the root.
    if (!IsAbsoluteWindowsPath(folder.c_str()) || !IsRootOrAbove(folder, journal->root) ||
        (!journal->made.empty() && !IsRootOrAbove(journal->made.back(), folder)) ||
        (!journal->made.empty() && journal->made.back() == folder))
      return Refuse(why, "a made folder is not the root or a folder above it");
    journal->made.push_back(folder);
    return true;
  }

  bool PlanEntry(LineReader& line, std::string* why) {
    JournalEntry entry = {JournalStep::kMakeFolder, 0, 0, std::string()};
    if (line.Word("F "))
      entry.step = JournalStep::kMakeFolder;
    else if (line.Word("N "))
      entry.step = JournalStep::kNewFile;
    else if (line.Word("R "))
      entry.step = JournalStep::kReplaceFile;
    else if (line.Word("D "))
      entry.step = JournalStep::kRemoveFile;
    else if (line.Word("K "))
      entry.step = JournalStep::kRegister;
    else if (line.Word("E "))
      entry.step = JournalStep::kEntry;
    else if (line.Word("U "))
      entry.step = JournalStep::kUnregister;
    else
      return Refuse(why, "a line of an unknown kind");
    if (stage == Stage::kMade) stage = Stage::kPlan;
    if (stage != Stage::kPlan || !line.Number(&entry.index) || !line.Space())
      return Refuse(why, "a plan entry is malformed or misplaced");
    if (!journal->plan.empty() && entry.index <= journal->plan.back().index)
      return Refuse(why, "the plan's entries are out of order");
    if (IsRegistration(entry.step)) return Registration(line, std::move(entry), why);
    if (KeepsEarlierVersion(entry.step) && (!line.Number(&entry.attributes, 16) || !line.Space()))
      return Refuse(why, "a replaced or removed file's attributes are malformed");
    if (!line.Text(&entry.path)) return Refuse(why, "a plan entry's path is malformed");
    if (!IsPlainRelativePath(entry.path, isLeadByte) || Length(journal->root) + 1 + Length(entry.path) > kMaxPathLength)
      return Refuse(why, "a plan entry's path is not a name inside the root");
    // One step for each path: a second would undo what the first did.
    if (!planned.insert(AsciiFolded(entry.path)).second) return Refuse(why, "a path is planned twice");
    journal->plan.push_back(std::move(entry));
    return true;
  }

  // "K <index> <had> <file>", "E <index> <had> <date> <folder>" or
  // "U <index> <folder>": full paths outside the root.
  bool Registration(LineReader& line, JournalEntry entry, std::string* why) {
    const bool had = entry.step != JournalStep::kUnregister;
    if (had && (!line.Number(&entry.attributes) || entry.attributes > 1 || !line.Space()))
      return Refuse(why, "a registration's entry is malformed");
    if (entry.step == JournalStep::kEntry && (!line.Text(&entry.note, 8) || !IsDate(entry.note) || !line.Space()))
      return Refuse(why, "a registration's entry is malformed");
    if (!line.Text(&entry.path) || !IsAbsoluteWindowsPath(entry.path.c_str()) || HasControlCharacter(entry.path))
      return Refuse(why, "a registration's path is not a full path");
    if (!planned.insert(AsciiFolded(entry.path)).second) return Refuse(why, "a path is planned twice");
    journal->plan.push_back(std::move(entry));
    return true;
  }

  static bool IsDate(const std::string& text) {
    if (text.empty()) return true;
    if (text.size() != 8) return false;
    for (char c : text)
      if (c < '0' || c > '9') return false;
    return true;
  }

  bool PlanEnd(LineReader& line, std::string* why) {
    uint32_t count = 0;
    if (stage == Stage::kSteps || stage == Stage::kCommitted || !line.Number(&count))
      return Refuse(why, "the plan's end is malformed or misplaced");
    if (count != journal->plan.size()) return Refuse(why, "the plan's end does not count its entries");
    stage = Stage::kSteps;
    journal->planWhole = true;
    return true;
  }

  bool Begun(LineReader& line, std::string* why) {
    uint32_t index = 0;
    if (stage != Stage::kSteps || !line.Number(&index)) return Refuse(why, "a step's line is malformed or misplaced");
    const JournalEntry* entry = journal->Entry(index);
    if (!entry) return Refuse(why, "a step names no entry of the plan");
    if (PlacesFile(entry->step)) {
      // The bytes it places: their size and SHA-256.
      PlacedFile placed;
      const uint8_t* digest = nullptr;
      if (!line.Space() || line.LeadingZero() || !line.Number64(&placed.size) || !line.Space() ||
          !(digest = line.Position(), line.Skip(64)) ||
          !DigestFromText(reinterpret_cast<const char*>(digest), 64, &placed.digest))
        return Refuse(why, "a placed file's size or digest is malformed");
      journal->placed[index] = placed;
    }
    journal->begun.insert(index);
    return true;
  }

  // "G <name> <registration folder>": one install of a group, committed
  // with its marker, of the product registered there.
  bool Group(LineReader& line, std::string* why) {
    if (stage != Stage::kSteps || !journal->group.empty() || !line.Text(&journal->group) ||
        !IsGroupName(journal->group) || !line.Space() || !line.Text(&journal->groupOwner) ||
        !IsAbsoluteWindowsPath(journal->groupOwner.c_str()) || HasControlCharacter(journal->groupOwner))
      return Refuse(why, "a group's line is malformed or misplaced");
    return true;
  }

  bool Committed(std::string* why) {
    if (stage != Stage::kSteps) return Refuse(why, "the commit is misplaced");
    stage = Stage::kCommitted;
    journal->committed = true;
    return true;
  }

  Journal* journal;
  // A path's length: UTF-16 units, or an earlier form's bytes.
  size_t Length(const std::string& text) const { return inAnsi ? text.size() : PathLength(text); }

  const AnsiForm& ansi;
  bool inAnsi = false;
  LeadBytePredicate isLeadByte = nullptr;
  std::set<std::string> planned;  // the plan's paths, folded
  Stage stage = Stage::kMade;
};

// The body of the sealed line at data (up to " #crc\r\n"), when the line
// is whole and its CRC holds. *next is where the next line starts.
bool SealedLine(const uint8_t* data, size_t size, size_t* bodySize, size_t* next) {
  const uint8_t* end = data + size;
  for (const uint8_t* p = data; p + 1 < end; ++p) {
    if (p[0] != '\r' || p[1] != '\n') continue;
    const size_t length = size_t(p - data);
    // " #" and eight hexadecimal digits before the line end.
    if (length < 10 || data[length - 10] != ' ' || data[length - 9] != '#') return false;
    uint32_t crc = 0;
    for (size_t i = length - 8; i < length; ++i) {
      const uint8_t c = data[i];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return false;
      crc = crc << 4 | uint32_t(digit);
    }
    if (Crc32(data, length - 10) != crc) return false;
    *bodySize = length - 10;
    *next = length + 2;
    return true;
  }
  return false;
}

bool HasLineEnd(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 1 < size; ++i)
    if (data[i] == '\r' && data[i + 1] == '\n') return true;
  return false;
}

}  // namespace

const char kStagingPrefix[] = ".qvsetup-";

bool IsStagingName(const std::string& name) {
  const size_t prefix = sizeof kStagingPrefix - 1;
  if (name.size() <= prefix || name.size() > 32 || name.compare(0, prefix, kStagingPrefix) != 0) return false;
  for (size_t i = prefix; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-')) return false;
  }
  return true;
}

const char kGroupPrefix[] = "group-";

bool IsGroupName(const std::string& name) {
  const size_t prefix = sizeof kGroupPrefix - 1;
  if (name.size() != prefix + 16 || name.compare(0, prefix, kGroupPrefix) != 0) return false;
  for (size_t i = prefix; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

const JournalEntry* Journal::Entry(uint32_t index) const {
  size_t low = 0, high = plan.size();
  while (low < high) {
    const size_t middle = (low + high) / 2;
    if (plan[middle].index < index)
      low = middle + 1;
    else
      high = middle;
  }
  return low < plan.size() && plan[low].index == index ? &plan[low] : nullptr;
}

std::string JournalHeaderLine(const std::string& root, uint32_t processId, const std::string& staging) {
  return Sealed(std::string(kMagic) + " " + std::to_string(processId) + " " + Counted(root) + " " + Counted(staging));
}

std::string JournalMadeLine(const std::string& folder) { return Sealed("A " + Counted(folder)); }

std::string JournalPlanLine(const JournalEntry& entry) {
  std::string line(1, static_cast<char>(entry.step));
  line += " " + std::to_string(entry.index) + " ";
  if (entry.step == JournalStep::kRegister || entry.step == JournalStep::kEntry)
    line += std::to_string(entry.attributes) + " ";
  if (entry.step == JournalStep::kEntry) line += Counted(entry.note) + " ";
  if (IsRegistration(entry.step)) return Sealed(line + Counted(entry.path));
  if (KeepsEarlierVersion(entry.step)) {
    char attributes[16];
    std::snprintf(attributes, sizeof attributes, "%x ", static_cast<unsigned>(entry.attributes));
    line += attributes;
  }
  return Sealed(line + Counted(entry.path));
}

std::string JournalPlanEndLine(size_t entries) { return Sealed("P " + std::to_string(entries)); }

std::string JournalBeginLine(uint32_t index) { return Sealed("S " + std::to_string(index)); }

std::string JournalPlaceLine(uint32_t index, const PlacedFile& file) {
  return Sealed("S " + std::to_string(index) + " " + std::to_string(file.size) + " " + DigestText(file.digest));
}

std::string JournalGroupLine(const std::string& name, const std::string& owner) {
  return Sealed("G " + Counted(name) + " " + Counted(owner));
}

std::string JournalCommitLine() { return Sealed("C"); }

bool ReadJournal(const uint8_t* data, size_t size, Journal* journal, std::string* why, const AnsiForm& ansi) {
  *journal = Journal();
  if (size > kMaxJournalBytes) {
    *why = "it is larger than any journal the installer writes";
    return false;
  }
  JournalReader reader(journal, ansi);
  size_t at = 0;
  bool first = true;
  while (at < size) {
    size_t body = 0, next = 0;
    if (!SealedLine(data + at, size - at, &body, &next)) {
      // A line that never got its end is the last write of a process that
      // died; a broken line with more lines after it is damage.
      if (HasLineEnd(data + at, size - at)) {
        *why = "a line is damaged";
        return false;
      }
      break;
    }
    if (!reader.Line(data + at, body, first, why)) return false;
    first = false;
    at += next;
  }
  if (first) {
    *why = "it is empty";
    return false;
  }
  return reader.TextsInUtf8(why);
}
