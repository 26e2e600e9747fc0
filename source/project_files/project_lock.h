#pragma once
// One solve at a time on a project: an advisory lock on the project's .kelm-solve.lock, held
// for a whole Build net and Solve and released when the holder ends, however it ends. A second
// solve is refused at once, naming the holder, rather than waiting: a script or a cluster job
// should not hang unseen behind another, and the window's program thread must not block.

#include <string>

namespace kelm::projectfiles {

class ProjectLock {
 public:
  ProjectLock() = default;
  ~ProjectLock();
  ProjectLock(const ProjectLock&) = delete;
  ProjectLock& operator=(const ProjectLock&) = delete;

  // False, with "another solve (process 1234) is working on this project" or why the lock file
  // cannot be made, when the lock is not taken.
  bool acquire(const std::string& directory, std::string& error);

 private:
  int fd_ = -1;
};

}  // namespace kelm::projectfiles
