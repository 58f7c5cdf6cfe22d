// Memory and file streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/automation/test_support.h"

namespace {

LARGE_INTEGER Offset(LONGLONG n) {
  LARGE_INTEGER v;
  v.QuadPart = n;
  return v;
}

ULONGLONG Size(IStream* stream) {
  STATSTG stat;
  EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
  return stat.cbSize.QuadPart;
}

// The behaviour both streams share: write, seek, read back, short reads at
// the end, positions past the end, refusal to seek before the start.
void ExerciseStream(IStream* stream, HRESULT shortReadResult) {
  ULONG written = 0;
  ASSERT_EQ(stream->Write("holiday", 7, &written), S_OK);
  EXPECT_EQ(written, 7u);
  EXPECT_EQ(Size(stream), 7u);

  ULARGE_INTEGER position;
  ASSERT_EQ(stream->Seek(Offset(2), STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 2u);
  char buffer[16] = {0};
  ULONG read = 0;
  ASSERT_EQ(stream->Read(buffer, 3, &read), S_OK);
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(std::string(buffer, 3), "lid");

  EXPECT_EQ(stream->Read(buffer, 10, &read), shortReadResult) << "fewer bytes than asked";
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(std::string(buffer, 2), "ay");
  EXPECT_EQ(stream->Read(buffer, 10, &read), shortReadResult);
  EXPECT_EQ(read, 0u) << "nothing left at the end";

  ASSERT_EQ(stream->Seek(Offset(-3), STREAM_SEEK_END, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 4u);
  ASSERT_EQ(stream->Seek(Offset(1), STREAM_SEEK_CUR, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 5u);
  EXPECT_EQ(stream->Seek(Offset(-6), STREAM_SEEK_CUR, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(stream->Seek(Offset(0), 7, nullptr), STG_E_INVALIDFUNCTION);

  // Writing past the end fills the gap with zeros.
  ASSERT_EQ(stream->Seek(Offset(9), STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(stream->Write("!", 1, nullptr), S_OK);
  EXPECT_EQ(Size(stream), 10u);
  ASSERT_EQ(stream->Seek(Offset(6), STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(stream->Read(buffer, 4, &read), S_OK);
  EXPECT_EQ(std::memcmp(buffer, "y\0\0!", 4), 0);

  ULARGE_INTEGER size;
  size.QuadPart = 3;
  ASSERT_EQ(stream->SetSize(size), S_OK);
  EXPECT_EQ(Size(stream), 3u);
}

TEST(MemoryStream, ReadWriteSeekStat) {
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ExerciseStream(stream, S_OK);
  HGLOBAL block = nullptr;
  ASSERT_EQ(GetHGlobalFromStream(stream, &block), S_OK);
  EXPECT_GE(GlobalSize(block), 3u);
  EXPECT_EQ(std::memcmp(GlobalLock(block), "hol", 3), 0);
  GlobalUnlock(block);
  EXPECT_EQ(stream->Release(), 0u);
}

TEST(MemoryStream, ClonesShareTheDataButNotThePosition) {
  const BYTE bytes[] = {1, 2, 3, 4};
  IStream* stream = SHCreateMemStream(bytes, 4);
  ASSERT_NE(stream, nullptr);
  BYTE b = 0;
  stream->Read(&b, 1, nullptr);
  IStream* clone = nullptr;
  ASSERT_EQ(stream->Clone(&clone), S_OK);
  stream->Release();
  ASSERT_EQ(clone->Read(&b, 1, nullptr), S_OK);
  EXPECT_EQ(b, 2) << "the clone starts where the original was";
  EXPECT_EQ(Size(clone), 4u);
  clone->Release();
}

TEST(MemoryStream, CopyToAnotherStream) {
  const BYTE bytes[] = {'a', 'b', 'c', 'd', 'e'};
  IStream* from = SHCreateMemStream(bytes, 5);
  IStream* to = SHCreateMemStream(nullptr, 0);
  ULARGE_INTEGER want, read, written;
  want.QuadPart = 100;
  ASSERT_EQ(from->CopyTo(to, want, &read, &written), S_OK);
  EXPECT_EQ(read.QuadPart, 5u);
  EXPECT_EQ(written.QuadPart, 5u);
  EXPECT_EQ(Size(to), 5u);
  from->Release();
  to->Release();
}

class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dovrel-stream-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = std::u16string(dir_.begin(), dir_.end()) + u"/data.bin";
  }
  void TearDown() override {
    std::remove((dir_ + "/data.bin").c_str());
    std::remove(dir_.c_str());
  }
  std::string dir_;
  std::u16string path_;
};

TEST_F(FileStreamTest, ReadWriteSeekStatAndShortReads) {
  IStream* stream = nullptr;
  ASSERT_EQ(SHCreateStreamOnFileEx(path_.c_str(), STGM_READWRITE | STGM_CREATE, FILE_ATTRIBUTE_NORMAL, TRUE, nullptr,
                                   &stream),
            S_OK);
  ExerciseStream(stream, S_FALSE);
  STATSTG stat;
  ASSERT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(std::u16string(stat.pwcsName), path_);
  CoTaskMemFree(stat.pwcsName);
  IStream* clone = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(stream->Clone(&clone), E_NOTIMPL);
  EXPECT_EQ(clone, nullptr);
  stream->Release();

  // The data is in the file for the next reader.
  ASSERT_EQ(SHCreateStreamOnFileW(path_.c_str(), STGM_READ, &stream), S_OK);
  char buffer[4];
  ULONG read = 0;
  EXPECT_EQ(stream->Read(buffer, 4, &read), S_FALSE);
  EXPECT_EQ(std::string(buffer, read), "hol");
  EXPECT_EQ(stream->Write("x", 1, nullptr), STG_E_ACCESSDENIED) << "opened for reading only";
  stream->Release();
}

TEST_F(FileStreamTest, CreationRules) {
  IStream* stream = nullptr;
  EXPECT_EQ(SHCreateStreamOnFileEx(path_.c_str(), STGM_READ, 0, FALSE, nullptr, &stream),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(stream, nullptr);
  ASSERT_EQ(SHCreateStreamOnFileEx(path_.c_str(), STGM_WRITE, 0, TRUE, nullptr, &stream), S_OK);
  stream->Write("abc", 3, nullptr);
  stream->Release();
  EXPECT_EQ(SHCreateStreamOnFileEx(path_.c_str(), STGM_WRITE, 0, TRUE, nullptr, &stream),
            HRESULT_FROM_WIN32(ERROR_FILE_EXISTS))
      << "fCreate without STGM_CREATE keeps an existing file";
  ASSERT_EQ(SHCreateStreamOnFileEx(path_.c_str(), STGM_READWRITE | STGM_CREATE, 0, FALSE, nullptr, &stream), S_OK);
  EXPECT_EQ(Size(stream), 0u) << "STGM_CREATE starts the file afresh";
  stream->Release();
  std::u16string directory(dir_.begin(), dir_.end());
  EXPECT_EQ(SHCreateStreamOnFileW(directory.c_str(), STGM_READ, &stream), E_ACCESSDENIED);
}

}  // namespace
