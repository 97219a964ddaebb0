// The Python module marevert: the library façade (include/marevert) over numpy arrays.
// Loops over points run in C++ with the interpreter lock released; Python is called
// only for a batch's progress and to notice Ctrl-C.

#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "NumpyArgs.h"
#include "marevert/Marevert.h"

#ifdef MAREVERT_WITH_GDAL
#include "gdal/GdalHandlers.h"
#endif

namespace py = pybind11;
using namespace marevert;

namespace {

Sign ToSign(bool depthsPositive) { return depthsPositive ? Sign::DepthsPositive : Sign::HeightsPositive; }

// A str or os.PathLike as a path text.
std::string ToPath(const py::handle& path) {
  return py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

// The programs register further file handlers (the raster handler of marevert_gdal)
// with the handler factory at start-up, after the four survey handlers; the module
// does the same here, once, when it is imported. The survey handlers need nothing.
void RegisterFileHandlers() {
#ifdef MAREVERT_WITH_GDAL
  RegisterGdalFileHandlers();
#endif
}

// Positions go longitude first, as x and y do (pyproj's always_xy). A latitude beyond
// ±90 is no position at all: most likely the two were given the other way round, which
// would otherwise only read as "outside the grid".
// `hint` ends the message.
void CheckLatitudes(const CArrayArgs& args, std::size_t latitude, const char* hint = "") {
  const double* values = args.Data(latitude);
  for (std::size_t i = 0; i < args.Size(); ++i) {
    if (std::isfinite(values[i]) && std::fabs(values[i]) > 90)
      throw py::value_error("latitude " + py::str(py::float_(values[i])).cast<std::string>() +
                            " is beyond ±90 degrees: positions go longitude first (lon, lat)" + hint);
  }
}

py::tuple PyTransform(const CGrid& grid, py::handle x, py::handle y, py::handle z, const std::string& from,
                      const std::string& to, std::optional<int> zone, bool depthsPositive) {
  const CArrayArgs args({x, y, z}, "x, y and z");
  if (!zone) CheckLatitudes(args, 1, "; eastings and northings need zone=");
  py::array_t<double> zOut = args.MakeResult<double>();
  py::array_t<bool> inside = args.MakeResult<bool>();
  CTransformOptions options;
  options.sign = ToSign(depthsPositive);
  options.zone = zone.value_or(0);
  {
    py::gil_scoped_release release;
    marevert::Transform(grid, from, to, args.Size(), args.Data(0), args.Data(1), args.Data(2), zOut.mutable_data(),
                        inside.mutable_data(), options);
  }
  return py::make_tuple(args.Give(zOut), args.Give(inside));
}

py::object Inside(const CGrid& grid, py::handle longitude, py::handle latitude) {
  const CArrayArgs args({longitude, latitude}, "lon and lat");
  CheckLatitudes(args, 1);
  py::array_t<bool> inside = args.MakeResult<bool>();
  {
    py::gil_scoped_release release;
    grid.IsInside(args.Size(), args.Data(1), args.Data(0), inside.mutable_data());
  }
  return args.Give(inside);
}

py::object Separation(const CGrid& grid, py::handle longitude, py::handle latitude, const std::string& from,
                      const std::string& to, bool depthsPositive) {
  const CArrayArgs args({longitude, latitude}, "lon and lat");
  CheckLatitudes(args, 1);
  py::array_t<double> separation = args.MakeResult<double>();
  {
    py::gil_scoped_release release;
    grid.GetSeparation(args.Size(), args.Data(1), args.Data(0), from, to, separation.mutable_data(),
                       ToSign(depthsPositive));
  }
  return args.Give(separation);
}

CBatchResult PyTransformFiles(const std::vector<py::object>& paths, const CGrid* grid, std::optional<std::string> from,
                              std::optional<std::string> to, int zone, bool depthsPositive,
                              std::optional<double> blockShift, std::optional<py::function> progress) {
  std::vector<std::string> files;
  for (const py::object& path : paths) files.push_back(ToPath(path));
  CBatchOptions options;
  options.from = from.value_or("");
  options.to = to.value_or("");
  options.blockShift = blockShift;
  options.zone = zone;
  options.sign = ToSign(depthsPositive);
  if (!blockShift && (!from || !to)) throw py::value_error("from_ and to are needed unless block_shift is given");
  // Both callbacks run on this thread while the batch runs on its own; each takes the
  // interpreter lock for its moment. A KeyboardInterrupt (or an exception from
  // `progress`) cancels the batch as the Cancel button does and is raised once the
  // batch has wound down.
  if (progress) {
    options.progress = [&progress](unsigned percent) {
      py::gil_scoped_acquire acquire;
      (*progress)(percent);
    };
  }
  options.cancel = [] {
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    return false;
  };
  py::gil_scoped_release release;
  return marevert::TransformFiles(files, grid, options);
}

std::vector<std::string> PyBuildGrid(py::handle input, py::handle output, py::object date, int major, int minor,
                                     double gridSize) {
  CBuildGridOptions options;
  if (!date.is_none()) {
    options.day = date.attr("day").cast<int>();
    options.month = date.attr("month").cast<int>();
    options.year = date.attr("year").cast<int>();
  }
  options.majorVersion = major;
  options.minorVersion = minor;
  options.gridSizeSeconds = gridSize;
  const std::string in = ToPath(input), out = ToPath(output);
  py::gil_scoped_release release;
  return marevert::BuildGrid(in, out, options);
}

py::object GridDate(const CGrid& grid) {
  const CGrid::Date date = grid.GetDate();
  try {
    return py::module_::import("datetime").attr("date")(date.year, date.month, date.day);
  } catch (const py::error_already_set&) {
    return py::none();  // not a calendar date
  }
}

}  // namespace

PYBIND11_MODULE(marevert, m) {
  m.doc() =
      "Vertical datum transformation for hydrographic survey data.\n\n"
      "Carries heights and depths between the tidal datums (LAT ... HAT), AHD and the GDA94 and GDA2020\n"
      "ellipsoids with a Marevert grid file (*.MRGGrid), giving the numbers and files of marevert-cli exactly.";
  RegisterFileHandlers();
  py::register_exception<CError>(m, "Error", PyExc_RuntimeError);

  m.def("references", &GetReferenceNames,
        "The vertical references by display name, in list order (HAT first, the GDA94 and GDA2020 ellipsoids\n"
        "last). Names are matched ignoring case; \"ellipsoid\" also names the GDA94 ellipsoid, \"gda2020\" the\n"
        "GDA2020 one.");

  py::class_<CGrid::Extent>(m, "Extent", "Inclusive bounds of a grid's lattice and its spacing, decimal degrees.")
      .def_readonly("min_lat", &CGrid::Extent::minLatitude)
      .def_readonly("max_lat", &CGrid::Extent::maxLatitude)
      .def_readonly("min_lon", &CGrid::Extent::minLongitude)
      .def_readonly("max_lon", &CGrid::Extent::maxLongitude)
      .def_readonly("grid_size", &CGrid::Extent::gridSize)
      .def("__repr__", [](const CGrid::Extent& e) {
        return py::str("Extent(min_lat={}, max_lat={}, min_lon={}, max_lon={}, grid_size={})")
            .format(e.minLatitude, e.maxLatitude, e.minLongitude, e.maxLongitude, e.gridSize);
      });

  py::class_<CGrid>(m, "Grid", "A Marevert grid file (*.MRGGrid) in memory.")
      .def(py::init([](py::handle path) { return std::make_unique<CGrid>(ToPath(path)); }), py::arg("path"),
           "Reads the grid file; raises marevert.Error with the reader's message when it cannot.")
      .def_property_readonly("path", &CGrid::GetPath, "The file read, as an absolute path.")
      .def_property_readonly("details", &CGrid::GetDetails, "The lines the programs show for the grid.")
      .def_property_readonly("extent", &CGrid::GetExtent, "The lattice's bounds and spacing (Extent).")
      .def_property_readonly("date", &GridDate, "The issue date (datetime.date), None if it is no calendar date.")
      .def_property_readonly(
          "version", [](const CGrid& g) { return py::make_tuple(g.GetMajorVersion(), g.GetMinorVersion()); },
          "(major, minor) version of the grid.")
      .def("inside", &Inside, py::arg("lon"), py::arg("lat"),
           "Whether the grid answers each position (longitude, latitude: decimal degrees); arrays of one shape,\n"
           "or numbers. A latitude beyond ±90 raises ValueError.")
      .def("separation", &Separation, py::arg("lon"), py::arg("lat"), py::arg("from_"), py::arg("to"), py::kw_only(),
           py::arg("depths_positive") = false,
           "What carrying a value from `from_` to `to` adds to it at each position (longitude, latitude: decimal\n"
           "degrees), in metres; NaN where the grid does not answer. A latitude beyond ±90 raises ValueError.")
      .def("__repr__", [](const CGrid& g) { return py::str("marevert.Grid({!r})").format(g.GetPath()); });

  m.def("transform", &PyTransform, py::arg("grid"), py::arg("x"), py::arg("y"), py::arg("z"), py::arg("from_"),
        py::arg("to"), py::kw_only(), py::arg("zone") = py::none(), py::arg("depths_positive") = false,
        "Carries values z from reference `from_` to `to` at positions (x, y), as marevert-cli transform does.\n\n"
        "x is the longitude and y the latitude (decimal degrees), or with `zone` (49 to 56) the MGA easting and\n"
        "northing (metres). z are heights (positive up), or depths (positive down) with depths_positive=True.\n"
        "Returns (z_out, inside): the carried values, not rounded (the files get two decimals), NaN where\n"
        "inside is False (outside the grid, or a non-finite input). A latitude beyond ±90 raises ValueError.\n"
        "Works in C++ with the interpreter lock released.");
  // The same with the positions named as the grid's methods name them; degrees only.
  m.def(
      "transform",
      [](const CGrid& grid, py::handle lon, py::handle lat, py::handle z, const std::string& from,
         const std::string& to,
         bool depthsPositive) { return PyTransform(grid, lon, lat, z, from, to, std::nullopt, depthsPositive); },
      py::arg("grid"), py::arg("lon"), py::arg("lat"), py::arg("z"), py::arg("from_"), py::arg("to"), py::kw_only(),
      py::arg("depths_positive") = false,
      "As above with the longitude and latitude (decimal degrees) named lon and lat.");

  py::class_<CFileResult>(m, "FileResult", "What became of one file of a batch.")
      .def_readonly("path", &CFileResult::path)
      .def_readonly("format", &CFileResult::format, "The handler's format name; '' when no handler took the file.")
      .def_readonly("ok", &CFileResult::ok, "Transformed without error (points may have been outside).")
      .def_readonly("message", &CFileResult::message, "The summary's reason when not ok.")
      .def_readonly("transformed", &CFileResult::transformed)
      .def_readonly("outside", &CFileResult::outside)
      .def("__repr__", [](const CFileResult& r) {
        return py::str("FileResult({!r}, format={!r}, ok={}, transformed={}, outside={})")
            .format(r.path, r.format, r.ok, r.transformed, r.outside);
      });

  py::class_<CBatchResult>(m, "BatchResult", "The outcome of transform_files.")
      .def_readonly("files", &CBatchResult::files, "A FileResult for each file reached, in order.")
      .def_readonly("summary", &CBatchResult::summary, "The processing summary lines, as marevert-cli prints them.")
      .def_readonly("log_path", &CBatchResult::logPath, "Where Log.txt was written.")
      .def_readonly("files_ok", &CBatchResult::filesOk)
      .def_readonly("files_with_errors", &CBatchResult::filesWithErrors)
      .def_readonly("cancelled", &CBatchResult::cancelled);

  m.def("transform_files", &PyTransformFiles, py::arg("paths"), py::arg("grid"), py::arg("from_") = py::none(),
        py::arg("to") = py::none(), py::kw_only(), py::arg("zone") = 56, py::arg("depths_positive") = false,
        py::arg("block_shift") = py::none(), py::arg("progress") = py::none(),
        "Transforms survey files (xyz text, ESRI ASCII grid, LAS and LAZ, HTF) as marevert-cli transform does:\n"
        "each file gets FILE_<to>.ext and FILE_<from>.ext beside it, in its own format (LAZ stays LAZ), and\n"
        "Log.txt goes into the folder of the last.\n"
        "block_shift (metres) replaces from_/to and needs no grid. progress(percent) is called with the batch's\n"
        "percentage (each file an equal share) as it rises: at every file's start and end at least, 100 last;\n"
        "Ctrl-C cancels the batch as the Cancel button does, then raises KeyboardInterrupt.\n"
        "Returns a BatchResult.");

  m.def("build_grid", &PyBuildGrid, py::arg("input"), py::arg("output"), py::kw_only(), py::arg("date") = py::none(),
        py::arg("major") = 0, py::arg("minor") = 0, py::arg("grid_size") = 60.0,
        "Builds a grid file from a text grid (one line per node: latitude, longitude and the fourteen surface\n"
        "heights LAT ... HAT above the ellipsoid). date (datetime.date) defaults to today, grid_size is in\n"
        "seconds of arc. Returns the grid summary lines; raises marevert.Error when no grid was written.");
}
