// uidriver: runs a Windows program and plays its user. It answers every message box the program
// (or a program it starts) shows, records what each box said, closes the main window after a
// while if asked, and reports how the program ended.
//
//   uidriver [--timeout SECONDS] [--answer N]... [--close-main-after SECONDS] [--log FILE]
//            [--box-delay SECONDS] PROGRAM [ARGS...]
//
// A box is a visible top-level window of the standard dialog class "#32770". Its text is the
// static control that is not an icon; its buttons are its visible button controls in order. The
// n-th box gets the n-th --answer (a button index, -1 to close it without a button); boxes past
// the answers given get 0. --box-delay leaves each box on screen that long before it is answered
// (for screenshots). The log holds CP932 texts as hex, so checks compare them byte for byte:
//
//   BOX / CAPTION <hex> / TEXT <hex> / BUTTONS <hex>,<hex>... / PRESSED <index>   per box
//   MAINWINDOW <hex>                                                            per main window
//   EXIT <code>  or  TIMEOUT
//
// Exit status: the program's exit code; 124 when the timeout ended it; 125 for a usage error or a
// program that cannot be started.
#include "platform/win32/windows_api.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/encoding.h"
#include "platform/win32/window_text.h"

namespace {

using ssi::win32::FromWide;
using ssi::win32::ClassName;
using ssi::win32::WindowText;

constexpr DWORD kPollMs = 100;
constexpr int kTimeoutStatus = 124;
constexpr int kUsageStatus = 125;

struct Options {
  double timeoutSeconds = 60;
  double closeMainAfterSeconds = -1;  // never
  double boxDelaySeconds = 0;
  std::vector<int> answers;
  std::wstring logPath;
  std::wstring commandLine;
};

struct Box {
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
  std::vector<HWND> buttonWindows;
};

struct MainWindow {
  HWND window;
  DWORD firstSeen;
  DWORD lastClose = 0;
  std::string caption;
};

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        needed, nullptr, nullptr);
  return bytes;
}

bool IsDialog(HWND window) { return ClassName(window) == L"#32770"; }

// Quotes one argument the way the C runtime splits a command line.
std::wstring Quote(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    quoted += c;
  }
  quoted.append(backslashes, L'\\');
  return quoted + L"\"";
}

class Output {
 public:
  explicit Output(const std::wstring& logPath) {
    if (!logPath.empty()) {
      log_ = ::CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
  }
  ~Output() {
    if (log_ != INVALID_HANDLE_VALUE) ::CloseHandle(log_);
  }
  bool logOpen() const { return log_ != INVALID_HANDLE_VALUE; }

  void Log(const std::string& line) { Write(log_, line + "\n"); }
  void Say(const std::string& utf8) { Write(::GetStdHandle(STD_OUTPUT_HANDLE), utf8 + "\n"); }

 private:
  static void Write(HANDLE handle, const std::string& bytes) {
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return;
    DWORD written = 0;
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  HANDLE log_ = INVALID_HANDLE_VALUE;
};

bool ParseSeconds(const wchar_t* text, double& seconds) {
  wchar_t* end = nullptr;
  seconds = std::wcstod(text, &end);
  return end != text && *end == L'\0' && seconds >= 0;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  int i = 1;
  for (; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--", 0) != 0) break;
    if (i + 1 >= argc) return false;
    const wchar_t* value = argv[++i];
    if (arg == L"--timeout") {
      if (!ParseSeconds(value, options.timeoutSeconds)) return false;
    } else if (arg == L"--close-main-after") {
      if (!ParseSeconds(value, options.closeMainAfterSeconds)) return false;
    } else if (arg == L"--box-delay") {
      if (!ParseSeconds(value, options.boxDelaySeconds)) return false;
    } else if (arg == L"--answer") {
      wchar_t* end = nullptr;
      long answer = std::wcstol(value, &end, 10);
      if (end == value || *end != L'\0' || answer < -1) return false;
      options.answers.push_back(static_cast<int>(answer));
    } else if (arg == L"--log") {
      options.logPath = value;
    } else {
      return false;
    }
  }
  if (i >= argc) return false;
  for (int first = i; i < argc; ++i) {
    if (i > first) options.commandLine += L' ';
    options.commandLine += Quote(argv[i]);
  }
  return true;
}

// The program and every process it started, directly or not.
std::set<DWORD> ProcessFamily(DWORD root) {
  std::set<DWORD> family = {root};
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return family;
  std::vector<PROCESSENTRY32W> processes;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry)) {
    processes.push_back(entry);
  }
  ::CloseHandle(snapshot);
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& process : processes) {
      if (family.count(process.th32ParentProcessID) && family.insert(process.th32ProcessID).second)
        grew = true;
    }
  }
  return family;
}

struct Scan {
  const std::set<DWORD>* family;
  DWORD root;
  std::vector<HWND> boxes;
  std::vector<HWND> mainWindows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* scan = reinterpret_cast<Scan*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (!scan->family->count(pid) || !::IsWindowVisible(window)) return TRUE;
  if (IsDialog(window)) {
    scan->boxes.push_back(window);
  } else if (pid == scan->root) {
    scan->mainWindows.push_back(window);
  }
  return TRUE;
}

Box ReadBox(HWND dialog) {
  Box box;
  box.caption = FromWide(WindowText(dialog));
  bool haveText = false;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(child)) continue;
    const std::wstring cls = ClassName(child);
    const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      box.buttons.push_back(FromWide(WindowText(child)));
      box.buttonWindows.push_back(child);
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON &&
               !haveText) {
      std::wstring text = WindowText(child);
      if (!text.empty()) {
        box.text = FromWide(text);
        haveText = true;
      }
    }
  }
  return box;
}

std::string Printable(const std::string& cp932) { return Utf8(ssi::win32::ToWide(cp932)); }

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  Options options;
  if (argv == nullptr || !ParseOptions(argc, argv, options)) {
    std::fputs(
        "usage: uidriver [--timeout SECONDS] [--answer N]... [--close-main-after SECONDS] [--log "
        "FILE] "
        "[--box-delay SECONDS] PROGRAM [ARGS...]\n",
        stderr);
    return kUsageStatus;
  }
  ::LocalFree(argv);

  Output out(options.logPath);
  if (!options.logPath.empty() && !out.logOpen()) {
    std::fprintf(stderr, "uidriver: cannot write the log (error %lu)\n", ::GetLastError());
    return kUsageStatus;
  }

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = options.commandLine;
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    std::fprintf(stderr, "uidriver: cannot start the program (error %lu)\n", ::GetLastError());
    return kUsageStatus;
  }
  ::CloseHandle(process.hThread);
  out.Say("uidriver: started " + Utf8(options.commandLine));

  const DWORD started = ::GetTickCount();
  const DWORD closeAfterMs =
      static_cast<DWORD>(std::max(0.0, options.closeMainAfterSeconds) * 1000);
  std::set<HWND> handled;
  // A box is read on a later scan than the one that found it, once it has settled.
  std::map<HWND, DWORD> boxFirstSeen;
  const DWORD boxDelayMs = static_cast<DWORD>(options.boxDelaySeconds * 1000);
  std::vector<MainWindow> mainWindows;
  size_t boxCount = 0;
  bool timedOut = false;

  while (::WaitForSingleObject(process.hProcess, kPollMs) == WAIT_TIMEOUT) {
    const DWORD now = ::GetTickCount();
    if (now - started > static_cast<DWORD>(options.timeoutSeconds * 1000)) {
      timedOut = true;
      break;
    }
    const std::set<DWORD> family = ProcessFamily(process.dwProcessId);
    Scan scan{&family, process.dwProcessId, {}, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&scan));

    // Windows that are gone free their handles for reuse.
    for (auto it = handled.begin(); it != handled.end();)
      it = ::IsWindow(*it) ? std::next(it) : handled.erase(it);
    for (auto it = boxFirstSeen.begin(); it != boxFirstSeen.end();) {
      it = ::IsWindow(it->first) ? std::next(it) : boxFirstSeen.erase(it);
    }

    for (HWND dialog : scan.boxes) {
      if (handled.count(dialog)) continue;
      auto first = boxFirstSeen.emplace(dialog, now);
      if (first.second || now - first.first->second < boxDelayMs) continue;
      handled.insert(dialog);
      Box box = ReadBox(dialog);
      const int answer = boxCount < options.answers.size() ? options.answers[boxCount] : 0;
      ++boxCount;
      const bool press = answer >= 0 && static_cast<size_t>(answer) < box.buttonWindows.size();

      std::string buttons;
      std::string readable;
      for (size_t i = 0; i < box.buttons.size(); ++i) {
        if (i > 0) {
          buttons += ',';
          readable += " | ";
        }
        buttons += Hex(box.buttons[i]);
        readable += Printable(box.buttons[i]);
      }
      out.Log("BOX");
      out.Log("CAPTION " + Hex(box.caption));
      out.Log("TEXT " + Hex(box.text));
      out.Log("BUTTONS " + buttons);
      out.Log("PRESSED " + std::to_string(press ? answer : -1));
      out.Say("box " + std::to_string(boxCount) + ": [" + Printable(box.caption) + "] " +
              Printable(box.text) + "\n  buttons: " + readable +
              "\n  pressed: " + (press ? box.buttons[static_cast<size_t>(answer)] : "(closed)"));

      if (press) {
        HWND button = box.buttonWindows[static_cast<size_t>(answer)];
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
      } else {
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
      }
    }

    for (HWND window : scan.mainWindows) {
      auto known = std::find_if(mainWindows.begin(), mainWindows.end(),
                                [window](const MainWindow& main) { return main.window == window; });
      if (known == mainWindows.end()) {
        mainWindows.push_back({window, now, 0, {}});
        known = std::prev(mainWindows.end());
      }
      std::string caption = FromWide(WindowText(window));
      if (!caption.empty()) known->caption = caption;
      // Closed only while no box is open; a window that refuses is asked again later.
      const bool due =
          now - known->firstSeen >= closeAfterMs && now - known->lastClose >= closeAfterMs + 1000;
      if (options.closeMainAfterSeconds >= 0 && scan.boxes.empty() && due) {
        known->lastClose = now;
        out.Say("uidriver: closing the main window [" + Printable(known->caption) + "]");
        ::PostMessageW(window, WM_CLOSE, 0, 0);
      }
    }
  }

  for (const MainWindow& main : mainWindows) out.Log("MAINWINDOW " + Hex(main.caption));
  int status = kTimeoutStatus;
  if (timedOut) {
    ::TerminateProcess(process.hProcess, kTimeoutStatus);
    ::WaitForSingleObject(process.hProcess, 5000);
    out.Log("TIMEOUT");
    out.Say("uidriver: timed out after " +
            std::to_string(static_cast<int>(options.timeoutSeconds)) + " s; the program was ended");
  } else {
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    status = static_cast<int>(code);
    out.Log("EXIT " + std::to_string(static_cast<long>(static_cast<int32_t>(code))));
    out.Say("uidriver: the program exited with " +
            std::to_string(static_cast<long>(static_cast<int32_t>(code))));
  }
  ::CloseHandle(process.hProcess);
  return status;
}
