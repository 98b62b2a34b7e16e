#pragma once
// Where ComputerInfo.xml lives: the client software's profile directory, worked out afresh on
// every call from the "Install" value of its registry key, else from the current directory.
#include <string>

// Always ends in a backslash, so the file name can be appended directly. Never creates anything.
std::string GetProfileDirectory();

// The name of the device registry file inside the profile directory.
inline constexpr const char kRegistryFileName[] = "ComputerInfo.xml";
