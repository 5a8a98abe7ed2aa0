#include <windows.h>

#include "vocabulary/atomic_file.h"

namespace quillon {
namespace {

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

std::string last_error() {
  const DWORD code = GetLastError();
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                 sizeof text, nullptr);
  std::string out = n > 0 ? std::string(text, n) : "error " + std::to_string(code);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

bool system_rename(const std::string& from, const std::string& to) {
  return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

std::optional<std::string> replace_file(const std::string& path, std::string_view bytes, RenameStep rename) {
  // A name of our own in the same folder: MoveFileEx must not cross volumes.
  const std::string temp_path = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  const std::wstring temp = wide(temp_path);
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return last_error();

  std::string error;
  while (error.empty() && !bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
      error = last_error();
    } else {
      bytes.remove_prefix(written);
    }
  }
  if (error.empty() && !FlushFileBuffers(file)) error = last_error();
  CloseHandle(file);
  if (error.empty()) {
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetLastError(ERROR_SUCCESS);
    if (!(rename ? rename : system_rename)(temp_path, path)) error = last_error();
  }
  if (!error.empty()) {
    DeleteFileW(temp.c_str());
    return error;
  }
  return std::nullopt;
}

}  // namespace quillon
