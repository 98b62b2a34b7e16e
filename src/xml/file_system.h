// The file-system calls that whole-file load and save need beyond the C runtime. One source per
// platform (posix/, win32/) implements them; CMake links the one that fits the build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace xml_fs {

// Size of an open file, or -1 when the position query fails; the position is back at the start.
int64_t FileSize(std::FILE* file);

// Pushes the written bytes to the disk before the file takes the target's place.
bool FlushToDisk(std::FILE* file);

// 0 when the target is missing or may be written, else the error number that opening it would give.
int TargetWritable(const std::string& path);

// A name beside the target that no other process's save uses at the same time.
std::string TemporaryPathFor(const std::string& target);

// Opens a new file for binary writing; never opens (and so never truncates) one that exists.
std::FILE* CreateNewFile(const std::string& path);

// Gives the new file what the old one had that the replacement would otherwise drop.
void KeepAttributes(std::FILE* replacement, const std::string& target);

// Puts the complete replacement in the target's place; 0 or an error number.
int ReplaceTarget(const std::string& replacement, const std::string& target);

// Once the target holds a whole text again after ReplaceTarget failed: removes the copy of the old
// text that the failed replacement had to keep beside it.
void DiscardReplacedCopy(const std::string& replacement);

}  // namespace xml_fs
