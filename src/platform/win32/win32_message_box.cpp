#include "platform/win32/win32_message_box.h"

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/encoding.h"
#include "platform/win32/win32_toolkit.h"

namespace ssi::win32 {

namespace {

// The face of Japanese system boxes; the Wine prefix maps it to an installed Gothic font.
const wchar_t kBoxFontFace[] = L"MS UI Gothic";
constexpr WORD kBoxFontPoints = 9;

constexpr WORD kIconId = 100;
constexpr WORD kTextId = 101;
constexpr WORD kFirstButtonId = 1000;
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;
// DialogBox answers 0 or -1 when it fails, so the box's own results stay clear of both.
constexpr INT_PTR kClosedResult = 1;
constexpr INT_PTR kFirstButtonResult = 2;

// Layout in dialog units, turned into pixels of the dialog's font.
constexpr int kMarginDlu = 7;
constexpr int kButtonGapDlu = 4;
constexpr int kButtonMinWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;
constexpr int kButtonPaddingDlu = 8;
constexpr int kMinClientWidthDlu = 120;

struct BoxState {
  const MessageBoxRequest* request;
  std::wstring text;
};

// Writes a DLGTEMPLATE and its items. Items must start on 4-byte boundaries; the buffer comes
// from operator new and is suitably aligned, so an even word count is a 4-byte boundary.
class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void DWord(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    if (words_.size() % 2 != 0) Word(0);
  }
  void Item(DWORD style, WORD id, WORD windowClass, const std::wstring& title) {
    Align();
    DWord(style | WS_CHILD | WS_VISIBLE);
    DWord(0);                             // extended style
    for (int i = 0; i < 4; ++i) Word(0);  // placed when the dialog starts
    Word(id);
    Word(0xFFFF);
    Word(windowClass);
    Text(title);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

LPCWSTR IconResource(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error:
      return IDI_ERROR;
    case BoxIcon::Information:
      return IDI_INFORMATION;
    case BoxIcon::Question:
      return IDI_QUESTION;
    case BoxIcon::Warning:
      return IDI_WARNING;
    case BoxIcon::None:
      break;
  }
  return nullptr;
}

int Dlu(HWND dialog, int units, bool vertical) {
  RECT rect = {0, 0, units, units};
  ::MapDialogRect(dialog, &rect);
  return vertical ? rect.bottom : rect.right;
}

SIZE MeasureText(HDC dc, const std::wstring& text, int maxWidth, UINT format) {
  RECT rect = {0, 0, maxWidth, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// Sizes the text to its contents, the buttons to their captions, and centres the box.
void LayOut(HWND dialog, const BoxState& state) {
  const MessageBoxRequest& request = *state.request;
  const int margin = Dlu(dialog, kMarginDlu, false);
  const int gap = Dlu(dialog, kButtonGapDlu, false);

  RECT area;
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }

  HWND iconControl = ::GetDlgItem(dialog, kIconId);
  const LPCWSTR iconResource = IconResource(request.icon);
  const bool hasIcon = iconResource != nullptr;
  const int iconWidth = hasIcon ? ::GetSystemMetrics(SM_CXICON) : 0;
  const int iconHeight = hasIcon ? ::GetSystemMetrics(SM_CYICON) : 0;
  if (hasIcon) {
    ::SendMessageW(iconControl, STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconW(nullptr, iconResource)), 0);
  } else {
    ::ShowWindow(iconControl, SW_HIDE);
  }

  HDC dc = ::GetDC(dialog);
  HGDIOBJ previous =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics;
  ::GetTextMetricsW(dc, &metrics);
  const int maxTextWidth = std::max<int>(200, (area.right - area.left) * 5 / 8);
  SIZE text = MeasureText(dc, state.text, maxTextWidth, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  text.cy = std::max<LONG>(text.cy, metrics.tmHeight);

  std::vector<int> buttonWidths;
  int rowWidth = 0;
  for (const std::string& caption : request.buttons) {
    SIZE size = MeasureText(dc, ToWide(caption), 0x7FFF, DT_SINGLELINE);
    int width = std::max(Dlu(dialog, kButtonMinWidthDlu, false),
                         static_cast<int>(size.cx) + 2 * Dlu(dialog, kButtonPaddingDlu, false));
    buttonWidths.push_back(width);
    rowWidth += width + (rowWidth > 0 ? gap : 0);
  }
  ::SelectObject(dc, previous);
  ::ReleaseDC(dialog, dc);

  const int buttonHeight = std::max<int>(Dlu(dialog, kButtonHeightDlu, true), metrics.tmHeight + 8);
  const int textLeft = hasIcon ? margin + iconWidth + margin : margin;
  const int contentHeight = std::max<int>(iconHeight, static_cast<int>(text.cy));
  const int clientWidth = std::max({textLeft + static_cast<int>(text.cx) + margin,
                                    rowWidth + 2 * margin, Dlu(dialog, kMinClientWidthDlu, false)});
  const int buttonsTop = margin + contentHeight + margin;
  const int clientHeight = buttonsTop + buttonHeight + margin;

  if (hasIcon) ::MoveWindow(iconControl, margin, margin, iconWidth, iconHeight, FALSE);
  const int textTop = margin + (contentHeight - static_cast<int>(text.cy)) / 2;
  ::MoveWindow(::GetDlgItem(dialog, kTextId), textLeft, textTop, text.cx, text.cy, FALSE);
  int x = (clientWidth - rowWidth) / 2;
  for (size_t i = 0; i < buttonWidths.size(); ++i) {
    ::MoveWindow(::GetDlgItem(dialog, static_cast<int>(kFirstButtonId + i)), x, buttonsTop,
                 buttonWidths[i], buttonHeight, FALSE);
    x += buttonWidths[i] + gap;
  }

  RECT frame = {0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT centreOn = area;
  HWND owner = ::GetWindow(dialog, GW_OWNER);
  if (owner != nullptr && ::IsWindowVisible(owner)) ::GetWindowRect(owner, &centreOn);
  int left = centreOn.left + (centreOn.right - centreOn.left - width) / 2;
  int top = centreOn.top + (centreOn.bottom - centreOn.top - height) / 2;
  left = std::max<int>(area.left, std::min<int>(left, area.right - width));
  top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
  ::SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<BoxState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      ::SetDlgItemTextW(dialog, kTextId, state->text.c_str());
      LayOut(dialog, *state);
      if (!state->request->buttons.empty()) {
        ::SendMessageW(dialog, DM_SETDEFID, kFirstButtonId, 0);
        ::SetFocus(::GetDlgItem(dialog, kFirstButtonId));
      }
      return FALSE;  // focus set here
    }
    case WM_COMMAND: {
      auto* state = reinterpret_cast<BoxState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
      const WORD id = LOWORD(wParam);
      if (id == IDCANCEL) {
        ::EndDialog(dialog, kClosedResult);
        return TRUE;
      }
      if (state != nullptr && id >= kFirstButtonId &&
          id < kFirstButtonId + state->request->buttons.size()) {
        ::EndDialog(dialog, kFirstButtonResult + (id - kFirstButtonId));
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int RunMessageBox(Win32Toolkit& toolkit, const MessageBoxRequest& request) {
  BoxState state{&request, ToWide(request.text)};
  const size_t buttonCount = std::min<size_t>(request.buttons.size(), 64);

  TemplateWriter writer;
  writer.DWord(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SETFOREGROUND);
  writer.DWord(0);
  writer.Word(static_cast<WORD>(2 + buttonCount));
  for (int i = 0; i < 4; ++i) writer.Word(0);  // placed in WM_INITDIALOG
  writer.Word(0);                              // no menu
  writer.Word(0);                              // the standard dialog class
  writer.Text(ToWide(request.caption));
  writer.Word(kBoxFontPoints);
  writer.Text(kBoxFontFace);
  writer.Item(SS_ICON, kIconId, kStaticClass, L"");
  writer.Item(SS_LEFT | SS_NOPREFIX, kTextId, kStaticClass, L"");
  for (size_t i = 0; i < buttonCount; ++i) {
    DWORD style = WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON);
    writer.Item(style, static_cast<WORD>(kFirstButtonId + i), kButtonClass,
                ToWide(request.buttons[i]));
  }

  INT_PTR result = ::DialogBoxIndirectParamW(toolkit.instance(), writer.get(), ::GetActiveWindow(),
                                             &BoxProc, reinterpret_cast<LPARAM>(&state));
  // A box that could not be shown counts as closed without an answer.
  if (result < kFirstButtonResult) return -1;
  return static_cast<int>(result - kFirstButtonResult);
}

}  // namespace ssi::win32
