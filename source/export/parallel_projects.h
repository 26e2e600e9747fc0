#pragma once
// Projects exported by several worker processes at once, their outcomes handed on in the
// order of the list. Processes rather than threads: a load works on the one global store with
// the project directory current.

#include <cstddef>
#include <functional>
#include <string>

namespace kelm::exporting {

struct ProjectOutcome {
  std::string messages;  // what the project's export wrote to standard error
  std::string row;       // its line of the summary
  bool failed = false;
};

// What one project's export does; in a worker its standard error is captured into messages.
using ProjectWork = std::function<ProjectOutcome(std::size_t index)>;
// Receives the outcomes in index order, each once.
using OutcomeSink = std::function<void(std::size_t index, ProjectOutcome&& outcome)>;

// Runs work for indices 0 .. count-1 in up to jobs processes (in this one when jobs < 2) and
// gives each outcome to take in index order, its messages already on standard error. A worker
// that dies is reported; the project it was on is tried once more in a new worker, and the
// projects queued behind it are exported by new workers. A project that ends its worker twice
// is reported lost: failed, without a row.
void runProjects(std::size_t count, int jobs, const ProjectWork& work, const OutcomeSink& take);

}  // namespace kelm::exporting
