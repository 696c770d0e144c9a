#include "common/text.h"
#include "report/error_report.h"
#include "runtime/version_number.h"

namespace runtime {

std::wstring DescribeVersionRequirement(const VersionNumber& minimum, const VersionNumber& maximum) {
  const VersionPhrase phrase = VersionRequirementPhrase(minimum, maximum);
  // No phrase takes more than two versions.
  const auto version = [&phrase](std::size_t i) {
    return i < phrase.arguments.size() ? std::wstring_view(phrase.arguments[i]) : std::wstring_view();
  };
  return text::FormatMessageText(report::LoadMessage(phrase.id), {version(0), version(1)});
}

}  // namespace runtime
