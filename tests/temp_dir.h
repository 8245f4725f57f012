// A fresh directory for one test, removed with everything in it afterwards.
#ifndef SCRPACK_TESTS_TEMP_DIR_H_
#define SCRPACK_TESTS_TEMP_DIR_H_

#include <filesystem>
#include <string>

namespace scrpack {
namespace test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes |bytes| to |relative| below the directory, making parents.
  void write(const std::string& relative, const std::string& bytes) const;
  std::string read(const std::string& relative) const;
  bool exists(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_TEMP_DIR_H_
