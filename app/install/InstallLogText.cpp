#include "app/install/InstallLogText.h"

#include <cstdio>

#include "app/install/InstallNames.h"
#include "app/install/InstallProgress.h"

namespace {

std::string Counted(uint64_t n, const char* one, const char* many) {
  return FormatCount(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string LogStartLine(const LogClock& c, uint32_t processId) {
  char text[80];
  std::snprintf(text, sizeof text, "---- %04d-%02d-%02d %02d:%02d:%02d process %u", c.year, c.month, c.day, c.hour,
                c.minute, c.second, static_cast<unsigned>(processId));
  return text;
}

std::string LogField(const char* key, const std::string& value) { return std::string(key) + ": " + value; }

std::string LogTargetText(TargetKind kind, const char* payloadFolder) {
  return std::string(TargetKindName(kind)) + " (" + payloadFolder + ")";
}

std::string LogTallyText(uint64_t files, uint64_t bytes) {
  return Counted(files, "file", "files") + ", " + Counted(bytes, "byte", "bytes");
}

std::string LogCopiedLine(const char* destination, uint64_t bytes) {
  return "copied: " + std::string(destination) + " (" + Counted(bytes, "byte", "bytes") + ")";
}

std::string LogUnchangedLine(const char* destination, uint64_t bytes) {
  return "unchanged: " + std::string(destination) + " (" + Counted(bytes, "byte", "bytes") + ", left in place)";
}

std::string LogErrorLine(const char* path, uint32_t code, const std::string& text) {
  std::string line = "error: ";
  if (path && path[0]) line += std::string(path) + ": ";
  line += text;
  if (code != 0) line += (text.empty() ? "(error " : " (error ") + std::to_string(code) + ")";
  return line;
}

std::string LogResultLine(bool installed, uint64_t files, uint64_t bytes, double seconds) {
  char time[48];
  std::snprintf(time, sizeof time, "%.2f seconds", seconds < 0 ? 0.0 : seconds);
  return std::string("result: ") + (installed ? "installed, " : "failed, ") + LogTallyText(files, bytes) + ", " +
         time;
}

std::string LogEscaped(const std::string& line) {
  std::string escaped;
  escaped.reserve(line.size());
  for (const char c : line) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) {
      char code[8];
      std::snprintf(code, sizeof code, "<%02X>", byte);
      escaped += code;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string OneLineMessage(const char* text) {
  std::string line;
  bool space = false;
  for (const char* p = text; *p; ++p) {
    const bool white = *p == ' ' || *p == '\t' || *p == '\r' || *p == '\n';
    if (white) {
      space = !line.empty();
      continue;
    }
    if (space) line += ' ';
    space = false;
    line += *p;
  }
  return line;
}

std::string LogTimingLine(const InstallTimes& times) {
  const auto seconds = [](double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", value);
    return std::string(text);
  };
  return "timing: checks " + seconds(times.checks) + "; copy: opening files " + seconds(times.copy.opening) +
         ", reading, comparing, hashing and writing " + seconds(times.copy.reading) + ", staging " +
         seconds(times.copy.staging) + ", placing " + seconds(times.copy.placing) + "; record " + seconds(times.record) +
         "; commit " + seconds(times.commit);
}
