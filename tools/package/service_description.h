// The [Service] section of a package description: the executable is a
// Windows service (see README, "Windows services"). Plain data and rules, no
// I/O.
//
//   Name          the service's key name (required)
//   Display Name  what the service list shows (default: the Product Name)
//   Description   the service list's description
//   Start         auto, demand or disabled
//   Account       LocalService, NetworkService or LocalSystem
//   Stop Timeout  seconds, written as "Service Stop Timeout"
// (description_keys.cpp holds the values and defaults of each.)
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace package {

struct DescriptionEntry;
struct DescriptionError;

struct ServiceDescription {
  int line = 0;  // the section header's
  std::string name;
  std::string displayName;  // empty: the Product Name, else the name
  std::string description;
  std::string start = "auto";
  std::string account = "LocalService";
  std::optional<std::uint32_t> stopTimeout;
};

inline constexpr std::string_view kServiceSection = "Service";

// The section's values (`found` by key, each at most once); an error names
// the line at fault.
std::optional<DescriptionError> ReadService(std::map<std::string, const DescriptionEntry*>& found,
                                            ServiceDescription& service);

// The account as the Service Control Manager and the installer take it.
std::string ServiceAccountName(std::string_view account);

}  // namespace package
