// IdlReader: reads the part of the interface definition language that the component's type
// library uses: imports, one library with importlib, interfaces (with their methods) and
// coclasses, each with its attribute list; comments and preprocessor lines are skipped.
#pragma once

#include <string>
#include <string_view>

#include "frame/idlgen/idl_model.h"

namespace swkv::idlgen {

class IdlReader {
 public:
  explicit IdlReader(std::string_view text) : m_text(text) {}

  // True when the text holds one library; else false with a message naming the line.
  bool Read(Library& library, std::string& error);

 private:
  struct Token {
    enum Kind { kEnd, kWord, kString, kNumber, kPunct } kind = kEnd;
    std::string text;
  };

  Token Next();
  const Token& Peek();
  bool Expect(std::string_view text);
  bool ExpectWord(std::string& word);
  bool Fail(std::string message);

  bool ReadAttributes(Attributes& attributes);
  bool ReadLibrary(Library& library);
  bool ReadInterface(Attributes attributes, Library& library);
  bool ReadCoClass(Attributes attributes, Library& library);
  bool ReadMethod(Method& method);
  bool ReadType(std::string& type);

  std::string_view m_text;
  std::size_t m_pos = 0;
  int m_line = 1;
  bool m_peeked = false;
  Token m_peek;
  std::string m_error;
};

}  // namespace swkv::idlgen
