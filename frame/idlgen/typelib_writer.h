// TypelibWriter: writes the C++ source of a module's type library description for the POSIX
// platform (platform/posix/typelib_resource.h) from the library read from the IDL: the names,
// help texts, member ids and parameter types, a call per method that takes the dispatch
// arguments to the method through the interface's virtual table, and checks, at compile time,
// that the C++ declarations of the identifiers (IID_<interface>, CLSID_<class>,
// LIBID_<library>) are the IDL's.
#pragma once

#include <ostream>
#include <string>

#include "frame/idlgen/idl_model.h"

namespace swkv::idlgen {

struct WriterOptions {
  std::string source;     // the IDL's file name, for the generated file's header comment
  std::string header;     // the header that declares the interfaces and identifiers
  std::string idsNamespace;  // the namespace of the identifiers' declarations
};

class TypelibWriter {
 public:
  TypelibWriter(const Library& library, WriterOptions options)
      : m_library(library), m_options(std::move(options)) {}

  // False with a message for what the description cannot express.
  bool Write(std::ostream& out, std::string& error);

 private:
  struct ParamType {
    const char* vt;      // e.g. "VT_BSTR | VT_BYREF"
    const char* member;  // the VARIANT member that holds the argument, e.g. "pbstrVal"
  };
  static bool TypeOf(const std::string& type, ParamType& result);
  static bool Guid(const std::string& text, std::string& initializer);
  bool InheritedMethods(const Interface& iface, unsigned& count) const;
  bool WriteInterface(std::ostream& out, const Interface& iface, std::string& error);

  const Library& m_library;
  WriterOptions m_options;
};

}  // namespace swkv::idlgen
