#include "tools/package/signing.h"

#include <cstdlib>
#include <vector>

#include "tools/package/file_io.h"

#include "tools/package/scratch_folder.h"
#ifdef _WIN32
#include "common/win_handles.h"
#else
#include "tools/package/run_tool.h"
#endif

namespace package {
namespace fs = std::filesystem;
namespace {

// osslsigncode reads at most 4095 bytes of a password.
constexpr std::size_t kLongestPassword = 4000;
constexpr char kSystemAuthorities[] = "/etc/ssl/certs/ca-certificates.crt";

fs::path FromText(const std::string& text) {
  std::string native = text;
#ifndef _WIN32
  for (char& c : native) c = c == '\\' ? '/' : c;
#endif
  return fs::path(std::u8string(native.begin(), native.end()));
}

// A tool's words on one line: its lines joined, at most 600 characters.
std::string OneLine(const std::string& said) {
  std::string line;
  std::size_t start = 0;
  while (start <= said.size()) {
    std::size_t end = said.find('\n', start);
    std::string part = said.substr(start, end == std::string::npos ? std::string::npos : end - start);
    while (!part.empty() && (part.back() == '\r' || part.back() == ' ' || part.back() == '\t')) part.pop_back();
    if (!part.empty()) line += (line.empty() ? "" : "; ") + part;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (line.size() > 600) line = line.substr(0, 600) + " ...";
  return line.empty() ? "(it said nothing)" : line;
}

#ifdef _WIN32
// One argument of a command line as the C runtime splits it again.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  std::size_t slashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  return out + L"\"";
}

std::wstring Wide(const std::string& text) {
  std::u8string u8(text.begin(), text.end());
  return fs::path(u8).wstring();
}

// Runs `program` with `arguments`, its words into `said`; its exit code, or -1
// when it could not be run.
long RunProgram(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& folder,
                std::string& said) {
  std::wstring line = Quoted(program.wstring());
  for (const auto& a : arguments) line += L" " + Quoted(Wide(a));
  fs::path log = folder / "signtool.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  win::FileHandle output(CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output) return -1;
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  start.hStdOutput = output.get();
  start.hStdError = output.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &start,
                      &process)) {
    return -1;
  }
  win::FileHandle thread(process.hThread);
  win::FileHandle running(process.hProcess);
  output.reset();
  WaitForSingleObject(running.get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(running.get(), &code);
  Bytes words;
  ReadWholeFile(log, words);
  said.assign(words.begin(), words.end());
  return static_cast<long>(code);
}
#endif

}  // namespace

fs::path CertificatePath(const fs::path& descriptionPath, const SigningDescription& s) {
  std::error_code ec;
  return fs::absolute(descriptionPath, ec).parent_path() / FromText(s.certificate);
}

Signer::~Signer() {
#ifdef _WIN32
  std::error_code ec;
  if (!work_.empty()) fs::remove_all(work_, ec);
#endif
}

std::string Signer::Hidden(std::string text) const {
  if (!password_ || password_->empty()) return text;
  for (std::size_t at; (at = text.find(*password_)) != std::string::npos;) text.replace(at, password_->size(), "***");
  return text;
}

std::unique_ptr<Signer> Signer::Prepare(const fs::path& descriptionPath, const PackageDescription& d,
                                        const std::string& productName, std::string& error) {
  const SigningDescription& s = *d.signing;
  std::unique_ptr<Signer> signer(new Signer());
  std::error_code ec;
  signer->certificate_ = CertificatePath(descriptionPath, s);
  signer->where_ = PathText(descriptionPath) + ":" + std::to_string(s.certificateLine) + ": ";
  signer->timestampUrl_ = s.timestampUrl;
  signer->description_ = s.description.empty() ? productName : s.description;
  signer->url_ = s.url;
  Bytes certificate;
  if (!ReadWholeFile(signer->certificate_, certificate) || certificate.empty()) {
    error = signer->where_ + "cannot read the certificate " + PathText(signer->certificate_);
    return nullptr;
  }
  if (!s.passwordVariable.empty()) {
    std::string where = PathText(descriptionPath) + ":" + std::to_string(s.passwordLine) + ": ";
    const char* password = std::getenv(s.passwordVariable.c_str());
    if (password == nullptr) {
      error = where + "the environment variable " + s.passwordVariable +
              " (\"Password Variable\") is not set: it holds the certificate's password";
      return nullptr;
    }
    signer->password_ = password;
#ifndef _WIN32
    // The tools run from here (wixl, openssl, osslsigncode) need not see it.
    unsetenv(s.passwordVariable.c_str());
#endif
    if (signer->password_->size() > kLongestPassword) {
      error = where + "the password in " + s.passwordVariable + " is longer than 4000 bytes";
      return nullptr;
    }
  }
#ifdef _WIN32
  wchar_t found[MAX_PATH];
  if (SearchPathW(nullptr, L"signtool.exe", nullptr, MAX_PATH, found, nullptr) == 0) {
    error = signer->where_ + "signtool was not found on PATH: it signs the outputs on Windows (Windows SDK)";
    return nullptr;
  }
  signer->signtool_ = found;
  if (signer->password_) {
    error = PathText(descriptionPath) + ":" + std::to_string(s.passwordLine) + ": signtool takes a password only on "
            "its command line, where other programs can read it: sign on Linux, or with a certificate file without "
            "a password";
    return nullptr;
  }
  for (int attempt = 0; attempt < 16 && signer->work_.empty(); ++attempt) {
    fs::path candidate = fs::temp_directory_path(ec) / ("package-app-signing-" + std::to_string(GetCurrentProcessId()) +
                                                         "-" + std::to_string(GetTickCount64() + attempt));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) signer->work_ = candidate;
  }
  if (signer->work_.empty()) {
    error = PathText(fs::temp_directory_path(ec)) + ": cannot make a private folder to sign in";
    return nullptr;
  }
  return signer;
#else
  signer->folder_ = std::make_unique<ScratchFolder>();
  if (!signer->folder_->Make(fs::temp_directory_path(ec), "package-app-signing-")) {
    error = PathText(fs::temp_directory_path(ec)) + ": cannot make a private folder to sign in";
    return nullptr;
  }
  // The certificate's own chain, read with its password, verifies the
  // signatures it makes; the system's authorities complete a chain that
  // stops short of its root.
  std::string passwordOption = signer->password_ ? "file:/dev/fd/3" : "pass:";
  std::vector<std::string> read = {"openssl", "pkcs12", "-in", PathText(signer->certificate_), "-nokeys",
                                   "-passin", passwordOption, "-out", "own.pem"};
  ToolRun run = RunTool(*signer->folder_, read, signer->password_ ? &*signer->password_ : nullptr);
  if (run.started && !run.succeeded) {
    read.push_back("-legacy");  // RC2 and 3DES, as older tools export
    run = RunTool(*signer->folder_, read, signer->password_ ? &*signer->password_ : nullptr);
  }
  if (!run.started) {
    error = "openssl was not found on PATH: it reads the certificate's chain, which verifies the signatures "
            "(Debian package \"openssl\")";
    return nullptr;
  }
  if (!run.succeeded) {
    error = signer->where_ + "cannot open the certificate " + PathText(signer->certificate_) +
            " (a wrong password, or not a .pfx/.p12 file): " + signer->Hidden(OneLine(run.said));
    return nullptr;
  }
  Bytes own;
  Bytes system;
  ReadWholeFile(signer->folder_->path() / "own.pem", own);
  ReadWholeFile(kSystemAuthorities, system);
  own.insert(own.end(), system.begin(), system.end());
  signer->chain_ = signer->folder_->path() / "chain.pem";
  bool taken = false;
  if (!WriteNewFile(signer->chain_, own, taken)) {
    error = PathText(signer->folder_->path()) + ": cannot write in the private folder to sign in";
    return nullptr;
  }
  return signer;
#endif
}

bool Signer::Sign(const std::string& name, Bytes& bytes, std::string& error) {
#ifdef _WIN32
  const fs::path& folder = work_;
#else
  const fs::path& folder = folder_->path();
#endif
  std::string number = std::to_string(++count_);
  fs::path in = folder / (number + "-unsigned-" + name);
  fs::path out = folder / (number + "-" + name);
  bool taken = false;
  if (!WriteNewFile(in, bytes, taken)) {
    error = PathText(folder) + ": cannot write in the private folder to sign in";
    return false;
  }
  if (!SignFile(in, out, name, error)) return false;
  if (!ReadWholeFile(out, bytes)) {
    error = PathText(out) + ": cannot read the signed copy";
    return false;
  }
  return true;
}

bool Signer::SignFile(const fs::path& in, const fs::path& out, const std::string& name, std::string& error) {
#ifdef _WIN32
  // signtool signs in place: the copy to sign becomes `out` first.
  std::error_code ec;
  if (!fs::copy_file(in, out, ec)) {
    error = PathText(out) + ": cannot write in the private folder to sign in";
    return false;
  }
  std::vector<std::string> sign = {"sign", "/f", PathText(certificate_), "/fd", "SHA256", "/d", description_};
  if (!url_.empty()) sign.insert(sign.end(), {"/du", url_});
  if (!timestampUrl_.empty()) sign.insert(sign.end(), {"/tr", timestampUrl_, "/td", "SHA256"});
  sign.push_back(PathText(out));
  std::string said;
  long code = RunProgram(signtool_, sign, work_, said);
  if (code != 0) {
    error = where_ + "signtool could not sign " + name + " (" + (code < 0 ? "it did not start" : "exit code " +
            std::to_string(code)) + "; an unusable certificate or an unreachable timestamp server): " + OneLine(said);
    return false;
  }
  code = RunProgram(signtool_, {"verify", "/pa", PathText(out)}, work_, said);
  if (code != 0) {
    error = where_ + "the signature of " + name + " does not verify (exit code " + std::to_string(code) + "): " +
            OneLine(said);
    return false;
  }
  return true;
#else
  std::vector<std::string> sign = {"osslsigncode", "sign", "-pkcs12", PathText(certificate_)};
  if (password_) sign.insert(sign.end(), {"-readpass", "/dev/fd/3"});
  sign.insert(sign.end(), {"-h", "sha256", "-n", description_});
  if (!url_.empty()) sign.insert(sign.end(), {"-i", url_});
  if (!timestampUrl_.empty()) sign.insert(sign.end(), {"-t", timestampUrl_});
  sign.insert(sign.end(), {"-in", PathText(in), "-out", PathText(out)});
  ToolRun run = RunTool(*folder_, sign, password_ ? &*password_ : nullptr);
  if (!run.started) {
    error = "osslsigncode was not found on PATH: it signs the outputs (Debian package \"osslsigncode\")";
    return false;
  }
  if (!run.succeeded) {
    error = where_ + "osslsigncode could not sign " + name + " (" + run.how + "; a wrong password, an unusable "
            "certificate or an unreachable timestamp server): " + Hidden(OneLine(run.said));
    return false;
  }
  run = RunTool(*folder_, {"osslsigncode", "verify", "-in", PathText(out), "-CAfile", PathText(chain_)});
  if (!run.succeeded) {
    error = where_ + "the signature of " + name + " does not verify (" + run.how + "): " + Hidden(OneLine(run.said));
    return false;
  }
  return true;
#endif
}

}  // namespace package
