#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace brimvel::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      root_ = std::filesystem::temp_directory_path() / ("brimvel-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(root_, error)) return;
    }
    ADD_FAILURE() << "cannot create a scratch directory";
  }
  ~ScratchDir() {
    std::error_code ignored;
    // Tests may leave read-only directories behind; make them removable first.
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_directory(ignored) && !it->is_symlink(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(root_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string Path(std::string_view name = {}) const {
    return name.empty() ? root_.string() : (root_ / name).string();
  }

  std::string Write(std::string_view name, std::string_view bytes) const {
    std::string path = Path(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
  }

  std::string Read(std::string_view name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  bool Exists(std::string_view name) const { return std::filesystem::exists(Path(name)); }

  std::string MakeDirectory(std::string_view name) const {
    std::filesystem::create_directories(Path(name));
    return Path(name);
  }

 private:
  std::filesystem::path root_;
};

}  // namespace brimvel::testing
