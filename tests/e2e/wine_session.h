// Runs Windows programs of the build under Wine for the end-to-end scenarios, and reads what the
// UI driver saw.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

struct SeenBox {
  std::string caption;  // CP932
  std::string text;     // CP932
  std::vector<std::string> buttons;
  int pressed = -1;
};

struct DriverReport {
  std::vector<SeenBox> boxes;
  std::vector<std::string> mainWindows;  // captions, CP932
  bool exited = false;
  long exitCode = -1;
  std::string raw;
};

class WineSession {
 public:
  WineSession();

  // Runs a Windows command line; returns the exit status and fills output with its stdout.
  int Run(const std::string& commandLine, std::string* output = nullptr) const;
  // Starts program under the UI driver, which answers every box with its first button and closes
  // the main window closeAfterSeconds after it appears.
  DriverReport Drive(const std::filesystem::path& program, int closeAfterSeconds = 4) const;

  // The Windows path of a Unix file (through drive Z:) and the Unix path of a Windows one.
  static std::string WindowsPath(const std::filesystem::path& unixPath);
  std::filesystem::path UnixPath(const std::string& windowsPath) const;

  const std::filesystem::path& windowsBin() const { return windowsBin_; }
  const std::filesystem::path& scratch() const { return scratch_; }
  std::filesystem::path windowsFolder() const { return UnixPath("C:\\windows"); }
  // The TEMP folder the installer sees.
  const std::filesystem::path& temp() const { return temp_; }

 private:
  std::filesystem::path root_;
  std::filesystem::path windowsBin_;
  std::filesystem::path prefix_;
  std::filesystem::path scratch_;
  std::filesystem::path temp_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string FromHex(const std::string& hex);

}  // namespace e2e
