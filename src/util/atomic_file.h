// Replacing a file as a whole. The bytes go to a temporary file of this
// write's own beside the target, created exclusively under a name no other
// writer uses, flushed to the disk and renamed over the target; the directory
// is flushed after the rename. A power cut or a failed write leaves the old
// file or the new one, never a part of either, and any number of writers
// (threads or processes) may replace one file at once: a reader always sees
// one whole version.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// Writes len bytes as the new contents of path, created with mode (the
// umask applies). The temporary file is named
// ".<name>.<pid>.<16 hex digits>.twpart" (the name cut short when it would be
// too long for the file system); only files of that pattern are ever
// removed: after a successful write, those of the same target whose writer
// process is gone and that no writer holds are crash leftovers and are
// deleted. No other file beside the target (say "<name>.tmp") is touched.
// On any failure logs one line, removes its temporary file, leaves the
// previous file as it was and answers false.
bool atomic_write_file(const std::string& path, const void* data, size_t len,
                       mode_t mode = 0644);

// Flushes the folder that holds path, so that a rename into it is on the
// disk. False, with errno set, when it cannot be flushed.
bool file_sync_dir(const std::string& path);

// Whether name still refers to the file open at fd: neither unlinked nor
// replaced by another file of that name. A lock taken on a file that others
// may remove or create anew holds only while this is true.
bool file_still_named(int fd, const std::string& name);

// How a file that cannot be used is kept: moved away from its name, or
// linked, so that it also stays at its name until the caller puts another
// file there (anything but a folder).
enum class KeepAside { Move, Link };

// Keeps a file that cannot be used, so that nothing written later destroys
// what it held, under the first of "<path>.bad", "<path>.bad.1", ... that is
// free for it and for each of its companions (path + each of with, such as
// a database's journal), which are moved beside it when they exist. No file
// is ever replaced: every file kept before stays. What is kept is narrowed
// to mode when it is a regular file. Answers the name it was kept as; empty,
// with the reason in *why, when it could not be kept (then nothing of it was
// moved). *why also tells a kept file that could not be narrowed.
std::string file_keep_aside(const std::string& path, mode_t mode, KeepAside how,
                            const std::vector<std::string>& with, std::string* why);
