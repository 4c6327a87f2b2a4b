// Fuzz entry point of the install record's reader: the uninstaller and
// upgrades act on what it reads.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/install/InstallRecord.h"

namespace {

bool HighBytesLead(uint8_t byte) { return byte >= 0x81 && byte <= 0x9F; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InstallRecord record;
  std::string why;
  ReadRecord(data, size, &record, &why);
  if (ReadRecord(data, size, &record, &why, AnsiForm{HighBytesLead, nullptr})) {
    // A record read back is written again as the same bytes.
    const std::string text = RecordText(record);
    if (text.size() != size || text.compare(0, size, reinterpret_cast<const char*>(data), size) != 0) __builtin_trap();
  }
  return 0;
}
