// The in-memory disk of the fake backend.
#include "platform/fake/fake_file_system.h"

#include <algorithm>
#include <stdexcept>

#include "core/cp932.h"
#include "platform/io_error.h"

namespace ssi::fake {

namespace {
constexpr uint32_t kSpecialAttributes =
    attr::kHidden | attr::kSystem | attr::kVolumeLabel | attr::kDirectory;

// The 8.3 alias of one name: a name longer than 8.3 or with a space becomes its first six
// characters, "~1" and three of its extension, in capitals, as the system derives them. Shorter
// names are their own alias.
std::string ShortName(const std::string& name) {
  std::string ext = cp932::Extension(name);
  std::string stem = name.substr(0, name.size() - ext.size());
  bool longName =
      stem.size() > 8 || ext.size() > 4 || cp932::FindChar(name, ' ') != std::string::npos;
  if (!longName) return name;
  std::string s;
  for (char c : stem) {
    if (c != ' ' && c != '.') s += c;
  }
  return cp932::ToAsciiUpper(cp932::LeftChars(s, 6) + "~1" + cp932::LeftChars(ext, 4));
}
}  // namespace

class FakeStream : public FileStream {
 public:
  FakeStream(FakeFileSystem& disk, std::string key, bool writable)
      : disk_(disk), key_(std::move(key)), writable_(writable) {
    FakeFileSystem::Node& node = disk_.nodes_.at(key_);
    data_ = node.data;
    ++node.openHandles;
  }
  ~FakeStream() override { Release(); }

  uint32_t Read(void* buffer, uint32_t count) override {
    Check();
    if (position_ >= static_cast<int64_t>(data_->size())) return 0;
    uint32_t n = static_cast<uint32_t>(
        std::min<int64_t>(count, static_cast<int64_t>(data_->size()) - position_));
    std::copy_n(data_->data() + position_, n, static_cast<char*>(buffer));
    position_ += n;
    return n;
  }

  uint32_t Write(const void* buffer, uint32_t count) override {
    Check();
    if (!writable_) throw IoError(syserr::kAccessDenied);
    int64_t end = position_ + count;
    int64_t growth = std::max<int64_t>(0, end - static_cast<int64_t>(data_->size()));
    if (disk_.UsedBytes() + growth > disk_.capacity_) throw IoError(syserr::kDiskFull);
    if (end > static_cast<int64_t>(data_->size())) data_->resize(static_cast<size_t>(end));
    std::copy_n(static_cast<const char*>(buffer), count, data_->data() + position_);
    position_ = end;
    return count;
  }

  void Seek(int64_t position) override {
    Check();
    if (position < 0) throw IoError(131);  // the system's "negative seek"
    position_ = position;
  }

  int64_t Size() override {
    Check();
    return static_cast<int64_t>(data_->size());
  }

  void Close() override {
    if (closed_) return;
    Check();
    Release();
  }

 private:
  void Check() {
    if (closed_) throw IoError(6);  // the system's "invalid handle"
    disk_.ThrowIfInjected(disk_.nodes_.at(key_));
  }
  void Release() {
    if (closed_) return;
    closed_ = true;
    auto it = disk_.nodes_.find(key_);
    if (it != disk_.nodes_.end()) --it->second.openHandles;
  }

  FakeFileSystem& disk_;
  std::string key_;
  std::shared_ptr<std::string> data_;
  int64_t position_ = 0;
  bool writable_;
  bool closed_ = false;
};

FakeFileSystem::FakeFileSystem() {
  Node root;
  root.name = "C:";
  root.folder = true;
  root.attributes = attr::kDirectory;
  nodes_[Key("C:\\")] = root;
}

std::string FakeFileSystem::Key(const std::string& path) {
  std::string key = cp932::ToAsciiLower(path);
  for (size_t i = 0; i < key.size(); ++i) {
    if (cp932::IsLeadByte(static_cast<unsigned char>(key[i])) && i + 1 < key.size()) {
      ++i;
    } else if (key[i] == '/') {
      key[i] = '\\';
    }
  }
  while (cp932::EndsWithBackslash(key) && key.size() > 3) key.pop_back();
  if (key.size() == 2 && key[1] == ':') key += '\\';
  return key;
}

std::string FakeFileSystem::ParentKey(const std::string& key) {
  std::string folder = cp932::FolderPart(key);
  if (folder.empty() || folder == key) return {};
  return Key(folder);
}

std::string FakeFileSystem::Resolve(const std::string& path) const {
  std::string key = Key(path);
  if (nodes_.count(key)) return key;
  // Not there by its long name: the path may use 8.3 aliases, as ShortPath gives them, which
  // the system accepts anywhere a path is taken. Walk it one component at a time.
  std::string resolved;
  size_t start = 0;
  while (start <= key.size()) {
    size_t sep = cp932::FindChar(key, '\\', start);
    std::string part =
        key.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
    if (resolved.empty()) {
      resolved = part;
    } else if (!part.empty()) {
      std::string parent = Key(resolved);
      std::string candidate = cp932::WithTrailingBackslash(parent) + part;
      if (!nodes_.count(candidate)) {
        for (const auto& [other, node] : nodes_) {
          if (other != parent && ParentKey(other) == parent && Key(ShortName(node.name)) == part) {
            candidate = other;
            break;
          }
        }
      }
      resolved = candidate;
    }
    if (sep == std::string::npos) break;
    start = sep + 1;
  }
  return Key(resolved);
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) {
  auto it = nodes_.find(Resolve(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::Fail(uint32_t error) {
  lastError_ = error;
  return false;
}

void FakeFileSystem::ThrowIfInjected(const Node& node) {
  if (node.ioError != 0) throw IoError(node.ioError);
}

int64_t FakeFileSystem::UsedBytes() const {
  int64_t used = 0;
  for (const auto& [key, node] : nodes_) used += static_cast<int64_t>(node.data->size());
  return used;
}

void FakeFileSystem::AddFolder(const std::string& path) {
  std::string trimmed = path;
  while (cp932::EndsWithBackslash(trimmed) && trimmed.size() > 3) trimmed.pop_back();
  std::string key = Key(trimmed);
  if (nodes_.count(key)) return;
  if (!ParentKey(key).empty()) AddFolder(cp932::FolderPart(trimmed));
  Node node;
  node.name = cp932::FileNamePart(trimmed);
  node.folder = true;
  node.attributes = attr::kDirectory;
  nodes_[key] = node;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& contents,
                             uint32_t attributes) {
  AddFolder(cp932::FolderPart(path));
  Node node;
  node.name = cp932::FileNamePart(path);
  node.attributes = attributes;
  *node.data = contents;
  nodes_[Key(path)] = node;
}

std::string FakeFileSystem::Contents(const std::string& path) const {
  auto it = nodes_.find(Resolve(path));
  if (it == nodes_.end() || it->second.folder) throw std::out_of_range("no file at " + path);
  return *it->second.data;
}

void FakeFileSystem::SetInUse(const std::string& path, bool inUse) {
  nodes_.at(Key(path)).inUse = inUse;
}
void FakeFileSystem::InjectIoError(const std::string& path, int32_t number) {
  nodes_.at(Key(path)).ioError = number;
}
void FakeFileSystem::SetCapacity(int64_t bytes) { capacity_ = bytes; }

void FakeFileSystem::FailFolderCreation(const std::string& path, int32_t number) {
  if (number == 0) {
    folderFailures_.erase(Key(path));
  } else {
    folderFailures_[Key(path)] = number;
  }
}

bool FakeFileSystem::FileExists(const std::string& path) {
  Node* node = Find(path);
  return node != nullptr && !node->folder;
}

bool FakeFileSystem::FolderExists(const std::string& path) {
  Node* node = Find(path);
  return node != nullptr && node->folder;
}

int64_t FakeFileSystem::FileSize(const std::string& path) {
  Node* node = Find(path);
  return node != nullptr && !node->folder ? static_cast<int64_t>(node->data->size()) : -1;
}

std::unique_ptr<FileStream> FakeFileSystem::OpenRead(const std::string& path) {
  Node* node = Find(path);
  if (node == nullptr)
    throw IoError(FolderExists(cp932::FolderPart(path)) ? syserr::kFileNotFound
                                                        : syserr::kPathNotFound);
  if (node->folder) throw IoError(syserr::kAccessDenied);
  if (node->inUse) throw IoError(syserr::kSharingViolation);
  ThrowIfInjected(*node);
  return std::make_unique<FakeStream>(*this, Resolve(path), false);
}

std::unique_ptr<FileStream> FakeFileSystem::Create(const std::string& path) {
  std::string key = Resolve(path);
  if (Node* node = Find(path)) {
    if (node->folder || (node->attributes & attr::kReadOnly)) throw IoError(syserr::kAccessDenied);
    if (node->inUse || node->openHandles > 0) throw IoError(syserr::kSharingViolation);
    ThrowIfInjected(*node);
    node->data = std::make_shared<std::string>();
    node->attributes = attr::kArchive;
  } else {
    Node* parent = Find(ParentKey(key));
    if (parent == nullptr || !parent->folder) throw IoError(syserr::kPathNotFound);
    Node file;
    file.name = cp932::FileNamePart(path);
    file.attributes = attr::kArchive;
    nodes_[key] = file;
  }
  return std::make_unique<FakeStream>(*this, key, true);
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
  ++deleteCalls_;
  Node* node = Find(path);
  if (node == nullptr) return Fail(syserr::kFileNotFound);
  if (node->folder) return Fail(syserr::kAccessDenied);
  if (node->inUse || node->openHandles > 0) return Fail(syserr::kSharingViolation);
  if (node->attributes & attr::kReadOnly) return Fail(syserr::kAccessDenied);
  nodes_.erase(Resolve(path));
  return true;
}

uint32_t FakeFileSystem::GetAttributes(const std::string& path) {
  Node* node = Find(path);
  if (node == nullptr) {
    lastError_ = syserr::kFileNotFound;
    return attr::kInvalid;
  }
  return node->attributes;
}

bool FakeFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  Node* node = Find(path);
  if (node == nullptr) return Fail(syserr::kFileNotFound);
  // Normal alone means "no attributes"; a folder keeps being a folder.
  uint32_t kept = attributes == attr::kNormal ? 0 : attributes & ~attr::kDirectory;
  node->attributes = kept | (node->folder ? attr::kDirectory : 0);
  if (!node->folder && node->attributes == 0) node->attributes = attr::kNormal;
  return true;
}

bool FakeFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  Node* source = Find(from);
  if (source == nullptr || source->folder) return Fail(syserr::kFileNotFound);
  if (source->inUse) return Fail(syserr::kSharingViolation);
  if (Node* target = Find(to)) {
    if (failIfExists) return Fail(syserr::kFileExists);
    if (target->folder || (target->attributes & attr::kReadOnly))
      return Fail(syserr::kAccessDenied);
    if (target->inUse || target->openHandles > 0) return Fail(syserr::kSharingViolation);
  } else if (!FolderExists(cp932::FolderPart(to))) {
    return Fail(syserr::kPathNotFound);
  }
  int64_t growth = static_cast<int64_t>(source->data->size()) - std::max<int64_t>(0, FileSize(to));
  if (UsedBytes() + growth > capacity_) return Fail(syserr::kDiskFull);
  Node copy;
  copy.name = cp932::FileNamePart(to);
  copy.attributes = source->attributes;
  copy.data = std::make_shared<std::string>(*source->data);
  nodes_[Resolve(to)] = copy;
  return true;
}

bool FakeFileSystem::CreateFolder(const std::string& path) {
  std::string key = Key(path);
  if (auto it = folderFailures_.find(key); it != folderFailures_.end())
    return Fail(static_cast<uint32_t>(it->second));
  if (nodes_.count(key)) return Fail(syserr::kAlreadyExists);
  Node* parent = Find(ParentKey(key));
  if (parent == nullptr || !parent->folder) return Fail(syserr::kPathNotFound);
  Node folder;
  std::string trimmed = path;
  while (cp932::EndsWithBackslash(trimmed)) trimmed.pop_back();
  folder.name = cp932::FileNamePart(trimmed);
  folder.folder = true;
  folder.attributes = attr::kDirectory;
  nodes_[key] = folder;
  return true;
}

bool FakeFileSystem::RemoveFolder(const std::string& path) {
  std::string key = Resolve(path);
  Node* node = Find(path);
  if (node == nullptr) return Fail(syserr::kFileNotFound);
  if (!node->folder) return Fail(267);  // the system's "not a directory"
  if (node->attributes & attr::kReadOnly) return Fail(syserr::kAccessDenied);
  for (const auto& [other, unused] : nodes_) {
    if (ParentKey(other) == key) return Fail(syserr::kDirNotEmpty);
  }
  nodes_.erase(key);
  return true;
}

std::vector<DirEntry> FakeFileSystem::Enumerate(const std::string& pattern, uint32_t mask) {
  std::vector<DirEntry> entries;
  std::string folderKey = Key(cp932::FolderPart(pattern));
  Node* folder = Find(folderKey);
  if (folder == nullptr || !folder->folder) return entries;
  if (cp932::FileNamePart(pattern) != "*.*" && cp932::FileNamePart(pattern) != "*") {
    throw std::invalid_argument("the fake disk enumerates with *.* only");
  }
  if (folderKey.size() > 3 && (mask & attr::kDirectory)) {
    entries.push_back({".", attr::kDirectory});
    entries.push_back({"..", attr::kDirectory});
  }
  for (const auto& [key, node] : nodes_) {
    if (key == folderKey || ParentKey(key) != folderKey) continue;
    if ((node.attributes & kSpecialAttributes & ~mask) != 0) continue;
    entries.push_back({node.name, node.attributes});
  }
  return entries;
}

std::string FakeFileSystem::ShortPath(const std::string& path) {
  if (Find(path) == nullptr) return Fail(syserr::kFileNotFound), std::string();
  std::string shortened;
  size_t start = 0;
  while (start <= path.size()) {
    size_t sep = cp932::FindChar(path, '\\', start);
    std::string part =
        path.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
    shortened += start > 0 ? ShortName(part) : part;
    if (sep == std::string::npos) break;
    shortened += '\\';
    start = sep + 1;
  }
  return shortened;
}

}  // namespace ssi::fake
