// Runs a fuzz target over every file in the folders given, so that inputs once found by the
// fuzzer stay tested without clang. Names beginning with a dot (.gitkeep) are no inputs. A
// folder that is missing, or folders that hold no input at all, fail the run: a replay of
// nothing would pass without testing anything.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " FOLDER...\n";
    return 2;
  }
  std::size_t count = 0;
  bool missing = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::is_directory(argv[i])) {
      std::cerr << "No such folder: " << argv[i] << '\n';
      missing = true;
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      if (!entry.is_regular_file() || entry.path().filename().string().starts_with('.')) continue;
      std::ifstream file(entry.path(), std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++count;
    }
  }
  if (count == 0) {
    std::cerr << "No inputs to replay in";
    for (int i = 1; i < argc; ++i) std::cerr << ' ' << argv[i];
    std::cerr << '\n';
    return 1;
  }
  std::cout << "Replayed " << count << " inputs\n";
  return missing ? 1 : 0;
}
