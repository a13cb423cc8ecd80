#include "tools/monitoring/textfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "tools/swkvctl/failure.h"

namespace swkv::mon {

namespace {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, CloseFile>;

// A temporary file beside the target, under a name no collector takes (they read *.prom only),
// removed unless it was renamed.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
  ~TemporaryFile() {
    if (m_keep) return;
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return m_path; }
  void Keep() { m_keep = true; }

 private:
  std::string m_path;
  bool m_keep = false;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what, const std::string& why) {
  throw ctl::Failure(ctl::kExitFailed, "cannot write the metrics file " + path + ": " + what +
                                           ": " + why + " (the file was left as it was)");
}

}  // namespace

void WriteTextfile(const std::string& path, const std::string& text) {
  if (path.empty()) throw ctl::Failure(ctl::kExitUsage, "--textfile needs a file name");
  TemporaryFile temporary(path + ".tmp");
  {
    UniqueFile file(std::fopen(temporary.path().c_str(), "wb"));
    if (!file) Fail(path, "cannot create " + temporary.path(), std::strerror(errno));
    if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() ||
        std::fflush(file.get()) != 0)
      Fail(path, "writing " + temporary.path() + " failed", std::strerror(errno));
    if (std::fclose(file.release()) != 0)
      Fail(path, "writing " + temporary.path() + " failed", std::strerror(errno));
  }
  std::error_code error;
  std::filesystem::rename(temporary.path(), path, error);
  if (error) Fail(path, "cannot rename " + temporary.path() + " to it", error.message());
  temporary.Keep();
}

}  // namespace swkv::mon
