#pragma once
// Starting other programs: the help viewer, and xdg-open for the links.

#include <QString>

#include <cstdint>

namespace bmi {

// Starts program with argument as its only argument, in directory (ours when empty), and
// does not wait for it: in a session of its own, with default signal handling, an empty
// signal mask and only the standard three descriptors; it is reaped when it ends. Returns
// 0, or the errno of the failure: ENOENT when the program, its interpreter or the
// directory is missing, EINVAL for a text no argument can carry.
int startProgram(const QString& program, const QString& argument, const QString& directory);

// Opens address with xdg-open, started in directory, and waits a moment for its verdict.
// Returns the outcome in the shell's numbering: above 32 means started.
std::int32_t openAddress(const QString& address, const QString& directory);

} // namespace bmi
