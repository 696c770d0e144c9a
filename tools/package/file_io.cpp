#include "tools/package/file_io.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include "common/win_handles.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace package {
namespace fs = std::filesystem;
namespace {

enum class Creation { Written, Taken, NotMade, NotWritten };

#ifdef _WIN32
// CREATE_NEW fails on anything at the path; with FILE_FLAG_OPEN_REPARSE_POINT
// a link is that thing itself, even when what it names does not exist.
Creation CreateAndWrite(const fs::path& path, const Bytes& bytes) {
  win::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Creation::Taken : Creation::NotMade;
  }
  for (std::size_t done = 0; done < bytes.size();) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return Creation::NotWritten;
    }
    done += written;
  }
  return CloseHandle(file.release()) ? Creation::Written : Creation::NotWritten;
}
#else
// O_CREAT | O_EXCL fails on anything at the path, a link included, wherever
// it points.
Creation CreateAndWrite(const fs::path& path, const Bytes& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? Creation::Taken : Creation::NotMade;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<std::size_t>(written);
  }
  bool closed = close(fd) == 0;
  return closed && done == bytes.size() ? Creation::Written : Creation::NotWritten;
}
#endif

// "<target>.<16 random hex digits><suffix>", in the target's folder.
fs::path FreshName(const fs::path& target, const char* suffix) {
  static std::mt19937_64 random(std::random_device{}() ^
                                static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(random()));
  fs::path name = target;
  name += std::string(".") + digits + suffix;
  return name;
}

// A new file holding `bytes` beside `target`, under a fresh name.
bool MakeBeside(const fs::path& target, const char* suffix, const Bytes& bytes, fs::path& made) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path name = FreshName(target, suffix);
    bool taken = false;
    if (WriteNewFile(name, bytes, taken)) {
      made = name;
      return true;
    }
    if (!taken) return false;
  }
  return false;
}

}  // namespace

bool ReadWholeFile(const fs::path& path, Bytes& bytes) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteNewFile(const fs::path& path, const Bytes& bytes, bool& taken) {
  Creation result = CreateAndWrite(path, bytes);
  taken = result == Creation::Taken;
  if (result == Creation::NotWritten) {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
  return result == Creation::Written;
}

bool WriteFilesOrNone(const std::vector<std::pair<fs::path, Bytes>>& files, fs::path& failed) {
  struct Step {
    fs::path temporary;  // the new content, until it takes the target's place
    fs::path previous;   // where the target moves aside to: a name made ours by an empty file
    bool movedAside = false;
    bool placed = false;
  };
  std::vector<Step> steps(files.size());
  // Puts back every target as it was and removes every file made here.
  auto fail = [&](std::size_t index) {
    failed = files[index].first;
    for (std::size_t i = steps.size(); i-- > 0;) {
      const Step& s = steps[i];
      std::error_code ec;
      if (s.movedAside) {
        fs::rename(s.previous, files[i].first, ec);  // on failure the previous file stays beside it
      } else {
        if (s.placed) fs::remove(files[i].first, ec);
        if (!s.previous.empty()) fs::remove(s.previous, ec);
      }
      if (!s.placed && !s.temporary.empty()) fs::remove(s.temporary, ec);
    }
    return false;
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!MakeBeside(files[i].first, ".partial", files[i].second, steps[i].temporary)) return fail(i);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const fs::path& target = files[i].first;
    Step& s = steps[i];
    std::error_code ec;
    fs::file_status status = fs::symlink_status(target, ec);
    if (status.type() != fs::file_type::not_found) {
      // A write-protected target is not replaced (as Windows would not
      // replace it in place either).
      if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return fail(i);
      if (!MakeBeside(target, ".previous", {}, s.previous)) return fail(i);
      fs::rename(target, s.previous, ec);
      if (ec) return fail(i);
      s.movedAside = true;
    }
    fs::rename(s.temporary, target, ec);
    if (ec) return fail(i);
    s.placed = true;
  }
  for (const auto& s : steps) {
    std::error_code ignored;
    if (s.movedAside) fs::remove(s.previous, ignored);
  }
  return true;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  std::string x = PathText(fs::absolute(a, ec).lexically_normal());
  std::string y = PathText(fs::absolute(b, ec).lexically_normal());
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  bool same = x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [&](char p, char q) {
                return lower(p) == lower(q);
              });
  return same || fs::equivalent(a, b, ec);
}

std::string PathText(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

int Report(const char* tool, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
  return 2;
}

}  // namespace package
