#include "source/optimize/optimize_options.h"

#include <algorithm>
#include <vector>

#include "source/command_line_tools/option_table.h"
#include "source/command_line_tools/option_values.h"
#include "source/optimize/problem.h"

namespace kelm::optimize {

OptimizeCommandLine parseOptimizeCommandLine(int argc, const char* const* argv) {
  return cli::readCommandLine<OptimizeCommandLine>(argc, argv, [&](OptimizeCommandLine& line) {
    OptimizeOptions& o = line.options;
    std::vector<std::string> operands;
    cli::OptionTable table(operands);
    table.jobs(o.jobs, "-j,--jobs")
        .value("--max-evaluations",
               [&o](const std::string& name, const std::string& value) {
                 o.maxEvaluations = cli::wholeNumber(name, value, 1, kMaxEvaluations);
               })
        .flag("--slurm", [&o] { o.slurm = true; });
    table.parse(argc, argv);
    if (operands.size() != 3) throw cli::UsageError("give TEMPLATE PROBLEM OUTDIR");
    o.templateDirectory = operands[0];
    o.problem = operands[1];
    o.outdir = operands[2];
    // OUTDIR goes into messages, batch scripts and every point's path; a control character
    // in it is a slip, not a name to keep.
    if (std::any_of(o.outdir.begin(), o.outdir.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
      throw cli::UsageError("OUTDIR " + cli::quoted(o.outdir) + " holds a control character; give a name without one");
  });
}

std::string optimizeHelpText() {
  return R"(Usage: kelm-optimize [--jobs N] [--max-evaluations N] [--slurm] TEMPLATE PROBLEM OUTDIR

Searches for the parameters of a gun that meet a goal within limits, each evaluation a point
made from TEMPLATE and solved as kelm-scan makes and solves one.

TEMPLATE  a project directory whose geom.cod and klinput.dat hold the parameters as ${name}
          or arithmetic over them, such as ${anode_z + 2*gap}
PROBLEM   the parameters, the objective, the constraints and the algorithm, a statement a
          line (see kelm-optimize(5)):
            parameter anode_z 9 4 20          # name, start, lower and upper bound
            target perveance 1.0              # or: minimize FIGURE / maximize FIGURE
            constraint transmitted_fraction >= 0.99
            algorithm cobyla                  # cobyla, bobyqa, neldermead or isres
            tolerance 1e-4                    # relative, on the parameters
            evaluations 200                   # at most
OUTDIR    receives the points p0001, ... (with kelm-scan's manifest.csv), history.csv, a row
          per evaluation written as it goes, and best/, the best feasible point's project

  --jobs N              solve N points at once (default: one per core); isres solves a
                        generation at once, the others one point at a time
  --max-evaluations N   at most N evaluations, 1 to 9999, whatever PROBLEM says
  --slurm               solve each batch of points as a Slurm job array and wait for it
  --version, --help

Run again with the same problem, it answers from the points already solved and solves only
the rest. A failed or unconverged solve is an infeasible evaluation, with its reason.
Exit status: 0 a feasible best point is in OUTDIR/best, 3 no evaluation was feasible (the
least infeasible is named), 1 a failure, 2 bad usage or input.
)";
}

}  // namespace kelm::optimize
