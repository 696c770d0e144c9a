#include "jvm/vm_option_text_win.h"

#include "common/text_win.h"
#include "jvm/ansi_paths.h"
#include "report/diagnostics_log.h"

namespace jvm {

std::string VmOptionText(const std::wstring& option) {
  const std::wstring handed = AnsiSafeOption(option, text::ConvertsToThreadAnsi, text::ShortPathName);
  if (!text::ConvertsToThreadAnsi(handed)) {
    diag::Log({"VM option not handed over as written (outside the ANSI code page): ", handed});
  }
  return text::ToThreadAnsi(handed);
}

}  // namespace jvm
