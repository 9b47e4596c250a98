// Paths: the program's own file, the working folder, folder creation and
// splitting a path into its folder and file parts.
#pragma once
#include <string>

// The full path of the running program; empty when it cannot be found.
std::string sys_module_file_name();
// The working folder; empty on failure.
std::string sys_get_cwd();
// True when the working folder was changed.
bool sys_chdir(const char* path);
// 0 when the folder was made, else the errno value (EEXIST when it exists).
int sys_mkdir(const char* path);

// Splits "dir/name.ext" into "dir/" (separator kept), "name" and ".ext".
// There are no drive letters on this platform.
void sys_split_path(const char* path, std::string* dir, std::string* name,
                    std::string* ext);

// Joins a folder and a file name with exactly one separator between them.
std::string sys_join_path(const std::string& dir, const std::string& name);
