// Signing the outputs as [Signing] asks: on Linux with osslsigncode (SHA-256),
// each signature verified before any output is written; on Windows with
// signtool. The password is read from the environment variable the
// description names and reaches the tool through a pipe: never a command
// line, a file, the log or an error text.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "tools/package/bytes.h"
#include "tools/package/package_description.h"

namespace package {

class ScratchFolder;

// The certificate [Signing] names, beside `descriptionPath` ("\" or "/"
// between folders).
std::filesystem::path CertificatePath(const std::filesystem::path& descriptionPath, const SigningDescription& s);

class Signer {
 public:
  // What `description`'s [Signing] asks for, its certificate looked up beside
  // `descriptionPath`; `productName` names the signed programs by default.
  // Null with `error` ("<file>:<line>: ...") when the certificate cannot be
  // read, the password variable is not set, or the signing tool is missing.
  static std::unique_ptr<Signer> Prepare(const std::filesystem::path& descriptionPath, const PackageDescription& d,
                                         const std::string& productName, std::string& error);
  ~Signer();

  // `bytes`, a program or an installer package named `name`, signed and
  // verified in place. False with `error`, a line naming `name`.
  bool Sign(const std::string& name, Bytes& bytes, std::string& error);

  // The file `in` signed into `out` (beside it) and verified; `name` is its
  // name for messages.
  bool SignFile(const std::filesystem::path& in, const std::filesystem::path& out, const std::string& name,
                std::string& error);

 private:
  Signer() = default;
  std::string Hidden(std::string text) const;  // the password never shown

  std::filesystem::path certificate_;
  std::string where_;  // "<description>:<Certificate's line>: "
  std::optional<std::string> password_;
  std::string timestampUrl_;
  std::string description_;
  std::string url_;
  std::unique_ptr<ScratchFolder> folder_;  // the signed copies and the chain that verifies them
  std::filesystem::path chain_;            // the certificate's chain and the system's authorities (PEM)
  std::filesystem::path signtool_;         // Windows: the signing tool, and the private folder to sign in
  std::filesystem::path work_;
  int count_ = 0;
};

}  // namespace package
