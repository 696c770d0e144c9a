// The native rules build has no string table: the one test that reads it
// (VersionNumberPhrase.TextsComeFromTheStringTable) runs only under Wine and is
// filtered out here; this definition only lets the test program link.
#include "runtime/version_number.h"

namespace runtime {

std::wstring DescribeVersionRequirement(const VersionNumber&, const VersionNumber&) { return {}; }

}  // namespace runtime
