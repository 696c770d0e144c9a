#include "tests/support/double_record.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace testsupport {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "<name>[<i>]=" -> the index, or -1.
int IndexedValue(const std::string& line, const std::string& name, std::string& value) {
  if (!StartsWith(line, name + "[")) return -1;
  size_t close = line.find("]=", name.size());
  if (close == std::string::npos) return -1;
  value = line.substr(close + 2);
  return std::atoi(line.c_str() + name.size() + 1);
}

// Decodes UTF-8 with 3-byte surrogates (what the double writes) into UTF-16.
std::wstring DecodeWtf8(const std::string& bytes) {
  std::wstring out;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = bytes[i];
    char32_t cp;
    int length;
    if (c < 0x80) { cp = c; length = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; length = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; length = 3; }
    else { cp = c & 0x07; length = 4; }
    for (int k = 1; k < length && i + k < bytes.size(); ++k) cp = (cp << 6) | (bytes[i + k] & 0x3F);
    i += length;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<wchar_t>(cp);
    }
  }
  return out;
}

}  // namespace

std::string UnescapeNarrow(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring UnescapeWide(const std::string& text) { return DecodeWtf8(UnescapeNarrow(text)); }

std::optional<std::wstring> HexToUtf16(const std::string& hex) {
  if (hex == "null") return std::nullopt;
  std::wstring out;
  for (size_t i = 0; i + 4 <= hex.size(); i += 4) {
    int unit = 0;
    for (size_t k = 0; k < 4; ++k) unit = unit * 16 + HexDigit(hex[i + k]);
    out += static_cast<wchar_t>(unit);
  }
  return out;
}

const DoubleCall* DoubleRecord::Main() const {
  for (const DoubleCall& call : calls) {
    if (call.what == "main") return &call;
  }
  return nullptr;
}

std::vector<std::string> DoubleRecord::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (StartsWith(line, prefix)) found.push_back(line);
  }
  return found;
}

DoubleRecord ParseDoubleRecord(const std::string& text) {
  DoubleRecord record;
  record.exists = true;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    record.lines.push_back(line);
    std::string value;
    int index;
    if (StartsWith(line, "create version=")) {
      ++record.createCalls;
      record.version = static_cast<unsigned>(std::strtoul(line.c_str() + 15, nullptr, 16));
      record.ignoreUnrecognized = line.find("ignoreUnrecognized=1") != std::string::npos;
      size_t n = line.find("nOptions=");
      record.nOptions = n == std::string::npos ? -1 : std::atoi(line.c_str() + n + 9);
      record.options.clear();
    } else if ((index = IndexedValue(line, "option", value)) >= 0) {
      record.options.push_back(UnescapeNarrow(value));
    } else if (StartsWith(line, "hook ")) {
      record.exitHook = line.find("exit=1") != std::string::npos;
      record.abortHook = line.find("abort=1") != std::string::npos;
    } else if (StartsWith(line, "env ")) {
      std::string rest = line.substr(4);
      size_t equals = rest.find('=');
      if (equals == std::string::npos) {
        record.env[UnescapeWide(rest)] = std::nullopt;
      } else {
        record.env[UnescapeWide(rest.substr(0, equals))] = UnescapeWide(rest.substr(equals + 1));
      }
    } else if (StartsWith(line, "cwd=")) {
      record.cwd = UnescapeWide(line.substr(4));
    } else if (StartsWith(line, "classpath=")) {
      record.classPath = UnescapeNarrow(line.substr(10));
    } else if (StartsWith(line, "threadstack ")) {
      record.threadStack = std::atoll(line.c_str() + 12);
    } else if (StartsWith(line, "create-result ")) {
      record.createResult = std::atoi(line.c_str() + 14);
    } else if (StartsWith(line, "defaultargs version=")) {
      record.defaultArgsVersion = static_cast<unsigned>(std::strtoul(line.c_str() + 20, nullptr, 16));
      size_t r = line.find("result=");
      if (r != std::string::npos) record.defaultArgsResult = std::atoi(line.c_str() + r + 7);
    } else if (StartsWith(line, "findclass ")) {
      record.findClasses.push_back(UnescapeNarrow(line.substr(10)));
    } else if (StartsWith(line, "main ") || StartsWith(line, "secondaryMain ") || StartsWith(line, "launch ")) {
      std::istringstream words(line);
      DoubleCall call;
      words >> call.what >> call.className;
      if (call.what == "secondaryMain") words >> call.signature;
      std::string argc;
      words >> argc;
      call.nullArray = argc == "argc=null";
      record.calls.push_back(call);
    } else if ((index = IndexedValue(line, "arg", value)) >= 0) {
      if (!record.calls.empty()) {
        std::optional<std::wstring> arg = HexToUtf16(value);
        record.calls.back().args.push_back(arg.value_or(L""));
        record.calls.back().nullArgs.push_back(!arg.has_value());
      }
    } else if (StartsWith(line, "attach ")) {
      record.attaches.push_back(line.substr(7, line.rfind(" daemon=") - 7));
    } else if (StartsWith(line, "detach ")) {
      record.detaches.push_back(line.substr(7));
    } else if (StartsWith(line, "setOut ")) {
      record.setOut.push_back(UnescapeWide(line.substr(7)));
    } else if (StartsWith(line, "setErr ")) {
      record.setErr.push_back(UnescapeWide(line.substr(7)));
    } else if (StartsWith(line, "throw ")) {
      record.thrown.push_back(UnescapeWide(line.substr(6)));
    } else if (StartsWith(line, "describe ")) {
      record.described.push_back(UnescapeWide(line.substr(9)));
    } else if (StartsWith(line, "exit ")) {
      record.exitCode = std::atoi(line.c_str() + 5);
    } else if (StartsWith(line, "exit-hook ")) {
      record.exitHookCalled = true;
    } else if (line == "destroy") {
      record.destroyCalled = true;
    } else if (StartsWith(line, "destroy-done ")) {
      record.destroyResult = std::atoi(line.c_str() + 13);
    } else if (StartsWith(line, "unimplemented ")) {
      record.unimplemented.push_back(line.substr(14, line.find(' ', 14) - 14));
    } else if (StartsWith(line, "misuse ")) {
      record.misuse.push_back(line.substr(7));
    } else if (StartsWith(line, "jniwarning ")) {
      record.warnings.push_back(line.substr(11));
    }
  }
  return record;
}

DoubleRecord ReadDoubleRecord(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return {};
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return ParseDoubleRecord(text);
}

}  // namespace testsupport
