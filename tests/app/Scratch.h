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
  bool Exists(const std::string& relative) const;
  bool IsFolder(const std::string& relative) const;
  std::string Get(const std::string& relative) const;
  // Every file and folder below relative, as sorted "a", "Sub/", "Sub/b".
  std::string Listing(const std::string& relative) const;

  std::string root;
};

// Runs a shell command on the Unix side of Wine and waits for it to finish.
// For what Windows calls cannot do, such as making a file immutable.
bool RunUnixShell(const std::string& command);

// The Unix path of a Windows path of the prefix.
std::string UnixPath(const std::string& windowsPath);
