#include "source/export/export_options.h"

namespace kelm::exporting {

std::string helpText() {
  return R"(Usage: kelm-export [options] PROJECT...

Turns KELM projects into report pictures and tables without a display. Each PROJECT is a
project directory, or a file in one (such as its geom.cod). It is loaded as kelm loads it: its
"File ... loaded/not found/damaged" lines go to standard error. Project files are only read.

Outputs (at least one; all but --summary-csv take exactly one PROJECT):
  --png DIR            the four views as beam.png, cathode.png, magnetic-field.png and
                       phase-plane.png in DIR (made if missing), pixel for pixel as kelm's
                       view windows show them on a screen of --size
  --svg DIR            the same four views as vector drawings (.svg)
  --pdf FILE           the four printed pages (geometry, magnetic field, phase plane, current
                       density on cathode) in one PDF, one A4 page each, as File > Print
                       prints them with the plane at --z
  --figures-csv FILE   the beam figures along z at --steps planes from the lowest to the
                       highest z of the views' range (definitions below)
  --crossings-csv FILE the crossings of the plane --z: one row per crossing trajectory with
                       its number, r (mm), r' = dr/dz (rad) and current (A)
  --envelope FILE      a picture (FILE ending in .png or .svg) of Rmax and the rms radius
                       against z, and of the 90 % emittance against z below them
  --summary-csv FILE   one row per PROJECT: the directory, the status of geom.dat, mag.dat,
                       pot.dat and klplt.res (loaded, not found, damaged), the trajectories,
                       the total current, the waist (the plane of the smallest rms radius among
                       the --steps planes) with its rms radius and emittances, and Rmax and the
                       emittances at --z; empty cells where there is no data

Settings:
  --size WxH           the screen the views are laid out for, in pixels (default 1920x1080);
                       beam, magnetic field and phase plane are W-8 by H/2-26 pixels, the
                       cathode W/2 by H/2, the envelope W-8 by 2*(H/2-26)
  --z Z                the plane in mm for the phase plane, the z-markers, the printed phase
                       plane, --crossings-csv and the summary (default: the middle of the z
                       range, as kelm starts)
  --divisions N        histogram bins of the phase plane, on screen and printed, 1 to 100
                       (default 10)
  --steps N            planes along z, 2 to 100000 (default 200)
  --voltage V          the beam energy in eV: --figures-csv adds the emittances normalized,
                       multiplied by beta*gamma of an electron of that energy
  --help, --version    this text, or the version; nothing else is done

Definitions (every plane z = const):
  crossings      the trajectories that cross the plane, each at its first crossing, as the
                 phase plane counts them
  current        the sum of their currents (A)
  Rmax           the largest crossing radius (mm)
  <q>            the current-weighted mean of q over the crossings, about the axis
                 (r = 0, r' = 0); r' = dr/dz
  rms radius     sqrt(<r^2>) (mm)
  emittance      4*sqrt(<r^2><r'^2> - <rr'>^2) (mm*rad), the figure the phase plane shows
  rms emittance  sqrt(<r^2><r'^2> - <rr'>^2)/2 (mm*rad): that of one transverse plane of the
                 axisymmetric beam, assuming no azimuthal motion
  90% emittance  the rms emittance of the innermost 90 % of the current: the crossings are
                 taken in increasing <r'^2>r^2 - 2<rr'>rr' + <r^2>r'^2 (the invariant of
                 the rms ellipse) until 90 % of the current is in, the last one in part
  normalized     an emittance times beta*gamma = sqrt(T(2 + T)), T = V / 510998.95
  axial field    the field of mag.dat interpolated at z (G), 0 outside its table
Rmax and emittance are empty where nothing crosses the plane, the other beam figures where
no current crosses it.

Files are written whole through a temporary name and a rename; an existing file is replaced.

Exit status: 0 all done; 1 a project could not be read at all (no such directory, no project
files in it) or an output could not be written; 2 a usage error.
)";
}

}  // namespace kelm::exporting
