// The signed distribution's list of files as bytes, and the payload
// compared with it: what make-dist writes reads back, nothing malformed,
// aimed outside "install files" or beyond its bounds is taken, and every
// way a payload can differ from the list is told.
#include "app/install/DistributionManifest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kDigestA[] = "2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824";

bool Read(const std::string& bytes, DistributionManifest* manifest, std::string* why) {
  return ReadManifest(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), manifest, why);
}

std::string File(const std::string& path, uint64_t size = 5) {
  return "file " + std::to_string(size) + " " + kDigestA + " " + std::to_string(path.size()) + ":" + path + "\n";
}
std::string Folder(const std::string& path) { return "folder " + std::to_string(path.size()) + ":" + path + "\n"; }

// A list of lines, framed as make-dist frames them.
std::string Framed(const std::string& lines, int count) {
  return "qvsetup-manifest 1\n" + lines + "end " + std::to_string(count) + "\n";
}

const std::string kSample = Framed(File("product.txt", 30) + Folder("AE Files") + File("AE Files\\Lumen.aex", 196608) +
                                       Folder("AE Files\\Presets") + File("AE Files\\Presets\\Neon Rain.ffx", 0) +
                                       File("AE Files\\Presets\\Lumi\xC3\xA8re.ffx", 12),
                                   6);

TEST(DistributionManifest, WhatMakeDistWritesReadsBackTheSame) {
  DistributionManifest manifest;
  std::string why;
  ASSERT_TRUE(Read(kSample, &manifest, &why)) << why;
  ASSERT_EQ(manifest.entries.size(), 6u);
  EXPECT_EQ(manifest.entries[2].path, "AE Files\\Lumen.aex");
  EXPECT_EQ(manifest.entries[2].size, 196608u);
  EXPECT_EQ(DigestText(manifest.entries[2].digest), kDigestA);
  EXPECT_TRUE(manifest.entries[1].isFolder);
  EXPECT_EQ(ManifestText(manifest), kSample);
  EXPECT_NE(manifest.Find("AE Files\\Presets\\Lumi\xC3\xA8re.ffx"), nullptr);
  EXPECT_EQ(manifest.Find("ae files\\lumen.aex"), nullptr) << "Find compares exactly";
  ASSERT_TRUE(Read(Framed("", 0), &manifest, &why)) << "an empty list is a list";
}

// Each case is the sample with one thing wrong; none is taken.
TEST(DistributionManifest, RefusesWhatIsMalformedOrAimedOutside) {
  const std::string product = File("product.txt", 30);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"cut short", kSample.substr(0, kSample.size() - 1)},
      {"cut inside a line", kSample.substr(0, 60)},
      {"another magic", "qvsetup-manifest 2\nend 0\n"},
      {"magic with more", "qvsetup-manifest 1 \nend 0\n"},
      {"count too low", Framed(product, 0)},
      {"count too high", Framed(product, 2)},
      {"bytes after the end", Framed(product, 1) + "x"},
      {"carriage returns", "qvsetup-manifest 1\r\n" + product + "end 1\r\n"},
      {"unknown kind", Framed("link 3:abc\n", 1)},
      {"digest upper case", Framed("file 5 2CF24DBA5FB0A30E26E83B2AC5B9E29E1B161E5C1FA7425E73043362938B9824 1:a\n", 1)},
      {"digest short", Framed("file 5 2cf24dba 1:a\n", 1)},
      {"size past 1 TiB", Framed(File("a", (uint64_t{1} << 40) + 1), 1)},
      {"size past 64 bits", Framed("file 99999999999999999999 " + std::string(kDigestA) + " 1:a\n", 1)},
      {"negative size", Framed("file -5 " + std::string(kDigestA) + " 1:a\n", 1)},
      {"length longer than the line", Framed("folder 9:abc\n", 1)},
      {"length shorter than the line", Framed("folder 2:abc\n", 1)},
      {"two spaces", Framed("file 5  " + std::string(kDigestA) + " 1:a\n", 1)},
      {"size with a leading zero", Framed("file 05 " + std::string(kDigestA) + " 1:a\n", 1)},
      {"length with a leading zero", Framed("folder 01:a\n", 1)},
      {"count with a leading zero", Framed(File("a"), 1).replace(Framed(File("a"), 1).size() - 2, 1, "01")},
      {"parent", Framed(File(".."), 1)},
      {"climbs out", Framed(Folder("A") + File("A\\..\\..\\x.dll"), 2)},
      {"dot folder", Framed(Folder("A") + File("A\\.\\x"), 2)},
      {"absolute", Framed(File("C:\\Windows\\x.dll"), 1)},
      {"leading backslash", Framed(File("\\x.dll"), 1)},
      {"share", Framed(File("\\\\server\\share\\x"), 1)},
      {"slash", Framed(Folder("A") + File("A/x"), 2)},
      {"stream", Framed(File("x.dll:hidden"), 1)},
      {"device", Framed(File("NUL.txt"), 1)},
      {"trailing dot", Framed(File("eula.txt."), 1)},
      {"control character", Framed(File("a\tb"), 1)},
      {"empty name", Framed(Folder("A") + File("A\\\\b"), 2)},
      {"not UTF-8", Framed(File("Lumi\xE8re.ffx"), 1)},
      {"overlong UTF-8", Framed(File("\xC0\xAE\xC0\xAE"), 1)},
      {"folder not listed", Framed(File("AE Files\\Lumen.aex"), 1)},
      {"folder listed after", Framed(File("A\\b") + Folder("A"), 2)},
      {"parent is a file", Framed(File("A") + File("A\\b"), 2)},
      {"twice", Framed(product + product, 2)},
      {"twice, other case", Framed(Folder("A") + Folder("a"), 2)},
      {"path of 260 units", Framed(File(std::string(260, 'x')), 1)},
  };
  for (const Case& c : cases) {
    DistributionManifest manifest;
    std::string why;
    EXPECT_FALSE(Read(c.bytes, &manifest, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
  // At the bounds: a path of 259 units (and 777 bytes of UTF-8) is taken.
  DistributionManifest manifest;
  std::string why, widest;
  for (int i = 0; i < 259; ++i) widest += "\xE3\x81\x82";
  EXPECT_TRUE(Read(Framed(File(std::string(259, 'x')), 1), &manifest, &why)) << why;
  EXPECT_TRUE(Read(Framed(File(widest), 1), &manifest, &why)) << why;
}

// The sample, read once: the expected entries point into it.
const DistributionManifest& Sample() {
  static const DistributionManifest manifest = [] {
    DistributionManifest read;
    std::string why;
    EXPECT_TRUE(Read(kSample, &read, &why)) << why;
    return read;
  }();
  return manifest;
}

std::vector<ManifestChange> Compare(const std::string& payload, const std::vector<WalkedEntry>& walked,
                                    std::vector<const ManifestEntry*>* expected) {
  return ComparePayload(Sample(), payload, walked, expected);
}

const std::vector<WalkedEntry> kWalked = {{"Lumen.aex", false, 196608},
                                          {"Presets", true, 0},
                                          {"Presets\\Neon Rain.ffx", false, 0},
                                          {"Presets\\Lumi\xC3\xA8re.ffx", false, 12}};

TEST(DistributionManifest, APayloadAsSignedHasNoChangesAndEveryFileItsDigest) {
  std::vector<const ManifestEntry*> expected;
  EXPECT_TRUE(Compare("AE Files", kWalked, &expected).empty());
  ASSERT_EQ(expected.size(), kWalked.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_NE(expected[i], nullptr) << i;
    EXPECT_EQ(expected[i]->path, "AE Files\\" + kWalked[i].path);
  }
}

TEST(DistributionManifest, EveryDifferenceFromTheListIsTold) {
  struct Case {
    const char* what;
    std::string payload;
    std::vector<WalkedEntry> walked;
    std::vector<std::string> told;  // kind letter and path of each change, in order
  };
  auto with = [](std::vector<WalkedEntry> walked, size_t index, WalkedEntry entry) {
    walked[index] = entry;
    return walked;
  };
  auto without = [](std::vector<WalkedEntry> walked, size_t index) {
    walked.erase(walked.begin() + index);
    return walked;
  };
  auto plus = [](std::vector<WalkedEntry> walked, WalkedEntry entry) {
    walked.push_back(entry);
    return walked;
  };
  const Case cases[] = {
      {"a file grew", "AE Files", with(kWalked, 0, {"Lumen.aex", false, 196609}), {"C AE Files\\Lumen.aex"}},
      {"a file removed", "AE Files", without(kWalked, 2), {"M AE Files\\Presets\\Neon Rain.ffx"}},
      {"a DLL planted", "AE Files", plus(kWalked, {"version.dll", false, 4096}), {"A AE Files\\version.dll"}},
      {"a folder added", "AE Files", plus(kWalked, {"Extra", true, 0}), {"A AE Files\\Extra"}},
      {"a file made a folder", "AE Files", with(kWalked, 0, {"Lumen.aex", true, 0}), {"C AE Files\\Lumen.aex"}},
      {"renamed in another case", "AE Files", with(kWalked, 0, {"LUMEN.AEX", false, 196608}),
       {"A AE Files\\LUMEN.AEX", "M AE Files\\Lumen.aex"}},
      {"another payload folder", "PS Files", {{"Evil.8bf", false, 10}},
       {"A PS Files\\Evil.8bf", "M AE Files", "M AE Files\\Lumen.aex", "M AE Files\\Presets",
        "M AE Files\\Presets\\Neon Rain.ffx", "M AE Files\\Presets\\Lumi\xC3\xA8re.ffx"}},
  };
  for (const Case& c : cases) {
    std::vector<const ManifestEntry*> expected;
    std::vector<std::string> told;
    for (const ManifestChange& change : Compare(c.payload, c.walked, &expected))
      told.push_back(std::string(1, "CMA"[change.kind]) + " " + change.path);
    EXPECT_EQ(told, c.told) << c.what;
  }
  std::vector<const ManifestEntry*> expected;
  const std::vector<ManifestChange> grew = Compare("AE Files", with(kWalked, 0, {"Lumen.aex", false, 196609}), &expected);
  ASSERT_EQ(grew.size(), 1u);
  EXPECT_EQ(ManifestChangeText(grew[0]),
            "\"AE Files\\Lumen.aex\" was changed after the distribution was signed (196,609 bytes where 196,608 were "
            "signed)");
  EXPECT_EQ(expected[0], nullptr) << "no digest is expected of a file already refused";
}

}  // namespace
