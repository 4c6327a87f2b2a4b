// A scratch folder for file tests under the prefix's temporary folder, made
// fresh for each test and removed after it, with small helpers to lay out
// and read back files. Removal goes through std::filesystem, not through the
// code under test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

class ScratchTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // root + "\" + relative, as an ANSI path.
  std::string Path(const std::string& relative) const;
  void Put(const std::string& relative, const std::string& content);
  void MakeFolder(const std::string& relative);
  // A file made from the Unix side, for names that Windows calls would
  // take for something else: devices ("nul.txt"), trailing dots, reserved
  // characters, or a second name that differs only in case. The last
  // component is taken as it is; content is plain text without quotes.
  void PutUnix(const std::string& relative, const std::string& content);
  bool Exists(const std::string& relative) const;
  bool IsFolder(const std::string& relative) const;
  std::string Get(const std::string& relative) const;
  // Every file and folder below relative, as sorted "a", "Sub/", "Sub/b".
  std::string Listing(const std::string& relative) const;
  // Every file and folder below relative with what an install must put
  // back as it was: a file's bytes and its creation and last-write times,
  // one line each, sorted. Two snapshots are equal when nothing changed.
  std::string TreeSnapshot(const std::string& relative) const;

  std::string root;

private:
  bool madeUnixNames = false;
};

// Runs a shell command on the Unix side of Wine and waits for it to finish.
// For what Windows calls cannot do, such as making a file immutable.
bool RunUnixShell(const std::string& command);

// The Unix path of a Windows path of the prefix.
std::string UnixPath(const std::string& windowsPath);

// A small volume of its own for a test: a tmpfs of the given size mounted
// on a Unix folder and given a Wine drive letter, so that a test can fill
// a disk. Needs root (as CI runs). Each test program takes a letter of its
// own, as tests of several programs run at once.
class SmallVolume {
public:
  SmallVolume(char letter, int megabytes);
  // Unmounts it and takes the letter away.
  ~SmallVolume();
  SmallVolume(const SmallVolume&) = delete;
  SmallVolume& operator=(const SmallVolume&) = delete;

  bool Ready() const { return ready; }
  // "Q:\" + relative.
  std::string Path(const std::string& relative = "") const;

private:
  char letter;
  std::string mountPoint;  // Unix
  std::string link;        // the prefix's dosdevices entry
  void* letterLock = nullptr;  // owned: the letter's mutex, held while mounted
  bool ready = false;
};
