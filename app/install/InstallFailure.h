// What ended an install: the path it concerns, the platform's error code
// and, where the platform's own words would not tell the cause (a name the
// installer refuses, a payload that changed, the space needed), a reason
// in the installer's words. Plain data, shared by the install core, its
// log, the window's message and the distribution checker.
#pragma once

#include <cstdint>
#include <string>

struct InstallFailure {
  std::string path;    // the file or folder concerned; may be empty
  uint32_t error = 0;  // the platform's error code; 0 when there is none
  std::string reason;  // the installer's own words; empty: the platform's text for error
  // A volume without room for the payload: the volume, and what the
  // install needs and what is free there; 0 otherwise.
  std::string volume;
  uint64_t bytesNeeded = 0;
  uint64_t bytesFree = 0;
  // A file of a signed distribution is not as it was signed: changed,
  // missing or added since. Nothing is installed from such a copy.
  bool distributionChanged = false;
  // A file in use: the program holding it, where the platform can tell.
  std::string holder;
};

inline InstallFailure MakeFailure(std::string path, uint32_t error, std::string reason = std::string()) {
  InstallFailure failure;
  failure.path = std::move(path);
  failure.error = error;
  failure.reason = std::move(reason);
  return failure;
}

// Sets *failure and returns false: the one way a step of the install core
// reports its failure.
inline bool Fail(InstallFailure* failure, std::string path, uint32_t error, std::string reason = std::string()) {
  *failure = MakeFailure(std::move(path), error, std::move(reason));
  return false;
}
