// The program's own path, the working folder, making folders, and splitting and joining paths.
#include "platform/sys_path.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

std::string sys_module_file_name() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return std::string();
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string sys_get_cwd() {
  std::vector<char> buf(4096);
  if (!getcwd(buf.data(), buf.size())) return std::string();
  return std::string(buf.data());
}

bool sys_chdir(const char* path) { return path && chdir(path) == 0; }

int sys_mkdir(const char* path) {
  if (!path) return EINVAL;
  return mkdir(path, 0777) == 0 ? 0 : errno;
}

void sys_split_path(const char* path, std::string* dir, std::string* name,
                    std::string* ext) {
  std::string p = path ? path : "";
  size_t slash = p.find_last_of('/');
  std::string d = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? p : p.substr(slash + 1);
  size_t dot = file.find_last_of('.');
  std::string n = dot == std::string::npos ? file : file.substr(0, dot);
  std::string e = dot == std::string::npos ? std::string() : file.substr(dot);
  if (dir) *dir = d;
  if (name) *name = n;
  if (ext) *ext = e;
}

std::string sys_join_path(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  size_t end = dir.size();
  while (end > 1 && dir[end - 1] == '/') --end;
  std::string d = dir.substr(0, end);
  size_t start = 0;
  while (start < name.size() && name[start] == '/') ++start;
  if (d == "/") return d + name.substr(start);
  return d + "/" + name.substr(start);
}
