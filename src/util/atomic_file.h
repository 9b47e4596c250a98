// Replacing a file as a whole. The bytes go to a temporary file beside the
// target ("<path>.tmp"), which is flushed to the disk before it is renamed
// over the target; the directory is flushed after the rename. A power cut or
// a failed write leaves the old file or the new one, never a part of either.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <string>

// Writes len bytes as the new contents of path, created with mode (the
// umask applies; an existing temporary file is narrowed to it, so 0600
// keeps a file readable by its owner only). On any failure logs one line,
// removes the temporary file, leaves the previous file as it was and
// answers false.
bool atomic_write_file(const std::string& path, const void* data, size_t len,
                       mode_t mode = 0644);
