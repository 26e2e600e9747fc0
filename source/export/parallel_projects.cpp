#include "source/export/parallel_projects.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace kelm::exporting {
namespace {

// One record of a worker's pipe: this header, then the messages and the row.
struct RecordHead {
  std::uint64_t index, messageBytes, rowBytes;
  std::uint32_t failed;
};

bool writeAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void putMessages(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

// What the worker wrote to its standard error (a memory file) since the last call.
std::string takeCaptured(int capture) {
  std::fflush(stderr);
  std::string text;
  char buffer[4096];
  ::lseek(capture, 0, SEEK_SET);
  for (ssize_t n; (n = ::read(capture, buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(n));
  if (::ftruncate(capture, 0) != 0) text += "kelm-export: cannot reset the captured messages\n";
  ::lseek(capture, 0, SEEK_SET);
  return text;
}

// capture is shared with the parent, which reads what a worker that died had written. A worker
// ends with its parent, so that stopping kelm-export by its PID leaves no export running.
[[noreturn]] void runWorker(pid_t parent, const std::vector<std::size_t>& queue, const ProjectWork& work, int out,
                            int capture) {
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(5);
  if (::dup2(capture, STDERR_FILENO) < 0) ::_exit(3);
  for (const std::size_t index : queue) {
    ProjectOutcome outcome = work(index);
    outcome.messages = takeCaptured(capture) + outcome.messages;
    const RecordHead head{index, outcome.messages.size(), outcome.row.size(), outcome.failed ? 1u : 0u};
    if (!writeAll(out, &head, sizeof head) ||
        !writeAll(out, outcome.messages.data(), outcome.messages.size()) ||
        !writeAll(out, outcome.row.data(), outcome.row.size())) {
      ::_exit(4);
    }
  }
  ::_exit(0);
}

struct Worker {
  std::vector<std::size_t> queue;  // its projects, in the order it exports them
  pid_t pid = -1;
  int fd = -1;
  int capture = -1;     // its standard error
  int status = 0;       // as waitpid gave it
  std::string pending;  // bytes of records not complete yet
};

// False when no process could be started for the worker.
bool start(Worker& w, const ProjectWork& work) {
  const pid_t parent = ::getpid();
  int ends[2];
  w.capture = ::memfd_create("kelm-export-messages", MFD_CLOEXEC);
  if (w.capture < 0) return false;
  if (::pipe2(ends, O_CLOEXEC) == 0) {
    w.pid = ::fork();
    if (w.pid == 0) {
      ::close(ends[0]);
      runWorker(parent, w.queue, work, ends[1], w.capture);
    }
    ::close(ends[1]);
    if (w.pid > 0) return (w.fd = ends[0], true);
    ::close(ends[0]);
  }
  ::close(w.capture);
  w.capture = -1;
  return false;
}

// Takes the complete records from the front of a worker's pending bytes.
void parseRecords(Worker& w, std::map<std::size_t, ProjectOutcome>& done) {
  while (w.pending.size() >= sizeof(RecordHead)) {
    RecordHead head;
    std::memcpy(&head, w.pending.data(), sizeof head);
    const std::size_t total = sizeof head + head.messageBytes + head.rowBytes;
    if (w.pending.size() < total) return;
    ProjectOutcome outcome;
    outcome.messages = w.pending.substr(sizeof head, head.messageBytes);
    outcome.row = w.pending.substr(sizeof head + head.messageBytes, head.rowBytes);
    outcome.failed = head.failed != 0;
    done[head.index] = std::move(outcome);
    w.pending.erase(0, total);
  }
}

// Reads the workers' records until every one has ended, handing on after each read.
template <class HandOn>
void drain(std::vector<Worker>& workers, std::map<std::size_t, ProjectOutcome>& done, const HandOn& handOn) {
  for (;;) {
    std::vector<pollfd> open;
    for (const Worker& w : workers) {
      if (w.fd >= 0) open.push_back({w.fd, POLLIN, 0});
    }
    if (open.empty()) break;
    if (::poll(open.data(), open.size(), -1) < 0 && errno != EINTR) break;
    for (Worker& w : workers) {
      const auto p = std::find_if(open.begin(), open.end(), [&](const pollfd& q) { return q.fd == w.fd; });
      if (w.fd < 0 || p == open.end() || p->revents == 0) continue;
      char buffer[65536];
      const ssize_t n = ::read(w.fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ::close(w.fd);
        w.fd = -1;
        continue;
      }
      w.pending.append(buffer, std::size_t(n));
      parseRecords(w, done);
    }
    handOn();
  }
  for (Worker& w : workers) {
    while (w.pid > 0 && ::waitpid(w.pid, &w.status, 0) < 0 && errno == EINTR) {
    }
  }
}

std::string endingOf(int status) {
  if (WIFSIGNALED(status)) return "was ended by signal " + std::to_string(WTERMSIG(status));
  return "exited with status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

}  // namespace

void runProjects(std::size_t count, int jobs, const ProjectWork& work, const OutcomeSink& take) {
  if (jobs < 2 || count < 2) {
    for (std::size_t index = 0; index < count; ++index) take(index, work(index));
    return;
  }
  std::fflush(nullptr);
  std::map<std::size_t, ProjectOutcome> done;
  std::map<std::size_t, std::string> notes;  // what was said of a project's earlier workers
  std::vector<int> deaths(count, 0);
  std::size_t next = 0;
  auto handOn = [&] {
    for (auto at = done.find(next); at != done.end(); at = done.find(next)) {
      if (const auto note = notes.find(next); note != notes.end()) {
        at->second.messages = note->second + at->second.messages;
        notes.erase(note);
      }
      putMessages(at->second.messages);
      take(next++, std::move(at->second));
      done.erase(at);
    }
  };
  std::vector<std::size_t> pool(count);
  for (std::size_t k = 0; k < count; ++k) pool[k] = k;
  // Rounds of fresh workers: a worker's death is charged to the project it was exporting, which
  // is tried once more; the projects queued behind it go to the next round uncharged.
  while (!pool.empty()) {
    std::vector<Worker> workers(std::min(pool.size(), std::size_t(jobs)));
    for (std::size_t k = 0; k < pool.size(); ++k) workers[k % workers.size()].queue.push_back(pool[k]);
    pool.clear();
    for (Worker& w : workers) {
      if (start(w, work)) continue;
      for (const std::size_t index : w.queue) done[index] = work(index);
    }
    drain(workers, done, handOn);
    for (Worker& w : workers) {
      if (w.pid < 0) continue;
      std::vector<std::size_t> unfinished;
      for (const std::size_t index : w.queue)
        if (done.count(index) == 0 && index >= next) unfinished.push_back(index);
      if (!unfinished.empty()) {
        const std::size_t crashed = unfinished.front();
        const bool again = ++deaths[crashed] < 2;
        // What the worker said before it ended, such as a run-time error, comes first.
        std::string& note = notes[crashed];
        note += takeCaptured(w.capture) + "kelm-export: the worker process exporting project " +
                std::to_string(crashed + 1) + " " + endingOf(w.status) +
                (again ? "; the project is tried once more in a new one\n" : "\n");
        if (again) {
          pool.push_back(crashed);
        } else {
          ProjectOutcome lost;
          lost.messages = "kelm-export: project " + std::to_string(crashed + 1) + " was lost\n";
          lost.failed = true;
          done[crashed] = std::move(lost);
        }
        pool.insert(pool.end(), unfinished.begin() + 1, unfinished.end());
      }
      ::close(w.capture);
    }
    std::sort(pool.begin(), pool.end());
    handOn();
  }
}

}  // namespace kelm::exporting
