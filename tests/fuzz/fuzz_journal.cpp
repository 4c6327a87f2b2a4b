// Fuzz entry point of the install journal's reader: a journal lies where
// only administrators write, but the reader trusts none of it all the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/install/InstallJournal.h"

namespace {

bool HighBytesLead(uint8_t byte) { return byte >= 0x81 && byte <= 0x9F; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Journal journal;
  std::string why;
  // Both ways a code page reads names.
  ReadJournal(data, size, &journal, &why);
  if (ReadJournal(data, size, &journal, &why, AnsiForm{HighBytesLead, nullptr})) {
    // What is read back is what the writer would write for it.
    for (const JournalEntry& entry : journal.plan)
      if (JournalPlanLine(entry).empty()) __builtin_trap();
  }
  return 0;
}
