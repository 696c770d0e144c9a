// The tail of the VM's own words that a failed creation shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jvm/vm_output.h"

namespace {

TEST(VmOutput, TailKeepsTheLast4096Bytes) {
  const std::string long5000 = std::string(904, 'a') + std::string(4096, 'b');
  const struct {
    const char* what;
    std::vector<std::string> appended;
    std::string kept;
  } cases[] = {
      {"nothing", {}, ""},
      {"pieces in order", {"Invalid ", "maximum heap size\n", "\xE9\xFF"}, "Invalid maximum heap size\n\xE9\xFF"},
      {"one piece over the limit", {long5000}, std::string(4096, 'b')},
      {"many pieces over the limit", {std::string(4000, 'a'), std::string(100, 'b'), "end"},
       std::string(3993, 'a') + std::string(100, 'b') + "end"},
      {"exactly the limit", {std::string(4096, 'c')}, std::string(4096, 'c')},
  };
  for (const auto& c : cases) {
    jvm::OutputTail tail;
    for (const auto& piece : c.appended) tail.Append(piece);
    EXPECT_EQ(tail.Text(), c.kept) << c.what;
  }
}

}  // namespace
