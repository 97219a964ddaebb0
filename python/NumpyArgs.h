#pragma once
// Array arguments of the module's vectorised functions: any array-like (or a plain
// number) becomes a contiguous float64 array; the arrays of one call must have one
// shape, and the results take it. Plain numbers in give plain numbers out.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace py = pybind11;

using DoubleArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

class CArrayArgs {
 public:
  // `names` name the arguments in messages, for example "x, y and z".
  CArrayArgs(std::initializer_list<py::handle> values, const char* names) {
    for (py::handle value : values) {
      DoubleArray array = DoubleArray::ensure(value);
      if (!array) throw py::type_error(std::string(names) + " must be numbers or arrays of numbers");
      m_arrays.push_back(std::move(array));
    }
    const DoubleArray& first = m_arrays.front();
    m_shape.assign(first.shape(), first.shape() + first.ndim());
    for (const DoubleArray& array : m_arrays) {
      if (std::vector<py::ssize_t>(array.shape(), array.shape() + array.ndim()) != m_shape)
        throw py::value_error(std::string(names) + " must have the same shape");
      m_scalar = m_scalar && array.ndim() == 0;
    }
  }

  const double* Data(std::size_t i) const { return m_arrays[i].data(); }
  std::size_t Size() const { return static_cast<std::size_t>(m_arrays.front().size()); }
  // A new array of the arguments' shape.
  template <typename T>
  py::array_t<T> MakeResult() const {
    return py::array_t<T>(m_shape);
  }
  // The result as given back: the array, or its one value when every argument was a
  // plain number.
  template <typename T>
  py::object Give(const py::array_t<T>& result) const {
    if (m_scalar) return py::cast(*result.data());
    return result;
  }

 private:
  std::vector<DoubleArray> m_arrays;
  std::vector<py::ssize_t> m_shape;
  bool m_scalar = true;
};
