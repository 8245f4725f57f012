#include "tests/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace scrpack {
namespace test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto stamp =
      std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    const std::string name = "scrpack-test-" + std::to_string(random()) + "-" +
                             std::to_string(stamp) + "-" +
                             std::to_string(counter++);
    path_ = fs::temp_directory_path() / name;
    std::error_code error;
    if (fs::create_directory(path_, error)) break;
  }
}

TempDir::~TempDir() {
  std::error_code error;
  // Tests may leave read-only parts behind; make them removable.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                    error);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

void TempDir::write(const std::string& relative,
                    const std::string& bytes) const {
  const fs::path target = path_ / relative;
  fs::create_directories(target.parent_path());
  writeFile(target, bytes);
}

std::string TempDir::read(const std::string& relative) const {
  return readFile(path_ / relative);
}

bool TempDir::exists(const std::string& relative) const {
  std::error_code error;
  return fs::exists(path_ / relative, error);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace test
}  // namespace scrpack
