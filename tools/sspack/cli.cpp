#include "cli.h"

#include <charconv>
#include <iomanip>
#include <map>

#include "codec.h"
#include "package_builder.h"
#include "text_encoding.h"

namespace sspack {

namespace pkg = ssi::pkg;

namespace {

const char kUsage[] =
    "usage:\n"
    "  sspack build --stub installer.exe -o OUT.exe [--name TEXT]\n"
    "               [--splash-kind none|bmp|swf|jpeg|silent|N] [--offer-display-properties]\n"
    "               [--show-licence 0|1] [--after-install-document 0|1]\n"
    "               [--dcl F] [--flash-setup F] [--splash F] [--licence F] [--document F]\n"
    "               [--saver F] [--data F] [--settings F] [--lib F] [--lib F]\n"
    "               [--slot N=F] [--slot-name N=NAME] [--implode | --implode-ascii]\n"
    "  sspack list INSTALLER.exe\n"
    "  sspack implode [--ascii] [--dict 1024|2048|4096] IN OUT\n"
    "  sspack explode IN OUT\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

int ParseInt(const std::string& text, const std::string& what) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size())
    throw UsageError(what + ": \"" + text + "\" is not a number");
  return value;
}

bool ParseFlag(const std::string& text, const std::string& option) {
  if (text == "0") return false;
  if (text == "1") return true;
  throw UsageError(option + " takes 0 or 1");
}

int ParseSplashKind(const std::string& text) {
  static const std::map<std::string, int> kNames = {{"none", pkg::kSplashNone},
                                                    {"bmp", pkg::kSplashBmp},
                                                    {"swf", pkg::kSplashFlash},
                                                    {"jpeg", pkg::kSplashJpeg},
                                                    {"silent", pkg::kSplashSilent}};
  auto it = kNames.find(text);
  return it != kNames.end() ? it->second : ParseInt(text, "--splash-kind");
}

// "N=VALUE" with N a slot from 1 to 10.
std::pair<int, std::string> ParseSlotAssignment(const std::string& text,
                                                const std::string& option) {
  size_t eq = text.find('=');
  if (eq == std::string::npos) throw UsageError(option + " takes N=VALUE");
  int slot = ParseInt(text.substr(0, eq), option);
  if (slot < 1 || slot > 10) throw UsageError(option + ": slots are 1 to 10");
  return {slot, text.substr(eq + 1)};
}

int Build(const std::vector<std::string>& args, std::ostream& out) {
  BuildOptions options;
  int libraries = 0;
  const std::map<std::string, int> fileOptions = {
      {"--dcl", 1},      {"--flash-setup", 2}, {"--splash", 3}, {"--licence", 4},
      {"--document", 5}, {"--saver", 6},       {"--data", 7},   {"--settings", 8}};
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    auto setSlot = [&](int slot, const std::string& file) {
      if (options.slotFiles[slot])
        throw UsageError("slot " + std::to_string(slot) + " is given twice");
      options.slotFiles[slot] = file;
    };
    if (arg == "--stub") {
      options.stubPath = value();
    } else if (arg == "-o" || arg == "--output") {
      options.outputPath = value();
    } else if (arg == "--name") {
      options.name = value();
    } else if (arg == "--splash-kind") {
      options.splashKind = ParseSplashKind(value());
    } else if (arg == "--offer-display-properties") {
      options.offerDisplayProperties = true;
    } else if (arg == "--show-licence") {
      options.showLicence = ParseFlag(value(), arg);
    } else if (arg == "--after-install-document") {
      options.afterInstallDocument = ParseFlag(value(), arg);
    } else if (auto it = fileOptions.find(arg); it != fileOptions.end()) {
      setSlot(it->second, value());
    } else if (arg == "--lib") {
      if (libraries == 2) throw UsageError("at most two --lib files fit (slots 9 and 10)");
      setSlot(9 + libraries++, value());
    } else if (arg == "--slot") {
      auto [slot, file] = ParseSlotAssignment(value(), arg);
      setSlot(slot, file);
    } else if (arg == "--slot-name") {
      auto [slot, name] = ParseSlotAssignment(value(), arg);
      options.slotNames[slot] = name;
    } else if (arg == "--implode") {
      options.implode = LiteralMode::Binary;
    } else if (arg == "--implode-ascii") {
      options.implode = LiteralMode::Ascii;
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
  if (options.stubPath.empty()) throw UsageError("build needs --stub installer.exe");
  if (options.outputPath.empty()) throw UsageError("build needs -o OUT.exe");
  for (int slot = 1; slot <= 10; ++slot) {
    if (options.slotNames[slot] && !options.slotFiles[slot]) {
      throw UsageError("--slot-name " + std::to_string(slot) + " names a slot that has no file");
    }
  }
  BuildInstaller(options);
  out << "wrote " << options.outputPath << "\n";
  return 0;
}

const char* KindName(int32_t kind) {
  switch (kind) {
    case pkg::kKindData:
      return "data";
    case pkg::kKindWindows:
      return "windows";
    case pkg::kKindWindowsLibrary:
      return "windows-dll";
    case pkg::kKindSettings:
      return "settings";
    case pkg::kKindDataFile:
      return "data-file";
    case pkg::kKindImage:
      return "image";
    default:
      return "none";
  }
}

int List(const std::vector<std::string>& args, std::ostream& out) {
  if (args.size() != 2) throw UsageError("list takes one installer file");
  ListedPackage listed = ReadPackage(args[1]);
  const pkg::TPackageHeader& h = listed.table.Header;
  out << "package offset: " << listed.offset << "\n"
      << "name: \"" << Cp932ToUtf8(h.NameText()) << "\"\n"
      << "splash kind: " << int{h.SplashKind} << "\n"
      << "show licence: " << int{h.ShowLicence} << "\n"
      << "after-install document: " << int{h.HasAfterInstallDocument} << "\n"
      << "offer display properties: " << int{h.OfferDisplayProperties} << "\n"
      << "slot  start       end         kind            size        stored    packed      unpacked "
         "   name\n";
  for (size_t slot = 0; slot < pkg::kSlotCount; ++slot) {
    const pkg::TPackageEntry& e = listed.table.Entries[slot];
    out << std::left << std::setw(6) << slot << std::setw(12) << e.StartOffset << std::setw(12)
        << e.EndOffset << std::setw(16) << (std::to_string(e.Kind) + " " + KindName(e.Kind))
        << std::setw(12) << (e.Name.empty() ? 0 : e.PayloadSize()) << std::setw(10)
        << (e.Imploded ? "imploded" : "stored") << std::setw(12) << e.PackedSize << std::setw(12)
        << e.UnpackedSize << (e.Name.empty() ? "(empty)" : "\"" + Cp932ToUtf8(e.Name) + "\"")
        << "\n";
  }
  return 0;
}

int ImplodeFile(const std::vector<std::string>& args, std::ostream& out) {
  LiteralMode mode = LiteralMode::Binary;
  unsigned dictionary = 4096;
  std::vector<std::string> files;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--ascii") {
      mode = LiteralMode::Ascii;
    } else if (args[i] == "--dict" && i + 1 < args.size()) {
      int size = ParseInt(args[++i], "--dict");
      if (size != 1024 && size != 2048 && size != 4096)
        throw UsageError("--dict takes 1024, 2048 or 4096");
      dictionary = static_cast<unsigned>(size);
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) throw UsageError("implode takes IN and OUT");
  std::string data = ReadWholeFile(files[0]);
  std::string packed = Implode(data, mode, dictionary);
  WriteWholeFile(files[1], packed);
  out << files[0] << ": " << data.size() << " -> " << packed.size() << " bytes\n";
  return 0;
}

int ExplodeFile(const std::vector<std::string>& args, std::ostream& out) {
  if (args.size() != 3) throw UsageError("explode takes IN and OUT");
  std::string packed = ReadWholeFile(args[1]);
  std::string data;
  try {
    data = Explode(packed);
  } catch (const std::runtime_error& e) {
    throw BuildError(args[1] + ": " + e.what());
  }
  WriteWholeFile(args[2], data);
  out << args[1] << ": " << packed.size() << " -> " << data.size() << " bytes\n";
  return 0;
}

}  // namespace

int RunSspack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
      (args.empty() ? err : out) << kUsage;
      return args.empty() ? 2 : 0;
    }
    if (args[0] == "build") return Build(args, out);
    if (args[0] == "list") return List(args, out);
    if (args[0] == "implode") return ImplodeFile(args, out);
    if (args[0] == "explode") return ExplodeFile(args, out);
    throw UsageError("unknown command " + args[0]);
  } catch (const UsageError& e) {
    err << "sspack: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    err << "sspack: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace sspack
