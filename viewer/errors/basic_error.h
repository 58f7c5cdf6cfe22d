#pragma once
// Failures numbered and worded as the classic Windows BASIC run-time errors
// that users of this kind of software know, with the Japanese texts they
// read. The file layer, the grid and the window's routines each raise their
// own kind; a caller that only reports the failure (number and text)
// catches BasicError. The numbers and their texts live here, once.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pellora {

enum BasicErrorNumber : std::int16_t {
  kErrInvalidProcedureCall = 5,
  kErrOverflow = 6,
  kErrOutOfMemory = 7,
  kErrInternal = 51,
  kErrBadFileName = 52,
  kErrFileNotFound = 53,
  kErrDeviceIO = 57,
  kErrTooManyFiles = 67,
  kErrPermissionDenied = 70,
  kErrPathFileAccess = 75,
  kErrPathNotFound = 76,
  kErrInvalidPropertyValue = 380,
  kErrInvalidPropertyIndex = 381,
};

// The text that goes with an error number ("" for a number not listed).
constexpr std::u16string_view BasicErrorText(std::int16_t number) {
  switch (number) {
    case kErrInvalidProcedureCall: return u"プロシージャの呼び出し、または引数が不正です。";
    case kErrOverflow: return u"オーバーフローしました。";
    case kErrOutOfMemory: return u"メモリが不足しています。";
    case kErrInternal: return u"内部エラーです。";
    case kErrBadFileName: return u"ファイル名または番号が不正です。";
    case kErrFileNotFound: return u"ファイルが見つかりません。";
    case kErrDeviceIO: return u"デバイス I/O エラーです。";
    case kErrTooManyFiles: return u"ファイルが多すぎます。";
    case kErrPermissionDenied: return u"書き込みできません。";
    case kErrPathFileAccess: return u"パス/ファイル アクセス エラーです。";
    case kErrPathNotFound: return u"パスが見つかりません。";
    case kErrInvalidPropertyValue: return u"プロパティの値が不正です。";
    case kErrInvalidPropertyIndex: return u"プロパティ配列のインデックスが不正です。";
    default: return u"";
  }
}

class BasicError : public std::runtime_error {
 public:
  std::int16_t number() const { return number_; }
  const std::u16string& description() const { return description_; }

 protected:
  BasicError(std::int16_t number, const std::string& what)
      : std::runtime_error(what), number_(number), description_(BasicErrorText(number)) {}

 private:
  std::int16_t number_;
  std::u16string description_;
};

}  // namespace pellora
