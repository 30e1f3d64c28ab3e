#pragma once
// The few operating-system calls of the tests themselves, one implementation
// per system (host_posix.cpp, host_win32.cpp), picked when they are linked.
#include <string>

namespace host {

// A new empty directory under the system's temporary directory.
std::string makeTemporaryDirectory();
// Sets an environment variable; nullptr removes it.
void setEnvironment(const char* name, const char* value);
// Makes `base` the directory in which the player directory is made.
void setPlayerBase(const std::string& base);
// The player directory's own name inside that base.
const char* playerFolder();
// The variable naming the temporary directory, and a directory in memory.
const char* tempVariable();
const char* memoryDirectory();
// Whether this is a POSIX system: access modes, XDG directories.
bool posix();

// Runs body in another process that dies at its end without any clean-up, as
// a killed one would, and waits for it. The test calling this must first call
// childPart with the same body: in the child process it runs body there.
bool runDyingChild(const char* testName, void (*body)());
void childPart(void (*body)());

}  // namespace host
