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

// Moves a file that cannot be used aside to bad (replacing an older one
// there), so that nothing written later destroys what it held, and narrows
// bad to mode. False, with the reason in *why, when it cannot be moved; true
// with *why set when it was moved but could not be narrowed.
bool file_keep_aside(const std::string& path, const std::string& bad, mode_t mode, std::string* why);
