#include "records/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kelm::records {

FileStream::~FileStream() { close(); }

bool FileStream::open(const std::string& path, int flags, int mode) {
  close();
  struct stat named {};
  if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
    openError_ = 0;
    return false;
  }
  do {
    // Not blocking, so that a FIFO is opened at once and then turned away below.
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) {
    openError_ = errno;
    return false;
  }
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode) ||
      ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) {
    openError_ = S_ISREG(status.st_mode) ? errno : 0;
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  offset_ = 0;
  limit_ = status.st_size;
  return true;
}

std::string FileStream::openFailure() const {
  return openError_ == 0 ? "not a regular file" : std::strerror(openError_);
}

bool FileStream::openScratch() {
  close();
  const char* dir = std::getenv("TMPDIR");
  std::string name = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/kelmXXXXXX";
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  ::unlink(name.c_str());
  offset_ = limit_ = 0;
  return true;
}

bool FileStream::seekToEnd() {
  if (!flush()) return false;
  const off_t end = ::lseek(fd_, 0, SEEK_END);
  if (end < 0) return false;
  offset_ = end;
  limit_ = std::max(limit_, end);
  return true;
}

bool FileStream::close() {
  if (fd_ < 0) return true;
  const bool flushed = flush();
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  readPos_ = readEnd_ = writeEnd_ = 0;
  return flushed && closed;
}

bool FileStream::fill() {
  if (!flush()) return false;
  const auto left = static_cast<std::size_t>(std::max<off_t>(limit_ - offset_, 0));
  ssize_t n = 0;
  do {
    if (left > 0) n = ::read(fd_, buffer_.data(), std::min(buffer_.size(), left));
  } while (n < 0 && errno == EINTR);
  if (n < 0) return false;
  readPos_ = 0;
  readEnd_ = static_cast<std::size_t>(n);
  offset_ += n;
  return true;
}

int FileStream::peekByte() {
  if (fd_ < 0) return kError;
  if (readPos_ == readEnd_ && !fill()) return kError;
  if (readPos_ == readEnd_) return kEnd;
  return buffer_[readPos_];
}

int FileStream::readByte() {
  const int byte = peekByte();
  if (byte >= 0) ++readPos_;
  return byte;
}

long FileStream::readBytes(void* into, std::size_t count) {
  auto* to = static_cast<unsigned char*>(into);
  std::size_t done = 0;
  while (done < count) {
    if (readPos_ == readEnd_) {
      if (!fill()) return kError;
      if (readEnd_ == 0) break;
    }
    const std::size_t n = std::min(count - done, readEnd_ - readPos_);
    std::memcpy(to + done, buffer_.data() + readPos_, n);
    readPos_ += n;
    done += n;
  }
  return static_cast<long>(done);
}

int FileStream::readLine(std::string& record) {
  record.clear();
  for (;;) {
    if (readPos_ == readEnd_) {
      if (!fill()) return kError;
      if (readEnd_ == 0) return record.empty() ? -1 : 0;
    }
    // Scan the buffer in one step; records are short and files long.
    const unsigned char* begin = buffer_.data() + readPos_;
    const unsigned char* end = buffer_.data() + readEnd_;
    const unsigned char* stop = begin;
    while (stop != end && *stop != '\n' && *stop != '\r') ++stop;
    if (record.size() + static_cast<std::size_t>(stop - begin) > kMaxRecordBytes) return kTooLong;
    record.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(stop - begin));
    readPos_ += static_cast<std::size_t>(stop - begin);
    if (stop == end) continue;
    const unsigned char lineEnd = *stop;
    ++readPos_;
    if (lineEnd == '\r' && peekByte() == '\n') ++readPos_;
    return 0;
  }
}

bool FileStream::leaveReading() {
  // Unread buffered input would otherwise be skipped by the next write.
  if (readPos_ == readEnd_) return true;
  const off_t back = -static_cast<off_t>(readEnd_ - readPos_);
  readPos_ = readEnd_ = 0;
  offset_ += back;
  return ::lseek(fd_, back, SEEK_CUR) >= 0;
}

bool FileStream::write(const void* bytes, std::size_t count) {
  if (fd_ < 0 || !leaveReading()) return false;
  const auto* from = static_cast<const unsigned char*>(bytes);
  while (count > 0) {
    if (writeEnd_ == buffer_.size() && !flush()) return false;
    const std::size_t n = std::min(count, buffer_.size() - writeEnd_);
    std::memcpy(buffer_.data() + writeEnd_, from, n);
    writeEnd_ += n;
    from += n;
    count -= n;
  }
  return true;
}

bool FileStream::flush() {
  std::size_t done = 0;
  while (done < writeEnd_) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, writeEnd_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      writeEnd_ = 0;
      return false;
    }
    done += static_cast<std::size_t>(n);
    offset_ += n;
  }
  limit_ = std::max(limit_, offset_);
  writeEnd_ = 0;
  return true;
}

}  // namespace kelm::records
