#include "source/export/export_options.h"

namespace kelm::exporting {

std::string helpText() {
  return R"(Usage: kelm-export [options] PROJECT...

Turns KELM projects into report pictures and tables without a display. Each PROJECT is a
project directory, or a file in one (such as its geom.cod). It is loaded as kelm loads it: its
"File ... loaded/not found/damaged" lines go to standard error, a damaged file's with where it
went wrong ("File KLPLT.RES damaged: record 7, 12 bytes short"). Project files are only read:
an output that is one of them (geom.dat, klplt.res, mag.dat, pot.dat, geom.cod, klinput.dat,
potmap.dat, solve-record.csv, cathode.csv), by any spelling or link, is refused before
anything is written.

Outputs (at least one; all but --summary-csv take exactly one PROJECT):
  --png DIR            the four views as beam.png, cathode.png, magnetic-field.png and
                       phase-plane.png in DIR (made if missing), pixel for pixel as kelm's
                       view windows show them on a screen of --size
  --svg DIR            the same four views as vector drawings (.svg)
  --pdf FILE           the four printed pages (geometry, magnetic field, phase plane, current
                       density on cathode) in one PDF, one A4 page each, as File > Print
                       prints them with the plane at --z
  --figures-csv FILE   the beam figures along z at --steps planes from the lowest to the
                       highest z of the views' range
  --crossings-csv FILE the crossings of the plane --z: one row per crossing trajectory with
                       its number, r, r' = dr/dz, r theta' = r dtheta/dz and current; from
                       beam.h5 when the solve wrote it, else from klplt.res (r theta' empty)
  --surface-field-csv FILE  |E| along every electrode's outline from geom.cod and the
                       solve's potmap.dat: electrode, arc length, z, r, field in kV/mm
  --cathode-csv FILE   the emission across the cathode from the solve's cathode.csv: per
                       trajectory its start r and z (mm), current (A), mean density J and
                       the density the emission mode allows there (A/cm2)
  --envelope FILE      a picture (FILE ending in .png or .svg) of r_max and r_rms against z,
                       and of the 90 % core rms emittance against z below them
  --summary-csv FILE   one row per PROJECT: the directory, the status of geom.dat, mag.dat,
                       pot.dat and klplt.res, the solve's status from its record, the
                       trajectories, the total current, the perveance, the figures at the
                       waist and at --z, and which file gave them (beam.h5 when the record
                       names it, else klplt.res), the record's surface field and where the
                       current went
A CSV FILE may be "-" for standard output. A FIFO or a device is written as a stream.

A picture of a scan (instead of the outputs above):
  kelm-export --scan-plot FILE --x PARAM --y FIGURE [--group PARAM] [--labels] [--size WxH]
              SUMMARY
  --scan-plot FILE     a picture (FILE ending in .png or .svg, as large as the envelope) of
                       the figure column FIGURE of kelm-scan's summary.csv SUMMARY ("-":
                       standard input) against its parameter column PARAM, on the views'
                       axes and nice steps, ticks labelled 0.7, 12.5 or 7.0e-5
  --x PARAM, --y FIGURE  the columns, named in full or without their [unit], such as
                       --x anode_z --y perveance
                       --x may name a figure too (--x emittance_rms_x --y perveance): then
                       the points are a scatter that no line joins
  --group PARAM        one line (or colour) per value of this second parameter, with a legend
  --labels             each point named by its directory (p0001, ...)
Rows whose status says failed, or with a plotted value empty, not a number or beyond 1e37,
are left out with a note on standard error; no row left at all is an error.

Projects:
  --projects-from FILE more PROJECTs, one per line ("-": standard input), after those on
                       the command line
  --null               the list of --projects-from is separated by NUL bytes (find -print0)
  --shard K/N          take only the projects K, K+N, K+2N, ... of the list (counted from 0),
                       as one task of a job array: K = the task's number, N = the tasks
  --jobs N             load and compute N projects at once, 1 to 256 (default: one per
                       core); the summary rows stay in the order of the list
  --no-header          CSV files without their header row, so that shards concatenate

Settings:
  --size WxH           the screen the views are laid out for, in pixels (default 1920x1080);
                       beam, magnetic field and phase plane are W-8 by H/2-26 pixels, the
                       cathode W/2 by H/2, the envelope W-8 by 2*(H/2-26)
  --z Z                the plane in mm for the phase plane, the z-markers, the printed phase
                       plane, --crossings-csv and the summary (default: the middle of the z
                       range, as kelm starts)
  --range Z1:Z2        the summary's range_* figures over --steps planes from Z1 to Z2 mm
  --divisions N        histogram bins of the phase plane, on screen and printed, 2 to 100
                       (default 10)
  --steps N            planes along z, 2 to 100000 (default 200)
  --voltage V          the beam voltage in V: the perveance, and the energy of normalized
                       emittances where the equipotentials do not give it
  --definitions        what every CSV column means, with its unit
  --help, --version    this text, or the version; nothing else is done

)" + definitionsText() +
         R"(
Files are written whole through a temporary name (.NAME.kelm-XXXXXX beside the file, NAME cut
to fit) and a rename; a symbolic link is followed, an existing file keeps its permissions. A
temporary that a killed run left is removed by a later run writing the same file once it is an
hour old; `find DIR -name '.*.kelm-??????'` lists them.

Exit status: 0 all done; 1 a project could not be read at all (no such directory, no project
files in it), a summary not read or with nothing to plot, or an output could not be written (also standard output closed); 2 a usage
error, an output that is a project file or another output included (for --scan-plot: the
summary itself, and a column that the summary does not have).
)";
}

std::string definitionsText() {
  return R"(CSV files: one header row, then one row per plane, crossing or project; comma-separated,
numbers in the fewest digits that read back exactly, empty cells where a figure is undefined.
Column names carry their unit in brackets. Without geom.dat the lengths are in mesh units:
--figures-csv and --crossings-csv say [mesh] instead of [mm], --summary-csv leaves them
empty. Directories are written as UTF-8; bytes that are not UTF-8, control characters,
, " # \ and = + - @ in front (which a spreadsheet would run as a formula) appear as \xHH.

Definitions, at a plane z = const. The figures of every plane (--figures-csv, --envelope,
the summary) come from one source, which the summary's figures_from names: beam.h5 when the
solve wrote it and its record names it as it is (every trajectory, with its azimuthal
motion), else klplt.res (at most 1000 trajectories, none):
  crossings        the trajectories that cross the plane, each at its first crossing, as
                   the phase plane counts them
  current          the sum of their currents (A), signed, as the phase plane shows it
  r_max            the largest crossing radius
  <q>              the mean of q over the crossings weighted by |current|, about the axis
                   (r = 0, r' = 0); r' = dr/dz. Either sign of the currents gives the
                   same figures; with no current every figure is empty
  x                one transverse plane of the axisymmetric beam: <x^2> = <r^2>/2,
                   <x'^2> = (<r'^2> + <(r theta')^2>)/2, <xx'> = <rr'>/2, where
                   r theta' = r dtheta/dz is 0 from klplt.res
  r_rms            sqrt(<r^2>)
  centroid_r, centroid_slope   <r> and <r'>
  divergence_rms_x sqrt(<x'^2>)
  emittances       in mm mrad, without pi in the number:
  emittance_rms_x  sqrt(<x^2><x'^2> - <xx'>^2)
                   = sqrt(<r^2>(<r'^2> + <(r theta')^2>) - <rr'>^2)/2
  emittance_4rms_x 4 x emittance_rms_x, the edge emittance
  emittance_phase_plane  4*sqrt(<r^2><r'^2> - <rr'>^2), as the phase plane shows it
                   (4 sqrt(det) of the r-r' moments): 8 x emittance_rms_x without
                   azimuthal motion (always from klplt.res)
  emittance_core90_rms_x  the rms emittance of the innermost 90 % of the current, the
                   crossings taken in increasing J = <r'^2>r^2 - 2<rr'>rr' + <r^2>r'^2 (the
                   invariant of the rms ellipse) until 90 % is in, the last one in part
  emittance_90, emittance_100  area/pi in the (r, r') plane of the smallest ellipse similar
                   to the rms ellipse that holds 90 % (all) of the current: J/sqrt(det)
  alpha_x, beta_x, gamma_x  Twiss parameters of the rms ellipse: -<xx'>, <x^2>, <x'^2>
                   divided by emittance_rms_x (beta in mm/mrad, gamma in mrad/mm)
  axial_field      the field of mag.dat interpolated at z (G), 0 outside its table
  kinetic_energy   the electrons' energy at z (eV): the potential on the axis less the
                   cathode's. From KELM's potential map potmap.dat when the project has one
                   (the cathode's: the lowest node around the start of trajectory 1;
                   energy_source "potmap.dat"); else interpolated where pot.dat's
                   equipotential lines meet the axis (r = 0), the cathode's at the start of
                   trajectory 1, or one level step below the first line when the lines begin
                   after it, rising linearly from there to that line (energy_source
                   "pot.dat"). Beyond them, --voltage (energy_source "voltage"), else empty
  *_norm           the emittance times beta*gamma = sqrt(T(2 + T)), T = energy/510998.95 eV
Summary columns:
  geom_dat, mag_dat, pot_dat, klplt_res   loaded, not found, damaged, or incomplete
                   (a solve's result that does not match its record: not read)
  results_older_than_mesh   1 when klplt.res or pot.dat was written before geom.dat (Build net
                   since the solve: the results belong to another mesh; solve again), else 0
  solve_status     the solve's record (solve-record.csv): solved, not-converged, vacuum or
                   failed; "incomplete: solve again" when the result files do not match it;
                   empty for a project without a record
  converged, iterations, final_change   the record's: 1 when the last relative change was
                   within the tolerance, the iterations done, that last change
  voltage          --voltage, else from the record's solve: the largest difference of an
                   electrode's (or a held mesh edge's) potential to the cathode's in geom.cod
  perveance        |total current| / voltage^(3/2) in uP (1e-6 A/V^1.5)
  figures_from     beam.h5 or klplt.res: where the plane figures came from. A solve whose
                   klinput.dat gives a cathode temperature traced thermal rays; without
                   beam.h5 their azimuthal velocity is missing and the emittances come out
                   low: kelm-export notes it on stderr, once per project (solve with
                   --openpmd)
  waist_*          the plane of the smallest r_rms among the --steps planes that carry at
                   least 90 % of the largest |current| of any of them
  transmitted_fraction  the sum of |current| at z over the largest of any plane
  range_from, range_to  --range Z1:Z2; the range_* figures are taken over --steps planes
                   from Z1 to Z2, both included, and are empty without --range
  range_r_max      the largest r_max of those planes
  range_r_rms_ripple  the largest r_rms less the smallest, over the planes carrying current
  range_emittance_rms_x_max  the largest emittance_rms_x of those planes
  surface_field_*  the record's strongest field on any electrode (kV/mm), where it is and
                   on which electrode; surface_field_ok 0 when it exceeds klinput.dat's
                   surface-field limit; surface_field_by_electrode "name:kV/mm ..."
  emitted_current, exit_current, reflected_current   the record's: the current emitted,
                   leaving through an edge of the mesh, turned back toward the cathode (A)
  intercepted_current  the current the electrodes caught (A); intercepted_by_electrode
                   each electrode's share, "name:A ..."
The phase plane's "Emittance = E mm*rad" on screen and on the printed page is
emittance_phase_plane / 1000, that is 8 x emittance_rms_x in mm*rad instead of mm mrad: an
Emittance of .0234 mm*rad is emittance_phase_plane 23.4 and emittance_rms_x 2.925 here.
)";
}

}  // namespace kelm::exporting
