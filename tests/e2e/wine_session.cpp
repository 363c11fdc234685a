#include "wine_session.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

#include "text_encoding.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

WineSession::WineSession()
    : root_(SSINST_SOURCE_DIR),
      windowsBin_(SSINST_WINDOWS_BIN),
      prefix_(root_ / "build" / "windows" / "wineprefix"),
      scratch_(root_ / "build" / "e2e") {
  fs::create_directories(scratch_);
  std::string echoed;
  if (Run("cmd /c echo %TEMP%", &echoed) != 0) throw std::runtime_error("wine cannot run cmd");
  while (!echoed.empty() && (echoed.back() == '\n' || echoed.back() == '\r')) echoed.pop_back();
  temp_ = UnixPath(echoed);
}

int WineSession::Run(const std::string& commandLine, std::string* output) const {
  std::string command =
      Quote((root_ / "scripts" / "wine-run").string()) + " " + commandLine + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot start " + command);
  std::string text;
  std::array<char, 4096> buffer;
  while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) text.append(buffer.data(), n);
  int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

DriverReport WineSession::Drive(const fs::path& program, int closeAfterSeconds) const {
  const fs::path log = scratch_ / (program.stem().string() + ".driver.log");
  fs::remove(log);
  std::string command = Quote((windowsBin_ / "uidriver.exe").string()) +
                        " --timeout 90 --close-main-after " + std::to_string(closeAfterSeconds) +
                        " --log " + Quote(WindowsPath(log)) + " " + Quote(WindowsPath(program));
  DriverReport report;
  Run(command, &report.raw);
  std::istringstream lines(fs::exists(log) ? ReadFile(log) : std::string());
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string key = line.substr(0, line.find(' '));
    std::string value = line.size() > key.size() ? line.substr(key.size() + 1) : std::string();
    if (key == "BOX") {
      report.boxes.emplace_back();
    } else if (key == "CAPTION" && !report.boxes.empty()) {
      report.boxes.back().caption = FromHex(value);
    } else if (key == "TEXT" && !report.boxes.empty()) {
      report.boxes.back().text = FromHex(value);
    } else if (key == "BUTTONS" && !report.boxes.empty()) {
      std::istringstream parts(value);
      for (std::string part; std::getline(parts, part, ',');)
        report.boxes.back().buttons.push_back(FromHex(part));
    } else if (key == "PRESSED" && !report.boxes.empty()) {
      report.boxes.back().pressed = std::stoi(value);
    } else if (key == "MAINWINDOW") {
      report.mainWindows.push_back(FromHex(value));
    } else if (key == "EXIT") {
      report.exited = true;
      report.exitCode = std::stol(value);
    }
  }
  report.raw +=
      "\n--- driver log ---\n" + (fs::exists(log) ? ReadFile(log) : std::string("(none)"));
  return report;
}

std::string WineSession::WindowsPath(const fs::path& unixPath) {
  std::string path = "Z:" + fs::absolute(unixPath).string();
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

fs::path WineSession::UnixPath(const std::string& windowsPath) const {
  std::string utf8 = sspack::Cp932ToUtf8(windowsPath);
  if (utf8.size() < 2 || utf8[1] != ':') throw std::runtime_error("not a drive path: " + utf8);
  std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(utf8[0]))));
  std::string rest = utf8.substr(2);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  if (drive == "z") return fs::path(rest);
  // Wine keeps the names' case on disk but looks them up without it; match the same way.
  fs::path current = prefix_ / ("drive_" + drive);
  std::istringstream parts(rest);
  for (std::string part; std::getline(parts, part, '/');) {
    if (part.empty()) continue;
    fs::path next = current / part;
    if (!fs::exists(next) && fs::is_directory(current)) {
      for (const auto& entry : fs::directory_iterator(current)) {
        std::string name = entry.path().filename().string();
        if (name.size() == part.size() &&
            std::equal(name.begin(), name.end(), part.begin(), [](char a, char b) {
              return std::tolower(static_cast<unsigned char>(a)) ==
                     std::tolower(static_cast<unsigned char>(b));
            })) {
          next = entry.path();
          break;
        }
      }
    }
    current = next;
  }
  return current;
}

}  // namespace e2e
