// swkv-idlgen: writes the POSIX platform's description of a type library from its IDL file.
//
//   swkv-idlgen <input.idl> <output.cpp> <interfaces header> [identifiers namespace]
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "frame/idlgen/idl_reader.h"
#include "frame/idlgen/typelib_writer.h"

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::cerr << "usage: swkv-idlgen <input.idl> <output.cpp> <interfaces header> [namespace]\n";
    return 2;
  }
  const std::string input = argv[1];
  const std::string output = argv[2];
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::cerr << input << ": cannot be read\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  const std::string idl = text.str();

  swkv::idlgen::Library library;
  std::string error;
  if (!swkv::idlgen::IdlReader(idl).Read(library, error)) {
    std::cerr << input << ": " << error << "\n";
    return 1;
  }
  const std::string source = input.substr(input.find_last_of('/') + 1);
  std::ostringstream generated;
  swkv::idlgen::TypelibWriter writer(library, {source, argv[3], argc == 5 ? argv[4] : ""});
  if (!writer.Write(generated, error)) {
    std::cerr << input << ": " << error << "\n";
    return 1;
  }

  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out << generated.str();
  if (!out) {
    std::cerr << output << ": cannot be written\n";
    return 1;
  }
  return 0;
}
