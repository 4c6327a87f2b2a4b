// The program that holds a file open, where the platform can tell: the
// Restart Manager's list of the processes using it. Asked only after an
// install failed on a file in use, so that the message can name the
// program to close.
#pragma once

#include <string>

struct InstallFailure;

// The name of a program that has path open ("" when none is known: no
// Restart Manager, as under Wine, or no program found, or a name the code
// page cannot spell).
std::string ProgramHolding(const std::string& path);

// Fills failure->holder for a failure of a file in use (a sharing or lock
// violation) whose holder the platform can tell; otherwise leaves it.
void NameHolder(InstallFailure* failure);
