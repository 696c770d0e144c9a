// The message string table holds the product's texts letter for letter.
#include <gtest/gtest.h>

#include "report/error_report.h"
#include "report/message_ids.h"

namespace {

TEST(MessageTable, EveryTextAsShipped) {
  struct Row {
    UINT id;
    const wchar_t* text;
  } rows[] = {
      {202, L"Windows exception: %s (errno = %d).\n"},
      {203, L"JNI exception: %s\nReason: %s.\n"},
      {204, L"COM error: %s (errno = %d).\n"},
      {205, L"JNI exception: %s.\n"},
      {206, L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server JVM "
            L"(%s) from:"},
      {207, L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (%s) from:"},
      {208, L"failed to get the module path"},
      {209, L"Java Class Path was not specified in INI file."},
      {210, L"Main class was not specified in INI file."},
      {211, L"Failed to load Main Class: %s.\n"},
      {212, L"cannot find CreateJavaVM JNI"},
      {213, L"failed to create the Java VM"},
      {214, L"Browse for JRE folder"},
      {215, L"Could not find the main class %s.\n"},
      {216, L"No main method found in specified class.\n"},
      {217, L"latest version"},
      {218, L"maximum version %s"},
      {219, L"minimum version %s"},
      {220, L"version %s is required"},
      {221, L"version between %s and %s"},
      {222, L"Failed to load Java VM library: %s (errno = %d).\n"},
      {223, L"failed to initialize"},
      {224, L"failed to initialize module"},
      {225, L"unknown"},
      {226, L"thread detached from VM"},
      {227, L"JNI version error"},
      {228, L"not enough memory"},
      {229, L"VM already created"},
      {230, L"invalid arguments"},
      {242, L"Looked at \"JRE Path\", beside the executable (its folder, jre64, runtime, jre), in the "
            L"registry, and at JAVA_HOME and Program Files unless \"Search Installed Runtimes\" is No. Set "
            L"\"JRE Path\" in [Java Runtime Environment] of the .ini beside the executable to a runtime's "
            L"folder."},
  };
  for (const auto& row : rows) EXPECT_EQ(report::LoadMessage(row.id), row.text) << "string " << row.id;
}

TEST(MessageTable, MissingIdGivesEmptyText) {
  EXPECT_EQ(report::LoadMessage(201), L"");
  EXPECT_EQ(report::LoadMessage(231), L"");
  EXPECT_EQ(report::LoadMessage(9999), L"");
}

}  // namespace
