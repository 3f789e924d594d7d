#pragma once

// The error codes every layer speaks: those of the original platform,
// whatever OS is underneath, so codes, messages and exit codes read the
// same everywhere. 0 is success.

namespace brimvel {

inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kNotEnoughMemory = 8;
inline constexpr int kBadEnvironment = 10;
inline constexpr int kBadFormat = 11;
inline constexpr int kNotSameDevice = 17;
inline constexpr int kNoMoreFiles = 18;
// A failure the platform reports without a closer meaning.
inline constexpr int kGeneralFailure = 31;
inline constexpr int kSharingViolation = 32;
inline constexpr int kFileExists = 80;
inline constexpr int kInvalidParameter = 87;
inline constexpr int kDiskFull = 112;
inline constexpr int kNameTooLong = 206;

}  // namespace brimvel
