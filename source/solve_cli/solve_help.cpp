#include "source/solve_cli/solve_options.h"

namespace kelm::solvecli {

std::string helpText() {
  return R"(Usage: kelm-solve [options] PROJECT...

Builds the net and solves KELM projects without a display, as kelm's Run > Build net and
Run > Solve do. Each PROJECT is a project directory, or a file in one (such as its geom.cod).
geom.cod and klinput.dat are only read; geom.dat, pot.dat, potmap.dat, klplt.res and
cathode.csv, for solenoids mag.dat, solve.csv and, when asked, beam.h5 are written together,
then the record solve-record.csv with the electrodes' surface field and where the current went
(see man kelm-solve). A project whose input is wrong keeps its files. One solve at a time
holds a project (its .kelm-solve.lock); another is refused, naming the holder.

Steps (neither given: both, Build net first):
  --build-net          write geom.dat from geom.cod
  --solve              solve the fields and the beam

beam.h5, the fields and the beam in the openPMD layout over HDF5 (see man kelm-solve):
  --openpmd            write it, as klinput.dat's "output openpmd" does
  --screens Z1,Z2,...  planes z = const in mm whose crossings it holds, one iteration each
                       (at most 100); implies --openpmd

Projects:
  --projects-from FILE more projects, one a line, after those on the command line; - reads
                       them from standard input
  --null               the names in --projects-from's list end in a NUL character instead
                       of a newline (as find -print0 writes them)
  --shard K/N          take only every N-th project, starting from the K-th counted from 0
                       (0 <= K < N), so that N runs share one list; a project named twice
                       is run once
  --jobs N             projects solved at once, 1 to 256 (default: one per core); each then
                       uses one thread, and the results are the same for every N
  --help, --version    this text, or the version; nothing else is done

Output:
  Standard error: every line the Output window would show, each after its project's name.
  Standard output: one line per project, in the order given, when it is done:
    PROJECT: 25 iterations (converged), current 0.0123 A, perveance 0.45 uP, 0.321 s
    PROJECT: failed: REASON; nothing solved
  A surface field over klinput.dat's "surface-field limit" ends the line with a warning; it
  does not change the exit status.

Exit status: 0 when every project went well, 3 when results were written but a solve did
not converge, 1 when a project failed, 2 for a usage error or a project list that cannot be read.
)";
}

}  // namespace kelm::solvecli
