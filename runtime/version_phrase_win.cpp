#include "common/text.h"
#include "report/error_report.h"
#include "runtime/version_number.h"

namespace runtime {

std::wstring DescribeVersionRequirement(const VersionNumber& minimum, const VersionNumber& maximum) {
  VersionPhrase phrase = VersionRequirementPhrase(minimum, maximum);
  return text::FormatMessageText(report::LoadMessage(phrase.id), phrase.arguments);
}

}  // namespace runtime
