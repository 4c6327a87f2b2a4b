// setup.exe's manifest slot as bytes, and the slot found through a
// program's section table: a slot is read only in its one layout, and no
// header field leads the search outside the file.
#include "app/install/ManifestSlot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

ManifestSlot Filled() {
  ManifestSlot slot;
  slot.filled = true;
  slot.manifestSize = 0x1234;
  for (size_t i = 0; i < 32; ++i) slot.manifestDigest[i] = static_cast<uint8_t>(0xA0 + i);
  return slot;
}

bool Read(const std::string& bytes, ManifestSlot* slot, std::string* why) {
  EXPECT_EQ(bytes.size(), kManifestSlotSize);
  return ReadManifestSlot(reinterpret_cast<const uint8_t*>(bytes.data()), slot, why);
}

TEST(ManifestSlot, BothStatesReadBack) {
  const std::string empty = ManifestSlotBytes(ManifestSlot());
  EXPECT_EQ(empty, std::string("qvsetup-slot 1\0\0", 16) + std::string(48, '\0'));
  const std::string filled = ManifestSlotBytes(Filled());
  EXPECT_EQ(filled.substr(16, 16), std::string("\x01\0\0\0\0\0\0\0\x34\x12\0\0\0\0\0\0", 16));
  ManifestSlot slot;
  std::string why;
  ASSERT_TRUE(Read(empty, &slot, &why)) << why;
  EXPECT_FALSE(slot.filled);
  ASSERT_TRUE(Read(filled, &slot, &why)) << why;
  EXPECT_TRUE(slot.filled);
  EXPECT_EQ(slot.manifestSize, 0x1234u);
  EXPECT_EQ(slot.manifestDigest, Filled().manifestDigest);
}

TEST(ManifestSlot, RefusesEveryOtherLayout) {
  const std::string empty = ManifestSlotBytes(ManifestSlot()), filled = ManifestSlotBytes(Filled());
  auto at = [](std::string bytes, size_t offset, char value) {
    bytes[offset] = value;
    return bytes;
  };
  ManifestSlot huge = Filled();
  huge.manifestSize = uint64_t{1} << 40;
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"another marker", at(empty, 0, 'Q')},
      {"another layout", at(empty, 13, '2')},
      {"state 2", at(filled, 16, 2)},
      {"state with high bits", at(filled, 19, 1)},
      {"reserved word set", at(filled, 20, 1)},
      {"empty with a size", at(empty, 24, 1)},
      {"empty with a digest", at(empty, 63, 1)},
      {"a manifest past its bound", ManifestSlotBytes(huge)},
  };
  for (const auto& c : cases) {
    ManifestSlot slot;
    std::string why;
    EXPECT_FALSE(Read(c.bytes, &slot, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

// A program as the linker lays it out, reduced to what the search reads.
struct Program {
  std::vector<uint8_t> bytes;
  size_t peAt = 0x40;

  void Put32(size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  void Put16(size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
  }
  size_t Section(int index) const { return peAt + 4 + 20 + 0xE0 + 40 * index; }

  // Two sections: ".text" and ".qvslot", whose raw bytes lie at 0x400.
  Program() : bytes(0x600, 0) {
    bytes[0] = 'M';                      // DOS header: "MZ"
    bytes[1] = 'Z';
    Put32(0x3C, static_cast<uint32_t>(peAt));  // e_lfanew: where "PE\0\0" is
    std::memcpy(&bytes[peAt], "PE\0\0", 4);
    Put16(peAt + 4 + 2, 2);              // COFF: NumberOfSections
    Put16(peAt + 4 + 16, 0xE0);          // COFF: SizeOfOptionalHeader (PE32's)
    std::memcpy(&bytes[Section(0)], ".text\0\0\0", 8);
    Put32(Section(0) + 16, 0x200);       // SizeOfRawData
    Put32(Section(0) + 20, 0x200);       // PointerToRawData
    std::memcpy(&bytes[Section(1)], ".qvslot\0", 8);
    Put32(Section(1) + 16, 0x200);
    Put32(Section(1) + 20, 0x400);
    const std::string slot = ManifestSlotBytes(ManifestSlot());
    std::memcpy(&bytes[0x400], slot.data(), slot.size());
  }
};

bool Find(const Program& program, size_t* offset, std::string* why) {
  return FindManifestSlot(program.bytes.data(), program.bytes.size(), offset, why);
}

TEST(ManifestSlot, IsFoundThroughTheSectionTableAndNowhereElse) {
  size_t offset = 0;
  std::string why;
  ASSERT_TRUE(Find(Program(), &offset, &why)) << why;
  EXPECT_EQ(offset, 0x400u);

  const struct {
    const char* what;
    void (*change)(Program&);
  } cases[] = {
      {"no MZ", [](Program& p) { p.bytes[0] = 'X'; }},
      {"PE signature past the end", [](Program& p) { p.Put32(0x3C, 0xFFFFFFF0u); }},
      {"no PE signature", [](Program& p) { p.bytes[p.peAt] = 'X'; }},
      {"section count past the table", [](Program& p) { p.Put16(p.peAt + 6, 60); }},
      {"section count past the loader's", [](Program& p) { p.Put16(p.peAt + 6, 0xFFFF); }},
      {"optional header past the end", [](Program& p) { p.Put16(p.peAt + 20, 0xFFFF); }},
      {"slot's bytes past the end", [](Program& p) { p.Put32(p.Section(1) + 20, 0x5F0); }},
      {"slot's bytes far past the end", [](Program& p) { p.Put32(p.Section(1) + 20, 0xFFFFFFF0u); }},
      {"slot's section too small", [](Program& p) { p.Put32(p.Section(1) + 16, 63); }},
      {"no slot section", [](Program& p) { p.bytes[p.Section(1) + 3] = 'X'; }},
      {"two slot sections", [](Program& p) { std::memcpy(&p.bytes[p.Section(0)], ".qvslot\0", 8); }},
      {"cut short", [](Program& p) { p.bytes.resize(0x30); }},
  };
  for (const auto& c : cases) {
    Program program;
    c.change(program);
    EXPECT_FALSE(Find(program, &offset, &why)) << c.what;
  }
}

}  // namespace
