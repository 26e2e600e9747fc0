#!/usr/bin/python3
# Solves a copy of the solenoid gun with beam.h5 and reads it with h5py: every attribute openPMD
# 1.1.0 requires, the fields' layout, and the rays against klplt.res.
# kelm-export's crossings of a screen's plane must be the screen's.
# Usage: KELM_SOLVE KELM_EXPORT EXAMPLES_DIR
import csv, io, math, os, shutil, struct, subprocess, sys, tempfile
import h5py, numpy as np

solve, export, examples = sys.argv[1:4]
work = tempfile.mkdtemp()
project = os.path.join(work, "gun")
shutil.copytree(os.path.join(examples, "solenoid-gun"), project)
subprocess.run([solve, "--openpmd", "--screens", "20,50", project], check=True, capture_output=True)
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

def text(value):
    return value.decode() if isinstance(value, bytes) else str(value)

def has(obj, names, where):
    for n in names:
        check(n in obj.attrs, f"{where} lacks {n}")

def records(group):
    # A record's components are datasets, or groups holding a constant value and shape.
    for name, rec in group.items():
        has(rec, ["unitDimension", "timeOffset"], rec.name)
        if "unitDimension" in rec.attrs:
            check(len(rec.attrs["unitDimension"]) == 7, f"{rec.name} unitDimension not 7 powers")
        parts = [rec] if isinstance(rec, h5py.Dataset) or "value" in rec.attrs else list(rec.values())
        for c in parts:
            has(c, ["unitSI"], c.name)
            if isinstance(c, h5py.Group):
                has(c, ["value", "shape"], c.name)
        yield name, rec, parts

# Every ray's current and points as klplt.res holds them, in node units.
def klplt(path):
    data, at, records_ = open(path, "rb").read(), 1, []
    while data[at] != 0x82:
        body = b""
        while data[at] == 0x81:
            body += data[at + 1:at + 129]
            at += 130
        n = data[at]
        records_.append(body + data[at + 1:at + 1 + n])
        at += n + 2
    count = struct.unpack("<i", records_[1])[0]
    currents = {struct.unpack("<i", r[:4])[0]: struct.unpack("<4d", r[4:36])[3] for r in records_[2:2 + count]}
    points = [struct.unpack("<i2d", r) for r in records_[2 + count:-1]]
    return currents, points

with h5py.File(os.path.join(project, "beam.h5"), "r") as f:
    check(text(f.attrs.get("openPMD")) == "1.1.0", "openPMD version")
    has(f, ["openPMDextension", "basePath", "meshesPath", "particlesPath", "iterationEncoding", "iterationFormat"], "root")
    check(text(f.attrs["basePath"]) == "/data/%T/" and text(f.attrs["iterationEncoding"]) == "groupBased", "base path")
    iterations = f["data"]
    check(sorted(iterations.keys(), key=int) == ["0", "1", "2"], "one iteration for the paths and one per screen")
    for it in iterations.values():
        has(it, ["time", "dt", "timeUnitSI"], it.name)
        electrons = it[text(f.attrs["particlesPath"])]["electrons"]
        names = [n for n, _, _ in records(electrons)]
        for required in ["position", "positionOffset", "momentum", "weighting", "charge", "mass"]:
            check(required in names, f"{electrons.name} lacks {required}")
    meshes = iterations["0"][text(f.attrs["meshesPath"])]
    cell = None
    for name, rec, parts in records(meshes):
        has(rec, ["geometry", "geometryParameters", "dataOrder", "axisLabels", "gridSpacing", "gridGlobalOffset",
                  "gridUnitSI"], rec.name)
        check(text(rec.attrs["geometry"]) == "thetaMode", f"{name} geometry")
        cell = rec.attrs["gridSpacing"][0]
        for c in parts:
            has(c, ["position"], c.name)
            check(c.ndim == 3 and c.shape[0] == 1, f"{c.name}: one mode, then r and z")
    # E_z is -dφ/dz: a transposed or mis-signed grid fails here.
    phi, ez = meshes["phi"][0], meshes["E"]["z"][0]
    ir, iz = phi.shape[0] // 4, phi.shape[1] // 2
    slope = -(phi[ir, iz + 1] - phi[ir, iz - 1]) / (2 * cell)
    check(abs(ez[ir, iz] - slope) <= 1e-2 * abs(slope), f"E_z {ez[ir, iz]} against -dphi/dz {slope}")

    paths = iterations["0"]["particles"]["electrons"]
    ids, current = paths["id"][:], paths["current"][:]
    r, z = np.hypot(paths["position"]["x"][:], paths["position"]["y"][:]), paths["position"]["z"][:]
    currents, points = klplt(os.path.join(project, "klplt.res"))
    for ray, i in currents.items():
        mine = current[ids == ray]
        if i > 0:
            check(len(mine) > 0 and np.allclose(mine, i, rtol=1e-6, atol=0), f"ray {ray} current")
    # Each of klplt.res's points is one of the path's, to single precision.
    for ray, pr, pz in points:
        near = np.hypot(r[ids == ray] - abs(pr) * cell, z[ids == ray] - pz * cell).min()
        check(near <= 1e-6 * max(abs(pz) * cell, cell), f"ray {ray} point ({pr}, {pz}) off by {near} m")
    check(np.ptp(paths["momentum"]["y"][:]) > 0, "the solenoid turns no ray")
    screen = iterations["1"]["particles"]["electrons"]
    e, dt = abs(screen["charge"].attrs["value"]), iterations["1"].attrs["dt"]
    check(math.isclose((screen["weighting"][:] * e / dt).sum(), screen["current"][:].sum(), rel_tol=1e-12),
          "a screen's weighting is not its current")
    check(np.allclose(screen["position"]["z"][:], 0.020), "the screen's plane")
    table = subprocess.run([export, "--crossings-csv", "-", "--z", "50", project], check=True, capture_output=True,
                           text=True).stdout
    rows = list(csv.DictReader(io.StringIO(table)))
    far = iterations["2"]["particles"]["electrons"]
    check(0 < len(rows) == len(far["id"]) and
          np.allclose([float(r["r [mm]"]) for r in rows], 1e3 * np.hypot(far["position"]["x"][:], far["position"]["y"][:]),
                      rtol=1e-9) and all(r["azimuthal slope [rad]"] for r in rows), "kelm-export's crossings")

shutil.rmtree(work)
for f_ in failures:
    print(f_)
sys.exit(1 if failures else 0)
