#include "source/project_files/result_commit.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/whole_file.h"
#include "source/project_files/file_hash.h"

namespace kelm::projectfiles {
namespace {

void removeAll(const std::vector<std::string>& temporaries) {
  for (const std::string& t : temporaries) ::unlink(t.c_str());
}

bool listed(const std::vector<FileHash>& files, const std::string& name) {
  return std::any_of(files.begin(), files.end(), [&](const FileHash& f) { return f.name == name; });
}

// The renames reach the disk before the record that vouches for them.
void syncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool commitResults(const std::string& directory, const std::vector<ResultFile>& files,
                   const std::vector<std::string>& obsolete, SolveRecord record, std::string& error, const BeforeRename& beforeRename) {
  const std::string recordPath = directory + "/" + kRecordFile;
  SolveRecord previous;
  const bool hadRecord = readRecord(directory, previous) == RecordState::kRead;
  std::vector<std::string> temporaries, targets;
  record.results.clear();
  for (const ResultFile& f : files) {
    const std::string path = directory + "/" + f.name;
    std::string temporary;
    if (!runtime::writeTemporary(path, f.bytes, temporary, error)) return removeAll(temporaries), false;
    temporaries.push_back(temporary);
    targets.push_back(runtime::linkTarget(path));
    record.results.push_back({f.name, sha256Hex(f.bytes)});
  }
  SolveRecord writing = record;
  writing.status = SolveStatus::kWriting;
  if (!runtime::writeWholeFile(recordPath, recordText(writing), error)) return removeAll(temporaries), false;
  for (std::size_t k = 0; k < temporaries.size(); ++k) {
    if (beforeRename) beforeRename(k);
    if (::rename(temporaries[k].c_str(), targets[k].c_str()) != 0) {
      error = "cannot write " + files[k].name + ": " + std::strerror(errno) + "; the results are incomplete";
      removeAll({temporaries.begin() + static_cast<std::ptrdiff_t>(k), temporaries.end()});
      return false;
    }
  }
  // Only what the last solve wrote goes; a file the solve now reads stays.
  for (const std::string& name : obsolete)
    if (hadRecord && listed(previous.results, name) && !listed(record.inputs, name))
      std::remove((directory + "/" + name).c_str());
  syncDirectory(directory);
  return runtime::writeWholeFile(recordPath, recordText(record), error);
}

bool recordFailure(const std::string& directory, SolveRecord record, std::string& error) {
  SolveRecord previous;
  switch (readRecord(directory, previous)) {
    case RecordState::kNone: break;
    case RecordState::kDamaged: return true;
    case RecordState::kRead:
      if (previous.status == SolveStatus::kWriting) return true;
      record.results = previous.results;
      break;
  }
  record.status = SolveStatus::kFailed;
  return runtime::writeWholeFile(directory + "/" + kRecordFile, recordText(record), error);
}

}  // namespace kelm::projectfiles
