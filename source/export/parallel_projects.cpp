#include "source/export/parallel_projects.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// capture is shared with the parent, which reads what a worker that died had written.
[[noreturn]] void runWorker(int worker, int jobs, std::size_t count, const ProjectWork& work, int out,
                            int capture) {
  if (::dup2(capture, STDERR_FILENO) < 0) ::_exit(3);
  for (std::size_t index = std::size_t(worker); index < count; index += std::size_t(jobs)) {
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
  pid_t pid = -1;
  int fd = -1;
  int capture = -1;     // its standard error
  std::string pending;  // bytes of records not complete yet
};

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

}  // namespace

void runProjects(std::size_t count, int jobs, const ProjectWork& work, const OutcomeSink& take) {
  if (jobs < 2 || count < 2) {
    for (std::size_t index = 0; index < count; ++index) take(index, work(index));
    return;
  }
  if (std::size_t(jobs) > count) jobs = int(count);
  std::fflush(nullptr);
  std::vector<Worker> workers(std::size_t(jobs), Worker{});
  for (int k = 0; k < jobs; ++k) {
    int ends[2];
    const int capture = ::memfd_create("kelm-export-messages", MFD_CLOEXEC);
    if (capture < 0) break;
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      ::close(capture);
      break;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(ends[0]);
      runWorker(k, jobs, count, work, ends[1], capture);
    }
    ::close(ends[1]);
    if (pid < 0) {
      ::close(ends[0]);
      ::close(capture);
      break;
    }
    workers[std::size_t(k)] = Worker{pid, ends[0], capture, {}};
  }
  std::map<std::size_t, ProjectOutcome> done;
  std::size_t next = 0;
  auto handOn = [&] {
    for (auto at = done.find(next); at != done.end(); at = done.find(next)) {
      putMessages(at->second.messages);
      take(next++, std::move(at->second));
      done.erase(at);
    }
  };
  for (;;) {
    std::vector<pollfd> open;
    for (const Worker& w : workers) {
      if (w.fd >= 0) open.push_back({w.fd, POLLIN, 0});
    }
    if (open.empty()) break;
    if (::poll(open.data(), open.size(), -1) < 0 && errno != EINTR) break;
    for (Worker& w : workers) {
      if (w.fd < 0) continue;
      pollfd* p = nullptr;
      for (pollfd& q : open) p = q.fd == w.fd ? &q : p;
      if (p == nullptr || p->revents == 0) continue;
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
  for (const Worker& w : workers) {
    if (w.pid > 0) ::waitpid(w.pid, nullptr, 0);
  }
  auto closeCaptures = [&] {
    for (Worker& w : workers) {
      if (w.capture >= 0) ::close(w.capture);
      w.capture = -1;
    }
  };
  // Projects whose worker could not start or ended early are done here, or reported lost.
  while (next < count) {
    if (done.count(next) == 0) {
      Worker& w = workers[next % std::size_t(jobs)];
      if (w.pid > 0) {
        ProjectOutcome lost;
        // What the worker said before it ended, such as a run-time error, comes first.
        if (w.capture >= 0) lost.messages = takeCaptured(w.capture);
        lost.messages +=
            "kelm-export: project " + std::to_string(next + 1) + " was lost: its worker process ended\n";
        lost.failed = true;
        done[next] = std::move(lost);
      } else {
        done[next] = work(next);
      }
    }
    handOn();
  }
  closeCaptures();
}

}  // namespace kelm::exporting
