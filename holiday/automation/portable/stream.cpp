// Memory blocks (GlobalAlloc), streams on memory (CreateStreamOnHGlobal,
// SHCreateMemStream) and streams on files (SHCreateStreamOnFileEx).
// The layer first: <fcntl.h> defines a LOCK_WRITE macro that would clash
// with the stream lock types.
#include "automation/portable/internal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>


using namespace automation;

namespace {

// Every HGLOBAL of the layer is a movable block: GlobalLock gives its data.
struct GlobalBlock {
  BYTE* data = nullptr;
  SIZE_T size = 0;
  UINT locks = 0;
};

GlobalBlock* BlockOf(HGLOBAL handle) { return static_cast<GlobalBlock*>(handle); }

// The part common to both streams: IUnknown, CopyTo and the operations a
// plain stream does not support.
class StreamBase : public IStream, public RefCounted {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return QueryFace(static_cast<IStream*>(this), riid, {&IID_ISequentialStream, &IID_IStream}, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

  STDMETHODIMP CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                      ULARGE_INTEGER* pcbWritten) override {
    if (!target) return STG_E_INVALIDPOINTER;
    ULONGLONG readTotal = 0, writtenTotal = 0;
    BYTE buffer[8192];
    HRESULT hr = S_OK;
    while (readTotal < cb.QuadPart) {
      ULONG want = static_cast<ULONG>(std::min<ULONGLONG>(sizeof buffer, cb.QuadPart - readTotal));
      ULONG got = 0;
      hr = Read(buffer, want, &got);
      if (FAILED(hr)) break;
      readTotal += got;
      ULONG written = 0;
      if (got) hr = target->Write(buffer, got, &written);
      writtenTotal += written;
      if (FAILED(hr) || got < want) break;
    }
    if (pcbRead) pcbRead->QuadPart = readTotal;
    if (pcbWritten) pcbWritten->QuadPart = writtenTotal;
    return FAILED(hr) ? hr : S_OK;
  }
  STDMETHODIMP Revert() override { return S_OK; }
  STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

 protected:
  // The new position for a seek, or a failure for an unknown origin or a
  // position before the start.
  static HRESULT NewPosition(LARGE_INTEGER move, DWORD origin, ULONGLONG current, ULONGLONG size,
                             ULONGLONG& result) {
    long long from;
    switch (origin) {
      case STREAM_SEEK_SET: from = 0; break;
      case STREAM_SEEK_CUR: from = static_cast<long long>(current); break;
      case STREAM_SEEK_END: from = static_cast<long long>(size); break;
      default: return STG_E_INVALIDFUNCTION;
    }
    long long target = from + move.QuadPart;
    if (target < 0 || (move.QuadPart > 0 && target < from)) return STG_E_INVALIDFUNCTION;
    result = static_cast<ULONGLONG>(target);
    return S_OK;
  }
};

// The data of a memory stream, shared by its clones.
struct MemoryData {
  HGLOBAL handle = nullptr;
  ULONGLONG size = 0;
  bool deleteOnRelease = false;
  ~MemoryData() {
    if (deleteOnRelease) GlobalFree(handle);
  }
};

class MemoryStream final : public StreamBase {
 public:
  explicit MemoryStream(std::shared_ptr<MemoryData> data, ULONGLONG position = 0)
      : data_(std::move(data)), position_(position) {}

  HGLOBAL Handle() const { return data_->handle; }

  STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (!pv) return STG_E_INVALIDPOINTER;
    ULONG n = 0;
    if (position_ < data_->size) n = static_cast<ULONG>(std::min<ULONGLONG>(cb, data_->size - position_));
    if (n) std::memcpy(pv, BlockOf(data_->handle)->data + position_, n);
    position_ += n;
    if (pcbRead) *pcbRead = n;
    return S_OK;  // a short read is reported through the count only
  }
  STDMETHODIMP Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    if (!cb) return S_OK;
    ULONGLONG end = position_ + cb;
    if (end > data_->size && FAILED(Resize(end))) return STG_E_MEDIUMFULL;
    std::memcpy(BlockOf(data_->handle)->data + position_, pv, cb);
    position_ = end;
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }
  STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    ULONGLONG target;
    HRESULT hr = NewPosition(move, origin, position_, data_->size, target);
    if (FAILED(hr)) return hr;
    position_ = target;
    if (newPosition) newPosition->QuadPart = position_;
    return S_OK;
  }
  STDMETHODIMP SetSize(ULARGE_INTEGER size) override { return Resize(size.QuadPart); }
  STDMETHODIMP Commit(DWORD) override { return S_OK; }
  STDMETHODIMP Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = data_->size;
    stat->grfMode = STGM_READWRITE;
    return S_OK;
  }
  STDMETHODIMP Clone(IStream** clone) override {
    if (!clone) return STG_E_INVALIDPOINTER;
    *clone = new (std::nothrow) MemoryStream(data_, position_);
    return *clone ? S_OK : E_OUTOFMEMORY;
  }

 private:
  HRESULT Resize(ULONGLONG size) {
    if (size > 0x7FFFFFFFull) return STG_E_MEDIUMFULL;
    GlobalBlock* block = BlockOf(data_->handle);
    if (size > block->size) {
      SIZE_T grown = std::max<SIZE_T>(static_cast<SIZE_T>(size), block->size * 2);
      if (!GlobalReAlloc(data_->handle, grown, GMEM_MOVEABLE)) return E_OUTOFMEMORY;
    }
    if (size > data_->size) std::memset(block->data + data_->size, 0, static_cast<std::size_t>(size - data_->size));
    data_->size = size;
    return S_OK;
  }

  std::shared_ptr<MemoryData> data_;
  ULONGLONG position_;
};

FILETIME FileTimeOf(const timespec& t) {
  // 100-nanosecond intervals since 1601-01-01.
  ULONGLONG ticks = (static_cast<ULONGLONG>(t.tv_sec) + 11644473600ull) * 10000000ull + t.tv_nsec / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

class FileStream final : public StreamBase {
 public:
  FileStream(int fd, std::u16string path, DWORD mode) : fd_(fd), path_(std::move(path)), mode_(mode) {}

  STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    if ((mode_ & 3) == STGM_WRITE) return STG_E_ACCESSDENIED;
    ULONG done = 0;
    while (done < cb) {
      ssize_t n = read(fd_, static_cast<BYTE*>(pv) + done, cb - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return STG_E_READFAULT;
      if (n == 0) break;
      done += static_cast<ULONG>(n);
    }
    if (pcbRead) *pcbRead = done;
    return done < cb ? S_FALSE : S_OK;  // S_FALSE: the end of the file came first
  }
  STDMETHODIMP Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    if ((mode_ & 3) == STGM_READ) return STG_E_ACCESSDENIED;
    ULONG done = 0;
    while (done < cb) {
      ssize_t n = write(fd_, static_cast<const BYTE*>(pv) + done, cb - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        if (pcbWritten) *pcbWritten = done;
        return errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
      }
      done += static_cast<ULONG>(n);
    }
    if (pcbWritten) *pcbWritten = done;
    return S_OK;
  }
  STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    struct stat st;
    off_t current = lseek(fd_, 0, SEEK_CUR);
    if (current < 0 || fstat(fd_, &st) != 0) return STG_E_INVALIDFUNCTION;
    ULONGLONG target;
    HRESULT hr = NewPosition(move, origin, static_cast<ULONGLONG>(current), static_cast<ULONGLONG>(st.st_size),
                             target);
    if (FAILED(hr)) return hr;
    if (lseek(fd_, static_cast<off_t>(target), SEEK_SET) < 0) return STG_E_INVALIDFUNCTION;
    if (newPosition) newPosition->QuadPart = target;
    return S_OK;
  }
  STDMETHODIMP SetSize(ULARGE_INTEGER size) override {
    if ((mode_ & 3) == STGM_READ) return STG_E_ACCESSDENIED;
    return ftruncate(fd_, static_cast<off_t>(size.QuadPart)) == 0 ? S_OK : STG_E_MEDIUMFULL;
  }
  STDMETHODIMP Commit(DWORD) override { return fsync(fd_) == 0 || (mode_ & 3) == STGM_READ ? S_OK : STG_E_WRITEFAULT; }
  STDMETHODIMP Stat(STATSTG* stat, DWORD flag) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    struct stat st;
    if (fstat(fd_, &st) != 0) return STG_E_ACCESSDENIED;
    std::memset(stat, 0, sizeof *stat);
    if (!(flag & STATFLAG_NONAME)) {
      stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc((path_.size() + 1) * sizeof(OLECHAR)));
      if (!stat->pwcsName) return E_OUTOFMEMORY;
      std::memcpy(stat->pwcsName, path_.c_str(), (path_.size() + 1) * sizeof(OLECHAR));
    }
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = static_cast<ULONGLONG>(st.st_size);
    stat->mtime = FileTimeOf(st.st_mtim);
    stat->ctime = FileTimeOf(st.st_ctim);
    stat->atime = FileTimeOf(st.st_atim);
    stat->grfMode = mode_;
    return S_OK;
  }
  STDMETHODIMP Clone(IStream** clone) override {
    if (clone) *clone = nullptr;
    return E_NOTIMPL;
  }

 private:
  ~FileStream() override { close(fd_); }

  int fd_;
  std::u16string path_;
  DWORD mode_;
};

HRESULT ResultOfErrno(int error) {
  switch (error) {
    case ENOENT: return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case ENOTDIR: return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case EEXIST: return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return E_ACCESSDENIED;
    case ENOMEM: return E_OUTOFMEMORY;
    default: return E_FAIL;
  }
}

}  // namespace

STDAPI_(HGLOBAL) GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  auto* block = new (std::nothrow) GlobalBlock;
  if (!block) return nullptr;
  block->data = static_cast<BYTE*>(uFlags & GMEM_ZEROINIT ? std::calloc(dwBytes ? dwBytes : 1, 1)
                                                          : std::malloc(dwBytes ? dwBytes : 1));
  if (!block->data) {
    delete block;
    return nullptr;
  }
  block->size = dwBytes;
  return block;
}

STDAPI_(HGLOBAL) GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
  GlobalBlock* block = BlockOf(hMem);
  if (!block) return nullptr;
  auto* data = static_cast<BYTE*>(std::realloc(block->data, dwBytes ? dwBytes : 1));
  if (!data) return nullptr;
  if ((uFlags & GMEM_ZEROINIT) && dwBytes > block->size) std::memset(data + block->size, 0, dwBytes - block->size);
  block->data = data;
  block->size = dwBytes;
  return hMem;
}

STDAPI_(HGLOBAL) GlobalFree(HGLOBAL hMem) {
  if (GlobalBlock* block = BlockOf(hMem)) {
    std::free(block->data);
    delete block;
  }
  return nullptr;
}

STDAPI_(LPVOID) GlobalLock(HGLOBAL hMem) {
  GlobalBlock* block = BlockOf(hMem);
  if (!block) return nullptr;
  ++block->locks;
  return block->data;
}

STDAPI_(BOOL) GlobalUnlock(HGLOBAL hMem) {
  GlobalBlock* block = BlockOf(hMem);
  if (!block || block->locks == 0) return FALSE;
  return --block->locks ? TRUE : FALSE;
}

STDAPI_(SIZE_T) GlobalSize(HGLOBAL hMem) { return hMem ? BlockOf(hMem)->size : 0; }

// Without a block a new empty one is made; with one, the stream starts with
// the block's whole size as its content.
STDAPI CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm) {
  if (!ppstm) return E_INVALIDARG;
  *ppstm = nullptr;
  auto data = std::make_shared<MemoryData>();
  data->handle = hGlobal ? hGlobal : GlobalAlloc(GMEM_MOVEABLE, 0);
  if (!data->handle) return E_OUTOFMEMORY;
  data->size = hGlobal ? GlobalSize(hGlobal) : 0;
  data->deleteOnRelease = fDeleteOnRelease;
  *ppstm = new (std::nothrow) MemoryStream(std::move(data));
  return *ppstm ? S_OK : E_OUTOFMEMORY;
}

STDAPI GetHGlobalFromStream(LPSTREAM pstm, HGLOBAL* phglobal) {
  if (!pstm || !phglobal) return E_INVALIDARG;
  // Only the layer's own memory streams have a block behind them.
  auto* memory = dynamic_cast<MemoryStream*>(pstm);
  if (!memory) return E_INVALIDARG;
  *phglobal = memory->Handle();
  return S_OK;
}

STDAPI_(IStream*) SHCreateMemStream(const BYTE* pInit, UINT cbInit) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, cbInit);
  if (!block) return nullptr;
  if (pInit && cbInit) {
    std::memcpy(GlobalLock(block), pInit, cbInit);
    GlobalUnlock(block);
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
    GlobalFree(block);
    return nullptr;
  }
  return stream;
}

// STGM_CREATE makes a new empty file in any case; otherwise fCreate makes
// one only where none exists (failing on an existing file), and without it
// the file must exist.
STDAPI SHCreateStreamOnFileEx(LPCWSTR pszFile, DWORD grfMode, DWORD, BOOL fCreate, IStream* pstmTemplate,
                              IStream** ppstm) {
  if (!ppstm) return E_INVALIDARG;
  *ppstm = nullptr;
  if (!pszFile || pstmTemplate) return E_INVALIDARG;
  int flags = O_CLOEXEC;
  switch (grfMode & 3) {
    case STGM_READ: flags |= O_RDONLY; break;
    case STGM_WRITE: flags |= O_WRONLY; break;
    case STGM_READWRITE: flags |= O_RDWR; break;
    default: return E_INVALIDARG;
  }
  if (grfMode & STGM_CREATE)
    flags |= O_CREAT | O_TRUNC;
  else if (fCreate)
    flags |= O_CREAT | O_EXCL;
  std::u16string path(pszFile);
  int fd = open(common::Utf16ToUtf8Lossy(path).c_str(), flags, 0666);
  if (fd < 0) return ResultOfErrno(errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return E_ACCESSDENIED;
  }
  *ppstm = new (std::nothrow) FileStream(fd, std::move(path), grfMode);
  if (!*ppstm) {
    close(fd);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDAPI SHCreateStreamOnFileW(LPCWSTR pszFile, DWORD grfMode, IStream** ppstm) {
  return SHCreateStreamOnFileEx(pszFile, grfMode, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, ppstm);
}
