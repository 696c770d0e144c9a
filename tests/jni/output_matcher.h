// A death-test matcher for a child's standard error that holds every given
// text, in order (the Windows build of GoogleTest has only simple patterns).
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace jnichecks {

class HoldsInOrder : public testing::MatcherInterface<const std::string&> {
 public:
  explicit HoldsInOrder(std::vector<std::string> texts) : texts_(std::move(texts)) {}
  bool MatchAndExplain(const std::string& output, testing::MatchResultListener* listener) const override {
    size_t at = 0;
    for (const std::string& text : texts_) {
      at = output.find(text, at);
      if (at == std::string::npos) {
        *listener << "lacks \"" << text << "\" (in that order)";
        return false;
      }
      at += text.size();
    }
    return true;
  }
  void DescribeTo(std::ostream* os) const override {
    *os << "holds";
    for (const std::string& text : texts_) *os << " \"" << text << "\"";
    *os << " in order";
  }

 private:
  std::vector<std::string> texts_;
};

inline testing::Matcher<const std::string&> Holds(std::vector<std::string> texts) {
  return testing::MakeMatcher(new HoldsInOrder(std::move(texts)));
}

}  // namespace jnichecks
