#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace zephyl {

inline constexpr const char* kOpenAction = "Cannot open";
inline constexpr const char* kReadAction = "Cannot read";
inline constexpr const char* kWriteAction = "Cannot write";

// A file operation that failed. The message names the file and the reason:
// Cannot open "x.zpf": No such file or directory
class FileError : public std::runtime_error {
 public:
  FileError(const std::filesystem::path& path, const std::string& action, const std::string& reason,
            int code = 0)
      : std::runtime_error(action + " \"" + path.string() + "\": " + reason),
        m_path(path),
        m_code(code) {}

  // With the reason taken from errno.
  static FileError FromErrno(const std::filesystem::path& path, const std::string& action);

  const std::filesystem::path& Path() const { return m_path; }
  // The errno value behind the failure; 0 for a reason of our own.
  int Code() const { return m_code; }

 private:
  std::filesystem::path m_path;
  int m_code = 0;
};

}  // namespace zephyl
