#include "runtime/missing_runtime_dialog.h"

#include <windows.h>

#include <type_traits>

#include "common/placement_win.h"
#include "common/shell_api.h"
#include "common/text.h"
#include "common/win_handles.h"
#include "report/error_report.h"
#include "report/message_ids.h"
#include "resources/resource_ids.h"
#include "runtime/pe_image.h"
#include "runtime/runtime_search.h"
#include "ui/hyperlink_control.h"

namespace runtime {
namespace {

constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
static_assert(kBrowseFlags == 0x241);

struct MissingRuntimeDialog {
  const std::wstring* message = nullptr;
  const std::wstring* downloadAddress = nullptr;
  JvmType jvmType = JvmType::Any;
  bool hasPairProduct = false;
  BrowsedRuntime chosen;
  ui::HyperlinkControl link;
};

void Browse(HWND dialog, MissingRuntimeDialog& state) {
  const win::ShellApi& shell = win::ShellApi::Get();
  if (shell.browseForFolder == nullptr || shell.pathFromIdList == nullptr) return;
  std::wstring title = report::LoadMessage(IDS_BROWSE_FOR_JRE);
  BROWSEINFOW info{};
  info.hwndOwner = dialog;
  info.lpszTitle = title.c_str();
  info.ulFlags = kBrowseFlags;
  win::CoTaskMemory<std::remove_pointer_t<PIDLIST_ABSOLUTE>> selection(shell.browseForFolder(&info));
  if (!selection) return;  // the user cancelled the browser
  wchar_t path[MAX_PATH] = {};
  if (!shell.pathFromIdList(selection.get(), path)) path[0] = L'\0';
  SetDlgItemTextW(dialog, IDC_JRE_PATH, path);
  DiskFileProbe files;
  state.chosen = ExamineBrowsedFolder(path, state.jvmType, files, state.hasPairProduct, IsX86Image);
  EnableWindow(GetDlgItem(dialog, IDOK), !state.chosen.library.empty());
}

// The link's control keeps its width for the default address; a longer one
// gets the room up to the group box's inner edge (the control starts 36
// dialog units inside the box, which ends 8 before the dialog's right side).
void FitLinkToAddress(HWND dialog, HWND link, const std::wstring& address) {
  RECT room{0, 0, 203 - 44, 8};
  MapDialogRect(dialog, &room);
  SIZE size{};
  {
    win::WindowDc dc(link);
    win::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(link, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.get(), address.c_str(), static_cast<int>(address.size()), &size);
  }
  RECT now;
  GetWindowRect(link, &now);
  if (size.cx <= now.right - now.left) return;
  SetWindowPos(link, nullptr, 0, 0, size.cx < room.right ? size.cx : room.right, now.bottom - now.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<MissingRuntimeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<MissingRuntimeDialog*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      // The link opens the text it shows.
      SetDlgItemTextW(dialog, IDC_DOWNLOAD_LINK, state->downloadAddress->c_str());
      FitLinkToAddress(dialog, GetDlgItem(dialog, IDC_DOWNLOAD_LINK), *state->downloadAddress);
      state->link.Attach(GetDlgItem(dialog, IDC_DOWNLOAD_LINK));
      SetDlgItemTextW(dialog, IDC_MISSING_MESSAGE, state->message->c_str());
      SendDlgItemMessageW(dialog, IDC_MISSING_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_HAND)), 0);
      EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
      placement::CentreDialog(dialog);
      return FALSE;  // no initial keyboard focus
    case WM_COMMAND:
      if (state == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
          // Only a folder that holds a runtime can end the dialog with OK.
          if (!state->chosen.library.empty()) EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 2);
          return TRUE;
        case IDC_BROWSE:
          Browse(dialog, *state);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

std::wstring ComposeMissingRuntimeMessage(JvmType type, const VersionNumber& minimum, const VersionNumber& maximum) {
  return text::FormatMessageText(report::LoadMessage(MissingRuntimeMessageId(type)),
                                 {DescribeVersionRequirement(minimum, maximum)});
}

std::optional<BrowsedRuntime> AskForRuntime(const std::wstring& message, const std::wstring& downloadAddress,
                                            JvmType type, bool hasPairProduct) {
  win::ComApartment com;  // the folder browser needs COM on this thread
  MissingRuntimeDialog state;
  state.message = &message;
  state.downloadAddress = &downloadAddress;
  state.jvmType = type;
  state.hasPairProduct = hasPairProduct;
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_JRE_NOT_FOUND), GetActiveWindow(),
                                   DialogProc, reinterpret_cast<LPARAM>(&state));
  if (result != 1) return std::nullopt;
  return std::move(state.chosen);
}

}  // namespace runtime
