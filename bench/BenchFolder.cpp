#include "BenchFolder.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

namespace zephyl::bench {

namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zephyl-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

}  // namespace

const std::filesystem::path& BenchFolder() {
  // A function-local static: its destructor runs at exit, after the last benchmark.
  static const TempFolder folder;
  return folder.Path();
}

}  // namespace zephyl::bench
