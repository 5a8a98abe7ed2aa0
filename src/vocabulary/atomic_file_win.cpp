#include <windows.h>

#include "vocabulary/atomic_file.h"
#include "vocabulary/win32_text_win.h"

namespace quillon {
namespace {

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
  return MoveFileExW(win32::widen(from).c_str(), win32::widen(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

std::optional<std::string> replace_file(const std::string& path, std::string_view bytes, RenameStep rename) {
  // A name of our own in the same folder: MoveFileEx must not cross volumes.
  const std::string temp_path = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  const std::wstring temp = win32::widen(temp_path);
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
