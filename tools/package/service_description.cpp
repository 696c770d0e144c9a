#include "tools/package/service_description.h"

#include "tools/package/package_description.h"

namespace package {

std::optional<DescriptionError> ReadService(std::map<std::string, const DescriptionEntry*>& found,
                                            ServiceDescription& service) {
  const DescriptionEntry* name = found["Name"];
  if (name == nullptr || name->value.empty()) {
    return DescriptionError{name ? name->line : service.line, "[Service] needs a \"Name\": the service's key name"};
  }
  if (name->value.find_first_of("\\/") != std::string::npos || name->value.size() > 256) {
    return DescriptionError{name->line, "\"Name\" must be at most 256 characters without \\ or /"};
  }
  service.name = name->value;
  if (auto* e = found["Display Name"]) service.displayName = e->value;
  if (auto* e = found["Description"]) service.description = e->value;
  if (auto* e = found["Start"]) {
    if (e->value != "auto" && e->value != "demand" && e->value != "disabled") {
      return DescriptionError{e->line, "\"Start\" is auto, demand or disabled, not \"" + e->value + "\""};
    }
    service.start = e->value;
  }
  if (auto* e = found["Account"]) {
    if (e->value != "LocalService" && e->value != "NetworkService" && e->value != "LocalSystem") {
      return DescriptionError{e->line,
                              "\"Account\" is LocalService, NetworkService or LocalSystem, not \"" + e->value + "\""};
    }
    service.account = e->value;
  }
  if (auto* e = found["Stop Timeout"]) {
    std::uint32_t seconds = 0;
    bool digits = !e->value.empty() && e->value.size() <= 5;
    for (char c : e->value) {
      digits = digits && c >= '0' && c <= '9';
      if (digits) seconds = seconds * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (!digits || seconds > 86400) {
      return DescriptionError{e->line, "\"Stop Timeout\" is a number of seconds from 0 to 86400, not \"" + e->value +
                                           "\""};
    }
    service.stopTimeout = seconds;
  }
  return std::nullopt;
}

std::string ServiceAccountName(std::string_view account) {
  if (account == "LocalSystem") return "LocalSystem";
  return "NT AUTHORITY\\" + std::string(account);
}

}  // namespace package
