#include "common/text_file_win.h"

#include "common/text_win.h"
#include "common/win_handles.h"

namespace win {

bool WriteTextFile(const std::wstring& file, std::wstring_view text, DWORD disposition) {
  // Not shared while it is written: a reader never sees half of it.
  FileHandle handle(
      CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string bytes = text::ToUtf8(text);
  DWORD written = 0;
  return handle && WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(handle.get());
}

}  // namespace win
