// What Windows makes of a program's Authenticode signature, read with its
// own means (WinVerifyTrust, the CryptoAPI message and chain calls): for
// the distribution checker. Nothing is shown; revocation is not checked
// (it needs the network).
#pragma once

#include <windows.h>

#include <string>

struct SignatureCheck {
  enum class State {
    kUnsigned,    // no signature at all
    kIntact,      // a signature that matches the file
    kChanged,     // a signature that no longer matches: the file changed after signing
    kUnreadable,  // a signature Windows cannot read or check (trust says why)
  };
  State state = State::kUnsigned;
  LONG trust = 0;                // WinVerifyTrust's answer
  std::string signer;            // the certificate's subject, as the prompts show it ("Kestrova")
  std::string subject;           // the whole subject ("CN=Kestrova, O=Kestrova, C=DE")
  std::string digest;            // "SHA-256", "SHA-1", or the algorithm's identifier
  FILETIME notAfter = {};        // the signing certificate's end
  bool timeStamped = false;      // an RFC 3161 time stamp or a countersignature
  bool timeKnown = false;        // the time stamp's time was read
  FILETIME stampedAt = {};
  std::string stampedBy;         // the time-stamp authority, as shown; empty when not read
  bool chainChecked = false;     // the chain was built
  bool rootUntrusted = false;    // the chain ends in a root this machine does not trust, or nowhere
  std::string root;              // the chain's root, as shown
};

// Checks the program at path (a long or plain wide path).
SignatureCheck CheckSignature(const std::wstring& path);

// Whether this process runs under Wine, whose trust list and policies are
// not a Windows machine's: what it says of trust cannot be taken for what
// users' Windows will say.
bool RunsUnderWine();

// "2026-12-08 09:30 UTC".
std::string ShownTime(const FILETIME& time);
