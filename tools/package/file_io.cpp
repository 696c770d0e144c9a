#include "tools/package/file_io.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace package {

bool ReadWholeFile(const std::filesystem::path& path, Bytes& bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFilesOrNone(const std::vector<std::pair<std::filesystem::path, Bytes>>& files,
                      std::filesystem::path& failed) {
  std::vector<std::filesystem::path> written;
  auto discard = [&] {
    std::error_code ignored;
    for (const auto& temporary : written) std::filesystem::remove(temporary, ignored);
  };
  for (const auto& [target, bytes] : files) {
    std::filesystem::path temporary = target;
    temporary += ".partial";
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
      failed = target;
      discard();
      return false;
    }
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) written.push_back(temporary);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (!out) {
      failed = target;
      discard();
      return false;
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::error_code ec;
    std::filesystem::rename(written[i], files[i].first, ec);
    if (ec) {
      failed = files[i].first;
      discard();
      return false;
    }
  }
  return true;
}

std::string PathText(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

int Report(const char* tool, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
  return 2;
}

}  // namespace package
