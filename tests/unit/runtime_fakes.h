// In-memory stand-ins for the file system and a registry view, for the tests
// of the runtime search rules.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/runtime_rules.h"

namespace runtimetest {

class FakeFiles : public runtime::FileProbe {
 public:
  FakeFiles() = default;
  FakeFiles(std::initializer_list<std::wstring> paths) : paths_(paths) {}
  void Add(const std::wstring& path) { paths_.insert(path); }
  // The path exists for its first `times` probes only (a file removed while
  // the search runs).
  void AddVanishing(const std::wstring& path, int times) { vanishing_[path] = times; }
  bool Exists(const std::wstring& path) const override {
    probes_.push_back(path);
    auto it = vanishing_.find(path);
    if (it != vanishing_.end()) return it->second-- > 0;
    return paths_.count(path) != 0;
  }
  const std::vector<std::wstring>& probes() const { return probes_; }
  void ClearProbes() { probes_.clear(); }
  // A file with contents (it exists too).
  void AddFile(const std::wstring& path, const std::string& contents) {
    paths_.insert(path);
    contents_[path] = contents;
  }
  // `name` as a folder directly inside `folder` (which ends in a backslash).
  void AddFolder(const std::wstring& folder, const std::wstring& name) { folders_[folder].push_back(name); }
  std::vector<std::wstring> SubfolderNames(const std::wstring& folder) const override {
    auto it = folders_.find(folder);
    return it == folders_.end() ? std::vector<std::wstring>{} : it->second;
  }
  std::string ReadStart(const std::wstring& path, std::size_t limit) const override {
    auto it = contents_.find(path);
    return it == contents_.end() ? std::string() : it->second.substr(0, limit);
  }
  // A library whose PE header names `machine` (it exists too).
  void AddLibrary(const std::wstring& path, std::uint16_t machine) {
    paths_.insert(path);
    machines_[path] = machine;
  }
  std::optional<std::uint16_t> LibraryMachine(const std::wstring& path) const override {
    auto it = machines_.find(path);
    return it == machines_.end() ? std::nullopt : std::optional<std::uint16_t>(it->second);
  }

 private:
  std::map<std::wstring, std::string> contents_;
  std::map<std::wstring, std::uint16_t> machines_;
  std::map<std::wstring, std::vector<std::wstring>> folders_;
  std::set<std::wstring> paths_;
  mutable std::map<std::wstring, int> vanishing_;
  mutable std::vector<std::wstring> probes_;
};

class FakeRegistry : public runtime::RegistryReader {
 public:
  // Adds the subkey `name` under `keyPath` with a "JavaHome" value (none: the
  // key has no such value).
  void Register(const std::wstring& keyPath, const std::wstring& name, std::optional<std::wstring> javaHome) {
    subkeys_[keyPath].push_back(name);
    if (javaHome) values_[keyPath + name] = *javaHome;
  }
  std::vector<std::wstring> SubkeyNames(const std::wstring& keyPath) override {
    ++calls;
    listed.push_back(keyPath);
    auto it = subkeys_.find(keyPath);
    return it == subkeys_.end() ? std::vector<std::wstring>{} : it->second;
  }
  // Adds the subkey `name` under `keyPath` and the string value `valueName`
  // of `keyPath` + `name` + `below`.
  void RegisterString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& below,
                      const std::wstring& valueName, const std::wstring& value) {
    subkeys_[keyPath].push_back(name);
    strings_[keyPath + name + below + L"|" + valueName] = value;
  }
  std::optional<std::wstring> StringValue(const std::wstring& keyPath, const std::wstring& valueName) override {
    ++calls;
    auto it = strings_.find(keyPath + L"|" + valueName);
    if (it == strings_.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::wstring> JavaHomeValue(const std::wstring& keyPath) override {
    ++calls;
    valuesRead.push_back(keyPath);
    auto it = values_.find(keyPath);
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }

  int calls = 0;
  std::vector<std::wstring> listed;
  std::vector<std::wstring> valuesRead;

 private:
  std::map<std::wstring, std::vector<std::wstring>> subkeys_;
  std::map<std::wstring, std::wstring> values_;
  std::map<std::wstring, std::wstring> strings_;
};

inline std::wstring KeyPath(std::size_t index) { return std::wstring(runtime::kVendorKeys.at(index).path); }

}  // namespace runtimetest
