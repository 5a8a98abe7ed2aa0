#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vocabulary/atomic_file.h"

namespace quillon {
namespace {

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool system_rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::optional<std::string> replace_file(const std::string& path, std::string_view bytes, RenameStep rename) {
  // Hidden name, same folder: the rename must not cross file systems.
  const std::string folder = folder_of(path);
  const std::size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  std::vector<char> temp(folder.begin(), folder.end());
  const std::string suffix = "/." + name + ".XXXXXX";
  temp.insert(temp.end(), suffix.begin(), suffix.end());
  temp.push_back('\0');
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return std::string(std::strerror(errno));
  const std::string temp_path(temp.data());

  // mkostemp makes the file private; give it the old file's mode, or the usual one.
  struct stat old {};
  mode_t mode = 0666;
  if (::stat(path.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }

  std::string error;
  if (::fchmod(fd, mode) != 0 || !write_all(fd, bytes) || ::fsync(fd) != 0) error = std::strerror(errno);
  if (::close(fd) != 0 && error.empty()) error = std::strerror(errno);
  errno = 0;
  if (error.empty() && !(rename ? rename : system_rename)(temp_path, path)) {
    error = errno != 0 ? std::strerror(errno) : "rename failed";
  }
  if (!error.empty()) {
    ::unlink(temp_path.c_str());
    return error;
  }
  // Make the rename itself durable.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

}  // namespace quillon
