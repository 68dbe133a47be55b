// Where vexlorin-cli takes the router password from. Never from the command line: other
// users of the machine can read a process's arguments.
#pragma once

#include <string>

namespace vexlorin::cli {

inline constexpr const char* PasswordVariable = "VEXLORIN_PASSWORD";

// The first line of the file, without its line break. ECliError when it cannot be read or
// is larger than any password file should be.
std::string ReadPasswordFile(const std::string& AFilename);

// In this order: the file when AFilename is not empty, VEXLORIN_PASSWORD when it is set
// (also when empty: an empty password is valid), a prompt without echo when standard input
// is a terminal. ECliError (usage) when there is no source.
std::string ObtainPassword(const std::string& AFilename, const std::string& APrompt);

} // namespace vexlorin::cli
