// The installer's own error codes. 0 is success, positive values are system or I/O error numbers.
#pragma once

#include <cstdint>

namespace ssi::err {

constexpr int32_t kOk = 0;
constexpr int32_t kFolderNotRemoved = -1;
constexpr int32_t kBadBlockSize = -7;
constexpr int32_t kItemIndex = -12;
constexpr int32_t kSizeMismatch = -13;
constexpr int32_t kDataNotOpen = -15;
constexpr int32_t kNoOutputFile = -16;
constexpr int32_t kActivationFailed = -25;
constexpr int32_t kShortPayload = -30;
constexpr int32_t kNoPackage = -31;
constexpr int32_t kCannotDelete = -32;
constexpr int32_t kNoDecompressor = -35;
constexpr int32_t kSaverBusy = -38;
// A stored entry name that would leave its folder (separator, drive, "..", device name).
constexpr int32_t kUnsafeEntryName = -39;
constexpr int32_t kFlashSetupMissing = -401;
constexpr int32_t kNoFlashControl = -402;
constexpr int32_t kWorkCopyFailed = -523;
constexpr int32_t kEmptySlot = -531;
constexpr int32_t kItemCopyFailed = -532;
constexpr int32_t kUserDeclined = 409;

}  // namespace ssi::err
