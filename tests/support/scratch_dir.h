#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

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
    // Tests may leave read-only entries behind; make them removable first
    // (some systems refuse to delete a read-only file).
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_symlink(ignored)) continue;
      std::filesystem::permissions(it->path(),
                                   it->is_directory(ignored) ? std::filesystem::perms::owner_all
                                                             : std::filesystem::perms::owner_write,
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

// Probes for tests of denied access: permission bits do not keep out a
// privileged process, nor do they mean the same on every system, so such a
// test first asks whether the process gets through anyway, and skips if so.
inline bool CanCreateIn(const std::string& directory) {
  const std::filesystem::path probe = std::filesystem::path(directory) / ".brimvel-probe";
  bool created = std::ofstream(probe, std::ios::binary).is_open();
  std::error_code ignored;
  std::filesystem::remove(probe, ignored);
  return created;
}

inline bool CanWrite(const std::string& file) {
  return std::ofstream(file, std::ios::binary | std::ios::app).is_open();
}

inline bool CanList(const std::string& directory) {
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  return !error;
}

}  // namespace brimvel::testing
