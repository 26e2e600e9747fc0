#pragma once
// A buffered POSIX file for sequential transfer; no line-end translation of any kind.

#include <array>
#include <cstddef>
#include <string>

#include <sys/types.h>

namespace kelm::records {

class FileStream {
 public:
  FileStream() = default;
  ~FileStream();
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // flags and mode as for open(2); false when the file cannot be opened or is not a regular
  // file: a FIFO would block the open until a writer comes, a device may never end. Reading
  // stops at the size the file had when opened (grown by what this stream writes), so that a
  // file another program keeps appending to still ends.
  bool open(const std::string& path, int flags, int mode = 0666);
  // Why the last open failed: its errno, or 0 for a file that is not a regular one; and that
  // in words.
  int openError() const { return openError_; }
  std::string openFailure() const;
  // A nameless temporary file that disappears when closed.
  bool openScratch();
  bool isOpen() const { return fd_ >= 0; }
  bool seekToEnd();
  // Flushes and releases the file; false when pending output could not be written.
  bool close();

  static constexpr int kEnd = -1;
  static constexpr int kError = -2;
  static constexpr int kTooLong = -3;
  // Far longer than any record of a file that KELM reads (a list of 30000 numbers on one line
  // is under half of it), so that a file without line ends cannot take all memory.
  static constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 20;
  // The next byte (0..255), kEnd or kError.
  int readByte();
  int peekByte();
  // Up to count bytes; fewer only at the end of the file. kError on a failed read.
  long readBytes(void* into, std::size_t count);
  // One record ended by CR, LF or CR LF (not stored). 0, -1 at end of file, kError, or
  // kTooLong past kMaxRecordBytes.
  int readLine(std::string& record);

  bool write(const void* bytes, std::size_t count);
  bool flush();

 private:
  bool fill();
  bool leaveReading();

  int fd_ = -1;
  int openError_ = 0;
  off_t offset_ = 0;  // where the descriptor stands: the end of what the buffer holds
  off_t limit_ = 0;   // the end of what may be read
  std::array<unsigned char, 65536> buffer_{};
  std::size_t readPos_ = 0;
  std::size_t readEnd_ = 0;
  std::size_t writeEnd_ = 0;
};

}  // namespace kelm::records
